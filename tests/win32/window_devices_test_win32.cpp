// The real window fed with pointer messages and game pad moves: the pointer
// queries and the pad are scripted through the device table, the rest is
// the program's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "input/device_host.h"
#include "input/game_pad.h"
#include "input/touch_geometry.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Pump;

struct Pointers {
    std::map<UINT32, PointerPenInfoRecord> byId;
    bool penInfo = true;
    bool padReadable = false;
    GamePadReading pad{};
};
Pointers* pointers = nullptr;

BOOL WINAPI FakeType(UINT32 id, uint32_t* type) {
    auto found = pointers->byId.find(id);
    if (found == pointers->byId.end()) return FALSE;
    *type = found->second.pointerInfo.pointerType;
    return TRUE;
}
BOOL WINAPI FakeInfo(UINT32 id, PointerInfoRecord* info) {
    auto found = pointers->byId.find(id);
    if (found == pointers->byId.end()) return FALSE;
    *info = found->second.pointerInfo;
    return TRUE;
}
BOOL WINAPI FakePenInfo(UINT32 id, PointerPenInfoRecord* info) {
    auto found = pointers->byId.find(id);
    if (found == pointers->byId.end()) return FALSE;
    *info = found->second;
    return TRUE;
}

DeviceHost ScriptedHost() {
    DeviceHost host = *DefaultDeviceHost();
    host.findFunction = [](ModuleHandle module, const char* name) -> void* {
        const std::string n = name;
        if (n == "GetPointerType") return reinterpret_cast<void*>(FakeType);
        if (n == "GetPointerInfo") return reinterpret_cast<void*>(FakeInfo);
        if (n == "GetPointerPenInfo")
            return pointers->penInfo ? reinterpret_cast<void*>(FakePenInfo) : nullptr;
        return DefaultDeviceHost()->findFunction(module, name);
    };
    host.padCount = [] { return 16u; };
    host.readPad = [](GamePadReading* reading) {
        if (!pointers->padReadable) return 165u;
        *reading = pointers->pad;
        return 0u;
    };
    return host;
}

class Devices : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        pointers = &script;
        host = ScriptedHost();
        SetDeviceHost(&host);
        SetForegroundWindow(window);
        Command(kNewDrawing);
        Command(kFitToWindow);
        harness::Messages().clear();
    }
    void TearDown() override {
        SetDeviceHost(nullptr);
        Command(kFitToWindow);
    }
    ViewState* view() { return &TheApp()->viewHost.view; }
    // A pointer at a client point; its message carries the screen point.
    void Send(UINT message, UINT32 id, uint32_t type, int x, int y, uint32_t flags = 0) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        PointerPenInfoRecord& record = script.byId[id];
        record.pointerInfo.pointerType = type;
        record.pointerInfo.pointerId = id;
        record.pointerInfo.pointerFlags = flags;
        record.pointerInfo.ptPixelLocation = Point{p.x, p.y};
        record.pointerInfo.ptPixelLocationRaw = Point{p.x, p.y};
        SendMessageW(window, message, id, MAKELPARAM(p.x, p.y));
    }
    HWND window = nullptr;
    Pointers script;
    DeviceHost host{};
};

} // namespace

TEST_F(Devices, OneTouchPansTwoPinchAndAThirdIsIgnored) {
    const int cx = view()->clientWidth / 2, cy = view()->clientHeight / 2;
    const int originX = view()->originX;
    Send(WM_POINTERDOWN, 1, kPointerTouch, cx, cy);
    Send(WM_POINTERUPDATE, 1, kPointerTouch, cx - 30, cy);
    EXPECT_EQ(view()->originX, originX - 30);

    const float scale = view()->scale;
    Send(WM_POINTERDOWN, 2, kPointerTouch, cx + 20, cy);
    EXPECT_EQ(TheApp()->zooming, 1);
    Send(WM_POINTERDOWN, 3, kPointerTouch, cx + 60, cy);
    EXPECT_EQ(TheApp()->devices.secondContact, 2u);
    Send(WM_POINTERUPDATE, 2, kPointerTouch, cx + 70, cy); // 50 apart → 100 apart
    Send(WM_POINTERUP, 2, kPointerTouch, cx + 70, cy, kPointerFlagUp);
    EXPECT_EQ(TheApp()->zooming, 0);
    EXPECT_EQ(TheApp()->zoomPreviewRunning, 0);
    EXPECT_EQ(TheApp()->devices.firstContact, 0u);
    const float expected = scale / 2.0f < 1.0f ? 1.0f : scale / 2.0f;
    EXPECT_FLOAT_EQ(view()->scale, expected);
    Pump(100);

    // Pinching far apart stops at scale 1.
    Send(WM_POINTERDOWN, 4, kPointerTouch, cx, cy);
    Send(WM_POINTERDOWN, 5, kPointerTouch, cx + 2, cy);
    Send(WM_POINTERUPDATE, 5, kPointerTouch, cx + 400, cy);
    Send(WM_POINTERUP, 5, kPointerTouch, cx + 400, cy, kPointerFlagUp);
    EXPECT_FLOAT_EQ(view()->scale, 1.0f);
}

TEST_F(Devices, APenDrawsAndMissingPenDetailsAreReportedOnce) {
    const int cx = view()->clientWidth / 2, cy = view()->clientHeight / 2;
    Send(WM_POINTERDOWN, 9, kPointerPen, cx, cy);
    script.byId[9].pressure = 800;
    Send(WM_POINTERUPDATE, 9, kPointerPen, cx, cy);
    Send(WM_POINTERUPDATE, 9, kPointerPen, cx + 40, cy);
    EXPECT_EQ(TheApp()->canvas.strokeActive, 1);
    script.byId[9].pressure = 0;
    Send(WM_POINTERUPDATE, 9, kPointerPen, cx + 40, cy);
    Pump(50);
    EXPECT_EQ(TheApp()->canvas.strokeActive, 0);

    script.penInfo = false;
    for (int i = 0; i < 3; ++i) Send(WM_POINTERUPDATE, 9, kPointerPen, cx, cy);
    EXPECT_EQ(harness::Messages().size(), 1u);
}

TEST_F(Devices, TheStickScrollsAndAPadButtonRunsItsBinding) {
    const int originX = view()->originX;
    Point by{};
    ASSERT_TRUE(
        StickScroll(MAKELONG(65535, 32768), view()->clientWidth, view()->clientHeight, &by));
    SendMessageW(window, kPadMoveMessage, 0, MAKELPARAM(65535, 32768)); // the pad cannot be read
    EXPECT_EQ(view()->originX, originX - by.x);

    Accel binding{0, 0, 0x100, kZoomIn};
    KeyTable keys{&binding, 1, nullptr};
    KeyTable* saved = TheApp()->settings.gamepadKeys;
    TheApp()->settings.gamepadKeys = &keys;
    script.padReadable = true;
    script.pad.dwButtons = 1;
    const float scale = view()->scale;
    SendMessageW(window, kPadMoveMessage, 0, MAKELPARAM(32768, 32768));
    SendMessageW(window, kPadMoveMessage, 0, MAKELPARAM(32768, 32768)); // still held
    TheApp()->settings.gamepadKeys = saved;
    EXPECT_LT(view()->scale, scale);
    EXPECT_GE(view()->scale, scale / 2.0f); // one zoom step, not two
}
