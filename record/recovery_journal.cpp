// The recovery journal: its records, writing them through, and reading a journal back.
#include "record/recovery_journal.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "canvas/canvas_limits.h"
#include "settings/settings_io.h"

namespace {

const char kMagic[4] = {'p', 'd', 'J', '1'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderBytes = 16;
constexpr size_t kRecordBytes = 20;
// Strokes may leave the canvas, but not by more than this.
constexpr int64_t kFarthestCoordinate = int64_t{4} * kMaxCanvasSide;

constexpr size_t kBufferBytes = size_t{64} << 10;

struct Writer {
    std::u16string path;
    FILE* file = nullptr;
    // Records not yet handed to the system: a plain block, because filling
    // it runs for every drawn segment.
    uint8_t pending[kBufferBytes];
    size_t used = 0;
    uint32_t lastWrite = 0;
    JournalPen pen{-1, -1, 0};
    uint32_t records = 0;
};

Writer writer;

uint32_t Get32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void Store32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

float BitsFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

void CloseFile() {
    if (writer.file) std::fclose(writer.file);
    writer.file = nullptr;
    writer.used = 0;
}

// One write of everything pending. A journal that cannot be written is given
// up quietly: drawing goes on, only the recovery is lost.
void WritePending(uint32_t nowMs) {
    writer.lastWrite = nowMs;
    if (!writer.file || writer.used == 0) return;
    const bool written = std::fwrite(writer.pending, 1, writer.used, writer.file) == writer.used &&
                         std::fflush(writer.file) == 0;
    writer.used = 0;
    if (!written) CloseFile();
}

void PutRecord(uint32_t kind, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    if (writer.used + kRecordBytes > kBufferBytes) WritePending(writer.lastWrite);
    if (!writer.file) return;
    uint8_t* record = writer.pending + writer.used;
    Store32(record, kind);
    Store32(record + 4, a);
    Store32(record + 8, b);
    Store32(record + 12, c);
    Store32(record + 16, d);
    writer.used += kRecordBytes;
    writer.records += 1;
}

void PutRecord(const JournalRecord& record) {
    switch (record.kind) {
    case kJournalPen:
        PutRecord(record.kind, static_cast<uint32_t>(record.pen.penSize),
                  static_cast<uint32_t>(record.pen.penHardness), record.pen.maxPressure, 0);
        break;
    case kJournalLogStart:
        PutRecord(record.kind, static_cast<uint32_t>(record.logWidth),
                  static_cast<uint32_t>(record.logHeight), record.logStart, 0);
        break;
    case kJournalSaved:
        PutRecord(record.kind, 0, 0, 0, 0);
        break;
    case kJournalUndo:
    case kJournalRedo:
        PutRecord(record.kind, record.first, record.end, 0, 0);
        break;
    default:
        PutRecord(record.kind, record.step.time, static_cast<uint32_t>(record.step.x),
                  static_cast<uint32_t>(record.step.y), FloatBits(record.step.pressure));
        break;
    }
}

void StartFile(int32_t width, int32_t height, const std::vector<JournalRecord>* records) {
    CloseFile();
    writer.pen = JournalPen{-1, -1, 0};
    writer.records = 0;
    if (writer.path.empty()) return;
    // Held privately: a second instance running from the same folder neither
    // writes into this journal nor offers it back as a crash.
    writer.file = OpenPrivateFile(writer.path);
    if (!writer.file) return;
    std::memcpy(writer.pending, kMagic, 4);
    Store32(writer.pending + 4, kVersion);
    Store32(writer.pending + 8, static_cast<uint32_t>(width));
    Store32(writer.pending + 12, static_cast<uint32_t>(height));
    writer.used = kHeaderBytes;
    if (records) {
        for (const JournalRecord& record : *records) {
            PutRecord(record);
            if (record.kind == kJournalPen) writer.pen = record.pen;
        }
    }
    WritePending(writer.lastWrite);
}

bool Near(int32_t coordinate) {
    return coordinate >= -kFarthestCoordinate && coordinate <= kFarthestCoordinate;
}

// Record number `index`, checked; false ends the journal there.
bool ParseRecord(const uint8_t* bytes, uint32_t index, JournalRecord* record) {
    *record = JournalRecord{};
    record->kind = Get32(bytes);
    const uint32_t a = Get32(bytes + 4), b = Get32(bytes + 8), c = Get32(bytes + 12),
                   d = Get32(bytes + 16);
    switch (record->kind) {
    case kJournalDrawn:
    case kJournalLogged:
    case kJournalDrawnLogged: {
        record->step = Step{a, static_cast<int32_t>(b), static_cast<int32_t>(c), BitsFloat(d)};
        const float pressure = record->step.pressure;
        // Above 1 is a pen pressed past its own maximum: drawn at full pressure.
        return std::isfinite(pressure) && pressure >= 0.0f && Near(record->step.x) &&
               Near(record->step.y);
    }
    case kJournalPen:
        record->pen = JournalPen{static_cast<int32_t>(a), static_cast<int32_t>(b), c};
        return record->pen.penSize >= 0 && record->pen.penSize <= kMaxCanvasSide &&
               record->pen.penHardness >= -1000000 && record->pen.penHardness <= 1000000;
    case kJournalLogStart:
        record->logWidth = static_cast<int32_t>(a);
        record->logHeight = static_cast<int32_t>(b);
        record->logStart = c;
        return IsCanvasSizeWithinLimits(record->logWidth, record->logHeight);
    case kJournalSaved:
        return true;
    case kJournalUndo:
    case kJournalRedo:
        // Only records before this one can be taken back or put back.
        record->first = a;
        record->end = b;
        return a <= b && b <= index;
    default:
        return false;
    }
}

} // namespace

bool JournalContent::HasUnsavedDrawing() const {
    for (size_t i = records.size(); i-- > 0;) {
        const uint32_t kind = records[i].kind;
        if (kind == kJournalSaved) return false;
        if ((kind & kJournalDrawn) || kind == kJournalUndo || kind == kJournalRedo) return true;
    }
    return false;
}

bool ParseJournal(const std::string& bytes, JournalContent* content) {
    *content = JournalContent{};
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 4) != 0) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (Get32(data + 4) != kVersion) return false;
    const int32_t width = static_cast<int32_t>(Get32(data + 8));
    const int32_t height = static_cast<int32_t>(Get32(data + 12));
    if (!IsCanvasSizeWithinLimits(width, height)) return false;
    content->canvasWidth = width;
    content->canvasHeight = height;
    const size_t count = (bytes.size() - kHeaderBytes) / kRecordBytes;
    content->records.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        JournalRecord record;
        if (!ParseRecord(data + kHeaderBytes + i * kRecordBytes, static_cast<uint32_t>(i), &record))
            break;
        content->records.push_back(record);
    }
    return true;
}

std::vector<uint8_t> TakenBackRecords(const JournalContent& content) {
    const size_t count = content.records.size();
    std::vector<uint8_t> takenBack(count, 0);
    // A record's state is the one the last undo or redo naming it left. Going
    // from the last backwards, each record is settled once: `next` skips the
    // settled ones, so even a hostile journal of overlapping ranges costs
    // about one step per record.
    std::vector<uint32_t> next(count + 1);
    std::iota(next.begin(), next.end(), 0u);
    auto unsettled = [&next](uint32_t i) {
        while (next[i] != i) i = next[i] = next[next[i]];
        return i;
    };
    for (size_t k = count; k-- > 0;) {
        const JournalRecord& record = content.records[k];
        if (record.kind != kJournalUndo && record.kind != kJournalRedo) continue;
        for (uint32_t i = unsettled(record.first); i < record.end; i = unsettled(i)) {
            if (content.records[i].kind & (kJournalDrawn | kJournalLogged))
                takenBack[i] = record.kind == kJournalUndo ? 1 : 0;
            next[i] = i + 1;
        }
    }
    return takenBack;
}

void SetJournalPath(const std::u16string& path) {
    CloseFile();
    writer.path = path;
}

const std::u16string& JournalPath() {
    return writer.path;
}

void RestartJournal(int32_t canvasWidth, int32_t canvasHeight) {
    StartFile(canvasWidth, canvasHeight, nullptr);
}

void RestartJournalWith(const JournalContent& content) {
    StartFile(content.canvasWidth, content.canvasHeight, &content.records);
}

void AppendJournalStep(uint32_t kind, const Step& step, const JournalPen& pen, uint32_t nowMs) {
    if (!writer.file) return;
    if ((kind & kJournalDrawn) &&
        (pen.penSize != writer.pen.penSize || pen.penHardness != writer.pen.penHardness ||
         pen.maxPressure != writer.pen.maxPressure)) {
        PutRecord(kJournalPen, static_cast<uint32_t>(pen.penSize),
                  static_cast<uint32_t>(pen.penHardness), pen.maxPressure, 0);
        writer.pen = pen;
    }
    PutRecord(kind, step.time, static_cast<uint32_t>(step.x), static_cast<uint32_t>(step.y),
              FloatBits(step.pressure));
    const bool penUp = (kind & kJournalDrawn) && step.pressure == 0.0f;
    if (penUp || nowMs - writer.lastWrite >= kJournalFlushMs) WritePending(nowMs);
}

void AppendJournalLogStart(const StepLog* log) {
    if (!writer.file) return;
    PutRecord(kJournalLogStart, static_cast<uint32_t>(log->canvasWidth),
              static_cast<uint32_t>(log->canvasHeight), log->recordStart, 0);
}

void MarkJournalSaved(uint32_t nowMs) {
    if (!writer.file) return;
    PutRecord(kJournalSaved, 0, 0, 0, 0);
    WritePending(nowMs);
}

uint32_t JournalRecordCount() {
    return writer.records;
}

void AppendJournalUndo(uint32_t kind, uint32_t first, uint32_t end, uint32_t nowMs) {
    if (!writer.file) return;
    PutRecord(kind, first, end, 0, 0);
    WritePending(nowMs);
}

void FlushJournal(uint32_t nowMs) {
    if (writer.used != 0) WritePending(nowMs);
}

void RemoveJournal() {
    CloseFile();
    if (!writer.path.empty()) RemoveFileQuietly(writer.path);
}
