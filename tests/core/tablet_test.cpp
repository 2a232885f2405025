// Tablet set-up, packets, display changes and close against a scripted
// tablet library, including one that answers nothing as Wine's does.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "input/device_host.h"
#include "input/tablet.h"

namespace {

// A scripted system: which libraries exist, what the tablet reports, and a
// log of every call that reaches the libraries.
struct Script {
    bool wintab = true, multiTouch = false;
    bool answers = true; // false: WTInfoW returns 0 and WTOpenW null
    int32_t maxPressure = 1023;
    int32_t twistMin = 0, twistMax = 0;
    int32_t digitizer = 0;
    GdiHandle foreground = nullptr;
    PointerSample packet{};
    LogContext opened{}, set{};
    std::vector<std::string> calls;
    int loaded = 0, freed = 0;
};
Script* script = nullptr;

ModuleObject* const kWintab = reinterpret_cast<ModuleObject*>(0x1000);
ModuleObject* const kMultiTouch = reinterpret_cast<ModuleObject*>(0x2000);
void* const kContext = reinterpret_cast<void*>(0x3000);

uint32_t PINDORA_WINAPI Info(uint32_t category, uint32_t index, void* output) {
    if (!script->answers) return 0;
    if (category == kWtiDevices && index == kDvcNPressure) {
        auto* axis = static_cast<TabletAxis*>(output);
        *axis = TabletAxis{0, script->maxPressure, 0, 0};
        return sizeof *axis;
    }
    if (category == kWtiDevices && index == kDvcOrientation) {
        auto* axes = static_cast<TabletAxis*>(output);
        axes[0] = TabletAxis{0, 3600, 0, 0};
        axes[1] = TabletAxis{-900, 900, 0, 0};
        axes[2] = TabletAxis{script->twistMin, script->twistMax, 0, 0};
        return 3 * sizeof *axes;
    }
    if (category == kWtiDefSysCtx) {
        auto* context = static_cast<LogContext*>(output);
        *context = LogContext{};
        context->lcOptions = 0x10;
        context->lcPktMode = 0x2;
        context->lcBtnDnMask = 0x7;
        context->lcBtnUpMask = 0x1;
        return sizeof *context;
    }
    return 0;
}
void* PINDORA_WINAPI Open(void*, LogContext* context, int32_t enable) {
    script->calls.push_back("WTOpenW " + std::to_string(enable));
    script->opened = *context;
    return script->answers ? kContext : nullptr;
}
int32_t PINDORA_WINAPI Packet(void* context, uint32_t serial, void* packet) {
    if (context != kContext || serial == 0) return 0;
    std::memcpy(packet, &script->packet, sizeof script->packet);
    return 1;
}
int32_t PINDORA_WINAPI Close(void*) {
    script->calls.push_back("WTClose");
    return 1;
}
int32_t PINDORA_WINAPI Get(void*, LogContext* context) {
    *context = script->opened;
    return 1;
}
int32_t PINDORA_WINAPI Set(void*, LogContext* context) {
    script->set = *context;
    return 1;
}
int32_t MtInitialize(int32_t version) {
    script->calls.push_back("init " + std::to_string(version));
    return 0;
}
int32_t MtDevices(int32_t* ids, uint32_t bytes) {
    if (bytes >= 4) ids[0] = 7;
    return 1;
}
int32_t MtRegister(int32_t device, int32_t mode, void*, int32_t depth) {
    script->calls.push_back("register " + std::to_string(device) + " " + std::to_string(mode) +
                            " " + std::to_string(depth));
    return 0;
}
void MtQuit() {
    script->calls.push_back("quit");
}

void* FindFunction(ModuleHandle module, const char* name) {
    const std::string n = name;
    if (module == kWintab) {
        if (n == "WTInfoW") return reinterpret_cast<void*>(Info);
        if (n == "WTOpenW") return reinterpret_cast<void*>(Open);
        if (n == "WTPacket") return reinterpret_cast<void*>(Packet);
        if (n == "WTClose") return reinterpret_cast<void*>(Close);
        if (n == "WTGetW") return reinterpret_cast<void*>(Get);
        if (n == "WTSetW") return reinterpret_cast<void*>(Set);
    }
    if (module == kMultiTouch) {
        if (n == "WacomMTInitialize") return reinterpret_cast<void*>(MtInitialize);
        if (n == "WacomMTGetAttachedDeviceIDs") return reinterpret_cast<void*>(MtDevices);
        if (n == "WacomMTRegisterFingerReadHWND") return reinterpret_cast<void*>(MtRegister);
        if (n == "WacomMTQuit") return reinterpret_cast<void*>(MtQuit);
    }
    return nullptr;
}

const DeviceHost scriptedHost{
    [](const char16_t* name) -> ModuleHandle {
        const std::u16string n = name;
        ModuleHandle module = n == u"wintab32.dll" && script->wintab      ? kWintab
                              : n == u"WacomMT.dll" && script->multiTouch ? kMultiTouch
                                                                          : nullptr;
        if (module) ++script->loaded;
        return module;
    },
    FindFunction,
    [](ModuleHandle) { ++script->freed; },
    [](int32_t index) -> int32_t {
        switch (index) {
        case kSmXVirtualScreen:
            return -1280;
        case kSmYVirtualScreen:
            return 0;
        case kSmCxVirtualScreen:
            return 3200;
        case kSmCyVirtualScreen:
            return 1200;
        case kSmDigitizer:
            return script->digitizer;
        default:
            return 0;
        }
    },
    [] { return script->foreground; },
    [] { return 0u; },
    [](GamePadReading*) { return 1u; },
    [](GdiHandle, uint32_t) {},
    [](GdiHandle) {},
};

struct Fixture {
    Script s;
    std::unique_ptr<AppState> app{new AppState()};
    GdiHandle window = reinterpret_cast<GdiHandle>(0x42);
    Fixture() {
        script = &s;
        SetDeviceHost(&scriptedHost);
        app->mainWindow = window;
        s.foreground = window;
    }
    ~Fixture() { SetDeviceHost(nullptr); }
    int32_t SetUp() { return SetUpTablet(window, app.get(), &app->settings); }
};

} // namespace

// Wine's own tablet library loads but reports nothing and opens nothing: the
// program must then behave as without a tablet, so the mouse still draws.
TEST(Tablet, ALibraryWithoutATabletCountsAsNoTablet) {
    Fixture f;
    f.s.answers = false;
    EXPECT_EQ(f.SetUp(), 1);
    EXPECT_EQ(f.app->stroke.maxPressure, 65536u);
    EXPECT_EQ(f.app->stroke.smoothingRadius, &f.app->settings.smoothingRadius);
    EXPECT_EQ(f.app->devices.wintabModule, nullptr);
    EXPECT_EQ(f.app->devices.tabletContext, nullptr);
    EXPECT_EQ(f.s.freed, f.s.loaded);

    // A zero pressure scale is no tablet either; the opened-but-unusable
    // context case ends the same way, with a ready pen digitiser's scale.
    Fixture zero;
    zero.s.maxPressure = 0;
    zero.s.digitizer = 0x88; // an external pen, ready
    EXPECT_EQ(zero.SetUp(), 1);
    EXPECT_EQ(zero.app->stroke.maxPressure, 1024u);
    EXPECT_TRUE(zero.s.calls.empty()); // never opened

    Fixture absent;
    absent.s.wintab = false;
    absent.s.digitizer = 0x0C; // pens without the ready bit
    EXPECT_EQ(absent.SetUp(), 1);
    EXPECT_EQ(absent.app->stroke.maxPressure, 65536u);
    ShutDownTablet(absent.app.get());
    EXPECT_EQ(absent.s.freed, 0);
}

TEST(Tablet, OpensTheSystemContextMappedToTheVirtualScreen) {
    Fixture f;
    f.s.multiTouch = true;
    EXPECT_EQ(f.SetUp(), 0);
    EXPECT_EQ(f.app->stroke.maxPressure, 1023u);
    EXPECT_EQ(f.app->devices.tabletContext, kContext);
    EXPECT_EQ(f.app->devices.orientationFixed, 1);
    const LogContext& c = f.s.opened;
    EXPECT_EQ(std::u16string(c.lcName), u"test");
    EXPECT_EQ(c.lcOptions, 0x15u);
    EXPECT_EQ(c.lcPktMode, 0x42u);
    EXPECT_EQ(c.lcMsgBase, 0x7FF0u);
    EXPECT_EQ(c.lcPktData, 0x15C0u);
    EXPECT_EQ(c.lcMoveMask, 0x15C0u);
    EXPECT_EQ(c.lcBtnUpMask, 0x7u);
    EXPECT_EQ(c.lcOutOrgX, -1280 * 16);
    EXPECT_EQ(c.lcOutOrgY, 0);
    EXPECT_EQ(c.lcOutExtX, 3200 * 16);
    EXPECT_EQ(c.lcOutExtY, -1200 * 16);
    EXPECT_EQ(f.s.calls, (std::vector<std::string>{"init 3", "register 7 0 8", "WTOpenW 1"}));

    ShutDownTablet(f.app.get());
    EXPECT_EQ(f.s.calls.back(), "quit");
    EXPECT_EQ(f.s.calls[f.s.calls.size() - 2], "WTClose");
    EXPECT_EQ(f.s.freed, 2);
    EXPECT_EQ(f.app->devices.wintabModule, nullptr);
}

TEST(Tablet, PacketsAreFixedAndHandedOnOnlyWhenTheWindowMayDraw) {
    Fixture f;
    f.s.twistMax = 359; // a real twist axis: orientation passes unchanged
    ASSERT_EQ(f.SetUp(), 0);
    f.s.packet = PointerSample{1, 1600, 3200, 700, 450, -300, 12};
    PointerSample sample{};
    ASSERT_TRUE(f.app->devices.orientationFixed == 0);
    EXPECT_TRUE(ReadTabletPacket(f.app.get(), 5, kContext, &sample));
    EXPECT_EQ(std::memcmp(&sample, &f.s.packet, sizeof sample), 0);
    EXPECT_FALSE(ReadTabletPacket(f.app.get(), 0, kContext, &sample)); // not fetched

    f.app->devices.orientationFixed = 1;
    EXPECT_TRUE(ReadTabletPacket(f.app.get(), 6, kContext, &sample));
    EXPECT_EQ(sample.azimuth, 1300);
    EXPECT_EQ(sample.altitude, -550); // the eraser end stays inverted
    f.s.packet.altitude = 0;
    EXPECT_TRUE(ReadTabletPacket(f.app.get(), 7, kContext, &sample));
    EXPECT_EQ(sample.altitude, 550);
    EXPECT_EQ(sample.pressure, 700);

    f.s.foreground = nullptr;
    EXPECT_FALSE(ReadTabletPacket(f.app.get(), 8, kContext, &sample));
    f.s.foreground = f.window;
    f.app->mouseBlocked = 1;
    EXPECT_FALSE(ReadTabletPacket(f.app.get(), 9, kContext, &sample));

    OnTabletProximity(f.app.get(), 0x00010001);
    EXPECT_EQ(f.app->tabletInProximity, 1);
    OnTabletProximity(f.app.get(), 0x00010000);
    EXPECT_EQ(f.app->tabletInProximity, 0);
}

TEST(Tablet, ADisplayChangeMapsTheOutputAgain) {
    Fixture f;
    ASSERT_EQ(f.SetUp(), 0);
    f.s.opened.lcOutOrgX = 0;
    f.s.opened.lcOutExtY = 5;
    OnTabletDisplayChange(f.app.get());
    EXPECT_EQ(f.s.set.lcOutOrgX, -1280 * 16);
    EXPECT_EQ(f.s.set.lcOutExtY, -1200 * 16);
    EXPECT_EQ(f.s.set.lcMsgBase, 0x7FF0u); // the rest of the context is kept
}
