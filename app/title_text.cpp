// The title bar text: drawing time, limit, scale and file name, or the playing form.
#include "app/title_text.h"

#include <cstdio>

#include "base/report.h"

namespace {

// Minutes are never folded into hours: 100 minutes show as 100:00.
std::string MinutesSeconds(const char* format, int64_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

std::u16string ComposeTitle(int32_t playing, int64_t elapsedSeconds, int64_t timeLimitSeconds,
                            float scale, const char16_t* fileName, const std::u16string& progress) {
    if (playing) return u"pindora -Playing-";
    std::string elapsed = MinutesSeconds(" - %lld:%02lld", elapsedSeconds);
    std::string limit =
        timeLimitSeconds > 0 ? MinutesSeconds("/%lld:%02lld ", timeLimitSeconds) : std::string();
    char scalePart[32];
    if (scale >= 1.0f)
        std::snprintf(scalePart, sizeof scalePart, " - 1/%.3f ", static_cast<double>(scale));
    else
        std::snprintf(scalePart, sizeof scalePart, " - x%.3f ", 1.0 / static_cast<double>(scale));
    std::u16string title = u"pindora";
    title += AsciiToUtf16((elapsed + limit + scalePart).c_str());
    if (!progress.empty()) title += u"- " + progress + u" ";
    title += u"- ";
    if (fileName) title += fileName;
    if (title.size() > 259) title.resize(259);
    return title;
}
