// Error reporting through a replaceable sink.
#include "base/report.h"

#include "base/report_default.h"

namespace {
ErrorSink currentSink = nullptr;
}

void ShowErrorMessage(const char16_t* text) {
    ErrorSink sink = currentSink ? currentSink : DefaultErrorSink;
    sink(text ? text : u"");
}

void ShowErrorMessage(const std::u16string& text) {
    ShowErrorMessage(text.c_str());
}

ErrorSink SetErrorSink(ErrorSink sink) {
    ErrorSink previous = currentSink;
    currentSink = sink;
    return previous;
}

std::u16string AsciiToUtf16(const char* text) {
    std::u16string result;
    for (; text && *text; ++text) result.push_back(static_cast<char16_t>(*text));
    return result;
}
