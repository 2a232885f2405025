// The pen tablet: opening the tablet library's context (and registering for
// multi-touch fingers), its packets, proximity, display changes and close.
#include "input/tablet.h"

#include "engine/pointer_input.h"
#include "input/device_host.h"

namespace {

template <typename Function> Function Find(ModuleHandle module, const char* name) {
    return reinterpret_cast<Function>(TheDeviceHost()->findFunction(module, name));
}

Rect VirtualScreen() {
    const DeviceHost* host = TheDeviceHost();
    const int32_t left = host->systemMetrics(kSmXVirtualScreen);
    const int32_t top = host->systemMetrics(kSmYVirtualScreen);
    return Rect{left, top, left + host->systemMetrics(kSmCxVirtualScreen),
                top + host->systemMetrics(kSmCyVirtualScreen)};
}

// Multi-touch finger data for the window, when the library has all it needs.
void RegisterFingers(GdiHandle window, DeviceState* devices) {
    devices->multiTouchModule = TheDeviceHost()->loadLibrary(u"WacomMT.dll");
    ModuleHandle module = devices->multiTouchModule;
    if (!module) return;
    auto initialize = Find<MTInitializeFunction>(module, "WacomMTInitialize");
    auto deviceIds = Find<MTDeviceIdsFunction>(module, "WacomMTGetAttachedDeviceIDs");
    auto registerWindow = Find<MTRegisterWindowFunction>(module, "WacomMTRegisterFingerReadHWND");
    if (!initialize || !deviceIds || !registerWindow) return;
    initialize(3);
    int32_t device = 0;
    deviceIds(&device, sizeof device);
    registerWindow(device, 0, window, 8);
}

// Without a usable tablet the pen pressure comes from pointer messages.
int32_t NoTablet(AppState* app) {
    if (app->devices.wintabModule) TheDeviceHost()->freeLibrary(app->devices.wintabModule);
    app->devices.wintabModule = nullptr;
    app->devices.tabletContext = nullptr;
    app->stroke.maxPressure = PointerPressureScale(TheDeviceHost()->systemMetrics(kSmDigitizer));
    return 1;
}

} // namespace

uint32_t PointerPressureScale(int32_t digitizer) {
    const bool pen = (digitizer & 0xC) != 0 && (digitizer & 0x80) != 0;
    return pen ? 1024u : 65536u;
}

void MapTabletOutput(LogContext* context, Rect screen) {
    context->lcOutOrgX = screen.left * 16;
    context->lcOutOrgY = screen.top * 16;
    context->lcOutExtX = (screen.right - screen.left) * 16;
    context->lcOutExtY = -(screen.bottom - screen.top) * 16;
}

void ConfigureTabletContext(LogContext* context, Rect screen) {
    const char16_t name[] = u"test";
    for (size_t i = 0; i < sizeof name / sizeof name[0]; ++i) context->lcName[i] = name[i];
    context->lcOptions |= kCxoSystemMessages;
    context->lcPktMode |= kPkButtons;
    context->lcMsgBase = kWtDefBase;
    context->lcPktData = kSamplePacketData;
    context->lcMoveMask = kSamplePacketData;
    context->lcBtnUpMask = context->lcBtnDnMask;
    MapTabletOutput(context, screen);
}

void FixOrientation(PointerSample* sample) {
    sample->azimuth = 1300;
    sample->altitude = sample->altitude < 0 ? -550 : 550;
}

int32_t SetUpTablet(GdiHandle window, AppState* app, Settings* settings) {
    const DeviceHost* host = TheDeviceHost();
    DeviceState* devices = &app->devices;
    app->stroke.smoothingRadius = &settings->smoothingRadius;
    devices->wintabModule = host->loadLibrary(u"wintab32.dll");
    if (!devices->wintabModule) return NoTablet(app);
    auto info = Find<WTInfoWFunction>(devices->wintabModule, "WTInfoW");
    auto open = Find<WTOpenWFunction>(devices->wintabModule, "WTOpenW");
    if (!info || !open) return NoTablet(app);

    // A library without a tablet behind it answers nothing here (or a zero
    // scale): every stroke would then be drawn at no pressure.
    TabletAxis pressure{};
    if (info(kWtiDevices, kDvcNPressure, &pressure) == 0 || pressure.axMax <= 0)
        return NoTablet(app);
    app->stroke.maxPressure = static_cast<uint32_t>(pressure.axMax);

    TabletAxis orientation[3]{};
    info(kWtiDevices, kDvcOrientation, orientation);
    devices->orientationFixed = orientation[2].axMin == orientation[2].axMax ? 1 : 0;

    LogContext context{};
    if (info(kWtiDefSysCtx, 0, &context) == 0) return NoTablet(app);
    ConfigureTabletContext(&context, VirtualScreen());

    RegisterFingers(window, devices);

    devices->tabletContext = open(window, &context, 1);
    if (!devices->tabletContext) return NoTablet(app);
    return 0;
}

bool ReadTabletPacket(AppState* app, uint32_t serial, GdiHandle context, PointerSample* sample) {
    auto packet = Find<WTPacketFunction>(app->devices.wintabModule, "WTPacket");
    if (!packet || packet(context, serial, sample) == 0) return false;
    if (app->mouseBlocked) return false;
    if (app->devices.orientationFixed) FixOrientation(sample);
    return TheDeviceHost()->foregroundWindow() == app->mainWindow;
}

void OnTabletPacket(AppState* app, uint32_t serial, GdiHandle context) {
    PointerSample sample{};
    if (ReadTabletPacket(app, serial, context, &sample)) HandlePointerSample(app, &sample);
}

void OnTabletProximity(AppState* app, uintptr_t lParam) {
    app->tabletInProximity = (lParam & 0xFFFF) == 1 ? 1 : 0;
}

void OnTabletDisplayChange(AppState* app) {
    DeviceState* devices = &app->devices;
    if (!devices->wintabModule || !devices->tabletContext) return;
    auto get = Find<WTContextFunction>(devices->wintabModule, "WTGetW");
    auto set = Find<WTContextFunction>(devices->wintabModule, "WTSetW");
    if (!get || !set) return;
    LogContext context{};
    if (!get(devices->tabletContext, &context)) return;
    MapTabletOutput(&context, VirtualScreen());
    set(devices->tabletContext, &context);
}

void ShutDownTablet(AppState* app) {
    const DeviceHost* host = TheDeviceHost();
    DeviceState* devices = &app->devices;
    if (devices->tabletContext) {
        auto close = Find<WTCloseFunction>(devices->wintabModule, "WTClose");
        if (close) close(devices->tabletContext);
        devices->tabletContext = nullptr;
    }
    if (devices->wintabModule) host->freeLibrary(devices->wintabModule);
    devices->wintabModule = nullptr;
    // Finger data may be registered without a tablet context.
    if (devices->multiTouchModule) {
        auto quit = Find<MTQuitFunction>(devices->multiTouchModule, "WacomMTQuit");
        if (quit) quit();
        host->freeLibrary(devices->multiTouchModule);
    }
    devices->multiTouchModule = nullptr;
}
