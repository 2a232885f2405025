// The "[config]" keys: their names, kinds and fields.
#include "settings/config_keys.h"

#include <cstring>

namespace {

struct ConfigKey {
    const char* name;
    ConfigKind kind;
};

// File order; the reader also matches in this order (first match wins).
const ConfigKey kConfigKeys[kConfigKeyCount] = {
    {"showCmd=", ConfigKind::HexUnsigned},
    {"rcNormalPosition_left=", ConfigKind::DecimalSigned},
    {"rcNormalPosition_top=", ConfigKind::DecimalSigned},
    {"rcNormalPosition_right=", ConfigKind::DecimalSigned},
    {"rcNormalPosition_bottom=", ConfigKind::DecimalSigned},
    {"PenSize=", ConfigKind::DecimalSigned},
    {"PenHardness=", ConfigKind::DecimalSigned},
    {"bgcolor=", ConfigKind::HexUnsigned},
    {"drawingcolor=", ConfigKind::HexUnsigned},
    {"RefColor0=", ConfigKind::HexSigned},
    {"RefColor1=", ConfigKind::HexSigned},
    {"AdjustRefSize=", ConfigKind::DecimalUnsigned},
    {"ChangeRefColors=", ConfigKind::DecimalUnsigned},
    {"opacity=", ConfigKind::DecimalUnsigned},
    {"WindowOpacity=", ConfigKind::DecimalUnsigned},
    {"defaultpath=", ConfigKind::Text},
    {"ResourceFile=", ConfigKind::Text},
    {"TimeLimit=", ConfigKind::DecimalUnsigned},
    {"RecordStep=", ConfigKind::DecimalUnsigned},
};

// The record's numeric fields are a mix of signed and unsigned 32-bit
// values; the file code handles them all as bits.
void* NumberField(Settings* s, int index) {
    switch (index) {
    case 0:
        return &s->placement.showCmd;
    case 1:
        return &s->placement.rcNormalPosition.left;
    case 2:
        return &s->placement.rcNormalPosition.top;
    case 3:
        return &s->placement.rcNormalPosition.right;
    case 4:
        return &s->placement.rcNormalPosition.bottom;
    case 5:
        return &s->brushParams[0].penSize;
    case 6:
        return &s->brushParams[0].penHardness;
    case 7:
        return &s->bgColour;
    case 8:
        return &s->drawingColour;
    case 9:
        return &s->refColour0;
    case 10:
        return &s->refColour1;
    case 11:
        return &s->adjustRefSize;
    case 12:
        return &s->changeRefColours;
    case 13:
        return &s->opacity;
    case 14:
        return &s->windowOpacity;
    case 17:
        return &s->timeLimitIndex;
    case 18:
        return &s->recordStep;
    default:
        return nullptr;
    }
}

} // namespace

const char* ConfigKeyName(int index) {
    if (index < 0 || index >= kConfigKeyCount) return nullptr;
    return kConfigKeys[index].name;
}

ConfigKind ConfigKeyKind(int index) {
    return kConfigKeys[index].kind;
}

uint32_t GetConfigNumber(const Settings* settings, int index) {
    uint32_t bits = 0;
    if (const void* field = NumberField(const_cast<Settings*>(settings), index))
        std::memcpy(&bits, field, sizeof bits);
    return bits;
}

void SetConfigNumber(Settings* settings, int index, uint32_t bits) {
    if (void* field = NumberField(settings, index)) std::memcpy(field, &bits, sizeof bits);
}

char16_t* ConfigText(Settings* settings, int index) {
    if (index == 15) return settings->defaultPath;
    if (index == 16) return settings->resourceFile;
    return nullptr;
}

const char16_t* ConfigText(const Settings* settings, int index) {
    return ConfigText(const_cast<Settings*>(settings), index);
}
