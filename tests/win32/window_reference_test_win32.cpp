// Reference pictures on the real main window: the system codecs decoding
// pictures made for the test, a dropped photo becoming the reference beside
// an untouched drawing, and broken or hostile files refused with one message.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/language_win32.h"
#include "app/reference_window_win32.h"
#include "base/commands.h"
#include "reference/picture_decode_win32.h"
#include "reference/reference_look.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Messages;

std::wstring Made(const wchar_t* name) {
    return harness::Folder() + L"references\\" + name;
}

int Channel(uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 255);
}

// The colour of a pixel is within `tolerance` of 0xRRGGBB in every channel.
::testing::AssertionResult Near(uint32_t pixel, uint32_t rgb, int tolerance) {
    for (int shift : {16, 8, 0})
        if (std::abs(Channel(pixel, shift) - Channel(rgb, shift)) > tolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "pixel " << (pixel & 0xFFFFFF) << " is not near " << rgb;
    return ::testing::AssertionSuccess();
}

// The centres of the four quadrants of a picture: red, green, blue, white.
void ExpectQuadrants(const std::vector<uint32_t>& pixels, int width, int x0, int y0, int w, int h,
                     int tolerance) {
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };
    EXPECT_TRUE(Near(at(x0 + w / 4, y0 + h / 4), 0xFF0000, tolerance));
    EXPECT_TRUE(Near(at(x0 + 3 * w / 4, y0 + h / 4), 0x00FF00, tolerance));
    EXPECT_TRUE(Near(at(x0 + w / 4, y0 + 3 * h / 4), 0x0000FF, tolerance));
    EXPECT_TRUE(Near(at(x0 + 3 * w / 4, y0 + 3 * h / 4), 0xFFFFFF, tolerance));
}

class References : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        folder = harness::Folder() + L"reference-saves\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& name : harness::FilesIn(folder, L"*"))
            DeleteFileW((folder + name).c_str());
        Command(kNewDrawing);
        lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.defaultPath), folder.c_str(),
                  kPathUnits);
        // A drawing with a recording of three steps.
        const CanvasImage& image = app()->canvas.image;
        harness::DrawPattern(Rect{20, 20, image.width / 3, image.height / 3});
        StepLog* log = &app()->stepLog;
        log->canvasWidth = image.width;
        log->canvasHeight = image.height;
        log->stepCount = 3;
        for (int32_t i = 0; i < 3; ++i)
            log->steps[i] = Step{static_cast<uint32_t>(i), 40 + i, 50, 1};
        drawing.assign(image.bits,
                       image.bits + static_cast<size_t>(CanvasStride(&image)) * image.height);
        Messages().clear();
    }
    void TearDown() override {
        CloseReference();
        harness::DrawPattern(Rect{0, 0, 0, 0});
        app()->stepLog.stepCount = 0;
        app()->settings.defaultPath[0] = u'\0';
        Command(kNewDrawing);
    }
    AppState* app() { return TheApp(); }
    // The drawing, its recording and the save folder are as SetUp left them.
    void ExpectDrawingUntouched() {
        const CanvasImage& image = app()->canvas.image;
        EXPECT_EQ(std::memcmp(image.bits, drawing.data(), drawing.size()), 0);
        EXPECT_EQ(app()->stepLog.stepCount, 3);
        EXPECT_EQ(app()->stepLog.steps[2].x, 42);
        EXPECT_EQ(app()->loadedWithSteps, 0);
        EXPECT_EQ(app()->playbackMode, 0);
        EXPECT_TRUE(harness::FilesIn(folder, L"*").size() <= 2u); // "." and ".." only
        EXPECT_TRUE(harness::FilesIn(folder, L"*.png").empty());
    }
    HWND window = nullptr;
    std::wstring folder;
    std::vector<uint8_t> drawing;
};

} // namespace

TEST(ReferenceDecode, TheSystemCodecsDecodeMadePictures) {
    // Lossless formats exactly, JPEG within its error.
    const struct {
        const wchar_t* name;
        int tolerance;
    } pictures[] = {
        {L"quad.png", 0}, {L"quad.bmp", 0}, {L"quad.gif", 0}, {L"quad.tif", 0}, {L"quad.jpg", 24}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(testing::Message() << "picture " << static_cast<int>(picture.tolerance));
        DecodedPicture decoded;
        std::wstring reason;
        ASSERT_TRUE(DecodePictureFile(Made(picture.name).c_str(), decoded, reason))
            << reason.c_str();
        ASSERT_EQ(decoded.width, 64u);
        ASSERT_EQ(decoded.height, 48u);
        ASSERT_EQ(decoded.pixels.size(), 64u * 48u);
        EXPECT_EQ(decoded.pixels[0] >> 24, 255u); // opaque
        ExpectQuadrants(decoded.pixels, 64, 0, 0, 64, 48, picture.tolerance);
    }
    // WebP decodes only where the system has a codec for it: reported, not required.
    DecodedPicture webp;
    std::wstring reason;
    const bool decoded = DecodePictureFile(Made(L"quad.webp").c_str(), webp, reason);
    std::printf("WebP through the system codecs: %s\n", decoded ? "decoded" : "no codec");
}

TEST(ReferenceDecode, BrokenAndHostileFilesAreRefusedWithAReason) {
    const struct {
        const wchar_t* name;
        const wchar_t* reasonHolds;
    } files[] = {{L"huge.png", L"100000 \u00d7 100000 pixels"},
                 {L"truncated.jpg", L"damaged or incomplete"},
                 {L"letter.jpg", L"not a picture"},
                 {L"missing.png", L""}};
    for (const auto& file : files) {
        DecodedPicture decoded;
        decoded.width = 7;
        std::wstring reason;
        EXPECT_FALSE(DecodePictureFile(Made(file.name).c_str(), decoded, reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_NE(reason.find(file.reasonHolds), std::wstring::npos) << reason.c_str();
        EXPECT_EQ(decoded.width, 0u);
        EXPECT_TRUE(decoded.pixels.empty());
    }
}

TEST_F(References, ADroppedPhotoBecomesTheReferenceBesideAnUntouchedDrawing) {
    harness::DropFiles({Made(L"quad.jpg")});
    HWND shown = FindWindowW(L"pindoraReferenceClass", nullptr);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown, ReferenceWindow());
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_EQ(GetWindow(shown, GW_OWNER), window);
    EXPECT_TRUE(GetWindowLongPtrW(shown, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    wchar_t title[64] = L"";
    GetWindowTextW(shown, title, 64);
    EXPECT_STREQ(title, L"quad.jpg");
    EXPECT_TRUE(Messages().empty());
    ExpectDrawingUntouched();

    // Fitted to its window (4:3, as the picture), then resized: still fitted.
    SetWindowPos(shown, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE); // all on screen
    RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    harness::Pump(100);
    harness::ScreenShot fitted(shown);
    const PictureRect place = PlacePicture(64, 48, fitted.width(), fitted.height(), true);
    ASSERT_GT(place.width, 64);
    ExpectQuadrants(fitted.pixels(), fitted.width(), place.x, place.y, place.width, place.height,
                    24);
    EXPECT_LT(fitted.Grey(place.x / 2, fitted.height() / 2), 100); // the dark margin

    // Two-tone with the stored colours: white stays white, blue becomes the
    // dark end (COLORREF 0xFF8080, a light blue) lightened by its luminance.
    Command(ID_REFERENCE_TWO_TONE);
    RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    harness::ScreenShot toned(shown);
    const uint32_t blue =
        toned.pixels()[static_cast<size_t>(place.y + 3 * place.height / 4) * toned.width() +
                       place.x + place.width / 4];
    EXPECT_EQ(Channel(blue, 0), 255);
    EXPECT_GT(Channel(blue, 16), 0x80);
    EXPECT_LT(Channel(blue, 16), 0xC0);
    EXPECT_TRUE(
        Near(toned.pixels()[static_cast<size_t>(place.y + 3 * place.height / 4) * toned.width() +
                            place.x + 3 * place.width / 4],
             0xFFFFFF, 2));
    Command(ID_REFERENCE_TWO_TONE);
    EXPECT_EQ(app()->settings.changeRefColours, 0u);

    // See-through uses the stored opacity; Esc hides the window and the menu
    // shows it again; the program goes on.
    Command(ID_REFERENCE_SEE_THROUGH);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(shown, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 64);
    Command(ID_REFERENCE_SEE_THROUGH);
    EXPECT_FALSE(GetWindowLongPtrW(shown, GWL_EXSTYLE) & WS_EX_LAYERED);
    SendMessageW(shown, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowVisible(shown));
    SendMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(shown));
    Command(ID_REFERENCE_SHOW);
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_TRUE(IsWindow(window));
    ExpectDrawingUntouched();
}

TEST_F(References, PicturesThatCannotBeShownGiveOneMessageAndChangeNothing) {
    harness::DropFiles({Made(L"quad.png")});
    ASSERT_TRUE(ReferenceWindow());
    ASSERT_TRUE(Messages().empty());
    for (const wchar_t* name : {L"truncated.jpg", L"huge.png", L"letter.jpg"}) {
        Messages().clear();
        harness::DropFiles({Made(name)});
        ASSERT_EQ(Messages().size(), 1u) << name;
        const std::wstring& text = Messages()[0];
        EXPECT_EQ(text.find(LoadText(app(), ID_TEXT_REFERENCE_FAILED)), 0u) << text;
        EXPECT_NE(text.find(Made(name) + L"\n\n"), std::wstring::npos) << text;
        EXPECT_GT(text.size(), text.find(L"\n\n") + 10); // and a reason
        // The last good reference stays.
        wchar_t title[64] = L"";
        GetWindowTextW(ReferenceWindow(), title, 64);
        EXPECT_STREQ(title, L"quad.png");
        ExpectDrawingUntouched();
    }
}
