// The shell's window-free logic: title text, command arithmetic, blank test.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/title_text.h"
#include "base/commands.h"
#include "canvas/canvas_blank.h"

TEST(TitleText, FormatsTimeLimitAndScale) {
    EXPECT_EQ(ComposeTitle(0, 0, 0, 8.0f, u""), u"pindora - 0:00 - 1/8.000 - ");
    EXPECT_EQ(ComposeTitle(0, 65, 180, 8.0f, u""), u"pindora - 1:05/3:00  - 1/8.000 - ");
    EXPECT_EQ(ComposeTitle(0, 65, 180, 8.0f, u"a.png", u"3/12"),
              u"pindora - 1:05/3:00  - 1/8.000 - 3/12 - a.png");
    EXPECT_EQ(ComposeTitle(0, 6000, 0, 1.0f, u"C:\\a.png"),
              u"pindora - 100:00 - 1/1.000 - C:\\a.png");
    EXPECT_EQ(ComposeTitle(0, 59, 0, 0.5f, u""), u"pindora - 0:59 - x2.000 - ");
    EXPECT_EQ(ComposeTitle(0, 1, 0, 0.125f, u""), u"pindora - 0:01 - x8.000 - ");
}

TEST(TitleText, PlayingFormHidesEverythingElse) {
    EXPECT_EQ(ComposeTitle(1, 65, 180, 8.0f, u"x.png"), u"pindora -Playing-");
}

TEST(TitleText, LongFileNamesAreCut) {
    std::u16string name(400, u'a');
    EXPECT_EQ(ComposeTitle(0, 0, 0, 8.0f, name.c_str()).size(), 259u);
}

TEST(CommandArithmetic, ZoomStepsWalkTheTable) {
    EXPECT_EQ(ZoomInCommand(16.0f), kZoomTo + 1);
    EXPECT_EQ(ZoomInCommand(8.0f), kZoomTo + 2);
    EXPECT_EQ(ZoomInCommand(5.0f), kZoomTo + 2);
    EXPECT_EQ(ZoomInCommand(0.25f), kZoomTo + 7);
    EXPECT_EQ(ZoomInCommand(0.125f), 0);
    EXPECT_EQ(ZoomOutCommand(0.125f), kZoomTo + 6);
    EXPECT_EQ(ZoomOutCommand(8.0f), kZoomTo + 0);
    EXPECT_EQ(ZoomOutCommand(5.0f), kZoomTo + 1);
    EXPECT_EQ(ZoomOutCommand(16.0f), 0);
}

TEST(CommandArithmetic, RightAngleRotations) {
    EXPECT_EQ(RotateRightAngle(270.0f), 0);
    EXPECT_EQ(RotateRightAngle(0.0f), 90);
    EXPECT_EQ(RotateRightAngle(45.5f), 90);
    EXPECT_EQ(RotateLeftAngle(0.0f), 270);
    EXPECT_EQ(RotateLeftAngle(45.0f), 0);
    EXPECT_EQ(RotateLeftAngle(90.0f), 0);
    EXPECT_EQ(RotateLeftAngle(359.9f), 270);
}

TEST(CommandArithmetic, PenSizeSteps) {
    EXPECT_EQ(PenLargerSize(1000), 1000);
    EXPECT_EQ(PenSmallerSize(1), 1);
    EXPECT_EQ(PenSmallerSize(11), 10);
    EXPECT_EQ(PenLargerSize(11), 12);
    EXPECT_EQ(PenSmallerSize(5000), 1000);
    EXPECT_EQ(PenLargerSize(-3), 1);
    EXPECT_EQ(PenSmallerSize(0), 1);
}

TEST(CommandArithmetic, StoredIndexesOutOfRangeAreHarmless) {
    EXPECT_EQ(TimeLimitCommand(3), kSetTimeLimit + 3);
    EXPECT_EQ(TimeLimitCommand(8), kSetTimeLimit);
    EXPECT_EQ(TimeLimitCommand(-6099), kSetTimeLimit); // would otherwise reach 40001
    EXPECT_EQ(TimeLimitSecondsFor(7), 1800);
    EXPECT_EQ(TimeLimitSecondsFor(-1), 0);
    EXPECT_EQ(PlaybackFactor(1), 0.25);
    EXPECT_EQ(PlaybackFactor(9), 1.0);
    // "WindowOpacity" 0 or past 255 would make the window invisible.
    EXPECT_EQ(UsableWindowOpacity(200), 200);
    EXPECT_EQ(UsableWindowOpacity(0), 128);
    EXPECT_EQ(UsableWindowOpacity(256), 128);
    EXPECT_EQ(UsableWindowOpacity(-5), 128);
}

namespace {

struct PaperCanvas {
    std::vector<uint8_t> pixels;
    Canvas canvas{};
    PaperCanvas(int32_t width, int32_t height) {
        canvas.image.width = width;
        canvas.image.height = height;
        pixels.assign(static_cast<size_t>(CanvasStride(&canvas.image)) * height, 0xFF);
        canvas.image.bits = pixels.data();
    }
    void Ink(int32_t x, int32_t y) {
        CanvasRow(&canvas.image, y)[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
    }
};

} // namespace

TEST(CanvasBlank, FindsInkAnywhereInsideTheWidth) {
    for (int32_t width : {1, 7, 8, 9, 31, 32, 33, 70}) {
        for (int32_t height : {1, 3}) {
            PaperCanvas paper(width, height);
            EXPECT_EQ(IsCanvasBlank(&paper.canvas), 1) << width;
            for (int32_t x = 0; x < width; ++x) {
                PaperCanvas inked(width, height);
                inked.Ink(x, height - 1);
                EXPECT_EQ(IsCanvasBlank(&inked.canvas), 0) << width << " at " << x;
            }
        }
    }
}

TEST(CanvasBlank, PaddingBitsAreNotInk) {
    PaperCanvas paper(33, 2);
    std::memset(paper.pixels.data(), 0xFF, paper.pixels.size());
    paper.pixels[4] = 0x7F; // pixel 32 of the bottom row: ink
    EXPECT_EQ(IsCanvasBlank(&paper.canvas), 0);
    paper.pixels[4] = 0x80; // pixel 32 paper, the padding cleared
    paper.pixels[5] = paper.pixels[6] = paper.pixels[7] = 0;
    EXPECT_EQ(IsCanvasBlank(&paper.canvas), 1);
}

TEST(CanvasBlank, EmptyCanvasIsBlank) {
    Canvas none{};
    EXPECT_EQ(IsCanvasBlank(&none), 1);
}
