// tessarub.dll's routines as the renderer uses them: imported by name at load
// time, started with CreateThread on one band each, waited for by exit code.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/dib_surface.h"
#include "worker/row_band.h"
#include "worker/tessarub.h"

namespace {

struct DllScene {
    CanvasImage source{};
    std::vector<uint8_t> sourceBits;
    DibSurface output{};
    std::vector<uint8_t> outputBits;
    std::vector<uint8_t> counts;
    RowBand band{};

    void Clear() {
        std::fill(outputBits.begin(), outputBits.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
    }
};

// A random canvas seen at 30 degrees and scale 3, the output just holding it.
void MakeScene(DllScene* scene, int32_t width, int32_t height) {
    std::mt19937 random(90);
    scene->source.width = width;
    scene->source.height = height;
    scene->source.header = BitmapInfoHeader{40, width, height, 1, 1, 0, 0, 0, 0, 0, 0};
    scene->sourceBits.resize(static_cast<size_t>(DibStride(width, 1)) * height);
    for (uint8_t& byte : scene->sourceBits) byte = static_cast<uint8_t>(random() & random());
    scene->source.bits = scene->sourceBits.data();

    RowBand& b = scene->band;
    b.xPerColumn = 18918, b.yPerColumn = -10923; // 65536 (cos, -sin) / 3
    b.xPerRow = 10922, b.yPerRow = 18918;
    b.columnEnd = width, b.rowEnd = height;
    b.xOrigin = (height - 1) * 10923 + 4096, b.yOrigin = (width - 1) * 10923 + 4096;
    int32_t W =
        static_cast<int32_t>((static_cast<int64_t>(width) * 18918 + height * 10922) >> 16) + 2;
    int32_t H =
        static_cast<int32_t>((static_cast<int64_t>(width) * 10923 + height * 18918) >> 16) + 2;
    b.outWidth = W, b.outHeight = H;
    scene->output.header = BitmapInfoHeader{40, W, H, 1, 8, 0, 0, 0, 0, 0, 0};
    scene->outputBits.assign(static_cast<size_t>(DibStride(W, 8)) * H, 0);
    scene->output.bits = scene->outputBits.data();
    scene->counts.assign(static_cast<size_t>(W) * H, 0);
    b.counts = scene->counts.data();
    b.source = &scene->source;
    b.output = &scene->output;
}

// Starts one thread per band on the routine and waits as the renderer does:
// Sleep(0) between polls until no exit code reads STILL_ACTIVE. Returns the
// exit codes.
std::vector<DWORD> RunThreads(LPTHREAD_START_ROUTINE routine, std::vector<RowBand>& bands) {
    std::vector<HANDLE> threads;
    for (RowBand& band : bands) {
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, routine, &band, 0, &id);
        EXPECT_NE(thread, nullptr);
        if (thread == nullptr) continue;
        SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
        threads.push_back(thread);
    }
    std::vector<DWORD> codes(threads.size(), STILL_ACTIVE);
    for (bool running = true; running;) {
        Sleep(0);
        running = false;
        for (size_t k = 0; k < threads.size(); ++k) {
            GetExitCodeThread(threads[k], &codes[k]);
            running = running || codes[k] == STILL_ACTIVE;
        }
    }
    for (HANDLE thread : threads) CloseHandle(thread);
    return codes;
}

TEST(TessarubDll, ThreadRoutinesMatchTheKernels) {
    DllScene scene;
    MakeScene(&scene, 1500, 900);
    const RowBand whole = scene.band;
    AccumulateBand(&whole);
    RowBand outputRows = whole;
    outputRows.rowBegin = 0, outputRows.rowEnd = whole.outHeight;
    NormaliseBand(&outputRows);
    const std::vector<uint8_t> expected = scene.outputBits;

    for (int n : {1, 2, 3, 5}) {
        scene.Clear();
        std::vector<RowBand> bands(n, whole);
        const int32_t N = whole.rowEnd - whole.rowBegin, H = whole.outHeight;
        for (int k = 0; k < n; ++k) {
            bands[k].rowBegin = whole.rowBegin + k * N / n;
            bands[k].rowEnd = whole.rowBegin + (k + 1) * N / n;
        }
        for (DWORD code : RunThreads(Threadtessarub1, bands)) EXPECT_EQ(code, 0u);
        for (int k = 0; k < n; ++k) {
            bands[k].rowBegin = k * H / n;
            bands[k].rowEnd = (k + 1) * H / n;
        }
        for (DWORD code : RunThreads(Threadtessarub2, bands)) EXPECT_EQ(code, 0u);
        EXPECT_EQ(scene.outputBits, expected) << n << " threads";
    }
}

TEST(TessarubDll, EmptyBandsEndWithExitCodeZero) {
    DllScene scene;
    MakeScene(&scene, 64, 64);
    std::vector<RowBand> bands(2, scene.band);
    bands[0].rowBegin = bands[0].rowEnd = 10;
    bands[1].rowBegin = bands[1].rowEnd = 0;
    for (DWORD code : RunThreads(Threadtessarub1, bands)) EXPECT_EQ(code, 0u);
    for (DWORD code : RunThreads(Threadtessarub2, bands)) EXPECT_EQ(code, 0u);
    for (uint8_t byte : scene.outputBits) ASSERT_EQ(byte, 0);
    for (uint8_t byte : scene.counts) ASSERT_EQ(byte, 0);
}

// The routines come from tessarub.dll itself, bound by the loader.
TEST(TessarubDll, RoutinesLiveInTheLibrary) {
    HMODULE library = GetModuleHandleW(L"tessarub.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(&Threadtessarub1),
              reinterpret_cast<void*>(GetProcAddress(library, "_Threadtessarub1@4")));
    EXPECT_EQ(reinterpret_cast<void*>(&Threadtessarub2),
              reinterpret_cast<void*>(GetProcAddress(library, "_Threadtessarub2@4")));
}

} // namespace

#endif
