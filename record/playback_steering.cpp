// Finishing a playback at once and stepping a paused one stroke by stroke.
#include "record/playback_steering.h"

#include <algorithm>

#include "engine/refresh_thread.h"
#include "record/playback.h"
#include "record/playback_schedule.h"

namespace {

// Draws steps from playIndex while `more` says so, with one refresh of the
// area they changed together.
template <typename More> int32_t DrawSteps(AppState* app, More more) {
    Rect changed{0, 0, 0, 0};
    const int32_t first = app->playIndex;
    int32_t i = first;
    while (i < app->stepLog.stepCount && more(i)) {
        const Rect segment = DrawStepWithItsPen(app, i);
        ++i;
        if (segment.right <= segment.left || segment.bottom <= segment.top) continue;
        if (changed.right <= changed.left || changed.bottom <= changed.top) {
            changed = segment;
        } else {
            changed = Rect{std::min(changed.left, segment.left), std::min(changed.top, segment.top),
                           std::max(changed.right, segment.right),
                           std::max(changed.bottom, segment.bottom)};
        }
    }
    app->playIndex = i;
    if (changed.right > changed.left && changed.bottom > changed.top)
        RequestCanvasRefresh(app, &changed);
    if (i >= app->stepLog.stepCount) EndPlaybackRun(app);
    return i - first;
}

} // namespace

bool HasStepsToPlay(const AppState* app) {
    return app->playbackMode && HoldsPlayableSteps(app->stepLog.stepCount) && app->playIndex >= 0 &&
           app->playIndex < app->stepLog.stepCount;
}

void FinishPlayback(AppState* app) {
    if (!HasStepsToPlay(app)) return;
    DrawSteps(app, [](int32_t) { return true; });
}

int32_t StepPlayback(AppState* app) {
    if (!HasStepsToPlay(app) || app->settings.speedIndex != 0) return 0;
    // A stroke ends with the pen-up step that follows a step with pressure.
    bool inked = false, ended = false;
    const Step* steps = app->stepLog.steps;
    return DrawSteps(app, [&](int32_t i) {
        if (ended) return false;
        if (steps[i].pressure > 0.0f)
            inked = true;
        else if (inked)
            ended = true;
        return true;
    });
}
