// DecodeIconImage: the bytes of an icon or cursor image (a DIB with its AND
// mask, or PNG data) become ARGB pixels and a 1-bit mask at the desired size.
#include "platform/IconImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/DibDecode.h"
#include "platform/LoadBudget.h"
#include "platform/PngDecode.h"

namespace gw {
namespace {

constexpr uint16_t kPngBitCount = 32; // PNG images are decoded to 8-bit RGBA
constexpr uint64_t kCursorPrefixSize = 4; // hot-spot column and row
constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kInvertedScreenColor = 0xFF000000u;

// ---- PNG ----

bool DecodePngImage(ByteView bytes, DecodedImage& image) {
    PngPixels pixels;
    if (!DecodePng(bytes, pixels)) return false;
    image.width = int32_t(pixels.width);
    image.height = int32_t(pixels.height);
    image.fromPng = true;
    image.hasAlpha = true;
    image.bitCount = kPngBitCount;
    image.argb = std::move(pixels.argb);
    image.mask.resize(image.argb.size());
    for (size_t i = 0; i < image.argb.size(); ++i) image.mask[i] = (image.argb[i] >> 24) == 0;
    return true;
}

// ---- DIB ----

// The classic monochrome image: the colour part is the XOR bitmap. AND 0
// shows the XOR colour; AND 1 with XOR 0 is transparent; AND 1 with XOR 1
// inverts the screen, which we draw as opaque black: what it shows over the
// light backgrounds icons are usually seen on.
void ComposeMonochrome(const dib::DibImage& d, DecodedImage& image) {
    for (size_t i = 0; i < image.argb.size(); ++i) {
        if (!image.mask[i]) continue;
        if (d.indices[i]) {
            image.argb[i] = kInvertedScreenColor;
            image.mask[i] = 0;
        } else {
            image.argb[i] &= 0x00FFFFFFu;
        }
    }
}

bool AnyAlpha(const std::vector<uint32_t>& argb) {
    return std::any_of(argb.begin(), argb.end(), [](uint32_t p) { return (p >> 24) != 0; });
}

void ComposeFromAlpha(DecodedImage& image) {
    image.hasAlpha = true;
    for (size_t i = 0; i < image.argb.size(); ++i) image.mask[i] = (image.argb[i] >> 24) == 0;
}

void ComposeFromAndMask(DecodedImage& image) {
    for (size_t i = 0; i < image.argb.size(); ++i)
        image.argb[i] = (image.argb[i] & 0x00FFFFFFu) | (image.mask[i] ? 0 : kOpaque);
}

bool DecodeDibIconImage(ByteView bytes, DecodedImage& image) {
    dib::DibImage d;
    if (!dib::DecodeDibImage(bytes, dib::DibRole::IconImage, 0, d, nullptr)) return false;
    image.width = d.bitmap.width;
    image.height = d.bitmap.height;
    image.bitCount = d.bitCount;
    image.monochrome = d.bitCount == 1;
    image.argb = std::move(d.bitmap.pixels);
    image.mask = std::move(d.andMask);
    if (image.monochrome)
        ComposeMonochrome(d, image);
    else if (d.hasAlphaChannel && AnyAlpha(image.argb))
        ComposeFromAlpha(image);
    else
        ComposeFromAndMask(image);
    return true;
}

// ---- scaling ----

// One output position along an axis takes the source positions
// [first, first + count) with these weights.
struct AxisTaps {
    std::vector<uint32_t> first;
    std::vector<uint32_t> count;
    std::vector<float> weights; // count weights per output position, in order
};

// Shrinking averages the covered area exactly (weights are the overlap of
// each source pixel with the output pixel); growing takes the nearest pixel.
AxisTaps BuildAxis(uint32_t src, uint32_t dst) {
    AxisTaps taps;
    taps.first.resize(dst);
    taps.count.resize(dst);
    if (dst >= src) {
        for (uint32_t i = 0; i < dst; ++i) {
            taps.first[i] = uint32_t((uint64_t(2 * i + 1) * src) / (2 * uint64_t(dst)));
            taps.count[i] = 1;
            taps.weights.push_back(1.0f);
        }
        return taps;
    }
    // In units of 1/dst of a source pixel, output i covers [i*src, (i+1)*src).
    for (uint32_t i = 0; i < dst; ++i) {
        const uint64_t lo = uint64_t(i) * src;
        const uint64_t hi = lo + src;
        taps.first[i] = uint32_t(lo / dst);
        const uint32_t last = uint32_t((hi - 1) / dst);
        taps.count[i] = last - taps.first[i] + 1;
        for (uint32_t s = taps.first[i]; s <= last; ++s) {
            const uint64_t overlap = std::min(hi, uint64_t(s + 1) * dst) - std::max(lo, uint64_t(s) * dst);
            taps.weights.push_back(float(overlap) / float(src));
        }
    }
    return taps;
}

// Premultiplied channels plus mask coverage, so transparent pixels do not
// bleed their colour into the average.
constexpr int kPlanes = 5;

void AddPixel(uint32_t p, bool transparent, float weight, float* acc) {
    const float a = float(p >> 24) / 255.0f * weight;
    acc[0] += a;
    acc[1] += float((p >> 16) & 0xFF) * a;
    acc[2] += float((p >> 8) & 0xFF) * a;
    acc[3] += float(p & 0xFF) * a;
    acc[4] += transparent ? weight : 0.0f;
}

uint32_t Channel(float premultiplied, float alpha) {
    return uint32_t(std::clamp(premultiplied / alpha + 0.5f, 0.0f, 255.0f));
}

// Images with real alpha derive the mask from the scaled alpha; the others
// stay two-level: a pixel is transparent when more than half its area was.
void StorePixel(const float* p, bool hasAlpha, uint32_t& argb, uint8_t& mask) {
    uint32_t alpha = uint32_t(std::clamp(p[0] * 255.0f + 0.5f, 0.0f, 255.0f));
    bool transparent = alpha == 0;
    if (!hasAlpha) {
        transparent = p[4] > 0.5f;
        alpha = transparent ? 0 : 255;
    }
    uint32_t rgb = 0;
    if (p[0] > 0.0f) rgb = (Channel(p[1], p[0]) << 16) | (Channel(p[2], p[0]) << 8) | Channel(p[3], p[0]);
    argb = (alpha << 24) | rgb;
    mask = transparent;
}

// Separable resampling one output row at a time: the source rows under it
// are summed into one row of accumulators, which is then resampled across.
// Memory stays one source row of accumulators beside the output.
void Scale(DecodedImage& image, int32_t width, int32_t height) {
    const AxisTaps across = BuildAxis(uint32_t(image.width), uint32_t(width));
    const AxisTaps down = BuildAxis(uint32_t(image.height), uint32_t(height));
    const size_t srcWidth = size_t(image.width);
    std::vector<uint32_t> argb(size_t(width) * size_t(height));
    std::vector<uint8_t> mask(argb.size());
    std::vector<float> rowAcc(srcWidth * kPlanes);
    size_t downTap = 0;
    for (int32_t y = 0; y < height; ++y) {
        std::fill(rowAcc.begin(), rowAcc.end(), 0.0f);
        for (uint32_t k = 0; k < down.count[y]; ++k, ++downTap) {
            const size_t row = size_t(down.first[y] + k) * srcWidth;
            for (size_t x = 0; x < srcWidth; ++x)
                AddPixel(image.argb[row + x], image.mask[row + x], down.weights[downTap], &rowAcc[x * kPlanes]);
        }
        size_t acrossTap = 0;
        for (int32_t x = 0; x < width; ++x) {
            float acc[kPlanes] = {};
            for (uint32_t k = 0; k < across.count[x]; ++k, ++acrossTap) {
                const float* s = &rowAcc[(across.first[x] + k) * kPlanes];
                for (int c = 0; c < kPlanes; ++c) acc[c] += s[c] * across.weights[acrossTap];
            }
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            StorePixel(acc, image.hasAlpha, argb[at], mask[at]);
        }
    }
    image.width = width;
    image.height = height;
    image.argb = std::move(argb);
    image.mask = std::move(mask);
}

// Whether a picture of the stored size may be drawn at the size asked for:
// within the limits, and a scaled copy drawn from the load's budget like a
// decoded picture (group entries may ask for a tiny image at a large size
// many times).
bool ScaleAllowed(int32_t storedWidth, int32_t storedHeight, int32_t width, int32_t height) {
    if (width > kMaxDimension || height > kMaxDimension || uint64_t(width) * uint64_t(height) > kMaxPixels)
        return false;
    return (width == storedWidth && height == storedHeight) || SpendLoadBudget(uint64_t(width) * uint64_t(height) * 4);
}

Handle DecodeImage(ByteView data, bool icon, int desiredWidth, int desiredHeight) {
    DecodedImage image;
    image.isIcon = icon;
    ByteView bytes = data;
    if (!icon) {
        if (data.size() < kCursorPrefixSize) return nullptr;
        image.hotspotX = PeekU16(data, 0);
        image.hotspotY = PeekU16(data, 2);
        bytes = data.subspan(kCursorPrefixSize);
    }
    const bool decoded = IsPng(bytes) ? DecodePngImage(bytes, image) : DecodeDibIconImage(bytes, image);
    if (!decoded) return nullptr;
    image.storedWidth = image.width;
    image.storedHeight = image.height;

    const int32_t width = desiredWidth > 0 ? desiredWidth : image.width;
    const int32_t height = desiredHeight > 0 ? desiredHeight : image.height;
    if (!ScaleAllowed(image.width, image.height, width, height)) return nullptr;
    if (width != image.width || height != image.height) Scale(image, width, height);
    return std::make_shared<const DecodedImage>(std::move(image));
}

// Whether DecodeImage makes a picture of the data, drawing the same budget;
// PNG data is checked without making its pixels.
bool IconDecodes(ByteView data, bool icon, int desiredWidth, int desiredHeight) {
    if (icon ? !IsPng(data) : data.size() < kCursorPrefixSize || !IsPng(data.subspan(kCursorPrefixSize)))
        return DecodeImage(data, icon, desiredWidth, desiredHeight) != nullptr;
    uint32_t storedWidth = 0, storedHeight = 0;
    if (!PngDecodes(icon ? data : data.subspan(kCursorPrefixSize), storedWidth, storedHeight)) return false;
    const int32_t width = desiredWidth > 0 ? desiredWidth : int32_t(storedWidth);
    const int32_t height = desiredHeight > 0 ? desiredHeight : int32_t(storedHeight);
    return ScaleAllowed(int32_t(storedWidth), int32_t(storedHeight), width, height);
}

} // namespace

Handle DecodeIconImage(ByteView data, bool icon, int desiredWidth, int desiredHeight) {
    try {
        return DecodeImage(data, icon, desiredWidth, desiredHeight);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace gw

namespace gw {

void DeferredPicture::Defer(bool icon, int width, int height, uint64_t length) {
    m_picture.reset();
    m_pending = true;
    m_icon = icon;
    m_width = width;
    m_height = height;
    m_length = length;
}

void DeferredPicture::Set(Handle picture) {
    m_picture = std::move(picture);
    m_pending = false;
}

void DeferredPicture::Reset() { Set(nullptr); }

Handle DeferredPicture::Decode(ByteView bytes) const {
    const ByteView source = bytes.first(size_t(std::min<uint64_t>(m_length, bytes.size())));
    // One decode draws from a budget of its own, as a load would: a
    // picture costs at most a bounded multiple of its bytes.
    const LoadBudget budget(source.size());
    return DecodeIconImage(source, m_icon, m_width, m_height);
}

const Handle& DeferredPicture::Get(ByteView bytes) const {
    if (m_pending) {
        m_pending = false;
        m_picture = Decode(bytes);
    }
    return m_picture;
}

bool DeferredPicture::Decodes(ByteView bytes) const {
    if (!m_pending) return bool(m_picture);
    const ByteView source = bytes.first(size_t(std::min<uint64_t>(m_length, bytes.size())));
    const LoadBudget budget(source.size());
    try {
        return IconDecodes(source, m_icon, m_width, m_height);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace gw
