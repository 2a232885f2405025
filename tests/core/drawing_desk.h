// A program state for drawing through the real stroke engine in the core
// tests: a 960 × 720 canvas shown at scale 8 in a 120 × 90 client (a canvas
// pixel is two screen sixteenths), the fake window system's clock, and the
// canvas bits to compare.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/brush.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "tests/core/clocked_stroke_host.h"
#include "tests/core/playback_fake_host.h"
#include "view/view_paint.h"

namespace {

// A program state with a 960 × 720 canvas in a 120 × 90 client.
struct Desk {
    std::unique_ptr<AppState> app{new AppState()};
    FakeWindowSystem fake;
    FakeHostScope scope{&fake, app.get()};

    Desk() {
        strokeHostClock = &fake.milliseconds;
        SetStrokeHost(&kClockedStrokeHost);
        AppState* a = app.get();
        InitViewLock(&a->viewHost.view.lock);
        a->settings.brushParams[0] = BrushParams{24, 30};
        a->stroke.maxPressure = 1024;
        a->stroke.smoothingRadius = &a->settings.smoothingRadius;
        InstallBrush(nullptr, &a->canvas, &a->settings);
        CreateCanvas(&a->canvas, &a->settings, 960, 720);
        fake.client = Point{120, 90};
        InitViewWithClientSize(&a->viewHost, &a->canvas, &a->settings, 120, 90);
    }
    ~Desk() {
        StopRefreshThread(app.get());
        ReleaseView(&app->viewHost.view);
        FreeCanvas(&app->canvas);
        DeleteViewLock(&app->viewHost.view.lock);
        SetStrokeHost(nullptr);
    }
    // Twelve segments from (x, y) in steps of (dx, dy), lifted at both ends.
    void Stroke(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t pressure) {
        PointerSample sample{};
        for (int i = 0; i <= 12; ++i) {
            fake.milliseconds += 7;
            sample.x = 2 * (x + i * dx);
            sample.y = 2 * (y + i * dy);
            sample.pressure = (i == 0 || i == 12) ? 0 : pressure + 40 * (i % 4);
            HandlePointerSample(app.get(), &sample);
        }
    }
    std::vector<uint8_t> Bits() {
        WaitForRefreshIdle(app.get());
        const CanvasImage& image = app->canvas.image;
        return std::vector<uint8_t>(image.bits,
                                    image.bits + static_cast<size_t>(CanvasStride(&image)) *
                                                     static_cast<size_t>(image.height));
    }
};

} // namespace
