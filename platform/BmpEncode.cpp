// The bitmap object's saver: a complete .bmp file (14-byte file header, a
// 40-byte info header, bit-field masks or colour table, bottom-up rows padded
// to 4 bytes) in any of the toolkit's pixel formats.
#include <cstring>

#include "platform/BmpCodec.h"
#include "platform/ColorQuantizer.h"
#include "platform/Display.h"

namespace gw {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint64_t kMaxFileSize = 0xFFFFFFFFu; // the header's file size is 32 bits

// What one pixel format puts into the file.
struct Layout {
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t maskBytes = 0;
};

// The device format is the display's depth; the custom format is saved as
// 24 bits, or as 32 bits when it was read with an alpha mask, so that the
// alpha survives. Depths without a format of their own are saved as 32 bits.
PixelFormat ResolveFormat(PixelFormat format, bool bitFieldAlpha) {
    if (format == PixelFormat::Custom) return bitFieldAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24;
    if (format != PixelFormat::Device) return format;
    switch (Display::Depth()) {
    case 8: return PixelFormat::Bits8;
    case 15: return PixelFormat::Bits15;
    case 16: return PixelFormat::Bits16;
    case 24: return PixelFormat::Bits24;
    default: return PixelFormat::Bits32;
    }
}

Layout LayoutOf(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bits1: return {1, kBiRgb, 0};
    case PixelFormat::Bits4: return {4, kBiRgb, 0};
    case PixelFormat::Bits8: return {8, kBiRgb, 0};
    case PixelFormat::Bits15: return {16, kBiRgb, 0};
    case PixelFormat::Bits16: return {16, kBiBitfields, 12};
    case PixelFormat::Bits24: return {24, kBiRgb, 0};
    default: return {32, kBiRgb, 0};
    }
}

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline uint8_t Red(uint32_t argb) { return uint8_t(argb >> 16); }
inline uint8_t Green(uint32_t argb) { return uint8_t(argb >> 8); }
inline uint8_t Blue(uint32_t argb) { return uint8_t(argb); }

void PackIndexedRow(const uint32_t* row, int32_t width, int bitCount, PaletteMapper& mapper, uint8_t* out) {
    const uint32_t* end = row + width;
    if (bitCount == 8) {
        for (; row != end; ++row) *out++ = mapper.IndexOf(*row);
        return;
    }
    const int perByte = 8 / bitCount;
    for (int32_t x = 0; x < width; ++x) {
        const int shift = 8 - bitCount * (x % perByte + 1); // leftmost pixel in the high bits
        out[x / perByte] |= uint8_t(mapper.IndexOf(row[x]) << shift);
    }
}

uint16_t Pack555(uint32_t p) { return uint16_t(((Red(p) >> 3) << 10) | ((Green(p) >> 3) << 5) | (Blue(p) >> 3)); }
uint16_t Pack565(uint32_t p) { return uint16_t(((Red(p) >> 3) << 11) | ((Green(p) >> 2) << 5) | (Blue(p) >> 3)); }

void PackDirectRow(const uint32_t* row, int32_t width, PixelFormat format, uint8_t* out) {
    const uint32_t* end = row + width;
    switch (format) {
    case PixelFormat::Bits15:
        for (; row != end; ++row, out += 2) PutU16(out, Pack555(*row));
        break;
    case PixelFormat::Bits16:
        for (; row != end; ++row, out += 2) PutU16(out, Pack565(*row));
        break;
    case PixelFormat::Bits24:
        for (; row != end; ++row, out += 3) {
            out[0] = Blue(*row);
            out[1] = Green(*row);
            out[2] = Red(*row);
        }
        break;
    default: // 32 bits: B, G, R and the alpha byte as held
        for (; row != end; ++row, out += 4) PutU32(out, *row);
        break;
    }
}

} // namespace

Bytes EncodeBmp(const Bitmap& bitmap, PixelFormat format) {
    if (!bitmap.HasHandle()) return {};
    const uint64_t pixelCount = uint64_t(bitmap.width) * uint64_t(bitmap.height);
    if (bitmap.pixels.size() != pixelCount) return {};

    format = ResolveFormat(format, bitmap.bitFieldAlpha);
    const Layout layout = LayoutOf(format);
    const bool indexed = layout.bitCount <= 8;

    // Every entry of the 2^n table is written and counted as used, so that
    // readers take the file for the depth it was saved in; unused entries are
    // black.
    std::vector<uint32_t> palette;
    const uint32_t tableEntries = indexed ? uint32_t(1) << layout.bitCount : 0;
    if (indexed) palette = BuildPalette(bitmap.pixels, tableEntries, ArgbFromColor(KeyColor));

    const uint64_t rowStride = (uint64_t(bitmap.width) * layout.bitCount + 31) / 32 * 4;
    const uint64_t imageSize = rowStride * uint64_t(bitmap.height);
    const uint64_t bitsOffset = kFileHeaderSize + kInfoHeaderSize + layout.maskBytes + 4 * uint64_t(tableEntries);
    const uint64_t fileSize = bitsOffset + imageSize;
    if (fileSize > kMaxFileSize) return {};

    Bytes file(size_t(fileSize), 0);
    uint8_t* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    PutU32(p + 2, uint32_t(fileSize));
    PutU32(p + 10, uint32_t(bitsOffset));

    uint8_t* info = p + kFileHeaderSize;
    PutU32(info + 0, kInfoHeaderSize);
    PutU32(info + 4, uint32_t(bitmap.width));
    PutU32(info + 8, uint32_t(bitmap.height)); // positive: bottom-up rows
    PutU16(info + 12, 1);                      // planes
    PutU16(info + 14, layout.bitCount);
    PutU32(info + 16, layout.compression);
    PutU32(info + 20, uint32_t(imageSize));
    PutU32(info + 32, tableEntries); // colours used; resolution and important colours stay 0

    uint8_t* table = info + kInfoHeaderSize;
    for (uint32_t m = 0; m < layout.maskBytes / 4; ++m) PutU32(table + 4 * m, kMask565[m]);
    for (size_t i = 0; i < palette.size(); ++i) PutU32(table + 4 * i, palette[i]); // B, G, R, 0

    uint8_t* bits = p + bitsOffset;
    auto fileRow = [&](int32_t y) { return bits + size_t(bitmap.height - 1 - y) * size_t(rowStride); };
    if (indexed) {
        PaletteMapper mapper(palette);
        for (int32_t y = 0; y < bitmap.height; ++y)
            PackIndexedRow(bitmap.Row(y), bitmap.width, layout.bitCount, mapper, fileRow(y));
    } else {
        for (int32_t y = 0; y < bitmap.height; ++y) PackDirectRow(bitmap.Row(y), bitmap.width, format, fileRow(y));
    }
    return file;
}

} // namespace gw
