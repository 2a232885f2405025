// Picking a folder with IFileOpenDialog (FOS_PICKFOLDERS), falling back to
// SHBrowseForFolderW when the dialog object cannot be created.
#include "app/folder_picker_win32.h"

#include <shlobj.h>
#include <shobjidl.h>

namespace {

// Releases a COM interface pointer when it goes out of scope.
template <typename T> class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Out() { return &pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

  private:
    T* pointer_ = nullptr;
};

// COM for the dialog, where the thread has not initialised it already.
class ComForCall {
  public:
    ComForCall() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComForCall() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

  private:
    HRESULT result_;
};

// S_OK chosen, S_FALSE cancelled, an error when the dialog is not available.
HRESULT AskWithItemDialog(HWND owner, const wchar_t* title, std::wstring& folder) {
    ComRef<IFileOpenDialog> dialog;
    HRESULT result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(dialog.Out()));
    if (FAILED(result)) return result;
    DWORD options = 0;
    dialog->GetOptions(&options);
    result = dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    if (FAILED(result)) return result;
    dialog->SetTitle(title);
    result = dialog->Show(owner);
    if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return S_FALSE;
    if (FAILED(result)) return result;
    ComRef<IShellItem> item;
    result = dialog->GetResult(item.Out());
    if (FAILED(result)) return result;
    wchar_t* path = nullptr;
    result = item->GetDisplayName(SIGDN_FILESYSPATH, &path);
    if (FAILED(result)) return result;
    folder = path;
    CoTaskMemFree(path);
    return S_OK;
}

bool AskWithFolderBrowser(HWND owner, const wchar_t* title, std::wstring& folder) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&browse);
    if (!list) return false;
    wchar_t path[MAX_PATH] = L"";
    const bool found = SHGetPathFromIDListW(list, path) && path[0] != L'\0';
    CoTaskMemFree(list);
    if (found) folder = path;
    return found;
}

bool AskTheSystem(HWND owner, const wchar_t* title, std::wstring& folder) {
    ComForCall com;
    const HRESULT result = AskWithItemDialog(owner, title, folder);
    if (result == S_OK) return true;
    if (result == S_FALSE) return false;
    return AskWithFolderBrowser(owner, title, folder);
}

FolderPicker picker = AskTheSystem;

} // namespace

bool PickFolder(HWND owner, const wchar_t* title, std::wstring& folder) {
    return picker(owner, title, folder);
}

FolderPicker SetFolderPicker(FolderPicker next) {
    FolderPicker previous = picker;
    picker = next ? next : AskTheSystem;
    return previous;
}
