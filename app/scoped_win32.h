// Owners that put back what a scope changed: the cursor, a device context's
// selected objects, GDI objects made for a scope, and the apartment's COM and OLE.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <ole2.h>

// The wait cursor for a long operation; the previous cursor comes back.
class WaitCursor {
  public:
    WaitCursor()
        : previous_(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

// An object selected into a device context for one scope.
class ScopedSelection {
  public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() { SelectObject(dc_, previous_); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A GDI object made for one scope (a pen, a brush) and deleted after it.
class ScopedGdiObject {
  public:
    explicit ScopedGdiObject(HGDIOBJ object) : object_(object) {}
    ~ScopedGdiObject() {
        if (object_) DeleteObject(object_);
    }
    HGDIOBJ get() const { return object_; }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

  private:
    HGDIOBJ object_;
};

// COM (apartment-threaded) and OLE for the program's lifetime: each is
// uninitialised once, and only when its initialisation succeeded.
class ScopedOle {
  public:
    ScopedOle()
        : com_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))),
          ole_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOle() {
        if (ole_) OleUninitialize();
        if (com_) CoUninitialize();
    }
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;

  private:
    bool com_;
    bool ole_;
};
