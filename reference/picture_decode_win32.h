// Decoding picture files (JPEG, PNG, BMP, GIF, TIFF, and whatever else the
// system has a codec for) with the Windows Imaging Component.
#pragma once

#include <string>

#include "reference/decoded_picture.h"

// Decodes the first frame of a picture file with the system codecs; false with
// a reason text (file name not included) when it cannot, leaving `out` empty.
// Frames larger than the cap of decoded_picture.h are refused before their
// pixels are read. COM is initialised for the call where the thread has not
// done it already.
bool DecodePictureFile(const wchar_t* path, DecodedPicture& out, std::wstring& reason);
