// Copy-on-first-touch tiles of the canvas, and swapping them back.
#include "canvas/canvas_tiles.h"

#include <algorithm>
#include <cstring>

#include "canvas/canvas.h"

namespace {

// The bytes of tile column c in a row: eight, or fewer at the right edge
// where the row's padding ends first.
size_t TileRowBytes(const CanvasImage& image, int32_t column) {
    const int32_t offset = column * (kTileSide / 8);
    return static_cast<size_t>(std::max(0, std::min(kTileSide / 8, CanvasStride(&image) - offset)));
}

int32_t Columns(const CanvasImage& image) {
    return (image.width + kTileSide - 1) / kTileSide;
}

// Calls visit(canvas row pointer, kept row, bytes) for every row of a tile.
template <typename Visit> void ForTileRows(const CanvasImage& image, KeptTile* tile, Visit visit) {
    const int32_t columns = Columns(image);
    const int32_t column = static_cast<int32_t>(tile->number % static_cast<uint32_t>(columns));
    const int32_t top =
        static_cast<int32_t>(tile->number / static_cast<uint32_t>(columns)) * kTileSide;
    const size_t bytes = TileRowBytes(image, column);
    const int32_t rows = std::min(kTileSide, image.height - top);
    // Rows are stored bottom-up: the next canvas row is one stride lower.
    const ptrdiff_t stride = CanvasStride(&image);
    uint8_t* first = CanvasRow(&image, top) + column * (kTileSide / 8);
    for (int32_t r = 0; r < rows; ++r) visit(first - r * stride, &tile->rows[r], bytes);
}

} // namespace

KeptTile* TileSet::Add(uint32_t number) {
    if (count_ == blocks_.size() * kBlockTiles)
        blocks_.emplace_back(new KeptTile[kBlockTiles]); // left unfilled: Keep fills it
    KeptTile* tile = &(*this)[count_++];
    tile->number = number;
    return tile;
}

void TileStamps::Reset(int32_t canvasWidth, int32_t canvasHeight) {
    width_ = std::max(0, canvasWidth);
    height_ = std::max(0, canvasHeight);
    columns_ = (width_ + kTileSide - 1) / kTileSide;
    rows_ = (height_ + kTileSide - 1) / kTileSide;
    stamps_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), 0);
    stamp_ = 1;
}

void TileStamps::NextStroke() {
    if (++stamp_ != 0) return;
    // After four thousand million strokes the stamps start again.
    std::fill(stamps_.begin(), stamps_.end(), 0);
    stamp_ = 1;
}

void TileStamps::Keep(const CanvasImage& image, const Rect& reach, TileSet* set) {
    if (!image.bits || image.width != width_ || image.height != height_) return;
    const int32_t left = std::max(reach.left, 0), right = std::min(reach.right, width_);
    const int32_t top = std::max(reach.top, 0), bottom = std::min(reach.bottom, height_);
    if (left >= right || top >= bottom) return;
    for (int32_t row = top / kTileSide; row <= (bottom - 1) / kTileSide; ++row) {
        for (int32_t column = left / kTileSide; column <= (right - 1) / kTileSide; ++column) {
            const uint32_t tile = static_cast<uint32_t>(row * columns_ + column);
            if (stamps_[tile] == stamp_) continue;
            stamps_[tile] = stamp_;
            ForTileRows(image, set->Add(tile), [](uint8_t* row, uint64_t* kept, size_t bytes) {
                std::memcpy(kept, row, bytes);
            });
        }
    }
}

void SwapTiles(CanvasImage* image, TileSet* set) {
    if (!image->bits) return;
    for (size_t i = 0; i < set->size(); ++i) {
        ForTileRows(*image, &(*set)[i], [](uint8_t* row, uint64_t* kept, size_t bytes) {
            uint64_t held = 0;
            std::memcpy(&held, row, bytes);
            std::memcpy(row, kept, bytes);
            *kept = held;
        });
    }
}

Rect TileSetBounds(const CanvasImage& image, const TileSet& set) {
    if (set.size() == 0) return Rect{0, 0, 0, 0};
    const int32_t columns = Columns(image);
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (size_t i = 0; i < set.size(); ++i) {
        const uint32_t number = set[i].number;
        const int32_t x = static_cast<int32_t>(number % static_cast<uint32_t>(columns)) * kTileSide;
        const int32_t y = static_cast<int32_t>(number / static_cast<uint32_t>(columns)) * kTileSide;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, std::min(x + kTileSide, image.width));
        box.bottom = std::max(box.bottom, std::min(y + kTileSide, image.height));
    }
    return box;
}
