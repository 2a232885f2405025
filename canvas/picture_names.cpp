// Picture names: time stamps, save paths and the dropped file's copy.
#include "canvas/picture_names.h"

#include <cstdio>
#include <string>

std::u16string TimeStampName(const std::tm& local) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::u16string name;
    for (const char* c = text; *c; ++c) name.push_back(static_cast<char16_t>(*c));
    return name;
}

std::u16string QuickSavePath(const std::u16string& defaultPath, const std::u16string& stamp,
                             int attempt) {
    if (attempt <= 0) return defaultPath + stamp + u".png";
    const std::string number = "-" + std::to_string(attempt);
    return defaultPath + stamp + std::u16string(number.begin(), number.end()) + u".png";
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/:");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

std::u16string TemporarySavePath(const std::u16string& target, uint32_t processId) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(processId));
    std::u16string name = FolderOf(target) + u"~pindora";
    for (const char* c = digits; *c; ++c) name.push_back(static_cast<char16_t>(*c));
    name += u".saving";
    return name.size() < 260 ? name : std::u16string();
}

bool HasPngExtension(const std::u16string& path) {
    size_t slash = path.find_last_of(u"\\/");
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return false;
    return path.compare(dot, std::u16string::npos, u".png") == 0;
}
