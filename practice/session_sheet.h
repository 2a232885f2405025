// The session sheet: every reference (small) beside the drawing made from it,
// in the order drawn, each pair under its number and the time it took.
// Composed in memory here; the shell writes it as a PNG. No window code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bitmap_types.h"
#include "practice/practice_session.h"

// The box each reference and each drawing is fitted into.
constexpr int32_t kSheetThumbSide = 240;

struct SheetLayout {
    int32_t width = 0;
    int32_t height = 0;
    int32_t columns = 0;
    int32_t rows = 0;
    // The top left corner of pair i's cell: the label, then its two boxes.
    Point Cell(size_t i) const;
};

// Pairs run left to right in rows: up to three a row for a short session,
// more for a long one so the sheet stays closer to square.
SheetLayout LayOutSheet(size_t pairs);

// The whole sheet on white paper; empty for no results.
RgbImage ComposeSheet(const std::vector<PracticeResult>& results);

// Offsets inside a cell, shared by the layout and the painter.
constexpr int32_t kSheetMargin = 24;
constexpr int32_t kSheetLabelHeight = 32;
constexpr int32_t kSheetBoxGap = 8;
constexpr int32_t kSheetCellWidth = 2 * kSheetThumbSide + kSheetBoxGap;
constexpr int32_t kSheetCellHeight = kSheetLabelHeight + kSheetThumbSide;
