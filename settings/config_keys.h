// The nineteen "[config]" keys: how each is written and read, and where its
// value lives in the record. Shared by the reader and the writer.
#pragma once

#include <cstdint>

#include "settings/settings.h"

enum class ConfigKind {
    HexUnsigned,     // written "0x%x", read as wcstoul
    HexSigned,       // written "0x%x" (the bits), read as wcstol
    DecimalSigned,   // written "%d", read as wcstol
    DecimalUnsigned, // written "%d", read as wcstoul
    Text,            // written as UTF-8, read up to the line feed
};

ConfigKind ConfigKeyKind(int index);

// The 32-bit value of a numeric key, as its bits.
uint32_t GetConfigNumber(const Settings* settings, int index);
void SetConfigNumber(Settings* settings, int index, uint32_t bits);

// The buffer of a text key (kPathUnits units), null for a numeric key.
char16_t* ConfigText(Settings* settings, int index);
const char16_t* ConfigText(const Settings* settings, int index);
