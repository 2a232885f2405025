// The game pad: key names, edge detection against the previous reading,
// bound commands and stick scrolling.
#include "input/game_pad.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/device_host.h"
#include "view/view_paint.h"

namespace {

constexpr uint16_t kFirstButton = 0x100;
constexpr int32_t kButtons = 32;
constexpr uint16_t kHatForward = 0x120;
constexpr uint16_t kPadZ = 0x124;
const char* const kNamedKeys[] = {"Joypad POV FORWARD", "Joypad POV RIGHT", "Joypad POV BACKWARD",
                                  "Joypad POV LEFT", "Joypad Z"};
constexpr uint32_t kZPressed = 0xC000;

// The stick's offset from rest with the dead zone folded to its edge.
int32_t DeadZoned(int32_t d) {
    if (d >= -4096 && d <= 4096) return d >= 0 ? 4096 : -4096;
    return d;
}

int32_t StickStep(int32_t d, float diagonal, float rounding) {
    const float sign = d >= 0 ? 1.0f : -1.0f;
    const float magnitude = static_cast<float>(std::abs(d) - 4096);
    return -static_cast<int32_t>(sign * magnitude / 28672.0f * diagonal / 60.0f + rounding);
}

} // namespace

int32_t PadKeyCode(const char* name) {
    if (!name) return -1;
    for (uint16_t i = 0; i < sizeof kNamedKeys / sizeof kNamedKeys[0]; ++i)
        if (std::strcmp(name, kNamedKeys[i]) == 0) return kHatForward + i;
    char button[24];
    for (int32_t n = 0; n < kButtons; ++n) {
        std::snprintf(button, sizeof button, "Joypad button %d", n + 1);
        if (std::strcmp(name, button) == 0) return kFirstButton + n;
    }
    return -1;
}

uint16_t PadCodeFor(const GamePadReading& previous, const GamePadReading& current) {
    uint16_t code = 0;
    if (current.dwPOV != previous.dwPOV && current.dwPOV <= 27000 && current.dwPOV % 9000 == 0)
        code = static_cast<uint16_t>(PadKeyCode(kNamedKeys[current.dwPOV / 9000]));
    if (current.dwZpos >= kZPressed && previous.dwZpos < kZPressed) code = kPadZ;
    const uint32_t pressed = current.dwButtons & (current.dwButtons ^ previous.dwButtons);
    if (pressed != 0) {
        int32_t k = 0;
        while (!(pressed & (1u << k))) ++k;
        code = static_cast<uint16_t>(kFirstButton + k);
    }
    return code;
}

int32_t PadCommandFor(const KeyTable* keys, uint16_t code) {
    if (!keys || !keys->entries || code == 0) return -1;
    for (int32_t i = 0; i < keys->count; ++i)
        if (keys->entries[i].key == code) return keys->entries[i].cmd;
    return -1;
}

bool StickScroll(uint32_t position, int32_t clientWidth, int32_t clientHeight, Point* by) {
    const double w = clientWidth, h = clientHeight;
    const float diagonal = static_cast<float>(static_cast<int32_t>(std::sqrt(w * w + h * h) + 0.5));
    const int32_t dx = DeadZoned(static_cast<int32_t>(position & 0xFFFF) - 32768);
    const int32_t dy = DeadZoned(static_cast<int32_t>(position >> 16) - 32768);
    if (std::abs(dx) == 4096 && std::abs(dy) == 4096) return false;
    // The horizontal step is rounded, the vertical one truncated.
    *by = Point{StickStep(dx, diagonal, 0.5f), StickStep(dy, diagonal, 0.0f)};
    return true;
}

void OnGamePadMove(AppState* app, uint32_t position) {
    const DeviceHost* host = TheDeviceHost();
    GamePadReading reading{};
    reading.dwSize = sizeof reading;
    reading.dwFlags = kPadReadFlags;
    if (host->padCount() != 0 && host->readPad(&reading) == 0) {
        const int32_t command =
            PadCommandFor(app->settings.gamepadKeys, PadCodeFor(app->previousPad, reading));
        if (command >= 0) host->sendCommand(app->mainWindow, static_cast<uint32_t>(command));
        app->previousPad = reading;
    }
    ViewState* view = &app->viewHost.view;
    Point by{0, 0};
    if (!StickScroll(position, view->clientWidth, view->clientHeight, &by)) return;
    ScrollView(view, by.x, by.y);
    host->invalidate(app->mainWindow);
}
