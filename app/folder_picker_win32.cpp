// Picking a folder with IFileOpenDialog (FOS_PICKFOLDERS), falling back to
// SHBrowseForFolderW when the dialog object cannot be created.
#include "app/folder_picker_win32.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "base/com_scope_win32.h"

namespace {

// S_OK chosen, S_FALSE cancelled, an error when the dialog is not available.
HRESULT AskWithItemDialog(HWND owner, const wchar_t* title, std::wstring& folder) {
    ComRef<IFileOpenDialog> dialog;
    HRESULT result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(dialog.Receive()));
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
    result = dialog->GetResult(item.Receive());
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
    ScopedCom com;
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
