// The reference window: its class, placement beside the main window, painting
// of the prepared picture, and the commands and drops that reach it.
#include "app/reference_window_win32.h"

#include <shlwapi.h>

#include <memory>
#include <new>
#include <string>

#include "app/language_win32.h"
#include "app/shell_win32.h"
#include "base/report.h"
#include "canvas/picture_names.h"
#include "canvas/png_steps.h"
#include "reference/picture_decode_win32.h"
#include "reference/reference_look.h"

namespace {

const wchar_t kClassName[] = L"pindoraReferenceClass";

// The one reference: the decoded picture (flattened onto paper) and the
// copy prepared for the window's current size and look.
struct Reference {
    HWND window = nullptr;
    DecodedPicture picture;
    DecodedPicture shown;
    PictureRect place;
    uint32_t shownLook[3] = {};
    bool shownValid = false;
    bool seeThrough = false;
};
Reference reference;

Settings& TheSettings() {
    return TheApp()->settings;
}

// The layered alpha of the see-through window: the stored "opacity" where it
// is 1 … 255; 0 (an invisible window) or a broken value give its default 64.
BYTE SeeThroughAlpha() {
    const int32_t stored = TheSettings().opacity;
    return static_cast<BYTE>(stored >= 1 && stored <= 255 ? stored : 64);
}

void ApplyOpacity() {
    HWND window = reference.window;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const BYTE alpha = reference.seeThrough ? SeeThroughAlpha() : 255;
    if (alpha == 255) {
        SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        return;
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

// The picture as the window shows it, remade only when the client size or
// the look changed.
void PrepareShown(int32_t clientWidth, int32_t clientHeight) {
    const Settings& settings = TheSettings();
    const bool fit = settings.adjustRefSize != 0, twoTone = settings.changeRefColours != 0;
    const PictureRect place = PlacePicture(reference.picture.width, reference.picture.height,
                                           clientWidth, clientHeight, fit);
    const uint32_t look[3] = {twoTone ? 1u : 0u, settings.refColour0, settings.refColour1};
    if (reference.shownValid && place.width == reference.place.width &&
        place.height == reference.place.height && std::equal(look, look + 3, reference.shownLook)) {
        reference.place = place;
        return;
    }
    reference.place = place;
    reference.shown = DecodedPicture{};
    if (place.width <= 0 || place.height <= 0) return;
    const uint32_t width = static_cast<uint32_t>(place.width),
                   height = static_cast<uint32_t>(place.height);
    try {
        reference.shown = width == reference.picture.width && height == reference.picture.height
                              ? reference.picture
                              : ScalePicture(reference.picture, width, height);
    } catch (const std::bad_alloc&) {
        reference.shown = DecodedPicture{}; // the window stays empty, nothing else is hurt
    }
    if (twoTone) ApplyTwoTone(reference.shown, settings.refColour0, settings.refColour1);
    std::copy(look, look + 3, reference.shownLook);
    reference.shownValid = true;
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    PrepareShown(client.right, client.bottom);
    const PictureRect& place = reference.place;
    const DecodedPicture& shown = reference.shown;
    const int saved = SaveDC(target);
    if (!shown.pixels.empty()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(shown.width);
        info.bmiHeader.biHeight = -static_cast<LONG>(shown.height); // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        SetDIBitsToDevice(target, place.x, place.y, shown.width, shown.height, 0, 0, 0,
                          shown.height, shown.pixels.data(), &info, DIB_RGB_COLORS);
        ExcludeClipRect(target, place.x, place.y, place.x + place.width, place.y + place.height);
    }
    FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    RestoreDC(target, saved);
    EndPaint(window, &paint);
}

void Repaint() {
    if (reference.window) InvalidateRect(reference.window, nullptr, FALSE);
}

void ToggleFit() {
    Settings& settings = TheSettings();
    settings.adjustRefSize = settings.adjustRefSize ? 0 : 1;
    Repaint();
}

LRESULT CALLBACK ReferenceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint fills every pixel
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_CLOSE: // the close box hides: the picture stays for the menu's "Show reference"
        ShowWindow(window, SW_HIDE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) ShowWindow(window, SW_HIDE);
        return 0;
    case WM_LBUTTONDBLCLK:
        ToggleFit();
        return 0;
    case WM_DROPFILES: // a picture dropped here goes where a drop on the drawing goes
        if (HWND owner = GetWindow(window, GW_OWNER)) {
            SendMessageW(owner, WM_DROPFILES, wParam, lParam);
            return 0;
        }
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        reference.window = nullptr; // with its owner, or by CloseReference
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterReferenceClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ReferenceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
    return registered;
}

// The first place of the window: beside the main window on its monitor (to the
// right, else to the left, else over its right edge), sized for the picture
// within a third of the work area's width and the main window's height.
RECT FirstPlace(HWND owner, uint32_t width, uint32_t height, DWORD style, DWORD exStyle) {
    RECT main;
    GetWindowRect(owner, &main);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const LONG boxWidth = std::max<LONG>(160, (work.right - work.left) / 3);
    const LONG boxHeight =
        std::max<LONG>(160, std::min(main.bottom - main.top, work.bottom - work.top));
    PictureRect size = PlacePicture(width, height, boxWidth, boxHeight, true);
    if (size.width > static_cast<int32_t>(width))
        size = PlacePicture(width, height, width, height, true);
    RECT frame = {0, 0, std::max<LONG>(size.width, 120), std::max<LONG>(size.height, 80)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const LONG w = frame.right - frame.left, h = frame.bottom - frame.top;
    LONG x = main.right;
    if (x + w > work.right)
        x = main.left - w >= work.left ? main.left - w
                                       : std::max(work.left, std::min(main.right, work.right) - w);
    const LONG y = std::max(work.top, std::min(main.top, work.bottom - h));
    return RECT{x, y, x + w, y + h};
}

bool EnsureWindow(HWND owner) {
    if (reference.window) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterReferenceClass(instance)) return false;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES;
    const RECT place =
        FirstPlace(owner, reference.picture.width, reference.picture.height, style, exStyle);
    reference.window = CreateWindowExW(exStyle, kClassName, L"", style, place.left, place.top,
                                       place.right - place.left, place.bottom - place.top, owner,
                                       nullptr, instance, nullptr);
    return reference.window != nullptr;
}

void ShowFailure(const wchar_t* path, const std::wstring& reason) {
    const std::wstring text = std::wstring(LoadText(TheApp(), ID_TEXT_REFERENCE_FAILED)) + L"\n" +
                              path + L"\n\n" + reason;
    ShowErrorMessage(reinterpret_cast<const char16_t*>(text.c_str()));
}

void Check(HMENU menu, UINT id, bool on) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

bool ShowReference(HWND owner, const wchar_t* path) {
    DecodedPicture picture;
    std::wstring reason;
    bool decoded = false;
    try {
        decoded = DecodePictureFile(path, picture, reason);
        if (decoded) FlattenOntoPaper(picture);
    } catch (const std::bad_alloc&) {
        decoded = false;
        reason = L"There is not enough memory to read the picture.";
    }
    if (!decoded) {
        ShowFailure(path, reason);
        return false;
    }
    reference.picture = std::move(picture);
    reference.shown = DecodedPicture{};
    reference.shownValid = false;
    if (!EnsureWindow(owner)) {
        reference.picture = DecodedPicture{};
        ShowFailure(path, L"The reference window cannot be created.");
        return false;
    }
    SetWindowTextW(reference.window, PathFindFileNameW(path));
    ApplyOpacity();
    // Shown without taking the focus from the drawing.
    ShowWindow(reference.window, SW_SHOWNOACTIVATE);
    InvalidateRect(reference.window, nullptr, FALSE);
    return true;
}

void CloseReference() {
    if (reference.window) DestroyWindow(reference.window);
    reference = Reference{};
}

HWND ReferenceWindow() {
    return reference.window;
}

bool IsReferenceDrop(const wchar_t* path) {
    if (!HasPngExtension(reinterpret_cast<const char16_t*>(path))) return true;
    std::unique_ptr<StepLog> log(new (std::nothrow) StepLog);
    if (!log) return false; // the replay path reports the lack of memory as before
    log->stepCount = 0;
    const PngStepsResult found = ReadPngSteps(reinterpret_cast<const char16_t*>(path), log.get());
    return !(found == PngStepsResult::kRecording && log->stepCount > 0);
}

bool OnReferenceCommand(AppState* app, UINT command) {
    switch (command) {
    case ID_REFERENCE_SHOW:
        if (reference.window)
            ShowWindow(reference.window,
                       IsWindowVisible(reference.window) ? SW_HIDE : SW_SHOWNOACTIVATE);
        return true;
    case ID_REFERENCE_FIT:
        ToggleFit();
        return true;
    case ID_REFERENCE_TWO_TONE:
        app->settings.changeRefColours = app->settings.changeRefColours ? 0 : 1;
        Repaint();
        return true;
    case ID_REFERENCE_SEE_THROUGH:
        reference.seeThrough = !reference.seeThrough;
        if (reference.window) ApplyOpacity();
        return true;
    default:
        return false;
    }
}

void MarkReferenceItems(AppState* app, HMENU menu) {
    Check(menu, ID_REFERENCE_SHOW, reference.window && IsWindowVisible(reference.window));
    EnableMenuItem(menu, ID_REFERENCE_SHOW,
                   MF_BYCOMMAND | (reference.window ? MF_ENABLED : MF_GRAYED));
    Check(menu, ID_REFERENCE_FIT, app->settings.adjustRefSize != 0);
    Check(menu, ID_REFERENCE_TWO_TONE, app->settings.changeRefColours != 0);
    Check(menu, ID_REFERENCE_SEE_THROUGH, reference.seeThrough);
}
