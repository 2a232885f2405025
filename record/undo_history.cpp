// The stroke history behind undo and redo: kept tiles, recorded steps, the journal's records.
#include "record/undo_history.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "canvas/canvas_tiles.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "record/recording_history.h"
#include "record/recovery_journal.h"

namespace {

struct StrokeLevel {
    TileSet tiles;
    uint32_t firstStep = 0;
    uint32_t firstRecord = 0, endRecord = 0; // its records in the journal
    TakenSteps taken;                        // its steps while taken back
    size_t Bytes() const { return tiles.Bytes() + taken.Bytes() + sizeof(StrokeLevel); }
};

struct History {
    std::deque<StrokeLevel> done;    // oldest first
    std::vector<StrokeLevel> undone; // the next one to redo last
    StrokeLevel drawing;             // the stroke being drawn, when `open`
    bool open = false;
    bool overBudget = false; // the open stroke alone outgrew the budget
    TileStamps stamps;
    size_t bytes = 0; // of every closed level
    size_t budget = kUndoBudgetBytes;
    // The canvas the levels belong to.
    const uint8_t* bits = nullptr;
    int32_t width = 0, height = 0;
};

History history;

bool SameCanvas(const CanvasImage& image) {
    return image.bits == history.bits && image.width == history.width &&
           image.height == history.height;
}

void Forget() {
    history.done.clear();
    history.undone.clear();
    history.drawing = StrokeLevel{};
    history.open = false;
    history.overBudget = false;
    history.bytes = 0;
}

// The oldest strokes go until everything fits, the open one included; then
// the strokes taken back, the one that would be put back last first.
void KeepWithinBudget() {
    const size_t drawing = history.open ? history.drawing.Bytes() : 0;
    while (!history.done.empty() && history.bytes + drawing > history.budget) {
        history.bytes -= history.done.front().Bytes();
        history.done.pop_front();
    }
    while (!history.undone.empty() && history.bytes + drawing > history.budget) {
        history.bytes -= history.undone.front().Bytes();
        history.undone.erase(history.undone.begin());
    }
    if (history.bytes + drawing > history.budget) {
        // Too big to keep even alone: this stroke cannot be taken back.
        history.drawing = StrokeLevel{};
        history.overBudget = true;
    }
}

void CloseStroke() {
    if (!history.open) return;
    history.open = false;
    if (history.overBudget) return;
    history.drawing.endRecord = JournalRecordCount();
    history.bytes += history.drawing.Bytes();
    history.done.push_back(std::move(history.drawing));
    history.drawing = StrokeLevel{};
}

// A canvas other than the one the levels were kept for makes them meaningless.
bool FollowCanvas(const CanvasImage& image) {
    if (SameCanvas(image)) return true;
    Forget();
    history.bits = image.bits;
    history.width = image.width;
    history.height = image.height;
    history.stamps.Reset(image.width, image.height);
    return false;
}

void StrokeBegins(AppState* app) {
    FollowCanvas(app->canvas.image);
    CloseStroke();
    history.undone.clear(); // a new stroke ends every redo
    history.stamps.NextStroke();
    history.drawing = StrokeLevel{};
    history.drawing.firstStep = static_cast<uint32_t>(std::max(app->stepLog.stepCount, 0));
    history.drawing.firstRecord = JournalRecordCount();
    history.open = true;
    history.overBudget = false;
}

void SegmentReaches(AppState* app, const Rect& reach) {
    if (!history.open || history.overBudget || !SameCanvas(app->canvas.image)) return;
    const size_t before = history.drawing.tiles.size();
    history.stamps.Keep(app->canvas.image, reach, &history.drawing.tiles);
    if (history.drawing.tiles.size() != before) KeepWithinBudget();
}

void StrokeEnds(AppState*) {
    CloseStroke();
    KeepWithinBudget();
}

// Both directions: the tiles swap, the view shows the change through the
// refresh thread like a stroke, and the journal learns of it.
void Apply(AppState* app, StrokeLevel* level, uint32_t journalKind) {
    SwapTiles(&app->canvas.image, &level->tiles);
    const Rect box = TileSetBounds(app->canvas.image, level->tiles);
    RequestCanvasRefresh(app, &box);
    AppendJournalUndo(journalKind, level->firstRecord, level->endRecord,
                      TheStrokeHost()->milliseconds());
}

} // namespace

const StrokeKeeper kUndoKeeper = {StrokeBegins, SegmentReaches, StrokeEnds};

bool UndoStroke(AppState* app) {
    if (app->playbackMode || !FollowCanvas(app->canvas.image)) return false;
    if (history.open && app->canvas.strokeActive) app->canvas.strokeActive = 0;
    CloseStroke();
    if (history.done.empty()) return false;
    StrokeLevel level = std::move(history.done.back());
    history.done.pop_back();
    history.bytes -= level.Bytes();
    level.taken = TakeStepsFrom(app, level.firstStep);
    Apply(app, &level, kJournalUndo);
    history.bytes += level.Bytes();
    history.undone.push_back(std::move(level));
    KeepWithinBudget();
    return true;
}

bool RedoStroke(AppState* app) {
    if (app->playbackMode || !FollowCanvas(app->canvas.image) || history.undone.empty() ||
        app->canvas.strokeActive)
        return false;
    StrokeLevel level = std::move(history.undone.back());
    history.undone.pop_back();
    history.bytes -= level.Bytes();
    RestoreSteps(app, &level.taken);
    Apply(app, &level, kJournalRedo);
    history.bytes += level.Bytes();
    history.done.push_back(std::move(level));
    return true;
}

bool CanUndo(const AppState* app) {
    return !app->playbackMode && SameCanvas(app->canvas.image) &&
           (!history.done.empty() || (history.open && !history.overBudget));
}

bool CanRedo(const AppState* app) {
    return !app->playbackMode && SameCanvas(app->canvas.image) && !history.undone.empty();
}

void ClearUndoHistory() {
    Forget();
    history.bits = nullptr;
    history.width = history.height = 0;
}

void SetUndoBudget(size_t bytes) {
    history.budget = bytes;
    KeepWithinBudget();
}

size_t UndoHistoryBytes() {
    return history.bytes + (history.open ? history.drawing.Bytes() : 0);
}
