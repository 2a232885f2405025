// The two thread routines of tessarub.dll, for the Windows code that starts
// them: CreateThread(nullptr, 0, Threadtessarub1, band, 0, &id) runs the
// accumulate pass on the RowBand at band, Threadtessarub2 the normalise pass.
// Each ends its thread with ExitThread(0). The DLL exports them as
// "_Threadtessarub1@4" and "_Threadtessarub2@4"; its import library binds
// these declarations to those names on both Windows architectures.
#pragma once

#ifdef _WIN32

#ifdef TESSARUB_BUILDING
#define TESSARUB_API
#else
#define TESSARUB_API __declspec(dllimport)
#endif

// DWORD (WINAPI*)(LPVOID), spelled without windows.h.
extern "C" {
TESSARUB_API unsigned long __stdcall Threadtessarub1(void* band);
TESSARUB_API unsigned long __stdcall Threadtessarub2(void* band);
}

#endif
