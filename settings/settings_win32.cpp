// The settings' system parts: program folder, placement, locale and command line.
#include "settings/settings_win32.h"

#include <cstring>
#include <shellapi.h>

#include "settings/startup_values.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(WindowPlacement), "placement layouts match");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

namespace {

void TakeCommandLine(Settings* settings) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    TakeCommandLineFile(settings->currentFile, argv ? argc : 0,
                        reinterpret_cast<const char16_t* const*>(argv));
    if (argv) LocalFree(argv);
}

void TakeProgramFolder(Settings* settings) {
    wchar_t module[kPathUnits];
    DWORD length = GetModuleFileNameW(nullptr, module, kPathUnits);
    // A cut-off name would give a wrong folder; use none instead.
    if (length == 0 || length >= kPathUnits) module[0] = 0;
    SetProgramFolder(settings, reinterpret_cast<const char16_t*>(module));
}

void TakePlacement(Settings* settings, HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.flags = 0;
    if (window) GetWindowPlacement(window, &placement);
    std::memcpy(&settings->placement, &placement, sizeof placement);
}

} // namespace

void LoadSettings(Settings* settings, HWND window) {
    TakeCommandLine(settings);
    TakeProgramFolder(settings);
    TakePlacement(settings, window);
    ApplySettingsDefaults(settings, window);
    CopyUtf16(settings->resourceFile, kPathUnits, DefaultResourceFile(GetSystemDefaultLCID()));
    ReadSettingsFile(settings);
    SupplyBuiltInKeys(settings);
}

void SaveSettings(const Settings* settings) {
    SaveSettingsFile(settings);
}
