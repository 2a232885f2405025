// The settings record, its key tables and the "pindora.ini" format.
// Everything here is platform-neutral; settings_win32.cpp fills the parts
// that come from the system (program folder, placement, locale, command line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/settings_records.h"

constexpr int kConfigKeyCount = 19;
constexpr int kMaxKeyRows = 1024;
constexpr int kBuiltInKeyCount = 13;

// "showCmd=" … "RecordStep=" for 0 to 18; null above.
const char* ConfigKeyName(int index);

// The thirteen built-in keyboard bindings.
extern const Accel kBuiltInKeys[kBuiltInKeyCount];

// Start values of every field except the system-derived ones (program folder,
// settings path, placement, current file, resource file), and two empty key
// tables owned by the record. Frees tables the record already held.
void ApplySettingsDefaults(Settings* settings, GdiHandle window);

// Frees both key tables and clears the pointers.
void FreeKeyTables(Settings* settings);

// Reads the bytes of a settings file over the record's values, exactly as the
// file reader does: BOM check, "[config]" scan, key section. Never fails.
// Invalid UTF-8 in a config line becomes U+FFFD. A key section ends after
// 1024 keyboard rows; game pad rows beyond 1024 are dropped. A key section
// replaces both key tables (made if the record has none).
void ReadSettingsText(Settings* settings, const std::string& fileBytes);

// The whole file as written: BOM, "[config]", 19 lines, "[key]", key rows,
// CR LF line ends.
std::string WriteSettingsText(const Settings* settings);

// Gives the keyboard table the built-in rows when it has none.
void SupplyBuiltInKeys(Settings* settings);

// settingsPath read and written through the file system, in binary (the
// CR LF handling is the text code's), so the bytes match on every platform.
// Reading a missing or unreadable file keeps the values. Saving writes a
// temporary file beside it and moves it over the old one; a failed write
// leaves the old file and is reported by result 1 only.
void ReadSettingsFile(Settings* settings);
int SaveSettingsFile(const Settings* settings);

// UTF-16 helpers for the fixed-size path buffers.
void CopyUtf16(char16_t* target, size_t capacity, const char16_t* source);
std::string Utf16ToUtf8(const char16_t* text);
std::u16string Utf8ToUtf16(const std::string& text);
