// The portable build's error sink: the message goes to the standard error stream.
#include "base/report_default.h"

#include <cstdio>

void DefaultErrorSink(const char16_t* text) {
    std::fputs("pindora: ", stderr);
    for (; *text; ++text) std::fputc(*text < 0x80 ? static_cast<int>(*text) : '?', stderr);
    std::fputc('\n', stderr);
}
