// In-process tests of the language libraries and the language menu.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/language_win32.h"
#include "base/commands.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Messages;

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[260] = L"";
    GetMenuStringW(menu, position, text, 260, MF_BYPOSITION);
    return text;
}

int FindItem(HMENU menu, const std::wstring& text) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (ItemText(menu, i) == text) return i;
    return -1;
}

bool HasCommand(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != 0xFFFFFFFF;
}

class Languages : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        languageFolder = harness::Folder() + L"language\\";
        Messages().clear();
    }
    void TearDown() override {
        DeleteFileW((languageFolder + L"English.old.dll").c_str());
        Choose(L"English");
    }
    AppState* app() { return TheApp(); }
    HMENU languageMenu() { return static_cast<HMENU>(app()->languageMenu); }
    void Choose(const std::wstring& name) {
        int item = FindItem(languageMenu(), name);
        if (item >= 0) Command(kSelectLanguage + item);
    }
    std::wstring LoadedModule() {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(AsModule(app()->languageLibrary), path, MAX_PATH);
        std::wstring text = path;
        return text.substr(text.find_last_of(L"\\/") + 1);
    }
    HWND window = nullptr;
    std::wstring languageFolder;
};

} // namespace

TEST_F(Languages, EveryShippedLibraryHoldsTheMenuAndTheStrings) {
    for (const wchar_t* name : {L"English.dll", L"Japanese.dll"}) {
        HMODULE library =
            LoadLibraryExW((languageFolder + name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(library, nullptr) << name;
        HMENU top = LoadMenuW(library, L"POPUP_MENU");
        ASSERT_NE(top, nullptr) << name;
        HMENU popup = GetSubMenu(top, 0);
        ASSERT_NE(popup, nullptr);
        const UINT firsts[] = {kSetTimeLimit, kToggleRecordStep, kSetPlaybackSpeed};
        const UINT counts[] = {8, 2, 6};
        for (int position = 0; position < 3; ++position) {
            HMENU group = GetSubMenu(popup, position);
            ASSERT_NE(group, nullptr) << name << " position " << position;
            for (UINT id = firsts[position]; id < firsts[position] + counts[position]; ++id)
                EXPECT_TRUE(HasCommand(group, id)) << name << " " << id;
        }
        for (UINT id : {kFinishPlayback, kStepPlayback}) // under "Playback speed"
            EXPECT_TRUE(HasCommand(GetSubMenu(popup, 2), id)) << name << " " << id;
        for (UINT id : {kNewDrawing, kQuickSave, kSaveAs, kFitToWindow, kMirror, kExit, kUndo,
                        kRedo, kToggleEraser})
            EXPECT_TRUE(HasCommand(popup, id)) << name << " " << id;
        wchar_t text[1024];
        EXPECT_GT(LoadStringW(library, 2, text, 1024), 0) << name;
        EXPECT_GT(LoadStringW(library, 14, text, 1024), 0) << name;
        DestroyMenu(top);
        FreeLibrary(library);
    }
}

TEST_F(Languages, TheMenuListsTheFolderAndFollowsTheLoadedModule) {
    const int files = static_cast<int>(harness::FilesIn(languageFolder, L"*.dll").size());
    ASSERT_EQ(GetMenuItemCount(languageMenu()), files);
    for (int i = 0; i < files; ++i)
        EXPECT_NE(GetMenuState(languageMenu(), kSelectLanguage + i, MF_BYCOMMAND), 0xFFFFFFFF);
    // The identifier after the last language is no language choice.
    EXPECT_EQ(GetMenuState(languageMenu(), kSelectLanguage + files, MF_BYCOMMAND), 0xFFFFFFFF);

    // A library with two dots in its name is listed without ".dll" and loads.
    ASSERT_TRUE(CopyFileW((languageFolder + L"English.dll").c_str(),
                          (languageFolder + L"English.old.dll").c_str(), FALSE));
    Choose(L"Japanese"); // reloading rebuilds the menu from the folder
    EXPECT_EQ(LoadedModule(), L"Japanese.dll");
    ASSERT_GE(FindItem(languageMenu(), L"English.old"), 0);
    Choose(L"English.old");
    EXPECT_EQ(LoadedModule(), L"English.old.dll");
    EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(app()->settings.resourceFile)),
              L"English.old.dll");

    // The check mark goes to the module actually loaded.
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(languageMenu()), 3);
    const int old = FindItem(languageMenu(), L"English.old"),
              english = FindItem(languageMenu(), L"English");
    EXPECT_TRUE(GetMenuState(languageMenu(), old, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(languageMenu(), english, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Languages, AFailedChoiceIsNotStoredAndSwitchingFreesTheOldMenus) {
    ASSERT_TRUE(CopyFileW((languageFolder + L"English.dll").c_str(),
                          (languageFolder + L"English.old.dll").c_str(), FALSE));
    Choose(L"Japanese");
    const HMENU oldPopup = static_cast<HMENU>(app()->popupMenu), oldLanguages = languageMenu();
    Choose(L"English");
    EXPECT_FALSE(IsMenu(oldPopup));
    EXPECT_FALSE(IsMenu(oldLanguages));
    // The library goes away after the menu listed it: the choice fails.
    ASSERT_TRUE(DeleteFileW((languageFolder + L"English.old.dll").c_str()));
    Choose(L"English.old");
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(app()->settings.resourceFile)),
              L"English.dll");
    EXPECT_EQ(LoadedModule(), L"English.dll");
    EXPECT_TRUE(IsMenu(static_cast<HMENU>(app()->popupMenu)));
}

TEST_F(Languages, AMissingLibraryIsReportedAndTheProgramGoesOn) {
    HMODULE before = AsModule(app()->languageLibrary);
    lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.resourceFile), L"Missing.dll", kPathUnits);
    EXPECT_EQ(LoadLanguage(app()), 1);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], L"Can't load language dll.");
    EXPECT_NE(Messages()[1].find(L"language\\Missing.dll"), std::wstring::npos);
    EXPECT_EQ(AsModule(app()->languageLibrary), before); // the menus and texts stay usable
    EXPECT_TRUE(IsWindow(window));
    lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.resourceFile), L"English.dll", kPathUnits);
}
