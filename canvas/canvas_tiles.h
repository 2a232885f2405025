// Tiles of the canvas copied the first time a stroke is about to touch them,
// so that the stroke can be taken back, and put back, by swapping the copies
// with the canvas. Only tiles a stroke reaches are copied, never its whole
// bounding box, and nothing is copied twice within one stroke.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/canvas_records.h"

// A tile is 64 × 64 canvas pixels: eight bytes of 64 rows.
constexpr int32_t kTileSide = 64;
constexpr size_t kTileWords = kTileSide;

struct KeptTile {
    uint32_t number;           // row by row from the top of the canvas
    uint64_t rows[kTileWords]; // top row first
};

// The tiles one stroke touched, with the pixels they held before it (or,
// once swapped back, the pixels the stroke left). Held in blocks of 32
// tiles: one allocation per block, and a long stroke never moves what it
// has kept while it is being drawn.
class TileSet {
  public:
    static constexpr size_t kBlockTiles = 32;
    size_t size() const { return count_; }
    KeptTile& operator[](size_t i) { return blocks_[i / kBlockTiles][i % kBlockTiles]; }
    const KeptTile& operator[](size_t i) const { return blocks_[i / kBlockTiles][i % kBlockTiles]; }
    // A new tile at the end, its rows not yet filled.
    KeptTile* Add(uint32_t number);
    // Memory held, for the history's budget.
    size_t Bytes() const {
        return blocks_.size() * kBlockTiles * sizeof(KeptTile) + blocks_.capacity() * sizeof(void*);
    }

  private:
    std::vector<std::unique_ptr<KeptTile[]>> blocks_;
    size_t count_ = 0;
};

// Which tiles the current stroke has copied already: one stamp per tile, so
// starting the next stroke costs nothing.
class TileStamps {
  public:
    // Forgets every copy (a canvas of this size, or none).
    void Reset(int32_t canvasWidth, int32_t canvasHeight);
    void NextStroke();
    // Copies the tiles under the canvas rectangle (right and bottom
    // exclusive, clipped to the canvas) that this stroke has not copied yet.
    void Keep(const CanvasImage& image, const Rect& reach, TileSet* set);

  private:
    std::vector<uint32_t> stamps_;
    uint32_t stamp_ = 1;
    int32_t columns_ = 0, rows_ = 0, width_ = 0, height_ = 0;
};

// Exchanges the set's pixels with the canvas: the first call takes the
// stroke back, the next puts it back.
void SwapTiles(CanvasImage* image, TileSet* set);

// The canvas rectangle the set's tiles cover (empty for no tiles).
Rect TileSetBounds(const CanvasImage& image, const TileSet& set);
