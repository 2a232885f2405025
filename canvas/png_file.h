// Pictures on disk: a palette PNG of the image plus the drawing's recording in
// the private ancillary chunk "stEp" (the StepLog block byte for byte, written
// after the image data) and its pen changes in "peNs" (canvas/png_pens.h).
// Reading returns the picture as a DibSurface and copies the recording into
// the caller's logs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/pen_log.h"
#include "base/step_log.h"
#include "canvas/canvas_limits.h"
#include "canvas/dib_surface.h"

// Largest width and height the reader lets libpng accept, and the largest
// pixel block it will allocate for a picture: the canvas limits, so that the
// reader takes every canvas the program can make. Bigger files are refused
// before any pixel memory is taken.
constexpr uint32_t kMaxPngSide = kMaxCanvasSide;
constexpr uint64_t kMaxPngPixelBytes = kMaxCanvasPixelBytes;
// Largest single ancillary chunk libpng may allocate while reading; a full
// recording is 3 200 016 bytes.
constexpr uint32_t kMaxPngChunkBytes = 8000000;

// Returns the picture, or none when the file cannot be opened, is not a PNG,
// is corrupt, is larger than the limits above, or has more than one sample per
// pixel (colour types 2, 4 and 6). Palette PNGs of bit depth 1, 4 and 8 come
// back with their PLTE as colour table; grey PNGs of those depths come back
// with an all-black table. A bit depth no surface takes (2, 16) or a surface
// that cannot be made shows the message "-1" first.
// The log receives a "stEp" chunk wherever it stands in the file, but only one
// whose step count n lies in 0..200000 and whose length is at least
// (n + 1) * 16 bytes; any other is ignored and the log stays as it was. A
// later valid chunk replaces an earlier one. The log may be null. When a
// recording was taken and pens is not null, pens receives its "peNs" chunk,
// or is emptied when the file has none that fits the recording.
DibSurface* ReadPngFile(const char16_t* path, StepLog* log, PenLog* pens = nullptr);

// The same decoder over bytes in memory (the file reader's streaming twin,
// used by the fuzzer and tests).
DibSurface* ReadPngMemory(const uint8_t* data, size_t size, StepLog* log, PenLog* pens = nullptr);

// The libpng interface version the reader and writer are written against.
constexpr char kPngInterfaceVersion[] = "1.6.8";

enum : int32_t {
    kPngWritten = 0,
    kPngCannotCreateFile = 1,
    kPngNoWriteStruct = 2,
    kPngNoInfoStruct = 3,
    kPngWriteFailed = 4, // libpng error, failed write or close, or an unusable image
};

// Writes the bottom-up DIB (bit count 1, 4 or 8, with 2, 16 or 256 colour-table
// entries) as a palette PNG with the None filter on every row, then the "stEp"
// chunk of (stepCount + 1) * 16 bytes when log is not null, followed by the
// "peNs" chunk when pens holds changes within the log. The file is closed
// on every path; a file left by a failure is incomplete and not deleted.
// An unusable image or log (null pointers, other bit counts, a size that is not
// positive, a step count outside 0..200000) gives kPngWriteFailed before the
// file is created.
int32_t WritePngFile(const char16_t* path, const BitmapInfoHeader* header, const RgbQuad* palette,
                     const uint8_t* bits, const StepLog* log, const PenLog* pens = nullptr);

// Zlib settings for WritePngFileWith: level -1..9 (-1 = zlib's default),
// strategy as zlib's (0 = default), bufferBytes 0 = libpng's own buffer size.
struct PngCompression {
    int32_t level;
    int32_t strategy;
    uint32_t bufferBytes;
};

// WritePngFile with explicit compression settings; null means libpng's
// defaults. WritePngFile itself uses the default level with the run-length
// strategy (Z_RLE), which keeps a full-canvas save short.
int32_t WritePngFileWith(const char16_t* path, const BitmapInfoHeader* header,
                         const RgbQuad* palette, const uint8_t* bits, const StepLog* log,
                         const PngCompression* compression, const PenLog* pens = nullptr);

// Writes a top-down 8-bit RGB picture (rows of width * 3 bytes) as a PNG with
// libpng's default compression and filters, and no recording. Sizes outside
// the canvas limits or null pixels give kPngWriteFailed before the file is
// created; otherwise as WritePngFile.
int32_t WriteRgbPngFile(const char16_t* path, int32_t width, int32_t height, const uint8_t* rgb);
