// The pen tablet: set-up at window creation, its messages, and its release.
#pragma once

#include <cstdint>

#include "base/app_state.h"
#include "base/pointer_sample.h"
#include "input/wintab_types.h"

// Pressure scale of the system's pen pointer messages for an SM_DIGITIZER
// value: 1024 with a ready pen digitiser, 65536 otherwise.
uint32_t PointerPressureScale(int32_t digitizer);

// The default system context turned into the one this program opens.
void ConfigureTabletContext(LogContext* context, Rect virtualScreen);
// The output mapping: the virtual screen in sixteenths, Y pointing down.
void MapTabletOutput(LogContext* context, Rect virtualScreen);
// Orientation for tablets without a usable one: fixed azimuth, and the
// altitude's sign kept so that the eraser end still reads as inverted.
void FixOrientation(PointerSample* sample);

// 0 when the tablet library was found and its context opened, 1 when not
// (pen input then comes from pointer messages and the mouse).
int32_t SetUpTablet(GdiHandle window, AppState* app, Settings* settings);

// WT_PACKET: fetches the packet; true when the sample is to be drawn.
bool ReadTabletPacket(AppState* app, uint32_t serial, GdiHandle context, PointerSample* sample);
void OnTabletPacket(AppState* app, uint32_t serial, GdiHandle context);
// WT_PROXIMITY: the pen entered (low word 1) or left the tablet's range.
void OnTabletProximity(AppState* app, uintptr_t lParam);
// WM_WININICHANGE: the displays may have changed; the output is mapped again.
void OnTabletDisplayChange(AppState* app);

// Closes the tablet context and frees the device libraries.
void ShutDownTablet(AppState* app);
