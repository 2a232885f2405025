// The portable build's stroke host: neutral answers and a steady clock.
#include <chrono>

#include "engine/stroke_host_default.h"

namespace {
bool NoShift() {
    return false;
}
Point Origin(GdiHandle) {
    return Point{0, 0};
}
bool AnyPoint(GdiHandle, Point) {
    return true;
}
void NoInvalidate(GdiHandle, const Rect*) {}
void NoPost(GdiHandle) {}
uint32_t Milliseconds() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
const StrokeHost host{NoShift, Origin, AnyPoint, NoInvalidate, NoPost, Milliseconds};
} // namespace

const StrokeHost* DefaultStrokeHost() {
    return &host;
}
