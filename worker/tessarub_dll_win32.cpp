// tessarub.dll: the entry point and the two thread routines around the
// portable passes. The library keeps no state and allocates nothing.
#include <windows.h>

#include "worker/row_band.h"
#include "worker/tessarub.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" DWORD WINAPI Threadtessarub1(LPVOID band) {
    AccumulateBand(static_cast<const RowBand*>(band));
    ExitThread(0);
}

extern "C" DWORD WINAPI Threadtessarub2(LPVOID band) {
    NormaliseBand(static_cast<const RowBand*>(band));
    ExitThread(0);
}
