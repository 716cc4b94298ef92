#include "pictures/IconToBitmap.h"

#include "platform/BmpCodec.h"

namespace gw {

Bitmap IconToBitmap(const DecodedImage& icon, TColor background, bool markBottomLeft) {
    Bitmap out;
    if (icon.width <= 0 || icon.height <= 0) return out;
    const uint32_t key = ArgbFromColor(background);
    out.SetSize(icon.width, icon.height, key);
    out.pixelFormat = PixelFormat::Device;
    const size_t n = size_t(icon.width) * size_t(icon.height);
    for (size_t i = 0; i < n && i < icon.argb.size(); ++i) {
        const bool transparent = i < icon.mask.size() && icon.mask[i];
        if (transparent) continue; // keeps the background colour
        const uint32_t p = icon.argb[i];
        const uint32_t a = p >> 24;
        if (a == 0xFF || !icon.hasAlpha) {
            out.pixels[i] = 0xFF000000u | (p & 0x00FFFFFF);
            continue;
        }
        // Blend a semi-transparent pixel over the background.
        auto mix = [&](int shift) {
            const uint32_t fg = (p >> shift) & 0xFF, bg = (key >> shift) & 0xFF;
            return ((fg * a + bg * (255 - a) + 127) / 255) << shift;
        };
        out.pixels[i] = 0xFF000000u | mix(16) | mix(8) | mix(0);
    }
    // The bottom-left pixel always carries the background, so that the
    // bottom-left-pixel convention for transparent colours finds it.
    if (markBottomLeft) out.SetPixel(0, out.height - 1, key);
    return out;
}

PixelFormat PixelFormatForBitCount(uint16_t bitCount) {
    if (bitCount >= 1 && bitCount <= 4) return PixelFormat::Bits4;
    if (bitCount == 8) return PixelFormat::Bits8;
    return PixelFormat::Device;
}

Bytes IconImageAsBmp(const DecodedImage& image, uint16_t bitCount, bool markBottomLeft) {
    const Bitmap bitmap = IconToBitmap(image, KeyColor, markBottomLeft);
    if (!bitmap.HasHandle()) return {};
    return EncodeBmp(bitmap, PixelFormatForBitCount(bitCount));
}

} // namespace gw
