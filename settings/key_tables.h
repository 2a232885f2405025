// Heap-owned key tables of the settings record.
#pragma once

#include "settings/settings.h"

// A zero-filled table with no entries; null when memory runs out.
KeyTable* NewKeyTable(GdiHandle window);

// Gives *table (made when null) a fresh block holding count entries copied
// from rows, replacing the block it had. With no rows, or when memory runs
// out, the table is left empty (count 0).
void ReplaceKeyEntries(KeyTable** table, const Accel* rows, int32_t count);
