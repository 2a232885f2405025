// In-process tests of what happens to the recording being drawn when
// pictures are dropped, saved and replayed, on the real main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/picture_files_win32.h"
#include "app/recovery_win32.h"
#include "app/reference_window_win32.h"
#include "base/commands.h"
#include "base/report.h"
#include "canvas/canvas_blank.h"
#include "canvas/png_file.h"
#include "record/recovery_journal.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Messages;

class Recordings : public ::testing::Test {
  protected:
    void SetUp() override {
        harness::Window();
        folder = harness::Folder() + L"recordings\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& name : harness::FilesIn(folder, L"*"))
            DeleteFileW((folder + name).c_str());
        Command(kNewDrawing);
        Messages().clear();
        SetDefaultPath(folder);
    }
    void TearDown() override {
        harness::DrawPattern(Rect{0, 0, 0, 0}); // blank: the new drawing saves nothing
        SetDefaultPath(L"");
        Command(kNewDrawing);
    }
    AppState* app() { return TheApp(); }
    void SetDefaultPath(const std::wstring& path) {
        lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.defaultPath), path.c_str(),
                  kPathUnits);
    }
    // Ink on the canvas and a recording of `count` steps in the live log.
    void Draw(int32_t count) {
        const CanvasImage& image = app()->canvas.image;
        harness::DrawPattern(Rect{10, 10, image.width / 4, image.height / 4});
        StepLog* log = &app()->stepLog;
        log->canvasWidth = image.width;
        log->canvasHeight = image.height;
        log->recordStart = 777;
        log->stepCount = count;
        for (int32_t i = 0; i < count; ++i)
            log->steps[i] = Step{static_cast<uint32_t>(i), 20 + i, 30, i + 1 < count ? 1.0f : 0.0f};
    }
    // A picture of the current canvas carrying `log` (none: no "stEp" chunk).
    std::wstring WritePicture(const std::wstring& name, const StepLog* log) {
        const CanvasImage& image = app()->canvas.image;
        std::wstring path = folder + name;
        EXPECT_EQ(WritePngFile(reinterpret_cast<const char16_t*>(path.c_str()), &image.header,
                               image.palette, image.bits, log),
                  kPngWritten);
        return path;
    }
    static std::unique_ptr<StepLog> Recording(int32_t width, int32_t height, int32_t count) {
        std::unique_ptr<StepLog> log(new StepLog());
        log->canvasWidth = width;
        log->canvasHeight = height;
        log->stepCount = count;
        for (int32_t i = 0; i < count; ++i) log->steps[i] = Step{0, 5 * i, 7, 1.0f};
        return log;
    }
    size_t Pictures() { return harness::FilesIn(folder, L"*.png").size(); }
    std::wstring folder;
};

TEST_F(Recordings, ADroppedRecordingThatCannotBePlayedChangesNothing) {
    std::wstring zero = WritePicture(L"zero.png", Recording(0, 0, 3).get());
    std::wstring huge = WritePicture(L"huge.png", Recording(70000, 600, 3).get());
    Draw(5);
    for (const std::wstring& path : {zero, huge}) {
        SCOPED_TRACE(testing::Message() << path.size());
        Sleep(1100); // every save below gets a name of its own
        Messages().clear();
        const size_t before = Pictures();
        harness::DropFiles({path});
        EXPECT_EQ(app()->loadedWithSteps, 0);
        EXPECT_EQ(app()->playbackMode, 0);
        EXPECT_EQ(app()->stepLog.stepCount, 5);
        EXPECT_EQ(app()->stepLog.canvasWidth, app()->canvas.image.width);
        EXPECT_EQ(IsCanvasBlank(&app()->canvas), 0);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find(L"cannot be played back"), std::wstring::npos);
        // The drawing was saved before the drop; the automatic saves go on.
        EXPECT_EQ(Pictures(), before + 1);
        Sleep(1100);
        Command(kQuickSave);
        EXPECT_EQ(Pictures(), before + 2);
    }
}

TEST_F(Recordings, ADroppedPictureWithoutARecordingKeepsTheOneBeingDrawn) {
    std::wstring plain = WritePicture(L"plain.png", nullptr);
    Draw(5);
    const size_t before = Pictures();
    harness::DropFiles({plain});
    // It becomes the reference: the drawing is neither saved nor replaced.
    ASSERT_TRUE(ReferenceWindow());
    EXPECT_TRUE(IsWindowVisible(ReferenceWindow()));
    CloseReference();
    EXPECT_EQ(Pictures(), before);
    EXPECT_EQ(app()->stepLog.stepCount, 5);
    EXPECT_EQ(app()->stepLog.steps[4].x, 24);
    EXPECT_EQ(app()->loadedWithSteps, 0);
    EXPECT_EQ(IsCanvasBlank(&app()->canvas), 0);
    EXPECT_TRUE(Messages().empty());
}

uint32_t startSeenByMessage = 0;

TEST_F(Recordings, SavesWriteZeroAsTheStartAndTheLogKeepsItsOwn) {
    Draw(3);
    // A failed save: while its message is shown the log keeps its start, so
    // steps drawn meanwhile are timed as before.
    SetDefaultPath(folder + L"missing\\");
    ErrorSink previous =
        SetErrorSink([](const char16_t*) { startSeenByMessage = TheApp()->stepLog.recordStart; });
    EXPECT_NE(QuickSave(app()), 0);
    SetErrorSink(previous);
    EXPECT_EQ(startSeenByMessage, 777u);
    // A good one: 0 in the file, the start kept in memory.
    SetDefaultPath(folder);
    EXPECT_EQ(QuickSave(app()), 0);
    EXPECT_EQ(app()->stepLog.recordStart, 777u);
    std::vector<std::wstring> names = harness::FilesIn(folder, L"*.png");
    ASSERT_EQ(names.size(), 1u);
    std::unique_ptr<StepLog> saved(new StepLog());
    ASSERT_EQ(LoadRecording((folder + names[0]).c_str(), saved.get()), 1);
    EXPECT_EQ(saved->stepCount, 3);
    EXPECT_EQ(saved->recordStart, 0u);
}

TEST_F(Recordings, F5SavesTheDrawingBeforeReplayingTheLog) {
    Draw(3); // ink that the three steps do not draw
    const size_t before = Pictures();
    SendMessageW(harness::Window(), WM_KEYDOWN, VK_F5, 0);
    harness::Pump(300);
    EXPECT_EQ(app()->playbackMode, 1);
    EXPECT_EQ(Pictures(), before + 1);
}

TEST_F(Recordings, ASaveRemovesWhatKilledSavesLeftBehind) {
    const std::wstring leftover = folder + L"~pindora4d2.saving";
    HANDLE file =
        CreateFileW(leftover.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    Draw(1);
    Command(kQuickSave);
    EXPECT_EQ(Pictures(), 1u);
    EXPECT_TRUE(harness::FilesIn(folder, L"*.saving").empty());
}

TEST_F(Recordings, AStartAfterACrashOffersTheDrawingBackAndReplaysIt) {
    // What a run that was killed left behind: strokes on a canvas of its own size.
    RestartJournal(800, 600);
    const JournalPen pen{40, 50, 1024};
    for (int32_t i = 0; i < 30; ++i)
        AppendJournalStep(kJournalDrawn, Step{0, 100 + 10 * i, 200, i < 29 ? 1.0f : 0.0f}, pen, 0);
    harness::AnswerQuestionsWith(IDYES);
    StartRecovery(app(), harness::Window());
    harness::Pump(500);
    harness::AnswerQuestionsWith(IDNO);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(L"Bring the drawing back?"), std::wstring::npos);
    EXPECT_EQ(app()->canvas.image.width, 800);
    EXPECT_EQ(app()->canvas.image.height, 600);
    EXPECT_EQ(IsCanvasBlank(&app()->canvas), 0);
    // It can be saved, and a start after that save finds nothing to offer.
    Command(kQuickSave);
    EXPECT_EQ(Pictures(), 1u);
    Messages().clear();
    StartRecovery(app(), harness::Window());
    harness::Pump(300);
    EXPECT_TRUE(Messages().empty());
}

// The save dialog's stand-in: records the proposed name and answers with
// `dialogAnswer` (empty: the user cancels).
std::wstring dialogAnswer;
std::wstring dialogProposed;
BOOL WINAPI AnswerSaveDialog(OPENFILENAMEW* dialog) {
    dialogProposed = dialog->lpstrFile;
    if (dialogAnswer.empty()) return FALSE;
    lstrcpynW(dialog->lpstrFile, dialogAnswer.c_str(), static_cast<int>(dialog->nMaxFile));
    return TRUE;
}

uint32_t FileRecordStart(const std::wstring& path) {
    std::unique_ptr<StepLog> saved(new StepLog());
    EXPECT_EQ(LoadRecording(path.c_str(), saved.get()), 1);
    return saved->recordStart;
}

TEST_F(Recordings, SaveAsAndSaveACopyThroughTheDialog) {
    SaveDialogRunner previous = SetSaveDialogRunner(AnswerSaveDialog);
    Draw(3);
    wchar_t* current = reinterpret_cast<wchar_t*>(app()->settings.currentFile);
    // Cancelled at the first use: nothing saved, no name kept.
    dialogAnswer.clear();
    Command(kSaveAs);
    EXPECT_EQ(dialogProposed.size(), 14u); // the time-stamped name was proposed
    EXPECT_EQ(current[0], L'\0');
    EXPECT_EQ(Pictures(), 0u);
    // Confirmed: written with 0 as the start, named in the title, proposed again.
    dialogAnswer = folder + L"chosen.png";
    Command(kSaveAs);
    EXPECT_EQ(std::wstring(current), dialogAnswer);
    EXPECT_EQ(FileRecordStart(dialogAnswer), 0u);
    wchar_t title[300] = L"";
    GetWindowTextW(harness::Window(), title, 300);
    EXPECT_NE(std::wstring(title).find(L"chosen"), std::wstring::npos);
    Command(kSaveAs);
    EXPECT_EQ(dialogProposed, dialogAnswer);
    // A copy carries the live start and leaves the name alone.
    dialogAnswer = folder + L"copy.png";
    Command(kSaveCopyAs);
    EXPECT_EQ(FileRecordStart(dialogAnswer), 777u);
    EXPECT_EQ(std::wstring(current), folder + L"chosen.png");
    SetSaveDialogRunner(previous);
    current[0] = L'\0';
}

TEST_F(Recordings, TwoDrawingsSavedInTheSameSecondBothSurvive) {
    Draw(2);
    // The automatic save of the old drawing, then a quick save of the new one.
    Command(kNewDrawing);
    Draw(4);
    Command(kQuickSave);
    std::vector<std::wstring> names = harness::FilesIn(folder, L"*.png");
    ASSERT_EQ(names.size(), 2u);
    // A new drawing on a blank canvas saves nothing.
    harness::DrawPattern(Rect{0, 0, 0, 0});
    Command(kNewDrawing);
    EXPECT_EQ(Pictures(), 2u);
}

TEST_F(Recordings, QuickSaveWithoutADefaultFolderWritesIntoTheCurrentOne) {
    SetDefaultPath(L"");
    SetCurrentDirectoryW(folder.c_str());
    Draw(1);
    Command(kQuickSave);
    EXPECT_EQ(Pictures(), 1u);
    SetCurrentDirectoryW(harness::Folder().c_str());
}

} // namespace
