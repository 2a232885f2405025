// In-process tests of practice sessions on the real main window: pictures
// dropped or chosen, each drawn with real mouse input, the time run out on
// a clock moved by hand, and the drawings, their recordings and the sheet
// found on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/folder_picker_win32.h"
#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "base/commands.h"
#include "canvas/canvas_blank.h"
#include "canvas/png_file.h"
#include "practice/session_sheet.h"
#include "reference/picture_decode_win32.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Messages;

std::wstring pickedFolder;

bool PickStandIn(HWND, const wchar_t*, std::wstring& folder) {
    folder = pickedFolder;
    return true;
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

class Practice : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        root = harness::Folder() + L"practice\\";
        refs = root + L"refs\\";
        out = root + L"out\\";
        for (const std::wstring& folder : {root, refs, out}) {
            CreateDirectoryW(folder.c_str(), nullptr);
            for (const std::wstring& name : harness::FilesIn(folder, L"*.*"))
                DeleteFileW((folder + name).c_str());
        }
        Command(kNewDrawing);
        Messages().clear();
        SetDefaultPath(out);
    }
    void TearDown() override {
        Command(ID_SESSION_END);
        harness::DrawPattern(Rect{0, 0, 0, 0});
        SetDefaultPath(L"");
        Command(kNewDrawing);
        SetFolderPicker(nullptr);
    }
    AppState* app() { return TheApp(); }
    void SetDefaultPath(const std::wstring& path) {
        lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.defaultPath), path.c_str(),
                  kPathUnits);
    }
    std::wstring Title() {
        wchar_t text[300] = L"";
        GetWindowTextW(window, text, 300);
        return text;
    }
    // A solid 64 × 48 picture, as PNG (through our writer) or as a 24-bit BMP.
    std::wstring MakePicture(const std::wstring& name, uint8_t r, uint8_t g, uint8_t b) {
        const int32_t width = 64, height = 48;
        const std::wstring path = refs + name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, L".png") == 0) {
            std::vector<uint8_t> rgb;
            for (int32_t i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {r, g, b});
            EXPECT_EQ(WriteRgbPngFile(reinterpret_cast<const char16_t*>(path.c_str()), width,
                                      height, rgb.data()),
                      kPngWritten);
            return path;
        }
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        const DWORD pixelBytes = static_cast<DWORD>(width * 3 * height);
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + pixelBytes;
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        for (int32_t i = 0; i < width * height; ++i) bytes += {char(b), char(g), char(r)};
        WriteBytes(path, bytes);
        return path;
    }
    void WriteBytes(const std::wstring& path, const std::string& bytes) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    // A stroke drawn with the real mouse, so that it is recorded; `lift`
    // false leaves the button down.
    void Stroke(int y, bool lift = true) {
        SetForegroundWindow(window);
        harness::Pump(30);
        POINT p{60, y};
        ClientToScreen(window, &p);
        SetCursorPos(p.x, p.y);
        Mouse(MOUSEEVENTF_MOVE);
        harness::Pump(30);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        harness::Pump(30);
        for (int i = 1; i <= 6; ++i) {
            SetCursorPos(p.x + 30 * i, p.y + 5 * i);
            Mouse(MOUSEEVENTF_MOVE);
            harness::Pump(20);
        }
        if (!lift) return;
        Mouse(MOUSEEVENTF_LEFTUP);
        harness::Pump(60);
    }
    // The drawing clock jumps past the picture's time and ticks.
    void RunOutOfTime() {
        app()->startTime -= ThePracticeSession().secondsPerPicture() + 1;
        SendMessageW(window, WM_TIMER, ID_TIMER_CLOCK, 0);
        harness::Pump(50);
    }
    static bool StartsWithStamp(const std::wstring& name) {
        if (name.size() < 15 || name[14] != L'_') return false;
        for (int i = 0; i < 14; ++i)
            if (!std::iswdigit(name[i])) return false;
        return true;
    }
    HWND window = nullptr;
    std::wstring root, refs, out;
};

} // namespace

TEST_F(Practice, AFolderSessionSavesEachDrawingWithItsRecordingAndEndsWithTheSheet) {
    MakePicture(L"red.png", 220, 30, 30);
    MakePicture(L"blue.png", 30, 30, 220);
    MakePicture(L"green.bmp", 30, 200, 30);
    WriteBytes(refs + L"broken.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
    WriteBytes(refs + L"notes.txt", "not a picture");

    harness::DropFiles({refs});
    const PracticeSession& session = ThePracticeSession();
    ASSERT_TRUE(session.active());
    EXPECT_EQ(session.count(), 4u) << "three pictures and the broken one";
    EXPECT_EQ(session.secondsPerPicture(), 60) << "no time limit set";
    EXPECT_EQ(app()->settings.recordStep, 1);
    // The broken picture, when it comes first, is passed over at once.
    const std::wstring progress = std::to_wstring(session.position() + 1) + L"/4 - ";
    EXPECT_NE(Title().find(L"1/8.000 - " + progress), std::wstring::npos) << Title().c_str();

    for (int drawn = 0; session.active() && drawn < 5; ++drawn) {
        Stroke(100 + 20 * drawn);
        ASSERT_FALSE(IsCanvasBlank(&app()->canvas));
        ASSERT_GT(app()->stepLog.stepCount, 0);
        RunOutOfTime();
    }
    ASSERT_FALSE(session.active());
    EXPECT_EQ(app()->settings.recordStep, 0) << "the user's choice is back";
    EXPECT_TRUE(IsCanvasBlank(&app()->canvas));
    ASSERT_EQ(Messages().size(), 1u) << "no box until the end";
    EXPECT_NE(Messages()[0].find(L"Drawings: 3\n"), std::wstring::npos) << Messages()[0].c_str();
    EXPECT_NE(Messages()[0].find(L"_practice-sheet.png"), std::wstring::npos);
    EXPECT_NE(Messages()[0].find(L"passed over: 1"), std::wstring::npos);

    const std::vector<PracticeResult>& results = session.results();
    ASSERT_EQ(results.size(), 3u);
    std::unique_ptr<StepLog> log(new StepLog);
    for (const PracticeResult& result : results) {
        EXPECT_EQ(result.seconds, 60);
        const std::wstring drawing = reinterpret_cast<const wchar_t*>(result.drawing.c_str());
        const std::wstring name = drawing.substr(out.size());
        const std::wstring reference = reinterpret_cast<const wchar_t*>(result.reference.c_str());
        const std::wstring stem = reference.substr(refs.size(), reference.find(L'.') - refs.size());
        EXPECT_TRUE(StartsWithStamp(name)) << name.c_str();
        EXPECT_EQ(name.substr(15), stem + L".png");
        ASSERT_EQ(LoadRecording(drawing.c_str(), log.get()), 1);
        EXPECT_GT(log->stepCount, 0) << name.c_str() << " carries its recording";
    }
    EXPECT_EQ(harness::FilesIn(out, L"*.png").size(), 4u) << "three drawings and the sheet";

    // The sheet, read back with the system codecs: three pairs, each
    // reference in its own colour in the order drawn.
    const std::vector<std::wstring> sheets = harness::FilesIn(out, L"*_practice-sheet.png");
    ASSERT_EQ(sheets.size(), 1u);
    DecodedPicture sheet;
    std::wstring reason;
    ASSERT_TRUE(DecodePictureFile((out + sheets[0]).c_str(), sheet, reason)) << reason.c_str();
    const SheetLayout layout = LayOutSheet(3);
    ASSERT_EQ(sheet.width, static_cast<uint32_t>(layout.width));
    ASSERT_EQ(sheet.height, static_cast<uint32_t>(layout.height));
    for (size_t i = 0; i < 3; ++i) {
        const Point cell = layout.Cell(i);
        const uint32_t pixel =
            sheet.pixels[static_cast<size_t>(cell.y + kSheetLabelHeight + kSheetThumbSide / 2) *
                             sheet.width +
                         static_cast<size_t>(cell.x + kSheetThumbSide / 2)];
        const std::u16string& reference = results[i].reference;
        const int channel = reference.find(u"red") != std::u16string::npos     ? 16
                            : reference.find(u"green") != std::u16string::npos ? 8
                                                                               : 0;
        EXPECT_GT((pixel >> channel) & 0xFF, 190u) << "pair " << i;
    }
}

TEST_F(Practice, PauseHoldsTheClockAndAFailedSaveKeepsTheDrawingUntilResumed) {
    const std::wstring first = MakePicture(L"one.png", 200, 200, 200);
    const std::wstring second = MakePicture(L"two.bmp", 90, 90, 90);
    Command(kSetTimeLimit + 1); // 30 seconds a picture
    harness::DropFiles({first, second});
    const PracticeSession& session = ThePracticeSession();
    ASSERT_TRUE(session.active());
    EXPECT_EQ(session.secondsPerPicture(), 30);
    Stroke(120);

    Command(ID_SESSION_PAUSE);
    EXPECT_NE(Title().find(L"1/2 paused"), std::wstring::npos) << Title().c_str();
    app()->startTime -= 1000;
    SendMessageW(window, WM_TIMER, ID_TIMER_CLOCK, 0);
    EXPECT_EQ(session.position(), 0u) << "a paused session does not move on";
    EXPECT_LT(app()->elapsedSeconds, 30);
    Command(ID_SESSION_PAUSE);

    SetDefaultPath(root + L"missing\\");
    RunOutOfTime();
    EXPECT_TRUE(session.paused()) << "the save failed";
    EXPECT_FALSE(IsCanvasBlank(&app()->canvas)) << "the drawing is kept";
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(L"could not be saved"), std::wstring::npos);

    SetDefaultPath(out);
    Command(ID_SESSION_PAUSE);
    SendMessageW(window, WM_TIMER, ID_TIMER_CLOCK, 0);
    EXPECT_EQ(session.position(), 1u);
    EXPECT_EQ(harness::FilesIn(out, L"*.png").size(), 1u) << "the drawing, saved at last";

    Command(kSetTimeLimit + 2); // one minute from now on
    SendMessageW(window, WM_TIMER, ID_TIMER_CLOCK, 0);
    EXPECT_EQ(session.secondsPerPicture(), 60);
    EXPECT_EQ(app()->timeLimitSeconds, 60);
    Command(kSetTimeLimit + 1);

    Command(ID_SESSION_SKIP); // nothing drawn on the last: it just ends
    EXPECT_FALSE(session.active());
    EXPECT_EQ(session.results().size(), 1u);
    EXPECT_EQ(harness::FilesIn(out, L"*_practice-sheet.png").size(), 1u);
    EXPECT_EQ(app()->timeLimitSeconds, 30) << "the user's limit is back";
    Command(kSetTimeLimit);
}

TEST_F(Practice, TheMenuPicksAFolderAndOneWithoutPicturesStartsNothing) {
    WriteBytes(refs + L"notes.txt", "not a picture");
    pickedFolder = refs;
    SetFolderPicker(PickStandIn);
    Command(ID_SESSION_CHOOSE_FOLDER);
    EXPECT_FALSE(ThePracticeSession().active());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], LoadText(app(), ID_TEXT_SESSION_NO_PICTURES));

    MakePicture(L"only.png", 10, 10, 10);
    Command(ID_SESSION_CHOOSE_FOLDER);
    EXPECT_TRUE(ThePracticeSession().active());
    EXPECT_EQ(ThePracticeSession().count(), 1u);
    Command(ID_SESSION_END);
    EXPECT_FALSE(ThePracticeSession().active());
}

TEST_F(Practice, TimeRunningOutMidStrokeWaitsForTheButtonToLift) {
    harness::DropFiles({MakePicture(L"a.png", 1, 2, 3), MakePicture(L"b.png", 4, 5, 6)});
    const PracticeSession& session = ThePracticeSession();
    ASSERT_TRUE(session.active());
    Stroke(150, false);
    RunOutOfTime();
    EXPECT_EQ(session.position(), 0u) << "the stroke is not cut";
    EXPECT_TRUE(Messages().empty());
    Mouse(MOUSEEVENTF_LEFTUP);
    harness::Pump(60);
    SendMessageW(window, WM_TIMER, ID_TIMER_CLOCK, 0);
    EXPECT_EQ(session.position(), 1u);
    EXPECT_EQ(harness::FilesIn(out, L"*.png").size(), 1u);
    EXPECT_TRUE(IsCanvasBlank(&app()->canvas));
}
