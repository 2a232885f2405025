// The PNG writer: a palette PNG of a bottom-up DIB plus the "stEp" and "peNs"
// chunks, and plain RGB pictures (the practice sheet).
// libpng reports errors by long-jumping back into RunEncode, so that frame
// holds no C++ object with a destructor; what must be released lives in a
// PngWriteJob owned by the caller.
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/heap_block.h"
#include "canvas/png_file.h"
#include "canvas/png_pens.h"
#include "settings/settings_io.h"

namespace {

struct PngWriteJob {
    png_structp png;
    png_infop info;
    png_colorp entries;
    png_bytepp rows;
    FILE* file;
    int32_t width;
    int32_t height;
    int32_t bitCount;
    int32_t entryCount; // 0: an RGB picture without a palette
    const StepLog* log;
    const std::vector<uint8_t>* penChunk; // empty: no "peNs" chunk
    const PngCompression* compression;
};

void WriteToFile(png_structp png, png_bytep data, size_t count) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, count, file) != count) png_error(png, "write failed");
}

void FlushFile(png_structp png) {
    auto* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fflush(file) != 0) png_error(png, "flush failed");
}

bool UsableImage(const BitmapInfoHeader* header, const RgbQuad* palette, const uint8_t* bits,
                 const StepLog* log) {
    if (!header || !palette || !bits) return false;
    if (header->biBitCount != 1 && header->biBitCount != 4 && header->biBitCount != 8) {
        return false;
    }
    if (!IsCanvasSizeWithinLimits(header->biWidth, header->biHeight)) return false;
    return !log || (log->stepCount >= 0 && log->stepCount <= kMaxSteps);
}

void ApplyCompression(png_structp png, const PngCompression* compression) {
    if (!compression) return;
    png_set_compression_level(png, compression->level);
    png_set_compression_strategy(png, compression->strategy);
    if (compression->bufferBytes) png_set_compression_buffer_size(png, compression->bufferBytes);
}

// 0 when the whole file went through libpng, 1 after a libpng error.
int RunEncode(PngWriteJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return 1;

    png_structp png = job->png;
    png_infop info = job->info;
    png_set_write_fn(png, job->file, WriteToFile, FlushFile);
    const bool palette = job->entryCount > 0;
    // One-bit drawings compress well unfiltered, and saving stays fast;
    // photographs need the filters.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, palette ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
    ApplyCompression(png, job->compression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(job->width),
                 static_cast<png_uint_32>(job->height), job->bitCount,
                 palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, job->entries, job->entryCount);
    png_write_info(png, info);
    png_write_rows(png, job->rows, static_cast<png_uint_32>(job->height));

    if (job->log) {
        // Safe to copy (lower-case last letter): libpng writes them without
        // any chunk-keeping setting, in this order. The step data is the log
        // block exactly as held; the pen changes follow only when there are any.
        png_unknown_chunk chunks[2]{};
        std::memcpy(chunks[0].name, "stEp", 5);
        chunks[0].data = reinterpret_cast<png_bytep>(const_cast<StepLog*>(job->log));
        chunks[0].size = (static_cast<size_t>(job->log->stepCount) + 1) * 16;
        chunks[0].location = PNG_AFTER_IDAT;
        int count = 1;
        if (job->penChunk && !job->penChunk->empty()) {
            std::memcpy(chunks[1].name, kPenChunkName, 5);
            chunks[1].data = const_cast<png_bytep>(job->penChunk->data());
            chunks[1].size = job->penChunk->size();
            chunks[1].location = PNG_AFTER_IDAT;
            count = 2;
        }
        png_set_unknown_chunks(png, info, chunks, count);
    }
    png_write_end(png, info);
    return 0;
}

// The arrays RunEncode needs: PLTE entries and top-down row pointers.
bool BuildArrays(PngWriteJob* job, const RgbQuad* palette, const uint8_t* bits) {
    job->entries = static_cast<png_colorp>(
        AllocateHeapBlock(sizeof(png_color) * static_cast<size_t>(job->entryCount)));
    job->rows = static_cast<png_bytepp>(
        AllocateHeapBlock(sizeof(png_bytep) * static_cast<size_t>(job->height)));
    if (!job->entries || !job->rows) return false;
    for (int32_t i = 0; i < job->entryCount; ++i) {
        job->entries[i] = png_color{palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
    }
    // PNG row i is the DIB's row height - 1 - i in memory.
    const ptrdiff_t stride = DibStride(job->width, job->bitCount);
    for (int32_t i = 0; i < job->height; ++i) {
        job->rows[i] =
            const_cast<uint8_t*>(bits) + static_cast<ptrdiff_t>(job->height - 1 - i) * stride;
    }
    return true;
}

// Creates the file and the libpng records, runs the encoder and releases
// everything; the job's size, format and rows are set up by `prepare`.
template <typename Prepare>
int32_t WriteJob(const char16_t* path, PngWriteJob& job, Prepare prepare) {
    job.file = OpenBinaryFile(std::u16string(path), true);
    if (!job.file) return kPngCannotCreateFile;
    job.png = png_create_write_struct(kPngInterfaceVersion, nullptr, nullptr, nullptr);
    if (!job.png) {
        std::fclose(job.file);
        return kPngNoWriteStruct;
    }
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_write_struct(&job.png, nullptr);
        std::fclose(job.file);
        return kPngNoInfoStruct;
    }
    bool written = prepare() && RunEncode(&job) == 0;
    png_destroy_write_struct(&job.png, &job.info);
    FreeHeapBlock(job.entries);
    FreeHeapBlock(job.rows);
    // Closing flushes the last bytes; a failure there loses the file's end.
    if (std::fclose(job.file) != 0) written = false;
    return written ? kPngWritten : kPngWriteFailed;
}

} // namespace

int32_t WritePngFileWith(const char16_t* path, const BitmapInfoHeader* header,
                         const RgbQuad* palette, const uint8_t* bits, const StepLog* log,
                         const PngCompression* compression, const PenLog* pens) {
    if (!UsableImage(header, palette, bits, log)) return kPngWriteFailed;
    if (!path) return kPngCannotCreateFile;

    PngWriteJob job{};
    job.width = header->biWidth;
    job.height = header->biHeight;
    job.bitCount = header->biBitCount;
    job.entryCount = 1 << job.bitCount;
    job.log = log;
    const std::vector<uint8_t> penChunk =
        log ? EncodePenChunk(pens, log->stepCount) : std::vector<uint8_t>();
    job.penChunk = &penChunk;
    job.compression = compression;
    return WriteJob(path, job, [&] { return BuildArrays(&job, palette, bits); });
}

int32_t WriteRgbPngFile(const char16_t* path, int32_t width, int32_t height, const uint8_t* rgb) {
    if (!rgb || !IsCanvasSizeWithinLimits(width, height)) return kPngWriteFailed;
    if (!path) return kPngCannotCreateFile;

    PngWriteJob job{};
    job.width = width;
    job.height = height;
    job.bitCount = 8;
    return WriteJob(path, job, [&] {
        job.rows = static_cast<png_bytepp>(
            AllocateHeapBlock(sizeof(png_bytep) * static_cast<size_t>(height)));
        if (!job.rows) return false;
        const size_t stride = static_cast<size_t>(width) * 3;
        for (int32_t i = 0; i < height; ++i)
            job.rows[i] = const_cast<uint8_t*>(rgb) + static_cast<size_t>(i) * stride;
        return true;
    });
}

int32_t WritePngFile(const char16_t* path, const BitmapInfoHeader* header, const RgbQuad* palette,
                     const uint8_t* bits, const StepLog* log, const PenLog* pens) {
    // Run-length matching only: a one-bit drawing is long runs of paper and
    // ink, which this finds several times faster than the full match search,
    // for files only a few per cent larger. The level stays libpng's default.
    static const PngCompression save{Z_DEFAULT_COMPRESSION, Z_RLE, 0};
    return WritePngFileWith(path, header, palette, bits, log, &save, pens);
}
