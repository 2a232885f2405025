// Writes the reader fuzzer's seed files when PINDORA_PNG_SEED_DIR names a
// folder (skipped otherwise): small files of every kind the reader meets,
// made by the program's own writer or by libpng directly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "canvas/png_file.h"
#include "settings/settings.h"
#include "tests/core/png_test_files.h"

using namespace pngtest;

TEST(PngSeeds, WriteFuzzSeeds) {
    const char* dir = std::getenv("PINDORA_PNG_SEED_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "PINDORA_PNG_SEED_DIR not set";
    const std::string base = std::string(dir) + "/";

    struct Saved {
        const char* name;
        int32_t width, height, bitCount, steps;
    };
    for (Saved s : {Saved{"canvas-1bit-3steps.png", 37, 5, 1, 3},
                    Saved{"canvas-1bit-empty-log.png", 64, 2, 1, 0},
                    Saved{"image-4bit.png", 9, 3, 4, 1}, Saved{"image-8bit.png", 7, 3, 8, 2}}) {
        TestImage image = MakeTestImage(s.width, s.height, s.bitCount);
        auto log = MakeStepLog(s.steps);
        ASSERT_EQ(WritePngFile(Utf8ToUtf16(base + s.name).c_str(), &image.header,
                               image.palette.data(), image.bits.data(), log.get()),
                  kPngWritten);
    }

    struct Raw {
        const char* name;
        int depth, colourType, interlace;
    };
    for (Raw r : {Raw{"interlaced-8bit.png", 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_ADAM7},
                  Raw{"interlaced-1bit.png", 1, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_ADAM7},
                  Raw{"grey-4bit.png", 4, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE},
                  Raw{"grey-16bit.png", 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE},
                  Raw{"rgb-8bit.png", 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE}}) {
        WriteWholeFile(base + r.name,
                       MakeRawPng(PatternedRawPng(6, 5, r.depth, r.colourType, r.interlace)));
    }

    // A recording with its pen changes: first pen, larger, the eraser.
    {
        TestImage image = MakeTestImage(24, 4, 1);
        auto log = MakeStepLog(5);
        std::unique_ptr<PenLog> pens(new PenLog);
        pens->count = 3;
        pens->changes[0] = PenChange{0, 50, 50, 0};
        pens->changes[1] = PenChange{2, 80, 50, 0};
        pens->changes[2] = PenChange{4, 80, 50, kPenErasing};
        ASSERT_EQ(WritePngFile(Utf8ToUtf16(base + "canvas-1bit-pens.png").c_str(), &image.header,
                               image.palette.data(), image.bits.data(), log.get(), pens.get()),
                  kPngWritten);
    }

    // The recording ahead of the image data.
    TestImage image = MakeTestImage(20, 3, 1);
    auto log = MakeStepLog(2);
    std::string path = base + "step-before-idat.png";
    ASSERT_EQ(WritePngFile(Utf8ToUtf16(path).c_str(), &image.header, image.palette.data(),
                           image.bits.data(), log.get()),
              kPngWritten);
    std::vector<Chunk> chunks;
    ASSERT_TRUE(ParseChunks(ReadWholeFile(path), &chunks));
    Chunk step = chunks[static_cast<size_t>(FindChunk(chunks, "stEp"))];
    chunks.erase(chunks.begin() + FindChunk(chunks, "stEp"));
    chunks.insert(chunks.begin() + FindChunk(chunks, "IDAT"), step);
    WriteWholeFile(path, AssemblePng(chunks));
}
