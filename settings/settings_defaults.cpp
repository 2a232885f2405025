// The settings' default values.
#include "settings/key_tables.h"

void ApplySettingsDefaults(Settings* settings, GdiHandle window) {
    FreeKeyTables(settings);
    settings->brushParams[0].penSize = 50;
    settings->brushParams[0].penHardness = 50;
    settings->brushIndex = 0;
    settings->subPixel = 0;
    settings->bgColour = 0xFFFFFF;
    settings->drawingColour = 0x000000;
    settings->refColour0 = 0xFF8080;
    settings->refColour1 = 0xFFFFFF;
    settings->adjustRefSize = 1;
    settings->changeRefColours = 0;
    settings->opacity = 64;
    settings->windowOpacity = 128;
    settings->windowOpacityOn = 0;
    settings->defaultPath[0] = 0;
    settings->smoothingRadius = 0;
    settings->keyboardKeys = NewKeyTable(window);
    settings->gamepadKeys = NewKeyTable(window);
    settings->timeLimitIndex = 0;
    settings->recordStep = 0;
    settings->speedIndex = 3;
}
