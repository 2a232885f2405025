// The title bar as the program's status line: drawing time, limit, scale, a
// practice session's progress ("3/12") and file name, or the playing form
// while a playback runs.
#pragma once

#include <cstdint>
#include <string>

std::u16string ComposeTitle(int32_t playing, int64_t elapsedSeconds, int64_t timeLimitSeconds,
                            float scale, const char16_t* fileName,
                            const std::u16string& progress = std::u16string());
