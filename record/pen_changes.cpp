// The pen changes of a recording: noting them, cutting them back, and replaying them.
#include "record/pen_changes.h"

#include <algorithm>

namespace {

constexpr int32_t kBrushParamCount =
    static_cast<int32_t>(sizeof(Settings::brushParams) / sizeof(BrushParams));

bool SamePen(const PenChange& a, const PenChange& b) {
    return a.penSize == b.penSize && a.penHardness == b.penHardness && a.flags == b.flags;
}

// The first change at or after `step`.
int32_t FirstFrom(const PenLog* log, int32_t step) {
    const int32_t count = std::clamp(log->count, 0, kMaxSteps);
    const PenChange* end = log->changes + count;
    const PenChange* at =
        std::lower_bound(log->changes, end, step,
                         [](const PenChange& change, int32_t s) { return change.step < s; });
    return static_cast<int32_t>(at - log->changes);
}

} // namespace

PenChange CurrentPenChange(const Canvas& canvas, int32_t step) {
    BrushParams params{0, 50};
    if (canvas.brushParams && canvas.brushIndex && *canvas.brushIndex >= 0 &&
        *canvas.brushIndex < kBrushParamCount)
        params = canvas.brushParams[*canvas.brushIndex];
    return PenChange{step, params.penSize, params.penHardness, canvas.erasing ? kPenErasing : 0};
}

void NotePenAtStep(AppState* app, int32_t step) {
    PenLog* log = &app->penLog;
    if (step <= 0) log->count = 0;
    if (step < 0 || step >= kMaxSteps || log->count < 0 || log->count >= kMaxSteps) return;
    const PenChange pen = CurrentPenChange(app->canvas, step);
    if (log->count > 0) {
        const PenChange& last = log->changes[log->count - 1];
        if (last.step >= step || SamePen(last, pen)) return;
    }
    log->changes[log->count++] = pen;
}

void DropPenChangesFrom(PenLog* log, int32_t step) {
    log->count = FirstFrom(log, step);
}

std::vector<PenChange> PenChangesFrom(const PenLog* log, int32_t step) {
    const int32_t first = FirstFrom(log, step);
    const int32_t count = std::clamp(log->count, 0, kMaxSteps);
    return std::vector<PenChange>(log->changes + first, log->changes + count);
}

bool RestorePenChanges(PenLog* log, const std::vector<PenChange>& changes) {
    const int32_t count = std::clamp(log->count, 0, kMaxSteps);
    if (changes.size() > static_cast<size_t>(kMaxSteps - count)) return false;
    int32_t previous = count > 0 ? log->changes[count - 1].step : -1;
    for (const PenChange& change : changes) {
        if (change.step <= previous || change.step >= kMaxSteps) return false;
        previous = change.step;
    }
    std::copy(changes.begin(), changes.end(), log->changes + count);
    log->count = count + static_cast<int32_t>(changes.size());
    return true;
}

const PenChange* PenChangeAt(const PenLog* log, int32_t step) {
    const int32_t at = FirstFrom(log, step);
    return at < log->count && log->changes[at].step == step ? &log->changes[at] : nullptr;
}

void BeginReplayPen(AppState* app) {
    app->replayPen = app->settings.brushParams[0];
    app->canvas.brushParams = &app->replayPen;
    app->canvas.erasing = 0;
}

void ApplyReplayPen(AppState* app, int32_t step) {
    const PenChange* change = PenChangeAt(&app->penLog, step);
    if (!change) return;
    app->replayPen = BrushParams{change->penSize, change->penHardness};
    app->canvas.erasing = (change->flags & kPenErasing) ? 1 : 0;
}

void EndReplayPen(AppState* app) {
    app->canvas.brushParams = app->settings.brushParams;
    app->canvas.erasing = 0;
}
