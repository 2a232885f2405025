// The recovery journal: every segment the stroke engine draws (recorded or
// not), the pen it was drawn with and the recording's own steps, appended to
// a file beside the settings file while the user draws. After a crash the
// next start finds it and can bring the drawing back by replaying it.
//
// File: a 16-byte header ("pdJ1", version 1, canvas width, canvas height,
// little-endian) and records of 20 bytes: a 32-bit kind and 16 bytes.
//
// Undo and redo are appended as records naming the stroke's records by their
// numbers (counted from 0 after the header), so that a drawing brought back
// leaves out the strokes taken back. Rewriting the journal at every undo
// would cost a write of the whole file; a reader from before undo existed
// stops at the first such record and brings back the drawing as it stood
// there, as it does at any record it cannot read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/step_log.h"

constexpr char16_t kJournalFileName[] = u"pindora.recovery";
// A journal is written through (handed to the system) at every pen-up and
// at least this often while drawing goes on.
constexpr uint32_t kJournalFlushMs = 2000;
// The largest journal a start reads (about 3.3 million records).
constexpr size_t kMaxJournalBytes = size_t{64} << 20;

enum JournalKind : uint32_t {
    kJournalDrawn = 1,       // a segment drawn: its end step (time unused)
    kJournalLogged = 2,      // a step of the recording that was not drawn
    kJournalDrawnLogged = 3, // a segment drawn and recorded
    kJournalPen = 0x10,      // pen size, hardness, maximum pressure
    kJournalLogStart = 0x20, // the recording started: width, height, recordStart
    kJournalSaved = 0x30,    // the drawing was saved as it stands
    kJournalUndo = 0x40,     // the steps of records [first, end) taken back
    kJournalRedo = 0x50,     // the same steps put back
};

struct JournalPen {
    int32_t penSize;
    int32_t penHardness;
    uint32_t maxPressure;
};

struct JournalRecord {
    uint32_t kind;
    Step step;      // steps
    JournalPen pen; // pen records
    int32_t logWidth, logHeight;
    uint32_t logStart;   // log starts
    uint32_t first, end; // undo and redo
};

// A journal read back and checked.
struct JournalContent {
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    std::vector<JournalRecord> records;
    // Whether anything was drawn after the last save: only then is there a
    // drawing to bring back.
    bool HasUnsavedDrawing() const;
};

// Parses and checks journal bytes like any hostile file: a wrong header or
// a canvas outside the limits gives false; records are taken up to the first
// one that is cut short or does not make sense (unknown kind, a pressure
// below 0 or not a number, coordinates or pen sizes far outside any canvas).
bool ParseJournal(const std::string& bytes, JournalContent* content);

// Per record: 1 where its step was taken back by an undo and not put back.
std::vector<uint8_t> TakenBackRecords(const JournalContent& content);

// The writer, one per process. Without a path (SetJournalPath not called, or
// an empty one) every call does nothing.
void SetJournalPath(const std::u16string& path);
const std::u16string& JournalPath();
// Starts the file again for a blank canvas of this size, or with the records
// of a drawing brought back.
void RestartJournal(int32_t canvasWidth, int32_t canvasHeight);
void RestartJournalWith(const JournalContent& content);
// Appends a record; a drawn pen-up is written through at once, anything else
// at the latest kJournalFlushMs after the last write.
void AppendJournalStep(uint32_t kind, const Step& step, const JournalPen& pen, uint32_t nowMs);
void AppendJournalLogStart(const StepLog* log);
void MarkJournalSaved(uint32_t nowMs);
// The number of records written so far (the next record's number).
uint32_t JournalRecordCount();
// An undo or redo (kind) of the records [first, end), written through.
void AppendJournalUndo(uint32_t kind, uint32_t first, uint32_t end, uint32_t nowMs);
// Hands what is buffered to the system (timer 1 calls this every second).
void FlushJournal(uint32_t nowMs);
// A clean close: the journal is removed.
void RemoveJournal();
