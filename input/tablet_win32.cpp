// The pen tablet: opening and closing the tablet library.
#include "input/tablet_win32.h"

namespace {

// Pressure scale of the system's pen pointer messages: 1024 on machines with
// a ready pen digitiser, 65536 otherwise.
uint32_t PointerPressureScale() {
    int digitizer = GetSystemMetrics(SM_DIGITIZER);
    bool pen = (digitizer & 0xC) != 0 && (digitizer & 0x80) != 0;
    return pen ? 1024u : 65536u;
}

} // namespace

int32_t SetUpTablet(HWND, AppState* app, Settings* settings) {
    app->stroke.smoothingRadius = &settings->smoothingRadius;
    HMODULE wintab = LoadLibraryW(L"wintab32.dll");
    if (!wintab) {
        app->stroke.maxPressure = PointerPressureScale();
        return 1;
    }
    // Tablet packets are not read yet: without an open context the pen still
    // draws through the pointer messages, at the pointer pressure scale.
    FreeLibrary(wintab);
    app->stroke.maxPressure = PointerPressureScale();
    return 1;
}

void ShutDownTablet(AppState* app) {
    if (!app->devices.tabletContext) return;
    app->devices.tabletContext = nullptr;
    if (app->devices.wintabModule) FreeLibrary(AsModule(app->devices.wintabModule));
    app->devices.wintabModule = nullptr;
}
