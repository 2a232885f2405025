// Lays out and paints the session sheet.
#include "practice/session_sheet.h"

#include <cmath>
#include <cstring>
#include <string>

#include "practice/sheet_digits.h"

namespace {

constexpr int32_t kDot = 3;
constexpr uint8_t kFrameGrey = 200;
// Behind the pictures, so that white paper shows its extent.
constexpr uint8_t kBoxGrey = 236;
constexpr uint8_t kTextGrey = 40;

void FillRect(RgbImage& image, int32_t left, int32_t top, int32_t width, int32_t height,
              uint8_t grey) {
    for (int32_t y = top; y < top + height; ++y) {
        if (y < 0 || y >= image.height) continue;
        for (int32_t x = left; x < left + width; ++x) {
            if (x < 0 || x >= image.width) continue;
            uint8_t* pixel = &image.rgb[(static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                                         static_cast<size_t>(x)) *
                                        3];
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
}

// A thin frame around the box, then the picture centred in it; a picture
// that could not be read leaves the box grey and crossed out.
void PlaceInBox(RgbImage& sheet, const RgbImage& picture, int32_t left, int32_t top) {
    const int32_t side = kSheetThumbSide;
    FillRect(sheet, left - 1, top - 1, side + 2, 1, kFrameGrey);
    FillRect(sheet, left - 1, top + side, side + 2, 1, kFrameGrey);
    FillRect(sheet, left - 1, top, 1, side, kFrameGrey);
    FillRect(sheet, left + side, top, 1, side, kFrameGrey);
    FillRect(sheet, left, top, side, side, kBoxGrey);
    if (picture.empty() || picture.width > side || picture.height > side) {
        for (int32_t i = 0; i < side; ++i) {
            FillRect(sheet, left + i, top + i, 1, 1, kFrameGrey);
            FillRect(sheet, left + side - 1 - i, top + i, 1, 1, kFrameGrey);
        }
        return;
    }
    const int32_t x0 = left + (side - picture.width) / 2;
    const int32_t y0 = top + (side - picture.height) / 2;
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    for (int32_t y = 0; y < picture.height; ++y) {
        uint8_t* to = &sheet.rgb[(static_cast<size_t>(y0 + y) * static_cast<size_t>(sheet.width) +
                                  static_cast<size_t>(x0)) *
                                 3];
        std::memcpy(to, &picture.rgb[static_cast<size_t>(y) * rowBytes], rowBytes);
    }
}

} // namespace

Point SheetLayout::Cell(size_t i) const {
    if (columns <= 0) return Point{0, 0};
    const int32_t column = static_cast<int32_t>(i % static_cast<size_t>(columns));
    const int32_t row = static_cast<int32_t>(i / static_cast<size_t>(columns));
    return Point{kSheetMargin + column * (kSheetCellWidth + kSheetMargin),
                 kSheetMargin + row * (kSheetCellHeight + kSheetMargin)};
}

SheetLayout LayOutSheet(size_t pairs) {
    SheetLayout layout;
    if (pairs == 0) return layout;
    int32_t columns = pairs <= 3 ? static_cast<int32_t>(pairs) : 3;
    // A pair's cell is about twice as wide as tall: sqrt(pairs / 2) columns
    // make a square sheet.
    const auto square = static_cast<int32_t>(std::ceil(std::sqrt(static_cast<double>(pairs) / 2)));
    if (square > columns) columns = square;
    layout.columns = columns;
    layout.rows = static_cast<int32_t>((pairs + static_cast<size_t>(columns) - 1) /
                                       static_cast<size_t>(columns));
    layout.width = kSheetMargin + columns * (kSheetCellWidth + kSheetMargin);
    layout.height = kSheetMargin + layout.rows * (kSheetCellHeight + kSheetMargin);
    return layout;
}

RgbImage ComposeSheet(const std::vector<PracticeResult>& results) {
    RgbImage sheet;
    const SheetLayout layout = LayOutSheet(results.size());
    if (layout.columns == 0) return sheet;
    sheet.width = layout.width;
    sheet.height = layout.height;
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * static_cast<size_t>(sheet.height) * 3, 255);
    for (size_t i = 0; i < results.size(); ++i) {
        const Point cell = layout.Cell(i);
        const std::string label =
            std::to_string(i + 1) + "  " + MinutesAndSeconds(results[i].seconds);
        DrawDigitText(sheet, cell.x, cell.y + (kSheetLabelHeight - DigitTextHeight(kDot)) / 2 - 2,
                      label, kDot, kTextGrey);
        const int32_t top = cell.y + kSheetLabelHeight;
        PlaceInBox(sheet, results[i].referenceThumb, cell.x, top);
        PlaceInBox(sheet, results[i].drawingThumb, cell.x + kSheetThumbSide + kSheetBoxGap, top);
    }
    return sheet;
}
