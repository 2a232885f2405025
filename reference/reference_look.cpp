// Flattening, area scaling and the two-tone ramp of reference pictures, all in
// linear light through two small tables.
#include "reference/reference_look.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kEncodeSteps = 16384; // linear light steps of the encoding table

struct LightTables {
    std::array<float, 256> toLinear;
    std::array<uint8_t, kEncodeSteps + 1> toCode;
    LightTables() {
        for (int code = 0; code < 256; ++code) {
            const double v = code / 255.0;
            toLinear[code] =
                static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        for (int step = 0; step <= kEncodeSteps; ++step) {
            const double v = static_cast<double>(step) / kEncodeSteps;
            const double code = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
            toCode[step] = static_cast<uint8_t>(std::lround(code * 255.0));
        }
    }
};

const LightTables& Tables() {
    static const LightTables tables;
    return tables;
}

uint32_t Encode(const LightTables& t, float value) {
    const float clamped = std::min(std::max(value, 0.0f), 1.0f);
    return t.toCode[static_cast<size_t>(std::lround(clamped * kEncodeSteps))];
}

uint32_t Opaque(const LightTables& t, float r, float g, float b) {
    return 0xFF000000u | Encode(t, r) << 16 | Encode(t, g) << 8 | Encode(t, b);
}

// The source pixels (and their weights, summing to 1) that one output pixel
// of a box resampling covers.
struct Tap {
    uint32_t index;
    float weight;
};
struct Taps {
    std::vector<uint32_t> first; // per output pixel, its first tap in `taps`; one more at the end
    std::vector<Tap> taps;
};

Taps BoxTaps(uint32_t from, uint32_t to) {
    Taps result;
    result.first.reserve(to + 1);
    const double step = static_cast<double>(from) / to;
    for (uint32_t out = 0; out < to; ++out) {
        result.first.push_back(static_cast<uint32_t>(result.taps.size()));
        const double begin = out * step, end = std::min(static_cast<double>(from), begin + step);
        const uint32_t last = std::min(from - 1, static_cast<uint32_t>(std::ceil(end)) - 1);
        for (uint32_t in = static_cast<uint32_t>(begin); in <= last; ++in) {
            const double cover = std::min(end, in + 1.0) - std::max(begin, static_cast<double>(in));
            if (cover > 0) result.taps.push_back({in, static_cast<float>(cover / step)});
        }
    }
    result.first.push_back(static_cast<uint32_t>(result.taps.size()));
    return result;
}

} // namespace

PictureRect PlacePicture(uint32_t width, uint32_t height, int32_t clientWidth, int32_t clientHeight,
                         bool fit) {
    PictureRect place;
    if (width == 0 || height == 0 || clientWidth <= 0 || clientHeight <= 0) return place;
    if (fit) {
        const double scale = std::min(static_cast<double>(clientWidth) / width,
                                      static_cast<double>(clientHeight) / height);
        place.width = std::max<int32_t>(1, static_cast<int32_t>(std::lround(width * scale)));
        place.height = std::max<int32_t>(1, static_cast<int32_t>(std::lround(height * scale)));
        place.width = std::min(place.width, clientWidth);
        place.height = std::min(place.height, clientHeight);
    } else {
        place.width = static_cast<int32_t>(width);
        place.height = static_cast<int32_t>(height);
    }
    place.x = (clientWidth - place.width) / 2;
    place.y = (clientHeight - place.height) / 2;
    return place;
}

void FlattenOntoPaper(DecodedPicture& picture) {
    const LightTables& t = Tables();
    for (uint32_t& pixel : picture.pixels) {
        const uint32_t alpha = pixel >> 24;
        if (alpha == 255) continue;
        const float a = alpha / 255.0f, paper = 1.0f - a;
        pixel =
            Opaque(t, t.toLinear[(pixel >> 16) & 255] * a + paper,
                   t.toLinear[(pixel >> 8) & 255] * a + paper, t.toLinear[pixel & 255] * a + paper);
    }
}

DecodedPicture ScalePicture(const DecodedPicture& source, uint32_t width, uint32_t height) {
    DecodedPicture out;
    if (source.width == 0 || source.height == 0 || width == 0 || height == 0 ||
        source.pixels.size() != static_cast<size_t>(source.width) * source.height)
        return out;
    const LightTables& t = Tables();
    const Taps across = BoxTaps(source.width, width), down = BoxTaps(source.height, height);
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    std::vector<float> row(static_cast<size_t>(width) * 3), sum(row.size());
    for (uint32_t y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (uint32_t k = down.first[y]; k < down.first[y + 1]; ++k) {
            // One source row, resampled across and added with its weight.
            const uint32_t* in =
                &source.pixels[static_cast<size_t>(down.taps[k].index) * source.width];
            for (uint32_t x = 0; x < width; ++x) {
                float r = 0, g = 0, b = 0;
                for (uint32_t j = across.first[x]; j < across.first[x + 1]; ++j) {
                    const uint32_t pixel = in[across.taps[j].index];
                    const float w = across.taps[j].weight;
                    r += t.toLinear[(pixel >> 16) & 255] * w;
                    g += t.toLinear[(pixel >> 8) & 255] * w;
                    b += t.toLinear[pixel & 255] * w;
                }
                row[x * 3] = r;
                row[x * 3 + 1] = g;
                row[x * 3 + 2] = b;
            }
            const float w = down.taps[k].weight;
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += row[i] * w;
        }
        uint32_t* target = &out.pixels[static_cast<size_t>(y) * width];
        for (uint32_t x = 0; x < width; ++x)
            target[x] = Opaque(t, sum[x * 3], sum[x * 3 + 1], sum[x * 3 + 2]);
    }
    return out;
}

void ApplyTwoTone(DecodedPicture& picture, uint32_t dark, uint32_t light) {
    const LightTables& t = Tables();
    // COLORREF keeps red in the low byte.
    const float dr = t.toLinear[dark & 255], dg = t.toLinear[(dark >> 8) & 255],
                db = t.toLinear[(dark >> 16) & 255];
    const float lr = t.toLinear[light & 255], lg = t.toLinear[(light >> 8) & 255],
                lb = t.toLinear[(light >> 16) & 255];
    // The ramp, one entry per step of luminance.
    std::vector<uint32_t> ramp(kEncodeSteps + 1);
    for (int step = 0; step <= kEncodeSteps; ++step) {
        const float y = static_cast<float>(step) / kEncodeSteps;
        ramp[step] = Opaque(t, dr + (lr - dr) * y, dg + (lg - dg) * y, db + (lb - db) * y);
    }
    for (uint32_t& pixel : picture.pixels) {
        const float y = 0.2126f * t.toLinear[(pixel >> 16) & 255] +
                        0.7152f * t.toLinear[(pixel >> 8) & 255] +
                        0.0722f * t.toLinear[pixel & 255];
        pixel = ramp[static_cast<size_t>(std::lround(std::min(y, 1.0f) * kEncodeSteps))];
    }
}
