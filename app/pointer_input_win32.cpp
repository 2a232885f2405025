// Pointer messages (pens draw; one touch pans, two pinch the view) and the
// multi-touch library's finger data.
#include <windows.h>

#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "app/title_win32.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "input/device_host.h"
#include "input/touch_geometry.h"
#include "view/previews.h"
#include "view/view_commands.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

static_assert(sizeof(PointerInfoRecord) == sizeof(POINTER_INFO), "same layout");
static_assert(sizeof(PointerPenInfoRecord) == sizeof(POINTER_PEN_INFO), "same layout");

namespace {

using GetPointerTypeFunction = BOOL(WINAPI*)(UINT32 id, uint32_t* type);
using GetPointerInfoFunction = BOOL(WINAPI*)(UINT32 id, PointerInfoRecord* info);
using GetPointerPenInfoFunction = BOOL(WINAPI*)(UINT32 id, PointerPenInfoRecord* info);

struct PointerFunctions {
    GetPointerTypeFunction type;
    GetPointerInfoFunction info;
    GetPointerPenInfoFunction penInfo;
};

PointerFunctions Lookup(AppState* app) {
    const DeviceHost* host = TheDeviceHost();
    return PointerFunctions{reinterpret_cast<GetPointerTypeFunction>(
                                host->findFunction(app->user32Module, "GetPointerType")),
                            reinterpret_cast<GetPointerInfoFunction>(
                                host->findFunction(app->user32Module, "GetPointerInfo")),
                            reinterpret_cast<GetPointerPenInfoFunction>(
                                host->findFunction(app->user32Module, "GetPointerPenInfo"))};
}

// Each missing-function message is shown once: the messages that would
// repeat it arrive many times a second.
void ReportMissingOnce(bool* shown, const wchar_t* text) {
    if (*shown) return;
    *shown = true;
    MessageBoxW(nullptr, text, L"pindora", MB_OK | MB_ICONERROR);
}
bool typeMissingShown = false, penInfoMissingShown = false;
const wchar_t kTypeMissing[] = L"User32.dllにGetPointerType()又はGetPointerInfo()が存在しません.";
const wchar_t kUpdateMissing[] =
    L"User32.dllにGetPointerType()又はGetPointerInfo()又はGetPointerPenInfo()が存在しません.";

uint32_t TypeOf(const PointerFunctions& f, UINT32 id) {
    uint32_t type = 1;
    if (!f.type(id, &type)) type = 1;
    return type;
}

Point ClientOf(HWND window, Point screen) {
    POINT p{screen.x, screen.y};
    ScreenToClient(window, &p);
    return Point{p.x, p.y};
}

Point ScreenPos(LPARAM lParam) {
    return Point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}

void SetHandCursor() {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
}

// Bitmaps a preview reads must not change under it.
void InstallFreeRotation(AppState* app) {
    WaitForPreviews(app);
    WaitForRefreshIdle(app);
    SelectTransformSet(View(app), 1);
}

void TouchDown(AppState* app, HWND window, UINT32 id, Point at) {
    if (app->tabletInProximity) return;
    app->penOwnsPointer = 0;
    DeviceState* d = &app->devices;
    if (d->firstContact == 0) {
        if (d->secondContact != 0) return;
        const Point client = ClientOf(window, at);
        if (client.x >= 0 && client.y >= 0 && client.x < View(app)->clientWidth &&
            client.y < View(app)->clientHeight) {
            d->firstContact = id;
            d->firstContactPos = at;
            app->dragAnchor = client;
        } else {
            app->penOwnsPointer = 1;
        }
        return;
    }
    if (d->secondContact != 0) return; // a third contact is ignored
    d->secondContact = id;
    d->secondContactPos = at;
    app->zooming = 1;
    app->dragAnchor = ClientOf(window, ContactMidpoint(d->firstContactPos, at));
    d->pinchOrigin = Point{View(app)->originX, View(app)->originY};
    app->zoomStartDistance = ContactDistance(d->firstContactPos, at);
    InstallFreeRotation(app);
}

void TouchMove(AppState* app, HWND window, const PointerFunctions& f, UINT32 id) {
    if (app->tabletInProximity || app->penOwnsPointer || id == 0) return;
    DeviceState* d = &app->devices;
    PointerInfoRecord info{};
    if (!f.info(id, &info)) return;
    if (id == d->firstContact)
        d->firstContactPos = info.ptPixelLocation;
    else if (id == d->secondContact)
        d->secondContactPos = info.ptPixelLocation;
    else
        return;
    if (d->secondContact == 0) {
        SetHandCursor();
        const Point client = ClientOf(window, info.ptPixelLocation);
        ScrollView(View(app), app->dragAnchor.x - client.x, app->dragAnchor.y - client.y);
        app->dragAnchor = client;
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    if (d->firstContact == 0) return;
    if (!View(app)->freeRotation) InstallFreeRotation(app);
    const UINT32 other = id == d->firstContact ? d->secondContact : d->firstContact;
    PointerInfoRecord otherInfo{};
    if (f.info(other, &otherInfo)) {
        if (other == d->firstContact)
            d->firstContactPos = otherInfo.ptPixelLocation;
        else
            d->secondContactPos = otherInfo.ptPixelLocation;
    }
    const Point mid = ClientOf(window, ContactMidpoint(d->firstContactPos, d->secondContactPos));
    app->zoomDistance = ContactDistance(d->firstContactPos, d->secondContactPos);
    const float r = PinchRatio(View(app)->scale, app->zoomDistance, app->zoomStartDistance);
    PlacePinchPreview(View(app), mid, app->dragAnchor, d->pinchOrigin, r);
    RequestZoomPreview(app);
}

bool PinchLifted(const PointerFunctions& f, UINT32 id) {
    PointerInfoRecord info{};
    return f.info(id, &info) && (info.pointerFlags & kPointerFlagUp);
}

void EndPinch(AppState* app, HWND window) {
    DeviceState* d = &app->devices;
    d->firstContact = d->secondContact = 0;
    WaitCursor wait;
    WaitForZoomPreview(app, 0);
    WaitForRefreshIdle(app);
    app->zooming = 0;
    const float r = PinchRatio(View(app)->scale, app->zoomDistance, app->zoomStartDistance);
    const Point mid = ClientOf(window, ContactMidpoint(d->firstContactPos, d->secondContactPos));
    PlacePinchEnd(View(app), mid, app->dragAnchor, d->pinchOrigin, r);
    // The same end as a zoom drag's; contacts that went down on one spot
    // give no measure and leave the scale.
    if (app->zoomStartDistance > 0.0f)
        EndZoomDrag(View(app), ContactDistance(d->firstContactPos, d->secondContactPos),
                    app->zoomStartDistance);
    InvalidateRect(window, nullptr, FALSE);
    UpdateTitle(app);
}

void PenUpdate(AppState* app, HWND window, const PointerFunctions& f, UINT32 id) {
    PointerPenInfoRecord pen{};
    if (!f.penInfo(id, &pen)) return;
    PointerSample sample = PenSample(pen);
    if (GetForegroundWindow() == window) HandlePointerSample(app, &sample);
}

} // namespace

bool OnPointerMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT* result) {
    switch (message) {
    case WM_NCPOINTERDOWN:
    case WM_POINTERENTER:
    case WM_POINTERLEAVE:
    case WM_POINTERDOWN:
    case WM_POINTERUPDATE:
    case WM_POINTERUP:
        break;
    default:
        return false;
    }
    const UINT32 id = GET_POINTERID_WPARAM(wParam);
    const PointerFunctions f = Lookup(app);
    *result = 0;
    if (message == WM_POINTERUPDATE) {
        if (!f.type || !f.info) {
            ReportMissingOnce(&typeMissingShown, kUpdateMissing);
            return false;
        }
        const uint32_t type = TypeOf(f, id);
        if (type == kPointerTouch) {
            TouchMove(app, window, f, id);
            return true;
        }
        if (type != kPointerPen) return false;
        // Without pen details a pen update says nothing: say so once.
        if (!f.penInfo) {
            ReportMissingOnce(&penInfoMissingShown, kUpdateMissing);
            return true;
        }
        PenUpdate(app, window, f, id);
        return true;
    }
    if (message == WM_POINTERUP) {
        if (!f.type || !f.info || TypeOf(f, id) != kPointerTouch) return false;
        DeviceState* d = &app->devices;
        if (d->firstContact && d->secondContact &&
            (PinchLifted(f, d->firstContact) || PinchLifted(f, d->secondContact)))
            EndPinch(app, window);
        else if (id == d->firstContact)
            d->firstContact = 0;
        return true;
    }
    if (!f.type) {
        ReportMissingOnce(&typeMissingShown, kTypeMissing);
        return false;
    }
    const uint32_t type = TypeOf(f, id);
    switch (message) {
    case WM_NCPOINTERDOWN:
        if (type == kPointerTouch) app->penOwnsPointer = 1;
        return false;
    case WM_POINTERENTER:
    case WM_POINTERLEAVE:
        return type == kPointerTouch || type == kPointerPen;
    default: // WM_POINTERDOWN
        if (type == kPointerPen) {
            app->penOwnsPointer = 0;
            return true;
        }
        if (type != kPointerTouch) return false;
        TouchDown(app, window, id, ScreenPos(lParam));
        return true;
    }
}

// Finger data of the multi-touch library: the followed finger pans.
void OnFingerMessage(AppState* app, HWND window, LPARAM lParam) {
    Point by{0, 0};
    if (!TrackFingers(&app->devices, reinterpret_cast<const FingerCollection*>(lParam), &by))
        return;
    SetHandCursor();
    ScrollView(View(app), by.x, by.y);
    app->dragAnchor = app->devices.fingerPos;
    InvalidateRect(window, nullptr, FALSE);
}
