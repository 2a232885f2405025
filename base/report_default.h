// The platform's own way of showing an error: a message box on Windows, the
// standard error stream elsewhere.
#pragma once

void DefaultErrorSink(const char16_t* text);
