// Picture filter and the names of session drawings and sheets.
#include "practice/practice_names.h"

#include <cstddef>

namespace {

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EndsWithFolded(const std::u16string& text, const std::u16string& tail) {
    if (text.size() < tail.size()) return false;
    const size_t start = text.size() - tail.size();
    for (size_t i = 0; i < tail.size(); ++i)
        if (Lower(text[start + i]) != tail[i]) return false;
    return true;
}

size_t NameStart(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/:");
    return slash == std::u16string::npos ? 0 : slash + 1;
}

bool Forbidden(char16_t c) {
    return c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'\\' ||
           c == u'|' || c == u'?' || c == u'*';
}

} // namespace

bool IsPracticePicture(const std::u16string& path) {
    static const char16_t* const kExtensions[] = {u".jpg", u".jpeg", u".jpe", u".png",  u".bmp",
                                                  u".dib", u".gif",  u".tif", u".tiff", u".webp"};
    const std::u16string stem = FileStem(path);
    if (stem.empty() || EndsWithFolded(stem, kSheetSuffix)) return false;
    for (const char16_t* extension : kExtensions)
        if (EndsWithFolded(path, extension)) return true;
    return false;
}

std::u16string FileStem(const std::u16string& path) {
    std::u16string name = path.substr(NameStart(path));
    const size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string::npos && dot > 0) name.resize(dot);
    return name;
}

std::u16string PracticeDrawingName(const std::u16string& stamp, const std::u16string& reference) {
    std::u16string stem = FileStem(reference);
    for (char16_t& c : stem)
        if (Forbidden(c)) c = u'_';
    if (stem.size() > 64) stem.resize(64);
    // A surrogate pair cut in half would not be a valid name.
    if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF) stem.pop_back();
    while (!stem.empty() && (stem.back() == u'.' || stem.back() == u' ')) stem.pop_back();
    return stem.empty() ? stamp : stamp + u"_" + stem;
}

std::u16string PracticeSheetName(const std::u16string& stamp) {
    return stamp + kSheetSuffix;
}
