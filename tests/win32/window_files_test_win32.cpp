// In-process tests of saving, loading dropped pictures, playback and the
// time limit, on the real main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <cwctype>

#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "base/commands.h"
#include "canvas/canvas_blank.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Messages;

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        folder = harness::Folder() + L"pictures\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& name : harness::FilesIn(folder, L"*"))
            DeleteFileW((folder + name).c_str());
        Messages().clear();
        Command(kNewDrawing); // a blank canvas out of playback mode
        Messages().clear();
    }
    void TearDown() override {
        SetDefaultPath(L"");
        harness::AnswerQuestionsWith(IDNO);
    }
    AppState* app() { return TheApp(); }
    void SetDefaultPath(const std::wstring& path) {
        lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.defaultPath), path.c_str(),
                  kPathUnits);
    }
    void Ink() {
        const CanvasImage& image = app()->canvas.image;
        harness::DrawPattern(
            Rect{image.width / 3, image.height / 3, image.width / 2, image.height / 2});
    }
    // A recording of a few strokes, written as a picture.
    std::wstring WriteRecordedPicture(const std::wstring& name) {
        Ink();
        StepLog* log = &app()->stepLog;
        log->canvasWidth = app()->canvas.image.width;
        log->canvasHeight = app()->canvas.image.height;
        log->stepCount = 0;
        for (int i = 0; i < 40; ++i) {
            Step& step = log->steps[log->stepCount++];
            step.time = static_cast<uint32_t>(i * 5);
            step.x = 100 + i * 20;
            step.y = 200 + i * 10;
            step.pressure = (i % 20 == 19) ? 0.0f : 1.0f;
        }
        std::wstring path = folder + name;
        EXPECT_EQ(SavePicture(app(), path.c_str()), 0);
        return path;
    }
    HWND window = nullptr;
    std::wstring folder;
};

bool IsTimeStampedPicture(const std::wstring& name) {
    if (name.size() != 18 || name.compare(14, 4, L".png") != 0) return false;
    for (int i = 0; i < 14; ++i)
        if (!std::iswdigit(name[i])) return false;
    return true;
}

} // namespace

TEST_F(Files, QuickSaveWritesATimeStampedPictureInTheDefaultFolder) {
    SetDefaultPath(folder);
    Ink();
    Command(kQuickSave);
    std::vector<std::wstring> names = harness::FilesIn(folder, L"*.png");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsTimeStampedPicture(names[0])) << names[0];
    StepLog* log = new StepLog();
    EXPECT_EQ(LoadRecording((folder + names[0]).c_str(), log), 1);
    delete log;
    EXPECT_TRUE(harness::FilesIn(folder, L"*.saving").empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Files, NewDrawingKeepsTheDrawingWhenTheDefaultFolderIsMissing) {
    SetDefaultPath(folder + L"missing\\");
    Ink();
    Command(kNewDrawing);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], LoadText(app(), 2));
    EXPECT_EQ(Messages()[1], folder + L"missing\\");
    EXPECT_EQ(IsCanvasBlank(&app()->canvas), 0);
}

TEST_F(Files, AFailedSaveIsShownAndLeavesTheOldFile) {
    std::wstring target = folder + L"kept.png";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "old picture", 11, &written, nullptr);
    CloseHandle(file);
    // Another program holds the file open without sharing: it cannot be replaced.
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Ink();
    EXPECT_NE(SavePicture(app(), target.c_str()), 0);
    CloseHandle(held);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(target), std::wstring::npos);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 11u);
    EXPECT_TRUE(harness::FilesIn(folder, L"*.saving").empty());

    Messages().clear();
    EXPECT_NE(SavePicture(app(), (folder + L"no such folder\\x.png").c_str()), 0);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(Files, DroppedPicturesAreFilteredByName) {
    std::wstring recorded = WriteRecordedPicture(L"recorded.png");
    Command(kNewDrawing);
    CopyFileW(recorded.c_str(), (folder + L"upper.PNG").c_str(), FALSE);
    harness::DropFiles({folder + L"upper.PNG"});
    EXPECT_EQ(app()->playbackMode, 0);
    EXPECT_EQ(app()->stepLog.stepCount, 0);
    // The program's own drop copy only beeps.
    CopyFileW(recorded.c_str(), (harness::Folder() + L"_DnD_.png").c_str(), FALSE);
    harness::DropFiles({harness::Folder() + L"_DnD_.png"});
    EXPECT_EQ(app()->playbackMode, 0);
    DeleteFileW((harness::Folder() + L"_DnD_.png").c_str());
}

TEST_F(Files, ADroppedRecordingReplaysAndIsNotSavedAgain) {
    std::wstring recorded = WriteRecordedPicture(L"recorded.png");
    std::wstring other = folder + L"other.txt";
    CopyFileW(recorded.c_str(), other.c_str(), FALSE);
    Command(kNewDrawing);
    SetDefaultPath(folder);
    harness::DropFiles({recorded, other}); // only the first is taken
    EXPECT_EQ(app()->loadedWithSteps, 1);
    EXPECT_EQ(app()->playbackMode, 1);
    EXPECT_EQ(app()->stepLog.stepCount, 40);
    harness::Pump(1500);
    EXPECT_EQ(app()->playIndex, 40); // 200 ms of recording, played through
    EXPECT_EQ(IsCanvasBlank(&app()->canvas), 0);
    // F5 is ignored while the playback is shown.
    const int32_t played = app()->playIndex;
    SendMessageW(window, WM_KEYDOWN, VK_F5, 0);
    harness::Pump(100);
    EXPECT_EQ(app()->playIndex, played);
    // The automatic saves write nothing while a dropped picture is shown.
    const size_t before = harness::FilesIn(folder, L"*.png").size();
    EXPECT_EQ(QuickSave(app()), 0);
    Command(kQuickSave);
    EXPECT_EQ(harness::FilesIn(folder, L"*.png").size(), before);
}

TEST_F(Files, TheTimeLimitFiresOnceAtTheFirstTickAfterIt) {
    Command(kSetTimeLimit + 1); // 30 seconds
    EXPECT_EQ(app()->timeLimitSeconds, 30);
    app()->startTime = static_cast<int64_t>(std::time(nullptr)) - 28;
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_TRUE(Messages().empty());
    app()->startTime -= 3;
    SendMessageW(window, WM_TIMER, 1, 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], LoadText(app(), 14));
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_EQ(Messages().size(), 1u);
    Command(kSetTimeLimit);
}
