#pragma once
// The bitmap object: decoded pixels plus the pixel format the bitmap keeps
// when it is saved. Pixels are held as 0xAARRGGBB in top-down rows whatever
// the format; for every format but 32 bits the alpha byte is 0xFF, except in
// a custom bitmap read from bit fields with an alpha mask (bitFieldAlpha).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gw {

// A colour in the platform's 0x00BBGGRR layout (red in the low byte).
using TColor = uint32_t;

// The toolkit's pixel-format enumeration, in its order (pfDevice, pf1bit, ... pfCustom).
enum class PixelFormat : uint8_t {
    Device = 0,
    Bits1 = 1,
    Bits4 = 2,
    Bits8 = 3,
    Bits15 = 4,
    Bits16 = 5,
    Bits24 = 6,
    Bits32 = 7,
    Custom = 8,
};

const char* PixelFormatText(PixelFormat f);

// The background given to transparent pixels when an icon or cursor image
// is converted to a bitmap (0x00BBGGRR: red 0x56, green 0x34, blue 0x12).
// Palettes built for bitmaps always keep it exact.
constexpr TColor KeyColor = 0x00123456; // "device", "1", "4", "8", "15", "16", "24", "32", "custom"

inline uint32_t ArgbFromColor(TColor c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline TColor ColorFromArgb(uint32_t argb) {
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

// Largest width or height any decoder accepts, and largest pixel count.
constexpr int32_t kMaxDimension = 32768;
constexpr uint64_t kMaxPixels = uint64_t(1) << 26; // 64 M pixels = 256 MiB of ARGB

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat pixelFormat = PixelFormat::Device;
    std::vector<uint32_t> pixels;  // width * height, top-down rows, 0xAARRGGBB
    std::vector<uint32_t> palette; // colour table of indexed bitmaps as decoded (0xFFRRGGBB)
    // Custom format only: the bit fields it was read from had an alpha mask,
    // so the pixels carry that alpha and the bitmap is saved as 32 bits.
    bool bitFieldAlpha = false;

    // A bitmap "has a handle" when it holds an image.
    bool HasHandle() const { return width > 0 && height > 0; }
    void SetSize(int32_t w, int32_t h, uint32_t fill = 0xFF000000u) {
        width = w;
        height = h;
        pixels.assign(size_t(w) * size_t(h), fill);
    }
    uint32_t* Row(int32_t y) { return pixels.data() + size_t(y) * size_t(width); }
    const uint32_t* Row(int32_t y) const { return pixels.data() + size_t(y) * size_t(width); }
    uint32_t Pixel(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void SetPixel(int32_t x, int32_t y, uint32_t argb) { pixels[size_t(y) * size_t(width) + size_t(x)] = argb; }
};

} // namespace gw
