// The files of a practice session: the pictures found in what was dropped or
// chosen, the drawings saved under their session names, and the sheet.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "practice/practice_session.h"

// The pictures in the files and folders given: a folder gives the pictures
// directly inside it (its sub-folders are not entered), a file counts when
// IsPracticePicture takes its name. Drawings of this program (PNG files
// carrying a recording) are never references. Sorted by path.
std::vector<std::u16string> CollectPracticePictures(const std::vector<std::wstring>& paths);

// Saves the drawing with its recording in the default folder as
// "<time stamp>_<reference's name>.png" (a free name, "-1", "-2", … added
// when taken), through the program's own save: 0 saved (its path in
// `saved`), 1 failed (the failure has been shown, the drawing is untouched).
int32_t SavePracticeDrawing(AppState* app, const std::u16string& reference, std::wstring& saved);

// Writes the sheet of the results in the default folder as
// "<time stamp>_practice-sheet.png": true with its path; on failure the
// reason is in `problem`.
bool WritePracticeSheet(AppState* app, const std::vector<PracticeResult>& results,
                        std::wstring& path, std::wstring& problem);
