// The game pad handler against a scripted pad: which presses run bound
// commands, and how far the stick scrolls the view.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "canvas/canvas.h"
#include "input/device_host.h"
#include "input/game_pad.h"
#include "view/view_paint.h"

namespace {

struct Pad {
    bool readable = true;
    GamePadReading reading{};
    std::vector<uint32_t> commands;
    int invalidations = 0;
};
Pad* pad = nullptr;

const DeviceHost padHost{
    [](const char16_t*) -> ModuleHandle { return nullptr; },
    [](ModuleHandle, const char*) -> void* { return nullptr; },
    [](ModuleHandle) {},
    [](int32_t) { return 0; },
    []() -> GdiHandle { return nullptr; },
    [] { return 16u; },
    [](GamePadReading* reading) {
        if (!pad->readable || reading->dwSize != 52 || reading->dwFlags != kPadReadFlags)
            return 165u;
        *reading = pad->reading;
        return 0u;
    },
    [](GdiHandle, uint32_t command) { pad->commands.push_back(command); },
    [](GdiHandle) { ++pad->invalidations; },
};

constexpr uint32_t kRest = 0x80008000;

// A program with a 600 × 800 view (diagonal 1000) and bindings for button 1,
// button 3, the hat's forward direction and Z.
struct Fixture {
    Pad p;
    std::unique_ptr<AppState> app{new AppState()};
    Accel entries[4] = {{0, 0, 0x100, 11}, {0, 0, 0x102, 13}, {0, 0, 0x120, 20}, {0, 0, 0x124, 24}};
    KeyTable keys{entries, 4, nullptr};

    Fixture() {
        pad = &p;
        p.reading.dwPOV = 0xFFFF;
        SetDeviceHost(&padHost);
        app->settings.gamepadKeys = &keys;
        CreateCanvas(&app->canvas, &app->settings, 3000, 3000);
        InitViewLock(&app->viewHost.view.lock);
        EXPECT_TRUE(InitViewWithClientSize(&app->viewHost, &app->canvas, &app->settings, 600, 800));
    }
    ~Fixture() {
        ReleaseView(&app->viewHost.view);
        FreeCanvas(&app->canvas);
        DeleteViewLock(&app->viewHost.view.lock);
        SetDeviceHost(nullptr);
    }
    void Read(uint32_t buttons, uint32_t pov, uint32_t z, uint32_t position = kRest) {
        p.reading.dwButtons = buttons;
        p.reading.dwPOV = pov;
        p.reading.dwZpos = z;
        OnGamePadMove(app.get(), position);
    }
};

} // namespace

TEST(GamePad, KeyNamesAreLookedUpExactly) {
    EXPECT_EQ(PadKeyCode("Joypad button 1"), 0x100);
    EXPECT_EQ(PadKeyCode("Joypad button 32"), 0x11F);
    EXPECT_EQ(PadKeyCode("Joypad POV LEFT"), 0x123);
    EXPECT_EQ(PadKeyCode("Joypad Z"), 0x124);
    EXPECT_EQ(PadKeyCode("Joypad button 33"), -1);
    EXPECT_EQ(PadKeyCode("joypad z"), -1);
    EXPECT_EQ(PadKeyCode("Joypad button 1 "), -1);
}

// Every press runs its command once, on the reading where it first appears.
TEST(GamePad, PressesRunTheirCommandOnce) {
    Fixture f;
    f.Read(0x1, 0, 0xC000); // first read: button and Z fire (button wins), the hat at 0 does not
    f.Read(0x1, 0, 0xC000); // all held
    f.Read(0x0, 0xFFFF, 0xBFFF);
    f.Read(0x0, 0, 0xBFFF);    // the hat arrives at forward
    f.Read(0x0, 4500, 0xBFFF); // a diagonal fires nothing
    f.Read(0x0, 0, 0xC000);    // forward again, Z pressed again: Z replaces the hat
    f.Read(0x6, 0, 0xFFFF);    // buttons 2 and 3 together: the lower one, unbound
    f.Read(0x4, 0, 0xFFFF);    // button 2 released: nothing new
    f.Read(0x5, 0, 0xFFFF);    // button 1 pressed again
    EXPECT_EQ(f.p.commands, (std::vector<uint32_t>{11, 20, 24, 11}));
    EXPECT_EQ(f.p.invalidations, 0); // the stick was at rest throughout
}

TEST(GamePad, TheStickScrollsWithItsDeadZoneAlsoWhenThePadCannotBeRead) {
    Fixture f;
    f.p.readable = false;
    f.p.reading.dwButtons = 1;
    ViewState* view = &f.app->viewHost.view;
    const int32_t x = view->originX, y = view->originY;
    f.Read(1, 0xFFFF, 0, (36864u << 16) | 0x8000u); // 4096 off centre: at rest
    f.Read(1, 0xFFFF, 0, (0x8000u << 16) | 36864u);
    EXPECT_EQ(view->originX, x);
    EXPECT_EQ(f.p.invalidations, 0);
    f.Read(1, 0xFFFF, 0, 0x80000000u | 65535u); // full right: 1000 / 60 rounded
    EXPECT_EQ(view->originX, x + 17);
    f.Read(1, 0xFFFF, 0, 0x80000000u); // full left: truncated the other way
    EXPECT_EQ(view->originX, x + 1);
    f.Read(1, 0xFFFF, 0, 0x8000u); // full up: the vertical amount is truncated
    EXPECT_EQ(view->originY, y - 16);
    EXPECT_EQ(f.p.invalidations, 3);
    EXPECT_TRUE(f.p.commands.empty());

    Point by{};
    EXPECT_TRUE(StickScroll(0xFFFF8000u, 600, 800, &by));
    EXPECT_EQ(by.x, 0);
    EXPECT_EQ(by.y, -16);
}
