// Error reporting shared by every subsystem: a modal message box with the
// caption "pindora" and the error icon, without an owner window. The sink can
// be replaced (tests capture messages; the Windows shell shows a box).
#pragma once

#include <string>

using ErrorSink = void (*)(const char16_t* text);

// Shows one error message through the current sink.
void ShowErrorMessage(const char16_t* text);
void ShowErrorMessage(const std::u16string& text);

// Installs a sink and returns the previous one; null restores the default.
ErrorSink SetErrorSink(ErrorSink sink);

// ASCII text to UTF-16 for the program's fixed messages and formatted numbers.
std::u16string AsciiToUtf16(const char* text);
