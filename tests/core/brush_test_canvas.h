// Helpers of the brush tests: a canvas surrounded by guard bytes, so that a
// write outside its rows or into a row's padding bits shows up, and an
// expectation grid that lets a reference rasteriser leave pixels whose centre
// lies on a shape's edge undecided.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/canvas.h"

class GuardedCanvas {
  public:
    static constexpr size_t kGuardBytes = 64;

    // seed 0 gives an all-paper canvas, any other seed random bits.
    GuardedCanvas(int32_t width, int32_t height, uint32_t seed = 0) {
        image_.width = width;
        image_.height = height;
        stride_ = CanvasStride(&image_);
        size_t bytes = static_cast<size_t>(stride_) * static_cast<size_t>(height);
        storage_.assign(bytes + 2 * kGuardBytes, 0xA5);
        uint8_t* bits = storage_.data() + kGuardBytes;
        if (seed == 0) {
            std::memset(bits, 0xFF, bytes);
        } else {
            std::mt19937 random(seed);
            for (size_t i = 0; i < bytes; ++i) bits[i] = static_cast<uint8_t>(random());
        }
        image_.bits = bits;
        original_ = storage_;
    }

    CanvasImage* image() { return &image_; }
    int32_t width() const { return image_.width; }
    int32_t height() const { return image_.height; }

    int Pixel(int32_t x, int32_t y) const { return PixelOf(image_.bits, x, y); }
    int OriginalPixel(int32_t x, int32_t y) const {
        return PixelOf(original_.data() + kGuardBytes, x, y);
    }

    void Restore() { storage_ = original_; }

    // Guard bytes and the padding bits after each row's last pixel unchanged.
    bool OutsideUntouched() const {
        for (size_t i = 0; i < kGuardBytes; ++i) {
            if (storage_[i] != original_[i]) return false;
            size_t tail = storage_.size() - 1 - i;
            if (storage_[tail] != original_[tail]) return false;
        }
        for (int32_t y = 0; y < image_.height; ++y) {
            for (int32_t x = image_.width; x < stride_ * 8; ++x) {
                if (PixelOf(image_.bits, x, y) != OriginalPixel(x, y)) return false;
            }
        }
        return true;
    }

    bool Unchanged() const { return storage_ == original_; }

    int64_t InkCount() const {
        int64_t count = 0;
        for (int32_t y = 0; y < image_.height; ++y) {
            for (int32_t x = 0; x < image_.width; ++x) count += Pixel(x, y) == 0;
        }
        return count;
    }

  private:
    int PixelOf(const uint8_t* bits, int32_t x, int32_t y) const {
        const uint8_t* row = bits + static_cast<ptrdiff_t>(image_.height - 1 - y) * stride_;
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }

    CanvasImage image_{};
    int32_t stride_ = 0;
    std::vector<uint8_t> storage_;
    std::vector<uint8_t> original_;
};

// What a reference says about each canvas pixel after one drawing call.
class Expectation {
  public:
    enum State : int8_t { kUnchanged, kDrawn, kEither };

    Expectation(int32_t width, int32_t height)
        : width_(width), height_(height), states_(static_cast<size_t>(width) * height, kUnchanged) {
    }

    void Set(int64_t x, int64_t y, State state) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        states_[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)] = state;
    }
    // A pixel already expected drawn stays so; undecided never overrides it.
    void Mark(int64_t x, int64_t y, State state) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        int8_t& slot = states_[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)];
        if (slot == kDrawn) return;
        slot = state;
    }

    // Empty when the canvas agrees; otherwise a description of the first
    // disagreements.
    std::string Compare(const GuardedCanvas& canvas, int colour) const {
        std::ostringstream out;
        int reported = 0;
        for (int32_t y = 0; y < height_; ++y) {
            for (int32_t x = 0; x < width_; ++x) {
                int now = canvas.Pixel(x, y), before = canvas.OriginalPixel(x, y);
                State state = static_cast<State>(states_[static_cast<size_t>(y) * width_ + x]);
                bool ok = state == kUnchanged ? now == before
                          : state == kDrawn   ? now == colour
                                              : (now == before || now == colour);
                if (!ok && reported++ < 8) {
                    out << "(" << x << "," << y << ") expected "
                        << (state == kUnchanged ? "unchanged"
                            : state == kDrawn   ? "drawn"
                                                : "either")
                        << " was " << before << " now " << now << "; ";
                }
            }
        }
        if (!canvas.OutsideUntouched()) out << "bytes outside the canvas changed";
        return out.str();
    }

  private:
    int32_t width_;
    int32_t height_;
    std::vector<int8_t> states_;
};
