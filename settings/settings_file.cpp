// Reading and saving "pindora.ini" in the program folder.
#include "settings/settings.h"
#include "settings/settings_io.h"

namespace {

std::u16string SettingsPathOf(const Settings* settings) {
    char16_t bounded[kPathUnits];
    CopyUtf16(bounded, kPathUnits, settings->settingsPath);
    return bounded;
}

} // namespace

void ReadSettingsFile(Settings* settings) {
    std::string bytes;
    if (ReadFileBytes(SettingsPathOf(settings), kMaxSettingsFileBytes, &bytes) != 0) return;
    ReadSettingsText(settings, bytes);
}

int SaveSettingsFile(const Settings* settings) {
    return ReplaceFileBytes(SettingsPathOf(settings), WriteSettingsText(settings));
}
