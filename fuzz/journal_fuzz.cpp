// Any bytes as a recovery journal: the parser either refuses them or keeps
// only records that make sense, and never reads outside the bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "canvas/canvas_limits.h"
#include "record/recovery_journal.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    JournalContent content;
    if (!ParseJournal(std::string(reinterpret_cast<const char*>(data), size), &content)) return 0;
    Check(IsCanvasSizeWithinLimits(content.canvasWidth, content.canvasHeight));
    Check(content.records.size() <= size / 20);
    for (const JournalRecord& record : content.records) {
        if (record.kind == kJournalDrawn || record.kind == kJournalLogged ||
            record.kind == kJournalDrawnLogged)
            Check(std::isfinite(record.step.pressure) && record.step.pressure >= 0.0f);
    }
    content.HasUnsavedDrawing();
    // Undo and redo records name only records before them.
    Check(TakenBackRecords(content).size() == content.records.size());
    return 0;
}
