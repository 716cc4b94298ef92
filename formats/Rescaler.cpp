#include "formats/Rescaler.h"

#include <algorithm>
#include <cstring>

namespace gw {
namespace {

// The vertical pass gathers this many neighbouring columns at a time, so that
// it reads the source row by row instead of one pixel per row and column.
constexpr int32_t kColumnBlock = 16;

bool SizeFits(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

inline uint64_t Byte(uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xFF; }

// Maps n source pixels (plus the repeated pixel n that the caller supplies)
// onto m destination pixels by area averaging. Each destination pixel covers
// span = n/m source pixels; each source pixel is blended with its successor
// by the part of it not yet consumed, and the sample is recomputed only when
// the source pixel advances.
//
// Every length is a multiple of 1/m of a source pixel, so the walk counts in
// those units with integers: fracLeft and remaining in 1/m, samples in 1/m,
// accumulators in 1/m^2. acc x scale (scale = m/n) is then acc / (m n), and
// the integer division truncates the exact average. Floating-point sums,
// even extended precision, land just below whole values often enough to turn
// a constant 255 into 254.
//
// Channels are the bytes of 0xAARRGGBB from the low end: B, G, R and, with
// four channels, A. With three the alpha byte is 0xFF.
//
// A source pixel taken whole (fracLeft = 1) blends nothing from its
// successor, so a run of them adds m^2 times the plain sum of their bytes:
// summing the run first gives the same integers with one multiply a run.
// The pixel after the last is the last one again.
template <int kChannels>
void ResampleLine(const uint32_t* src, size_t srcStride, uint32_t n, uint32_t* dst, size_t dstStride,
                  uint32_t m) {
    const uint64_t one = m;
    const uint64_t span = n;
    const uint64_t divisor = uint64_t(m) * uint64_t(n);
    uint64_t fracLeft = one;
    uint64_t remaining = span;
    uint64_t acc[kChannels] = {};
    uint64_t sample[kChannels] = {};
    bool sampleFresh = false;
    size_t i = 0;
    for (uint32_t j = 0; j < m;) {
        if (!sampleFresh && fracLeft == one && remaining > one) {
            const uint64_t run = (remaining - 1) / one; // whole pixels before this destination pixel ends
            uint64_t sums[kChannels] = {};
            for (uint64_t t = 0; t < run; ++t) {
                const uint32_t pixel = src[(i + t) * srcStride];
                for (int c = 0; c < kChannels; ++c) sums[c] += Byte(pixel, c);
            }
            for (int c = 0; c < kChannels; ++c) acc[c] += sums[c] * one * one;
            remaining -= run * one;
            i += size_t(run);
            continue;
        }
        if (!sampleFresh) {
            const uint32_t here = src[i * srcStride];
            const uint32_t next = i + 1 < n ? src[(i + 1) * srcStride] : here;
            for (int c = 0; c < kChannels; ++c) sample[c] = Byte(here, c) * fracLeft + Byte(next, c) * (one - fracLeft);
            sampleFresh = true;
        }
        if (remaining > fracLeft) {
            for (int c = 0; c < kChannels; ++c) acc[c] += sample[c] * fracLeft;
            remaining -= fracLeft;
            fracLeft = one;
            ++i; // at most n - 1: the n source pixels are consumed exactly by the last destination pixel
            sampleFresh = false;
        } else {
            uint32_t pixel = kChannels == 3 ? 0xFF000000u : 0;
            for (int c = 0; c < kChannels; ++c) {
                acc[c] += sample[c] * remaining;
                pixel |= uint32_t(acc[c] / divisor) << (8 * c);
                acc[c] = 0;
            }
            dst[size_t(j) * dstStride] = pixel;
            fracLeft -= remaining;
            remaining = span;
            ++j;
        }
    }
}

// Rows of src onto rows of dst (same height, other width).
template <int kChannels>
void HorizontalPass(const Bitmap& src, Bitmap& dst) {
    const uint32_t n = uint32_t(src.width);
    for (int32_t y = 0; y < src.height; ++y) ResampleLine<kChannels>(src.Row(y), 1, n, dst.Row(y), 1, uint32_t(dst.width));
}

// Columns of src onto columns of dst (same width, other height).
template <int kChannels>
void VerticalPass(const Bitmap& src, Bitmap& dst) {
    const uint32_t n = uint32_t(src.height);
    const uint32_t m = uint32_t(dst.height);
    const size_t block = kColumnBlock;
    std::vector<uint32_t> columns(size_t(n) * block);
    std::vector<uint32_t> out(size_t(m) * block);
    for (int32_t x0 = 0; x0 < src.width; x0 += kColumnBlock) {
        const size_t count = size_t(std::min(kColumnBlock, src.width - x0));
        const size_t bytes = count * sizeof(uint32_t);
        for (uint32_t y = 0; y < n; ++y) std::memcpy(&columns[y * block], src.Row(int32_t(y)) + x0, bytes);
        for (size_t c = 0; c < count; ++c) ResampleLine<kChannels>(&columns[c], block, n, &out[c], block, m);
        for (uint32_t y = 0; y < m; ++y) std::memcpy(dst.Row(int32_t(y)) + x0, &out[y * block], bytes);
    }
}

template <int kChannels>
void Resample(const Bitmap& src, Bitmap& dst) {
    if (src.height == dst.height) {
        HorizontalPass<kChannels>(src, dst);
    } else if (src.width == dst.width) {
        VerticalPass<kChannels>(src, dst);
    } else {
        Bitmap between;
        between.pixelFormat = src.pixelFormat;
        between.SetSize(dst.width, src.height);
        HorizontalPass<kChannels>(src, between);
        VerticalPass<kChannels>(between, dst);
    }
}

// The platform's stretch draw: each destination pixel takes the source pixel
// its top-left corner falls on.
void StretchDraw(const Bitmap& src, Bitmap& dst) {
    const uint32_t alpha = dst.pixelFormat == PixelFormat::Bits32 ? 0 : 0xFF000000u;
    dst.pixels.assign(size_t(dst.width) * size_t(dst.height), 0);
    std::vector<int32_t> sourceX(size_t(dst.width));
    for (int32_t x = 0; x < dst.width; ++x) sourceX[size_t(x)] = int32_t(int64_t(x) * src.width / dst.width);
    for (int32_t y = 0; y < dst.height; ++y) {
        const uint32_t* in = src.Row(int32_t(int64_t(y) * src.height / dst.height));
        uint32_t* out = dst.Row(y);
        for (int32_t x = 0; x < dst.width; ++x) out[x] = in[sourceX[size_t(x)]] | alpha;
    }
}

// Indexed, 15- and 16-bit sources are resampled as 32-bit pixels; their
// alpha bytes are opaque.
void ConvertTo32(Bitmap& bitmap) {
    bitmap.pixelFormat = PixelFormat::Bits32;
    bitmap.palette.clear();
    for (uint32_t& p : bitmap.pixels) p |= 0xFF000000u;
}

} // namespace

bool Rescale(Bitmap& src, Bitmap& dst, bool stretch) {
    if (!SizeFits(src.width, src.height) || !SizeFits(dst.width, dst.height)) return false;
    if (src.pixels.size() != size_t(src.width) * size_t(src.height)) return false;
    if (&src == &dst) return true; // a bitmap resized onto itself already has its size
    if (stretch) {
        StretchDraw(src, dst);
        return true;
    }
    if (src.width == dst.width && src.height == dst.height) {
        dst = src;
        return true;
    }
    if (src.width != dst.width && src.height != dst.height && !SizeFits(dst.width, src.height)) return false;

    if (src.pixelFormat != PixelFormat::Bits24 && src.pixelFormat != PixelFormat::Bits32) ConvertTo32(src);
    dst.pixelFormat = src.pixelFormat;
    dst.palette.clear();
    dst.pixels.assign(size_t(dst.width) * size_t(dst.height), 0xFF000000u);
    if (src.pixelFormat == PixelFormat::Bits32)
        Resample<4>(src, dst);
    else
        Resample<3>(src, dst);
    return true;
}

} // namespace gw
