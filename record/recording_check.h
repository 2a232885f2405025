// The checks a recording from outside the program (a dropped picture, a
// recovery journal) must pass before it replaces the one being drawn.
#pragma once

#include <string>

#include "base/step_log.h"

// Empty when the log can be played back; otherwise the reason, as a
// sentence for the user.
std::u16string RecordingRefusal(const StepLog* log);
