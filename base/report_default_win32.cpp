// The Windows error sink: a message box with the caption "pindora" and the error icon.
#include "base/report_default.h"

#include <windows.h>

void DefaultErrorSink(const char16_t* text) {
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text), L"pindora", MB_ICONERROR);
}
