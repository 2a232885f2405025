// The "peNs" chunk: the pen log written and read back, checked like any hostile data.
#include "canvas/png_pens.h"

namespace {

void Put32(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t Get32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

std::vector<uint8_t> EncodePenChunk(const PenLog* pens, int32_t stepCount) {
    std::vector<uint8_t> out;
    if (!pens || pens->count <= 0 || pens->count > kMaxSteps) return out;
    int32_t kept = 0;
    while (kept < pens->count && pens->changes[kept].step < stepCount) ++kept;
    if (kept == 0) return out;
    out.reserve(4 + 16 * static_cast<size_t>(kept));
    Put32(&out, static_cast<uint32_t>(kept));
    for (int32_t i = 0; i < kept; ++i) {
        const PenChange& change = pens->changes[i];
        Put32(&out, static_cast<uint32_t>(change.step));
        Put32(&out, static_cast<uint32_t>(change.penSize));
        Put32(&out, static_cast<uint32_t>(change.penHardness));
        Put32(&out, change.flags);
    }
    return out;
}

bool TakePenChunk(const uint8_t* data, size_t size, int32_t stepCount, PenLog* pens) {
    if (!pens) return false;
    pens->count = 0;
    if (!data || size < 4 || stepCount <= 0 || stepCount > kMaxSteps) return false;
    const uint32_t count = Get32(data);
    if (count > static_cast<uint32_t>(stepCount) || size != 4 + 16 * static_cast<size_t>(count))
        return false;
    int32_t previous = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + 4 + 16 * static_cast<size_t>(i);
        const PenChange change{static_cast<int32_t>(Get32(entry)),
                               static_cast<int32_t>(Get32(entry + 4)),
                               static_cast<int32_t>(Get32(entry + 8)), Get32(entry + 12)};
        if (change.step <= previous || change.step >= stepCount || (change.flags & ~kPenErasing))
            return false;
        previous = change.step;
        pens->changes[i] = change;
    }
    pens->count = static_cast<int32_t>(count);
    return true;
}

void FinishPenChunk(const PenChunkFinder& finder, int32_t stepCount, PenLog* pens) {
    if (!pens || !finder.recordingTaken) return;
    if (finder.found)
        TakePenChunk(finder.data.data(), finder.data.size(), stepCount, pens);
    else
        pens->count = 0;
}
