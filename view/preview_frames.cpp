// The preview frames: a stretch for zoom and a fixed-point rotation for rotate.
#include "view/preview_frames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "view/screen_compose.h"

float ClampPreviewMagnification(float scale, float magnification) {
    if (!(magnification > 0.0f)) return 1.0f;
    if (scale / magnification > 16.0f) magnification = scale * 0.0625f;
    if (scale / magnification < 1.0f) magnification = scale;
    return magnification;
}

namespace {

inline uint32_t* FrameRow(DibSurface* frame, int32_t y) {
    return reinterpret_cast<uint32_t*>(frame->bits +
                                       static_cast<ptrdiff_t>(frame->header.biHeight - 1 - y) *
                                           DibSurfaceStride(frame));
}

inline uint32_t Packed(RgbQuad c) {
    return static_cast<uint32_t>(c.rgbBlue) | static_cast<uint32_t>(c.rgbGreen) << 8 |
           static_cast<uint32_t>(c.rgbRed) << 16;
}

bool MaskedOut(const DibSurface* mask, int32_t x, int32_t y) {
    if (!mask) return false;
    const uint8_t* row =
        mask->bits + static_cast<ptrdiff_t>(mask->header.biHeight - 1 - y) * DibSurfaceStride(mask);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

} // namespace

void DrawZoomPreview(ViewState* view, float magnification) {
    DibSurface* screen = view->screen;
    const DibSurface* source = view->viewBitmap;
    if (!screen) return;
    const int32_t cw = view->clientWidth, ch = view->clientHeight;
    FillScreenRect(screen, Rect{0, 0, cw, ch}, kViewBackground);
    if (!source || !(magnification > 0.0f)) return;
    int32_t sw = static_cast<int32_t>(cw / magnification);
    int32_t sh = static_cast<int32_t>(ch / magnification);
    int32_t cx = view->centreX, cy = view->centreY;
    if (view->scale < 1.0f) {
        cx = static_cast<int32_t>(cx * view->scale);
        cy = static_cast<int32_t>(cy * view->scale);
        sw = static_cast<int32_t>(sw * view->scale);
        sh = static_cast<int32_t>(sh * view->scale);
    }
    if (sw < 1 || sh < 1) return;
    const int32_t left = cx - sw / 2, top = cy - sh / 2;
    const int32_t width = source->header.biWidth, height = source->header.biHeight;
    for (int32_t y = 0; y < ch; ++y) {
        const int32_t sy = top + static_cast<int32_t>(static_cast<int64_t>(y) * sh / ch);
        if (sy < 0 || sy >= height) continue;
        uint32_t* row = FrameRow(screen, y);
        for (int32_t x = 0; x < cw; ++x) {
            const int32_t sx = left + static_cast<int32_t>(static_cast<int64_t>(x) * sw / cw);
            if (sx < 0 || sx >= width) continue;
            row[x] = Packed(SourcePixelColour(source, sx, sy));
        }
    }
}

void DrawRotatePreview(const ViewState* view, DibSurface* frame, float angle) {
    if (!frame) return;
    const int32_t fw = frame->header.biWidth, fh = frame->header.biHeight;
    FillScreenRect(frame, Rect{0, 0, fw, fh}, kViewBackground);
    const DibSurface* source = view->viewBitmap;
    if (!source) return;
    // Screen offset (u, v) from the centre shows the old bitmap's pixel at
    // (u cos a − v sin a, u sin a + v cos a): the content follows the pointer
    // in the same sense as the final turn.
    const int32_t c = static_cast<int32_t>(std::floor(std::cos(angle) * 65536.0 + 0.5));
    const int32_t s = static_cast<int32_t>(std::floor(std::sin(angle) * 65536.0 + 0.5));
    int32_t k = 0;
    int32_t cx = view->centreX, cy = view->centreY;
    if (view->scale < 1.0f) {
        k = static_cast<int32_t>(std::log(1.0 / view->scale) / std::log(2.0));
        cx = static_cast<int32_t>(cx * view->scale);
        cy = static_cast<int32_t>(cy * view->scale);
    }
    const int32_t width = source->header.biWidth, height = source->header.biHeight;
    const DibSurface* mask =
        source->header.biBitCount == 1 && view->maskBitmap ? view->maskBitmap : nullptr;
    const int32_t halfW = fw / 2, halfH = fh / 2;
    for (int32_t y = 0; y < fh; ++y) {
        const int32_t v = y - halfH;
        int64_t X = static_cast<int64_t>(-halfW) * c - static_cast<int64_t>(v) * s;
        int64_t Y = static_cast<int64_t>(-halfW) * s + static_cast<int64_t>(v) * c;
        uint32_t* row = FrameRow(frame, y);
        for (int32_t x = 0; x < fw; ++x, X += c, Y += s) {
            const int32_t sx = static_cast<int32_t>(X >> (16 + k)) + cx;
            const int32_t sy = static_cast<int32_t>(Y >> (16 + k)) + cy;
            if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
            if (MaskedOut(mask, sx, sy)) continue;
            row[x] = Packed(SourcePixelColour(source, sx, sy));
        }
    }
}
