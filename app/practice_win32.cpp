// The course of a practice session: showing each picture, the time-up moment,
// pause, skip and the end with its sheet. The session's recording is on for
// its duration; the user's own choice comes back at the end.
#include "app/practice_win32.h"

#include <utility>

#include "app/folder_picker_win32.h"
#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "app/practice_files_win32.h"
#include "app/reference_window_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "base/report.h"
#include "canvas/canvas_blank.h"
#include "practice/session_sheet.h"
#include "record/playback.h"
#include "record/playback_host.h"
#include "reference/picture_decode_win32.h"

namespace {

struct Course {
    PracticeResult current;     // the reference being drawn and its thumbnail
    int32_t userRecordStep = 0; // the recording choice before the session
    int64_t pausedElapsed = 0;  // the drawing time held while paused
    int32_t limitIndex = 0;     // the time limit the session's time follows
    bool due = false;           // the time ran out during a stroke
};
Course course;

PracticeSession& Session() {
    return ThePracticeSession();
}

int64_t Now() {
    return ThePlaybackHost()->calendarSeconds();
}

int64_t Elapsed(const AppState* app) {
    return Session().paused() ? course.pausedElapsed : Now() - app->startTime;
}

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A stroke is being drawn: the mouse button is held on the canvas, or the
// last pen sample still pressed.
bool StrokeOpen(const AppState* app) {
    return GetCapture() == MainWindow(app) || app->stroke.current.pressure != 0;
}

// The picture's clock from `elapsed` on, with the session's time as its limit.
void RunClock(AppState* app, int64_t elapsed) {
    app->startTime = Now() - elapsed;
    app->elapsedSeconds = elapsed;
    app->timeLimitSeconds = Session().secondsPerPicture();
    UpdateTitle(app);
}

void Pause(AppState* app) {
    course.pausedElapsed = Elapsed(app);
    Session().setPaused(true);
    app->timeLimitSeconds = 0;
    UpdateTitle(app);
}

// Shows the current picture as the reference; a picture the codecs cannot
// read is passed over without a message (it is counted for the end). False
// when no picture is left.
bool ShowCurrent(AppState* app) {
    for (;;) {
        const std::u16string path = Session().current();
        DecodedPicture picture;
        std::wstring reason;
        if (DecodePictureFile(Wide(path), picture, reason) &&
            ShowReference(MainWindow(app), Wide(path))) {
            course.current = PracticeResult();
            course.current.reference = path;
            course.current.referenceThumb = ReducePicture(
                picture.pixels.data(), static_cast<int32_t>(picture.width),
                static_cast<int32_t>(picture.height), kSheetThumbSide, kSheetThumbSide);
            RunClock(app, 0);
            return true;
        }
        Session().CountUnreadable();
        if (!Session().Next()) return false;
    }
}

// Saves the drawing of the current picture under its session name and
// keeps it for the sheet. A blank canvas has nothing to keep. False when the
// save failed: the drawing stays and the session pauses.
bool KeepCurrentDrawing(AppState* app, int64_t seconds) {
    if (IsCanvasBlank(&app->canvas) || app->loadedWithSteps) return true;
    std::wstring saved;
    if (SavePracticeDrawing(app, course.current.reference, saved) != 0) {
        Pause(app);
        return false;
    }
    const CanvasImage& image = app->canvas.image;
    course.current.drawing = reinterpret_cast<const char16_t*>(saved.c_str());
    course.current.seconds = seconds;
    course.current.drawingThumb = ReduceOneBitImage(
        static_cast<const uint8_t*>(image.bits), DibStride(image.width, 1), image.width,
        image.height, image.palette, kSheetThumbSide, kSheetThumbSide);
    Session().Record(std::move(course.current));
    course.current = PracticeResult();
    // Saved already: the clearing that follows must not save it again.
    app->loadedWithSteps = 1;
    return true;
}

// The end's one message: how many drawings, where their sheet is, and how
// many pictures were passed over. The language texts share one buffer: each
// is copied before the next is loaded.
std::wstring EndText(AppState* app, size_t drawings, const std::wstring& sheet, size_t unreadable) {
    std::wstring text = LoadText(app, ID_TEXT_SESSION_OVER);
    text += L" " + std::to_wstring(drawings) + L"\n\n";
    if (drawings == 0) {
        text += LoadText(app, ID_TEXT_SESSION_NOTHING);
    } else {
        text += LoadText(app, ID_TEXT_SESSION_SHEET);
        text += L"\n" + sheet;
    }
    if (unreadable > 0) {
        text += L"\n\n";
        text += LoadText(app, ID_TEXT_SESSION_UNREADABLE);
        text += L" " + std::to_wstring(unreadable);
    }
    return text;
}

// The end: the reference closes, recording and the time limit return to the
// user's choice, and the sheet is written and announced.
void Finish(AppState* app, bool announce) {
    const std::vector<PracticeResult> results = Session().results();
    const size_t unreadable = Session().unreadable();
    Session().End();
    SetTimeUpHandler(nullptr);
    CloseReference();
    course.due = false;
    // Turned off during the session: that was the user's own choice.
    if (app->settings.recordStep == 1) app->settings.recordStep = course.userRecordStep;
    SetTimeLimit(app, app->settings.timeLimitIndex);
    app->startTime = Now();
    UpdateTitle(app);

    std::wstring sheet, problem;
    if (!results.empty() && !WritePracticeSheet(app, results, sheet, problem)) {
        ShowErrorMessage(reinterpret_cast<const char16_t*>(
            (L"The session sheet could not be saved as\n" + sheet + L"\n\n" + problem).c_str()));
        return;
    }
    if (announce)
        MessageBoxW(MainWindow(app), EndText(app, results.size(), sheet, unreadable).c_str(),
                    L"pindora", MB_OK | MB_ICONINFORMATION);
}

// Keeps the drawing, starts a new one and shows the next picture, or ends
// the session after the last.
void MoveOn(AppState* app, int64_t seconds) {
    course.due = false;
    if (!KeepCurrentDrawing(app, seconds)) return;
    Session().setPaused(false);
    NewDrawing(app);
    if (Session().Next() && ShowCurrent(app)) return;
    Finish(app, true);
}

void End(AppState* app, bool announce) {
    if (!KeepCurrentDrawing(app, Elapsed(app))) return;
    NewDrawing(app);
    Finish(app, announce);
}

// Where the "Time is up." message would appear: no message in a session.
bool OnTimeUp(AppState* app) {
    if (!Session().active()) return false;
    if (StrokeOpen(app))
        course.due = true;
    else
        MoveOn(app, Session().secondsPerPicture());
    return true;
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, i, &path[0], length + 1);
        path.resize(length);
        paths.push_back(path);
    }
    return paths;
}

} // namespace

bool TakePracticeDrop(AppState* app, HDROP drop) {
    const std::vector<std::wstring> paths = DroppedPaths(drop);
    const bool folder = paths.size() == 1 &&
                        (GetFileAttributesW(paths[0].c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
                        GetFileAttributesW(paths[0].c_str()) != INVALID_FILE_ATTRIBUTES;
    // Several files make a session when at least two of them are pictures
    // to practise from; otherwise the first file is taken as a single drop.
    if (!folder && (paths.size() < 2 || CollectPracticePictures(paths).size() < 2)) return false;
    DragFinish(drop);
    StartPracticeSession(app, paths);
    return true;
}

void StartPracticeSession(AppState* app, const std::vector<std::wstring>& paths) {
    std::vector<std::u16string> pictures = CollectPracticePictures(paths);
    if (pictures.empty()) {
        ShowErrorMessage(
            reinterpret_cast<const char16_t*>(LoadText(app, ID_TEXT_SESSION_NO_PICTURES)));
        return;
    }
    if (Session().active()) {
        End(app, true);
        if (Session().active()) return; // its drawing could not be saved
    }
    // The drawing on the canvas is saved, as before any new drawing.
    NewDrawing(app);
    if (!app->loadedWithSteps && !IsCanvasBlank(&app->canvas)) return;
    const int64_t seconds = PracticeSecondsFor(TimeLimitSecondsFor(app->settings.timeLimitIndex));
    const auto seed = static_cast<uint32_t>(GetTickCount()) ^ GetCurrentProcessId();
    Session().Start(std::move(pictures), seed, seconds);
    course = Course();
    course.userRecordStep = app->settings.recordStep;
    course.limitIndex = app->settings.timeLimitIndex;
    app->settings.recordStep = 1;
    SetTimeUpHandler(OnTimeUp);
    if (!ShowCurrent(app)) Finish(app, true);
}

bool OnPracticeCommand(AppState* app, UINT command) {
    switch (command) {
    case ID_SESSION_CHOOSE_FOLDER: {
        std::wstring folder;
        if (PickFolder(MainWindow(app), LoadText(app, ID_TEXT_SESSION_FOLDER), folder))
            StartPracticeSession(app, {folder});
        return true;
    }
    case ID_SESSION_PAUSE:
        if (!Session().active()) return true;
        if (!Session().paused()) {
            Pause(app);
        } else {
            Session().setPaused(false);
            RunClock(app, course.pausedElapsed);
        }
        return true;
    case ID_SESSION_SKIP:
        if (Session().active()) MoveOn(app, Elapsed(app));
        return true;
    case ID_SESSION_END:
        if (Session().active()) End(app, true);
        return true;
    default:
        return false;
    }
}

void MarkPracticeItems(HMENU menu) {
    const UINT state = Session().active() ? MF_ENABLED : MF_GRAYED;
    for (UINT id : {ID_SESSION_PAUSE, ID_SESSION_SKIP, ID_SESSION_END})
        EnableMenuItem(menu, id, MF_BYCOMMAND | state);
    CheckMenuItem(menu, ID_SESSION_PAUSE,
                  MF_BYCOMMAND | (Session().paused() ? MF_CHECKED : MF_UNCHECKED));
}

void PracticeClockTick(AppState* app) {
    if (!Session().active()) return;
    if (Session().paused()) {
        app->startTime = Now() - course.pausedElapsed;
    } else if (course.due) {
        if (!StrokeOpen(app)) MoveOn(app, Session().secondsPerPicture());
    } else {
        // A time limit chosen during the session is the time of its pictures
        // from now on; a new drawing started by hand set the plain limit.
        if (app->settings.timeLimitIndex != course.limitIndex) {
            course.limitIndex = app->settings.timeLimitIndex;
            Session().setSecondsPerPicture(
                PracticeSecondsFor(TimeLimitSecondsFor(course.limitIndex)));
        }
        app->timeLimitSeconds = Session().secondsPerPicture();
    }
}

void EndPracticeSessionForClose(AppState* app) {
    if (!Session().active()) return;
    // A failed save leaves the drawing to the close's own save and question.
    KeepCurrentDrawing(app, Elapsed(app));
    Finish(app, false);
}
