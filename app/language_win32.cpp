// The language libraries: loading one, its texts and menus, and the language sub-menu.
#include "app/language_win32.h"

#include <cwchar>
#include <string>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "base/report.h"

namespace {

wchar_t textBuffer[1024];
// The menu loaded from the language library; the pop-up menu is its first
// sub-menu and holds the language menu, so destroying it frees all three.
HMENU loadedMenu = nullptr;

void DestroyLanguageMenus(AppState* app) {
    if (loadedMenu) {
        DestroyMenu(loadedMenu);
    } else if (app->languageMenu) {
        DestroyMenu(static_cast<HMENU>(app->languageMenu));
    }
    loadedMenu = nullptr;
    app->popupMenu = nullptr;
    app->languageMenu = nullptr;
}

std::wstring LanguageFolder() {
    return ProgramFolder() + L"language\\";
}

// A menu item's text by command or position, read in the two-call way.
std::wstring MenuItemText(HMENU menu, UINT item, BOOL byPosition) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, item, byPosition, &info)) return std::wstring();
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch += 1;
    if (!GetMenuItemInfoW(menu, item, byPosition, &info)) return std::wstring();
    text.resize(info.cch);
    return text;
}

const wchar_t* FallbackText(UINT id) {
    switch (id) {
    case ID_TEXT_NOT_A_FOLDER:
        return L"The default save folder is not a folder:";
    case ID_TEXT_TIME_IS_UP:
        return L"Time is up.";
    case ID_TEXT_REFERENCE_FAILED:
        return L"This picture cannot be shown as the reference:";
    case ID_TEXT_SESSION_OVER:
        return L"The practice session is over. Drawings:";
    case ID_TEXT_SESSION_SHEET:
        return L"Their sheet is saved as";
    case ID_TEXT_SESSION_NO_PICTURES:
        return L"There are no pictures here to practise from (JPEG, PNG, BMP, GIF, TIFF or "
               L"WebP files).";
    case ID_TEXT_SESSION_FOLDER:
        return L"The folder of pictures to practise from";
    case ID_TEXT_SESSION_UNREADABLE:
        return L"Pictures that could not be read and were passed over:";
    case ID_TEXT_SESSION_NOTHING:
        return L"Nothing was drawn, so there is no sheet.";
    default:
        return L"(missing text)";
    }
}

} // namespace

int32_t LoadLanguage(AppState* app) {
    std::wstring path =
        LanguageFolder() + reinterpret_cast<const wchar_t*>(app->settings.resourceFile);
    HMODULE library = LoadLibraryW(path.c_str());
    if (!library) {
        ShowErrorMessage(u"Can't load language dll.");
        ShowErrorMessage(reinterpret_cast<const char16_t*>(path.c_str()));
        return 1;
    }
    if (app->languageLibrary) FreeLibrary(AsModule(app->languageLibrary));
    app->languageLibrary = ModuleFrom(library);
    DestroyLanguageMenus(app);
    loadedMenu = LoadMenuW(library, L"POPUP_MENU");
    app->popupMenu = loadedMenu ? GetSubMenu(loadedMenu, 0) : nullptr;
    app->languageMenu = BuildLanguageMenu(app);
    if (app->popupMenu &&
        !InsertMenuW(static_cast<HMENU>(app->popupMenu), 3, MF_BYPOSITION | MF_POPUP,
                     reinterpret_cast<UINT_PTR>(app->languageMenu), L"Language(&L)"))
        app->popupMenu = nullptr; // only the language menu is left to free
    if (!app->popupMenu) {
        if (loadedMenu) DestroyMenu(loadedMenu);
        loadedMenu = nullptr;
    }
    return 0;
}

HMENU BuildLanguageMenu(AppState*) {
    HMENU menu = CreateMenu();
    std::wstring pattern = LanguageFolder() + L"*.dll";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return menu;
    UINT command = kSelectLanguage;
    do {
        std::wstring name = found.cFileName;
        size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos) name.resize(dot);
        AppendMenuW(menu, MF_STRING, command++, name.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return menu;
}

const wchar_t* LoadText(AppState* app, UINT id) {
    textBuffer[0] = L'\0';
    if (!app->languageLibrary ||
        LoadStringW(AsModule(app->languageLibrary), id, textBuffer, 1024) <= 0)
        wcsncpy(textBuffer, FallbackText(id), 1023);
    return textBuffer;
}

bool HandleLanguageChoice(AppState* app, UINT command) {
    HMENU languages = static_cast<HMENU>(app->languageMenu);
    if (!languages || command < kSelectLanguage) return false;
    int count = GetMenuItemCount(languages);
    if (count < 0 || command >= kSelectLanguage + static_cast<UINT>(count)) return false;
    std::wstring name = MenuItemText(languages, command, FALSE) + L".dll";
    if (name.size() >= kPathUnits) name.resize(kPathUnits - 1);
    // A library that does not load is not stored: the next start would find
    // no pop-up menu.
    char16_t previous[kPathUnits];
    CopyUtf16(previous, kPathUnits, app->settings.resourceFile);
    CopyUtf16(app->settings.resourceFile, kPathUnits,
              reinterpret_cast<const char16_t*>(name.c_str()));
    if (LoadLanguage(app) != 0) CopyUtf16(app->settings.resourceFile, kPathUnits, previous);
    InvalidateRect(MainWindow(app), nullptr, FALSE);
    return true;
}

void MarkLoadedLanguage(AppState* app, HMENU menu) {
    wchar_t modulePath[MAX_PATH] = L"";
    if (app->languageLibrary)
        GetModuleFileNameW(AsModule(app->languageLibrary), modulePath, MAX_PATH);
    wchar_t drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
    _wsplitpath_s(modulePath, drive, _MAX_DRIVE, directory, _MAX_DIR, name, _MAX_FNAME, extension,
                  _MAX_EXT);
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        bool loaded = app->languageLibrary && MenuItemText(menu, i, TRUE) == name;
        CheckMenuItem(menu, kSelectLanguage + i,
                      MF_BYCOMMAND | (loaded ? MF_CHECKED : MF_UNCHECKED));
    }
}
