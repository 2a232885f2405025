// The system's folder picker: the common item dialog in folder mode, or the
// older folder browser where that dialog cannot be made.
#pragma once

#include <windows.h>

#include <string>

// Asks for a folder; true with its path when one was chosen.
bool PickFolder(HWND owner, const wchar_t* title, std::wstring& folder);

// What asks: the system's dialogs, or a stand-in that answers (tests). Null
// restores the system's; the previous one is returned.
using FolderPicker = bool (*)(HWND owner, const wchar_t* title, std::wstring& folder);
FolderPicker SetFolderPicker(FolderPicker picker);
