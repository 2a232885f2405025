// Region extraction: a 32-aligned canvas rectangle copied out turned and mirrored.
#include "canvas/canvas_region.h"

#include <algorithm>
#include <cstdio>

#include "base/report.h"
#include "canvas/heap_block.h"
#include "canvas/region_job.h"

namespace {

// 0, 90, 180 or 270 for any multiple of 90 degrees; -1 for anything else.
int32_t QuarterTurn(int32_t angle) {
    int32_t turn = angle % 360;
    if (turn < 0) turn += 360;
    return turn % 90 == 0 ? turn : -1;
}

bool OnWordEdges(const Rect& rect) {
    return rect.left % 32 == 0 && rect.top % 32 == 0 && rect.right % 32 == 0 &&
           rect.bottom % 32 == 0;
}

// Checks the request and clips it to the canvas. False for a request no
// region can come from: no canvas, an angle that is not a quarter turn,
// edges off the 32-pixel grid, an empty or oversized rectangle, or one that
// misses the canvas.
bool PlanRegionJob(const CanvasImage* image, const Rect& rect, int32_t mirror, int32_t angle,
                   RegionJob* job) {
    if (!image || !image->bits || image->width <= 0 || image->height <= 0) return false;
    int32_t turn = QuarterTurn(angle);
    if (turn < 0 || !OnWordEdges(rect)) return false;
    int64_t width = static_cast<int64_t>(rect.right) - rect.left;
    int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    if (rect.left >= image->width || rect.right <= 0 || rect.top >= image->height ||
        rect.bottom <= 0) {
        return false;
    }
    job->image = image;
    job->left = rect.left;
    job->top = rect.top;
    job->width = static_cast<int32_t>(width);
    job->height = static_cast<int32_t>(height);
    job->x0 = std::max(rect.left, 0);
    job->x1 = std::min(rect.right, image->width);
    job->y0 = std::max(rect.top, 0);
    job->y1 = std::min(rect.bottom, image->height);
    job->mirror = mirror != 0;
    job->angle = turn;
    job->target = nullptr;
    job->scratch = nullptr;
    return true;
}

void FillRegionFormat(CanvasRegion* region, const RegionJob& job, const CanvasImage* image) {
    bool quarter = job.angle == 90 || job.angle == 270;
    region->header.biSize = sizeof(BitmapInfoHeader);
    region->header.biWidth = quarter ? job.height : job.width;
    region->header.biHeight = quarter ? job.width : job.height;
    region->header.biPlanes = 1;
    region->header.biBitCount = 1;
    region->palette[0] = image->palette[0];
    region->palette[1] = image->palette[1];
}

} // namespace

CanvasRegion* ExtractCanvasRegion(const CanvasImage* image, Rect rect, int32_t mirror,
                                  int32_t angle) {
    RegionJob job;
    if (!PlanRegionJob(image, rect, mirror, angle, &job)) return nullptr;
    auto* region = static_cast<CanvasRegion*>(AllocateZeroedHeapBlock(sizeof(CanvasRegion)));
    if (!region) return nullptr;
    // Rows of whole words either way round: w / 8 bytes × h rows = h / 8 × w.
    uint64_t bytes = static_cast<uint64_t>(job.width / 8) * static_cast<uint64_t>(job.height);
    if (bytes <= kLargestPixelBlock) {
        region->bits = static_cast<uint8_t*>(AllocateHeapBlock(static_cast<size_t>(bytes)));
    }
    const bool quarter = job.angle == 90 || job.angle == 270;
    job.scratch = quarter && region->bits
                      ? static_cast<uint8_t*>(AllocateHeapBlock(kTurnScratchBytes))
                      : nullptr;
    // Working space the turn cannot do without counts as part of the pixel block.
    if (!region->bits || (quarter && !job.scratch)) {
        char text[40];
        std::snprintf(text, sizeof text, "cx:%d cy:%d", static_cast<int>(job.width),
                      static_cast<int>(job.height));
        ShowErrorMessage(AsciiToUtf16(text));
        FreeHeapBlock(region->bits);
        FreeHeapBlock(region);
        return nullptr;
    }
    FillRegionFormat(region, job, image);
    job.target = region->bits;
    if (quarter) {
        TurnRegion(job);
        FreeHeapBlock(job.scratch);
    } else {
        CopyRegionRows(job);
    }
    return region;
}

int32_t ReleaseCanvasRegion(CanvasRegion* region) {
    if (!region) return 1;
    if (!FreeHeapBlock(region->bits)) ShowErrorMessage(u"DEBUG");
    FreeHeapBlock(region);
    return 0;
}
