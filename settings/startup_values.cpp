// The start values that come from the system, as pure functions of what it reports.
#include "settings/startup_values.h"

std::u16string ProgramFolderOf(const char16_t* modulePath) {
    std::u16string path = modulePath ? modulePath : u"";
    size_t folderEnd = path.find_last_of(u"\\/");
    if (folderEnd != std::u16string::npos) return path.substr(0, folderEnd + 1);
    // No folder: only a drive, if there is one.
    return path.size() >= 2 && path[1] == u':' ? path.substr(0, 2) : std::u16string();
}

void SetProgramFolder(Settings* settings, const char16_t* modulePath) {
    settings->programFolder[0] = 0;
    settings->settingsPath[0] = 0;
    const std::u16string folder = ProgramFolderOf(modulePath);
    const std::u16string path = folder + u"pindora.ini";
    if (folder.empty() || path.size() >= kPathUnits) return;
    CopyUtf16(settings->programFolder, kPathUnits, folder.c_str());
    CopyUtf16(settings->settingsPath, kPathUnits, path.c_str());
}

const char16_t* DefaultResourceFile(uint32_t systemLocale) {
    return systemLocale == 0x0411 ? u"Japanese.dll" : u"English.dll";
}

void TakeCommandLineFile(char16_t* currentFile, int argc, const char16_t* const* argv) {
    currentFile[0] = 0;
    if (argc < 2 || !argv || !argv[1]) return;
    const char16_t* argument = argv[1];
    if (argument[0] == u'"') ++argument;
    CopyUtf16(currentFile, kPathUnits, argument);
}
