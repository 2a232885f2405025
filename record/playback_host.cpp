// The playback's window-system table: the installed one or the default.
#include "record/playback_host.h"

namespace {
const PlaybackHost* installed = nullptr;
PlaybackTextLoader textLoader = nullptr;
TimeUpHandler timeUpHandler = nullptr;
} // namespace

void SetPlaybackHost(const PlaybackHost* host) {
    installed = host;
}

const PlaybackHost* ThePlaybackHost() {
    return installed ? installed : DefaultPlaybackHost();
}

void SetTimeUpHandler(TimeUpHandler handler) {
    timeUpHandler = handler;
}

bool TakeOverTimeUp(AppState* app) {
    return timeUpHandler && timeUpHandler(app);
}

void SetPlaybackTextLoader(PlaybackTextLoader loader) {
    textLoader = loader;
}

const char16_t* PlaybackText(AppState* app, uint32_t id) {
    const char16_t* text = textLoader ? textLoader(app, id) : nullptr;
    if (text && *text) return text;
    return id == kTimeLimitTextId ? u"Time is up." : u"";
}
