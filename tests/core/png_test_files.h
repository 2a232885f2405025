// Helpers for the PNG tests: chunk-level parsing and assembly of PNG bytes,
// images and step logs with recognisable contents, and PNGs of other kinds
// (16-bit, grey, RGB, interlaced) made with libpng directly.
#pragma once

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/bitmap_types.h"
#include "base/step_log.h"

namespace pngtest {

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

inline const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

inline uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

inline void PutBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

inline uint32_t LittleEndian32(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Splits PNG bytes into chunks; false when the framing or a CRC is wrong or
// bytes follow the last whole chunk.
inline bool ParseChunks(const std::vector<uint8_t>& bytes, std::vector<Chunk>* chunks) {
    chunks->clear();
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) return false;
    size_t at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) return false;
        uint32_t length = BigEndian32(&bytes[at]);
        if (length > bytes.size() - at - 12) return false;
        const uint8_t* type = &bytes[at + 4];
        uint32_t crc = static_cast<uint32_t>(crc32(0, type, 4 + length));
        if (crc != BigEndian32(type + 4 + length)) return false;
        chunks->push_back(
            Chunk{std::string(type, type + 4), std::vector<uint8_t>(type + 4, type + 4 + length)});
        at += 12 + length;
    }
    return true;
}

inline std::vector<uint8_t> AssemblePng(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> out(kSignature, kSignature + 8);
    for (const Chunk& chunk : chunks) {
        PutBigEndian32(&out, static_cast<uint32_t>(chunk.data.size()));
        size_t typeAt = out.size();
        out.insert(out.end(), chunk.type.begin(), chunk.type.end());
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
        PutBigEndian32(&out, static_cast<uint32_t>(crc32(0, &out[typeAt], 4 + chunk.data.size())));
    }
    return out;
}

inline int FindChunk(const std::vector<Chunk>& chunks, const std::string& type) {
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].type == type) return static_cast<int>(i);
    }
    return -1;
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A bottom-up DIB with a pattern that differs in every row and column.
struct TestImage {
    BitmapInfoHeader header{};
    std::vector<RgbQuad> palette;
    std::vector<uint8_t> bits;
    int32_t stride = 0;
};

inline TestImage MakeTestImage(int32_t width, int32_t height, int32_t bitCount) {
    TestImage image;
    image.header =
        BitmapInfoHeader{40, width, height, 1, static_cast<uint16_t>(bitCount), 0, 0, 0, 0, 0, 0};
    image.palette.resize(size_t{1} << bitCount);
    for (size_t i = 0; i < image.palette.size(); ++i) {
        image.palette[i] = RgbQuad{static_cast<uint8_t>(i * 3 + 1), static_cast<uint8_t>(200 - i),
                                   static_cast<uint8_t>(i ^ 0x5A), 0};
    }
    image.stride = DibStride(width, bitCount);
    image.bits.resize(static_cast<size_t>(image.stride) * static_cast<size_t>(height));
    uint32_t state = 0x12345678u ^ static_cast<uint32_t>(width * 31 + height);
    for (uint8_t& byte : image.bits) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return image;
}

// Pixel (x, y) counted from the top of a bottom-up DIB.
inline uint32_t DibPixel(const uint8_t* bits, int32_t stride, int32_t height, int32_t bitCount,
                         int32_t x, int32_t y) {
    const uint8_t* row = bits + static_cast<ptrdiff_t>(height - 1 - y) * stride;
    int64_t bit = static_cast<int64_t>(x) * bitCount;
    uint32_t byte = row[bit / 8];
    return (byte >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
}

// A log of n steps with distinct contents; the rest of the block is filler
// that a reader must not touch.
inline std::unique_ptr<StepLog> MakeStepLog(int32_t count, uint8_t filler = 0xCD) {
    auto log = std::make_unique<StepLog>();
    std::memset(static_cast<void*>(log.get()), filler, sizeof(StepLog));
    log->canvasWidth = 12345;
    log->canvasHeight = -678;
    log->recordStart = 0xDEADBEEFu;
    log->stepCount = count;
    for (int32_t i = 0; i < count; ++i) {
        log->steps[i] =
            Step{static_cast<uint32_t>(i * 17), i - 3, 1000 - i, static_cast<float>(i % 7) / 6.0f};
    }
    return log;
}

inline std::vector<uint8_t> LogBytes(const StepLog* log, size_t bytes) {
    const auto* begin = reinterpret_cast<const uint8_t*>(log);
    return std::vector<uint8_t>(begin, begin + bytes);
}

// A PNG of any kind made straight with libpng; pixels are top-down packed
// rows of rowBytes each.
struct RawPng {
    uint32_t width;
    uint32_t height;
    int depth;
    int colourType;
    int interlace;
    std::vector<png_color> palette;
    std::vector<uint8_t> pixels;
    size_t rowBytes;
};

inline void AppendToVector(png_structp png, png_bytep data, size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

inline void NoFlush(png_structp) {}

inline bool EncodeRawPng(png_structp png, png_infop info, const RawPng* raw, png_bytepp rows,
                         std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, AppendToVector, NoFlush);
    png_set_IHDR(png, info, raw->width, raw->height, raw->depth, raw->colourType, raw->interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!raw->palette.empty()) {
        png_set_PLTE(png, info, raw->palette.data(), static_cast<int>(raw->palette.size()));
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

inline std::vector<uint8_t> MakeRawPng(const RawPng& raw) {
    std::vector<uint8_t> out;
    std::vector<png_bytep> rows(raw.height);
    for (uint32_t y = 0; y < raw.height; ++y) {
        rows[y] = const_cast<uint8_t*>(raw.pixels.data()) + y * raw.rowBytes;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!EncodeRawPng(png, info, &raw, rows.data(), &out)) out.clear();
    png_destroy_write_struct(&png, &info);
    return out;
}

// A raw PNG with patterned pixels of one sample per pixel or more.
inline RawPng PatternedRawPng(uint32_t width, uint32_t height, int depth, int colourType,
                              int interlace) {
    int channels = colourType == PNG_COLOR_TYPE_RGB          ? 3
                   : colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                   : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                             : 1;
    RawPng raw{width, height, depth, colourType, interlace, {}, {}, 0};
    raw.rowBytes = (static_cast<size_t>(width) * depth * channels + 7) / 8;
    raw.pixels.resize(raw.rowBytes * height);
    for (size_t i = 0; i < raw.pixels.size(); ++i) {
        raw.pixels[i] = static_cast<uint8_t>(i * 7 + i / 13);
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        raw.palette.resize(size_t{1} << depth);
        for (size_t i = 0; i < raw.palette.size(); ++i) {
            raw.palette[i] = png_color{static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                                       static_cast<png_byte>(i * 5)};
        }
    }
    return raw;
}

} // namespace pngtest
