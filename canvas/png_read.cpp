// The PNG reader: one decoder behind a file stream and a memory stream.
// libpng reports errors by long-jumping back into RunDecode, so that frame
// holds no C++ object with a destructor and all state it must release lives
// in a PngReadJob owned by its caller.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/report.h"
#include "canvas/heap_block.h"
#include "canvas/png_file.h"
#include "canvas/png_pens.h"
#include "canvas/png_steps.h"
#include "settings/settings_io.h"

namespace {

constexpr size_t kSignatureBytes = 8;

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

enum DecodeResult { kDecoded, kDecodeFailed, kNoSurface };

struct PngReadJob {
    png_structp png;
    png_infop info;
    DibSurface* surface;
    png_bytepp rows;
};

// A short read is an error: libpng would otherwise go on with bytes that
// were never filled in.
void ReadFromFile(png_structp png, png_bytep out, size_t count) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fread(out, 1, count, file) != count) png_error(png, "unexpected end of file");
}

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) png_error(png, "unexpected end of data");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

// Where the recording chunks go, reached through the user chunk pointer so
// that reads share no state. It lives in DecodePng's frame, not RunDecode's.
struct ChunkTarget {
    StepLog* log;
    PenChunkFinder pens;
    bool penChunkDamaged;
};

// A failed CRC of an ancillary chunk is only a warning to libpng, which then
// still hands the chunk over. A pen chunk that failed it is not taken, so
// that this reader agrees with the chunk walker.
void Warning(png_structp png, png_const_charp message) {
    auto* target = static_cast<ChunkTarget*>(png_get_error_ptr(png));
    if (target && std::strncmp(message, "peNs: CRC", 9) == 0) target->penChunkDamaged = true;
}

// Called for every chunk libpng does not know. Ancillary chunks are reported
// as handled (1), so libpng neither keeps a copy of each (up to 8 MB apiece)
// nor warns about them; an unknown critical chunk makes the file unreadable
// (-1: libpng stops with an error).
int UnknownChunk(png_structp png, png_unknown_chunkp chunk) {
    auto* target = static_cast<ChunkTarget*>(png_get_user_chunk_ptr(png));
    const bool damaged = target->penChunkDamaged;
    target->penChunkDamaged = false;
    if (std::memcmp(chunk->name, "stEp", 4) == 0) {
        if (TakeStepChunk(chunk->data, chunk->size, target->log))
            target->pens.recordingTaken = true;
        return 1;
    }
    // A damaged or oversized pen chunk is passed over, as the chunk walker passes it over.
    if (std::memcmp(chunk->name, kPenChunkName, 4) == 0) {
        if (damaged || chunk->size > kMaxPenChunkBytes) return 1;
        target->pens.data.assign(chunk->data, chunk->data + chunk->size);
        target->pens.found = true;
        return 1;
    }
    bool ancillary = (chunk->name[0] & 0x20) != 0;
    return ancillary ? 1 : -1;
}

// Whether one sample of this depth per pixel fits a surface: palette and grey.
bool OneSamplePerPixel(int colourType) {
    return colourType == PNG_COLOR_TYPE_PALETTE || colourType == PNG_COLOR_TYPE_GRAY;
}

DecodeResult RunDecode(PngReadJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return kDecodeFailed;

    png_structp png = job->png;
    png_infop info = job->info;
    png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    if (depth != 1 && depth != 4 && depth != 8) return kNoSurface;
    if (!OneSamplePerPixel(colourType)) return kDecodeFailed;
    // libpng caps each side; this caps the pixel block they make together.
    uint64_t stride = (static_cast<uint64_t>(width) * static_cast<uint64_t>(depth) + 31) / 32 * 4;
    if (stride * height > kMaxPngPixelBytes) return kNoSurface;

    RgbQuad table[256];
    int32_t tableCount = 0;
    png_colorp entries = nullptr;
    int entryCount = 0;
    if (png_get_PLTE(png, info, &entries, &entryCount) & PNG_INFO_PLTE) {
        tableCount = entryCount < 0 ? 0 : entryCount > 256 ? 256 : entryCount;
        for (int32_t i = 0; i < tableCount; ++i) {
            table[i] = RgbQuad{entries[i].blue, entries[i].green, entries[i].red, 0};
        }
    }
    job->surface = CreateDibSurface(depth, table, tableCount, static_cast<int32_t>(width),
                                    static_cast<int32_t>(height));
    if (!job->surface) return kNoSurface;

    job->rows = static_cast<png_bytepp>(AllocateHeapBlock(sizeof(png_bytep) * height));
    if (!job->rows) return kDecodeFailed;
    // PNG rows run top-down, DIB rows bottom-up.
    const ptrdiff_t rowBytes = DibSurfaceStride(job->surface);
    for (png_uint_32 i = 0; i < height; ++i) {
        job->rows[i] = job->surface->bits + static_cast<ptrdiff_t>(height - 1 - i) * rowBytes;
    }
    png_read_image(png, job->rows); // undoes interlacing itself
    FreeHeapBlock(job->rows);
    job->rows = nullptr;
    png_read_end(png, info); // meets the "stEp" chunk after the image data
    return kDecoded;
}

DibSurface* DecodePng(png_rw_ptr readData, void* source, StepLog* log, PenLog* pens) {
    PngReadJob job{};
    job.png = png_create_read_struct(kPngInterfaceVersion, nullptr, nullptr, nullptr);
    if (!job.png) return nullptr;
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        return nullptr;
    }
    png_set_read_fn(job.png, source, readData);
    ChunkTarget target{log, PenChunkFinder{}, false};
    png_set_read_user_chunk_fn(job.png, &target, UnknownChunk);
    png_set_error_fn(job.png, &target, nullptr, Warning);

    DecodeResult result = RunDecode(&job);
    if (log) FinishPenChunk(target.pens, log->stepCount, pens);
    FreeHeapBlock(job.rows);
    if (result != kDecoded) ReleaseDibSurface(&job.surface);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (result == kNoSurface) ShowErrorMessage(u"-1");
    return job.surface;
}

} // namespace

DibSurface* ReadPngFile(const char16_t* path, StepLog* log, PenLog* pens) {
    if (!path) return nullptr;
    FILE* file = OpenBinaryFile(std::u16string(path), false);
    if (!file) return nullptr;
    // The signature is checked before libpng is set up at all.
    png_byte signature[kSignatureBytes];
    DibSurface* surface = nullptr;
    if (std::fread(signature, 1, kSignatureBytes, file) == kSignatureBytes &&
        png_sig_cmp(signature, 0, kSignatureBytes) == 0) {
        surface = DecodePng(ReadFromFile, file, log, pens);
    }
    std::fclose(file);
    return surface;
}

DibSurface* ReadPngMemory(const uint8_t* data, size_t size, StepLog* log, PenLog* pens) {
    if (!data || size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return nullptr;
    }
    MemorySource source{data, size, kSignatureBytes};
    return DecodePng(ReadFromMemory, &source, log, pens);
}
