// Bringing a drawing back from the recovery journal: a fresh canvas of the
// journal's size, every journaled segment drawn at once with its pen, and the
// recording rebuilt from the journaled steps.
#pragma once

#include <cstdint>

#include "base/app_state.h"
#include "record/recovery_journal.h"

// 0 when the drawing was brought back (the journal then goes on from it);
// 1 when the canvas could not be made (its message has been shown).
int32_t ReplayJournal(AppState* app, const JournalContent& content);
