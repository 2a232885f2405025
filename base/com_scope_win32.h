// COM for the shell and the codecs: one counted reference released with its
// scope, and COM initialised on a thread for the length of one call.
#pragma once

#include <windows.h>

#include <objbase.h>

// One counted reference to a COM object, released with its scope.
template <typename T> class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (object_) object_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Receive() { return &object_; }
    void** ReceiveVoid() { return reinterpret_cast<void**>(&object_); }
    T* operator->() const { return object_; }
    T* get() const { return object_; }

  private:
    T* object_ = nullptr;
};

// COM on this thread for one call: uninitialised only when this call started it.
class ScopedCom {
  public:
    ScopedCom() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ScopedCom() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

  private:
    HRESULT hr_;
};
