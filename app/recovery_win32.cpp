// The recovery journal in the shell: written while drawing, offered back at start-up.
#include "app/recovery_win32.h"

#include <memory>
#include <string>

#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "record/recovery_replay.h"
#include "settings/settings_io.h"

namespace {

// The drawing found at start-up, until the user has answered.
std::unique_ptr<JournalContent> found;

constexpr wchar_t kQuestion[] =
    L"pindora did not close normally last time, and the drawing it showed was not saved.\n\n"
    L"Bring the drawing back?";

} // namespace

void StartRecovery(AppState* app, HWND window) {
    const std::u16string folder = app->settings.programFolder;
    // Without a program folder there is no place for the journal.
    SetJournalPath(folder.empty() ? std::u16string() : folder + kJournalFileName);
    std::string bytes;
    std::unique_ptr<JournalContent> content(new JournalContent());
    if (!folder.empty() && ReadFileBytes(JournalPath(), kMaxJournalBytes, &bytes) == 0 &&
        ParseJournal(bytes, content.get()) && content->HasUnsavedDrawing()) {
        found = std::move(content);
        SetTimer(window, kRecoveryTimer, 1, nullptr);
        return; // the journal is left as it is until the answer
    }
    RestartJournal(app->canvas.image.width, app->canvas.image.height);
}

void OfferRecovery(AppState* app, HWND window) {
    KillTimer(window, kRecoveryTimer);
    if (!found) return;
    std::unique_ptr<JournalContent> content = std::move(found);
    if (MessageBoxW(window, kQuestion, L"pindora", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        RestartJournal(app->canvas.image.width, app->canvas.image.height);
        return;
    }
    WaitCursor wait;
    // A canvas that cannot be made leaves the journal on disk for the next start.
    if (ReplayJournal(app, *content) == 0) {
        SendMessageW(window, WM_COMMAND, kZoomTo + 1, 0); // scale 8
        app->viewHost.view.mirror = 0;
        SendMessageW(window, WM_COMMAND, kFitToWindow, 0);
        InvalidateRect(window, nullptr, FALSE);
        UpdateTitle(app);
    }
}
