// The key tables: the built-in keyboard keys and replacing a table's entries.
#include "settings/key_tables.h"

#include <cstdlib>
#include <cstring>

// Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+D, Enter, Home, Page Up, Page Down, Delete,
// End, A, H, R.
const Accel kBuiltInKeys[kBuiltInKeyCount] = {
    {kFVirtKey | kFControl, 0, 0x4E, 40001},
    {kFVirtKey | kFControl, 0, 0x4F, 40002},
    {kFVirtKey | kFControl, 0, 0x53, 40004},
    {kFVirtKey | kFControl, 0, 0x44, 40006},
    {kFVirtKey, 0, 0x0D, 40001},
    {kFVirtKey, 0, 0x24, 45001},
    {kFVirtKey, 0, 0x21, 45002},
    {kFVirtKey, 0, 0x22, 45003},
    {kFVirtKey, 0, 0x2E, 45004},
    {kFVirtKey, 0, 0x23, 45005},
    {kFVirtKey, 0, 0x41, 40442},
    {kFVirtKey, 0, 0x48, 40421},
    {kFVirtKey, 0, 0x52, 40410},
};

KeyTable* NewKeyTable(GdiHandle window) {
    auto* table = static_cast<KeyTable*>(std::calloc(1, sizeof(KeyTable)));
    if (table) table->window = window;
    return table;
}

void ReplaceKeyEntries(KeyTable** table, const Accel* rows, int32_t count) {
    if (!*table) *table = NewKeyTable(nullptr);
    if (!*table) return;
    std::free((*table)->entries);
    (*table)->entries = nullptr;
    (*table)->count = 0;
    if (count <= 0) return;
    auto* block = static_cast<Accel*>(std::calloc(static_cast<size_t>(count), sizeof(Accel)));
    if (!block) return;
    std::memcpy(block, rows, static_cast<size_t>(count) * sizeof(Accel));
    (*table)->entries = block;
    (*table)->count = count;
}

void FreeKeyTables(Settings* settings) {
    for (KeyTable** table : {&settings->keyboardKeys, &settings->gamepadKeys}) {
        if (!*table) continue;
        std::free((*table)->entries);
        std::free(*table);
        *table = nullptr;
    }
}

void SupplyBuiltInKeys(Settings* settings) {
    if (settings->keyboardKeys && settings->keyboardKeys->count >= 1) return;
    ReplaceKeyEntries(&settings->keyboardKeys, kBuiltInKeys, kBuiltInKeyCount);
}
