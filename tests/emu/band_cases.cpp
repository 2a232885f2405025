// Writes the band scenes of the emulated worker check as JSON on stdout: each
// scene's canvas, its zeroed cells and, for every band the check will start
// on the 32-bit worker routines, the record and the cells the native passes
// leave after it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "base/bitmap_types.h"
#include "worker/row_band.h"

namespace {

struct Step {
    int routine; // 1 accumulate, 2 normalise
    int32_t rowBegin, rowEnd;
};

struct Scene {
    std::string name;
    int32_t width, height; // canvas
    std::vector<uint8_t> canvas;
    RowBand band{}; // everything but the row range and the pointers
    int32_t outputHeaderWidth;
    std::vector<Step> steps;
};

// The steps a renderer derives for a view at this angle and scale.
void Rotate(RowBand* band, double degrees, double scale, bool mirror) {
    const double theta = degrees / 180 * 3.14159265358979;
    band->xPerColumn = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    band->yPerColumn = static_cast<int32_t>(std::floor(-65536 * std::sin(theta) / scale));
    band->xPerRow = static_cast<int32_t>(std::floor(65536 * std::sin(theta) / scale));
    band->yPerRow = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    if (mirror) band->xPerColumn = -band->xPerColumn, band->yPerColumn = -band->yPerColumn;
}

// An output just holding the canvas, moved by (shiftX, shiftY) cells.
void FitOutput(Scene* scene, int32_t shiftX, int32_t shiftY, int32_t padding) {
    RowBand& b = scene->band;
    int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (int64_t c : {0, scene->width - 1}) {
        for (int64_t r : {0, scene->height - 1}) {
            const int64_t x = c * b.xPerColumn + r * b.xPerRow,
                          y = c * b.yPerColumn + r * b.yPerRow;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    b.xOrigin = static_cast<int32_t>(-minX + shiftX * 65536 + 300);
    b.yOrigin = static_cast<int32_t>(-minY + shiftY * 65536 + 300);
    b.outWidth = static_cast<int32_t>((maxX - minX + 300) >> 16) + 1;
    b.outHeight = static_cast<int32_t>((maxY - minY + 300) >> 16) + 1;
    scene->outputHeaderWidth = b.outWidth + padding;
}

// The same mapping from another reference row: the float at the record's
// head then has to be read as one.
void MoveRowOrigin(Scene* scene, int32_t row) {
    RowBand& b = scene->band;
    b.rowOrigin = static_cast<float>(row);
    b.xOrigin += row * b.xPerRow, b.yOrigin += row * b.yPerRow;
}

// fill 0: ink, 1: paper, 2: blocks of paper, ink and every density between.
Scene MakeScene(const char* name, int32_t width, int32_t height, int fill) {
    Scene scene{name, width, height, {}, {}, 0, {}};
    scene.canvas.assign(static_cast<size_t>(DibStride(width, 1)) * height, fill == 1 ? 0xFF : 0);
    std::mt19937 random(18);
    int density = 0;
    for (size_t k = 0; fill == 2 && k < scene.canvas.size(); ++k) {
        if (k % 37 == 0)
            density = static_cast<int>(random() % 3 == 0 ? random() % 2 * 100 : random() % 100);
        for (int bit = 0; bit < 8; ++bit)
            scene.canvas[k] =
                static_cast<uint8_t>(scene.canvas[k] << 1 | (random() % 100 < unsigned(density)));
    }
    scene.band.rowOrigin = 0;
    scene.band.columnEnd = width;
    return scene;
}

// Whole canvas rows in n accumulate bands, then output rows in n normalise bands.
void SplitInto(Scene* scene, int32_t n) {
    for (int32_t k = 0; k < n; ++k)
        scene->steps.push_back({1, scene->height * k / n, scene->height * (k + 1) / n});
    for (int32_t k = 0; k < n; ++k)
        scene->steps.push_back(
            {2, scene->band.outHeight * k / n, scene->band.outHeight * (k + 1) / n});
}

std::vector<Scene> MakeScenes() {
    std::vector<Scene> scenes;
    for (int fill : {1, 0}) {
        Scene s = MakeScene(fill ? "all paper" : "all ink", 200, 120, fill);
        Rotate(&s.band, 30, 8, false);
        FitOutput(&s, 0, 0, 0);
        SplitInto(&s, 1);
        scenes.push_back(s);
    }
    // Big enough for the stretch walk; two bands meet at a seam.
    Scene mixed = MakeScene("mixed canvas, scale 8 at 30 degrees", 1024, 256, 2);
    Rotate(&mixed.band, 30, 8, false);
    FitOutput(&mixed, 0, 0, 3);
    MoveRowOrigin(&mixed, 16);
    SplitInto(&mixed, 2);
    scenes.push_back(mixed);
    // Some 256 canvas pixels per cell: 8-bit counts and sums wrap.
    Scene wide = MakeScene("scale 16 at 10 degrees, cells wrap past 255", 512, 200, 2);
    Rotate(&wide.band, 10, 16, false);
    FitOutput(&wide, 0, 0, 1);
    SplitInto(&wide, 2);
    scenes.push_back(wide);
    // Mirrored, a canvas width that is no multiple of 32, a band reaching past
    // the canvas on every side, an output cut on two sides and padded rows,
    // empty bands and a normalise band past the last output row.
    Scene edge = MakeScene("canvas edge, mirrored, cut output", 333, 77, 2);
    Rotate(&edge.band, 20, 5, true);
    FitOutput(&edge, -4, 3, 5);
    MoveRowOrigin(&edge, 7);
    edge.band.columnBegin = -7, edge.band.columnEnd = 345;
    edge.steps = {{1, -3, 40}, {1, 40, 40}, {1, 40, 90}, {2, 0, 9}, {2, 9, 9}, {2, 9, 1000}};
    scenes.push_back(edge);
    // 16.16 positions that run past 32 bits within a row and wrap around.
    Scene wrap = MakeScene("16.16 positions wrap", 300, 20, 2);
    wrap.band.outWidth = 16, wrap.band.outHeight = 16, wrap.outputHeaderWidth = 16;
    wrap.band.xPerColumn = 0x01000000, wrap.band.yPerColumn = 0x00000100;
    wrap.band.xPerRow = 0x00010000, wrap.band.yPerRow = 0x00008000;
    wrap.band.xOrigin = 0x7F080000, wrap.band.yOrigin = 0x00020000;
    wrap.steps = {{1, 0, 20}, {2, 0, 16}};
    scenes.push_back(wrap);
    return scenes;
}

void PrintHex(const uint8_t* bytes, size_t size) {
    std::putchar('"');
    for (size_t k = 0; k < size; ++k) std::printf("%02x", bytes[k]);
    std::putchar('"');
}

// Runs the scene's steps natively, printing each band and the cells after it.
void PrintScene(const Scene& scene) {
    RowBand band = scene.band;
    BandImage source{}, output{};
    std::vector<uint8_t> canvas = scene.canvas;
    source.bits = canvas.data();
    source.header = BitmapInfoHeader{40, scene.width, scene.height, 1, 1, 0, 0, 0, 0, 0, 0};
    const int32_t H = band.outHeight;
    std::vector<uint8_t> outBits(static_cast<size_t>(DibStride(scene.outputHeaderWidth, 8)) * H);
    std::vector<uint8_t> counts(static_cast<size_t>(band.outWidth) * H);
    output.bits = outBits.data();
    output.header = BitmapInfoHeader{40, scene.outputHeaderWidth, H, 1, 8, 0, 0, 0, 0, 0, 0};
    band.source = &source, band.output = &output, band.counts = counts.data();

    std::printf("{\"name\": \"%s\", \"canvas\": {\"width\": %d, \"height\": %d, \"bits\": ",
                scene.name.c_str(), scene.width, scene.height);
    PrintHex(canvas.data(), canvas.size());
    std::printf("},\n \"output\": {\"width\": %d, \"height\": %d},\n \"bands\": [",
                scene.outputHeaderWidth, H);
    for (size_t k = 0; k < scene.steps.size(); ++k) {
        const Step& step = scene.steps[k];
        band.rowBegin = step.rowBegin, band.rowEnd = step.rowEnd;
        if (step.routine == 1)
            AccumulateBand(&band);
        else
            NormaliseBand(&band);
        std::printf("%s\n  {\"routine\": %d, \"rowOrigin\": %.9g, \"outWidth\": %d, "
                    "\"outHeight\": %d, \"columnBegin\": %d, \"columnEnd\": %d, "
                    "\"rowBegin\": %d, \"rowEnd\": %d, \"xPerRow\": %d, \"yPerRow\": %d, "
                    "\"xPerColumn\": %d, \"yPerColumn\": %d, \"xOrigin\": %d, \"yOrigin\": %d,\n"
                    "   \"outputAfter\": ",
                    k ? "," : "", step.routine, static_cast<double>(band.rowOrigin), band.outWidth,
                    band.outHeight, band.columnBegin, band.columnEnd, band.rowBegin, band.rowEnd,
                    band.xPerRow, band.yPerRow, band.xPerColumn, band.yPerColumn, band.xOrigin,
                    band.yOrigin);
        PrintHex(outBits.data(), outBits.size());
        std::printf(",\n   \"countsAfter\": ");
        PrintHex(counts.data(), counts.size());
        std::printf("}");
    }
    std::printf("]}");
}

} // namespace

int main() {
    std::printf("[");
    const std::vector<Scene> scenes = MakeScenes();
    for (size_t k = 0; k < scenes.size(); ++k) {
        if (k) std::printf(",\n");
        PrintScene(scenes[k]);
    }
    std::printf("]\n");
    return 0;
}
