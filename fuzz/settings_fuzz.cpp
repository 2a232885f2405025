// Any bytes as "pindora.ini": reading must not fail, and writing what was
// read must read back to the same values.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/settings.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameTable(const KeyTable* a, const KeyTable* b) {
    if (a->count != b->count) return false;
    return a->count == 0 ||
           std::memcmp(a->entries, b->entries, sizeof(Accel) * static_cast<size_t>(a->count)) == 0;
}

bool SameText(const char16_t* a, const char16_t* b) {
    return std::u16string(a) == b;
}

// RefColor is written as the hex of its bits but read as a signed long, so a
// negative value comes back saturated.
uint32_t AfterRoundTrip(uint32_t refColour) {
    return static_cast<int32_t>(refColour) < 0 ? 0x7FFFFFFFu : refColour;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings first{};
    ApplySettingsDefaults(&first, nullptr);
    ReadSettingsText(&first, std::string(reinterpret_cast<const char*>(data), size));

    Settings second{};
    ApplySettingsDefaults(&second, nullptr);
    const std::string written = WriteSettingsText(&first);
    ReadSettingsText(&second, written);

    Check(first.placement.showCmd == second.placement.showCmd);
    Check(std::memcmp(&first.placement.rcNormalPosition, &second.placement.rcNormalPosition,
                      sizeof(Rect)) == 0);
    Check(first.brushParams[0].penSize == second.brushParams[0].penSize);
    Check(first.brushParams[0].penHardness == second.brushParams[0].penHardness);
    Check(first.bgColour == second.bgColour);
    Check(first.drawingColour == second.drawingColour);
    Check(AfterRoundTrip(first.refColour0) == second.refColour0);
    Check(AfterRoundTrip(first.refColour1) == second.refColour1);
    Check(first.adjustRefSize == second.adjustRefSize);
    Check(first.changeRefColours == second.changeRefColours);
    Check(first.opacity == second.opacity);
    Check(first.windowOpacity == second.windowOpacity);
    Check(SameText(first.defaultPath, second.defaultPath));
    Check(SameText(first.resourceFile, second.resourceFile));
    Check(first.timeLimitIndex == second.timeLimitIndex);
    Check(first.recordStep == second.recordStep);
    Check(SameTable(first.keyboardKeys, second.keyboardKeys));
    // A full keyboard table ends the key section, so the game pad rows
    // written after it are not read back.
    if (first.keyboardKeys->count < kMaxKeyRows)
        Check(SameTable(first.gamepadKeys, second.gamepadKeys));

    // Written output is stable: writing the read-back record gives the same
    // bytes, apart from the saturated colours.
    if (static_cast<int32_t>(first.refColour0) >= 0 &&
        static_cast<int32_t>(first.refColour1) >= 0 && first.keyboardKeys->count < kMaxKeyRows)
        Check(WriteSettingsText(&second) == written);

    FreeKeyTables(&first);
    FreeKeyTables(&second);
    return 0;
}
