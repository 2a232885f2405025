// Names in a practice session: which files are pictures to practise from, and
// the names of the drawings and the sheet it saves. No window code.
#pragma once

#include <string>

// The sheet's name ends with this (before ".png"); a folder dropped again
// later does not take an earlier sheet as a reference.
constexpr char16_t kSheetSuffix[] = u"_practice-sheet";

// A file the session takes as a reference: an extension of a picture format
// the system codecs may read (.jpg .jpeg .jpe .png .bmp .dib .gif .tif .tiff
// .webp, any case), and not a session sheet.
bool IsPracticePicture(const std::u16string& path);

// The file name of a path without its folder and extension.
std::u16string FileStem(const std::u16string& path);

// "<stamp>_<stem>" for the drawing made from a reference: characters a file
// name cannot hold become "_", trailing dots and spaces go, and the stem is
// cut to 64 units so the path stays short. The caller adds ".png" and
// "-1", "-2", … for uniqueness (QuickSavePath).
std::u16string PracticeDrawingName(const std::u16string& stamp, const std::u16string& reference);

// "<stamp>_practice-sheet".
std::u16string PracticeSheetName(const std::u16string& stamp);
