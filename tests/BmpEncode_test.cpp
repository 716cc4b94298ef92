#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <set>

#include "formats/FileContents.h"
#include "platform/BmpCodec.h"
#include "platform/ColorQuantizer.h"
#include "platform/Display.h"
#include "tests/support/Builders.h"
#include "tests/support/DibVariantBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

Bitmap MakeBitmap(int w, int h, const std::function<uint32_t(int x, int y)>& argb) {
    Bitmap b;
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, argb(x, y));
    return b;
}

// Many distinct colours, none of them KeyColor.
uint32_t Gradient(int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | uint32_t((x + y) * 2); }

const uint32_t kKeyArgb = ArgbFromColor(KeyColor);

struct InfoHeader {
    uint32_t fileSize, bitsOffset, headerSize, compression, imageSize, coloursUsed;
    int32_t width, height;
    uint16_t planes, bitCount;
};

InfoHeader ReadHeader(const Bytes& f) {
    return {PeekU32(f, 2),  PeekU32(f, 10), PeekU32(f, 14), PeekU32(f, 30), PeekU32(f, 34),
            PeekU32(f, 46), int32_t(PeekU32(f, 18)), int32_t(PeekU32(f, 22)), PeekU16(f, 26), PeekU16(f, 28)};
}

std::vector<uint32_t> PaletteOf(const Bytes& f) {
    const InfoHeader h = ReadHeader(f);
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < h.coloursUsed; ++i) palette.push_back(PeekU32(f, 54 + 4 * i));
    return palette;
}

int Distance2(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        d += c * c;
    }
    return d;
}

// The output of a shell command, or nullopt when it could not run.
std::optional<std::string> RunCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    if (pclose(pipe) != 0) return std::nullopt;
    return out;
}

} // namespace

TEST(EncodeBmp, HeadersOfEveryFormat) {
    // Width 5 makes every format but 32 bits pad its rows.
    const Bitmap b = MakeBitmap(5, 3, Gradient);
    struct Case {
        PixelFormat format;
        uint16_t bitCount;
        uint32_t compression, coloursUsed, bitsOffset, stride;
    };
    const Case cases[] = {
        {PixelFormat::Bits1, 1, 0, 2, 62, 4},      {PixelFormat::Bits4, 4, 0, 16, 118, 4},
        {PixelFormat::Bits8, 8, 0, 256, 1078, 8},  {PixelFormat::Bits15, 16, 0, 0, 54, 12},
        {PixelFormat::Bits16, 16, 3, 0, 66, 12},   {PixelFormat::Bits24, 24, 0, 0, 54, 16},
        {PixelFormat::Bits32, 32, 0, 0, 54, 20},   {PixelFormat::Custom, 24, 0, 0, 54, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PixelFormatText(c.format));
        const Bytes f = EncodeBmp(b, c.format);
        ASSERT_GE(f.size(), 54u);
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        const InfoHeader h = ReadHeader(f);
        EXPECT_EQ(h.fileSize, f.size());
        EXPECT_EQ(h.bitsOffset, c.bitsOffset);
        EXPECT_EQ(h.headerSize, 40u);
        EXPECT_EQ(h.width, 5);
        EXPECT_EQ(h.height, 3); // positive: bottom-up
        EXPECT_EQ(h.planes, 1);
        EXPECT_EQ(h.bitCount, c.bitCount);
        EXPECT_EQ(h.compression, c.compression);
        EXPECT_EQ(h.coloursUsed, c.coloursUsed);
        EXPECT_EQ(h.imageSize, 3 * c.stride);
        EXPECT_EQ(f.size(), c.bitsOffset + 3 * c.stride);
        if (c.format == PixelFormat::Bits16) {
            EXPECT_EQ(PeekU32(f, 54), 0xF800u);
            EXPECT_EQ(PeekU32(f, 58), 0x07E0u);
            EXPECT_EQ(PeekU32(f, 62), 0x001Fu);
        }
    }
}

TEST(EncodeBmp, DirectPixelsAreBottomUpAndPadded) {
    // Top row red then green, bottom row blue then a half-transparent grey.
    const uint32_t px[2][2] = {{0xFFFF0000u, 0xFF00FF00u}, {0xFF0000FFu, 0x80102030u}};
    const Bitmap b = MakeBitmap(2, 2, [&](int x, int y) { return px[y][x]; });

    const Bytes f24 = EncodeBmp(b, PixelFormat::Bits24);
    const Bytes rows24(f24.begin() + 54, f24.end());
    EXPECT_EQ(rows24, (Bytes{0xFF, 0, 0, 0x30, 0x20, 0x10, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}));

    const Bytes f32 = EncodeBmp(b, PixelFormat::Bits32);
    EXPECT_EQ(PeekU32(f32, 54 + 4), 0x80102030u) << "alpha byte kept as held";
    EXPECT_EQ(PeekU32(f32, 54 + 8), 0xFFFF0000u);

    const Bytes f15 = EncodeBmp(b, PixelFormat::Bits15);
    EXPECT_EQ(PeekU16(f15, 54), 0x001Fu);     // blue, bottom row first
    EXPECT_EQ(PeekU16(f15, 54 + 2), 0x0886u); // 0x10 0x20 0x30 -> 2, 4, 6
    EXPECT_EQ(PeekU16(f15, 54 + 4), 0x7C00u); // red (4-byte rows need no padding)
    EXPECT_EQ(PeekU16(f15, 54 + 6), 0x03E0u);

    const Bytes f16 = EncodeBmp(b, PixelFormat::Bits16);
    EXPECT_EQ(PeekU16(f16, 66 + 2), 0x1106u); // 0x10 0x20 0x30 -> 2, 8, 6
    EXPECT_EQ(PeekU16(f16, 66 + 4), 0xF800u);
    EXPECT_EQ(PeekU16(f16, 66 + 6), 0x07E0u);
}

TEST(EncodeBmp, RoundTripsThroughTheDecoder) {
    const Bitmap opaque = MakeBitmap(7, 5, Gradient);
    for (PixelFormat f : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        const Bitmap back = DecodeBmp(EncodeBmp(opaque, f));
        EXPECT_EQ(back.pixels, opaque.pixels) << PixelFormatText(f);
    }
    const Bitmap translucent = MakeBitmap(3, 4, [](int x, int y) { return uint32_t(x * 80 + y) << 24 | 0x00ABCDEFu; });
    EXPECT_EQ(DecodeBmp(EncodeBmp(translucent, PixelFormat::Bits32)).pixels, translucent.pixels);

    // Colours that fit the palette come back exactly, at every indexed depth.
    // Odd widths exercise the packing of a partial last byte.
    const uint32_t colours[] = {0xFF000000u, 0xFFFFFFFFu, kKeyArgb, 0xFF808000u, 0xFF00A0C0u};
    const struct { PixelFormat format; int colourCount; int width; } indexed[] = {
        {PixelFormat::Bits1, 2, 9}, {PixelFormat::Bits4, 5, 7}, {PixelFormat::Bits8, 5, 3}};
    for (const auto& c : indexed) {
        const Bitmap b = MakeBitmap(c.width, 3, [&](int x, int y) { return colours[(x * 3 + y) % c.colourCount]; });
        const Bitmap back = DecodeBmp(EncodeBmp(b, c.format));
        EXPECT_EQ(back.pixels, b.pixels) << PixelFormatText(c.format);
        EXPECT_EQ(back.pixelFormat, c.format);
    }

    // 15 and 16 bits lose low bits; what survives is stable.
    for (PixelFormat f : {PixelFormat::Bits15, PixelFormat::Bits16}) {
        const Bytes once = EncodeBmp(opaque, f);
        EXPECT_EQ(EncodeBmp(DecodeBmp(once), f), once) << PixelFormatText(f);
    }
}

TEST(EncodeBmp, BitFieldAlphaIsSavedAs32Bits) {
    // Raw pixels whose alpha bits take many values, zero and full included.
    const auto raw16 = [](int x, int y) { return uint32_t(x * 0x1357 + y * 0x8642) & 0xFFFF; };
    const auto raw32 = [](int x, int y) { return uint32_t(x) * 0x3B1D2F47u + uint32_t(y) * 0x80402010u; };
    const auto dib = [](int bits, uint32_t r, uint32_t g, uint32_t b, std::function<uint32_t(int, int)> raw) {
        DibLayout s;
        s.width = 5, s.height = 4, s.bitCount = bits, s.icon = false, s.compression = 3;
        s.redMask = r, s.greenMask = g, s.blueMask = b;
        s.pixel = std::move(raw);
        return BuildDib(s);
    };
    // Alpha as the decoder scales it from the mask's bits.
    const auto scaled = [](uint32_t mask) {
        return [mask](uint32_t p) {
            const uint32_t max = mask >> std::countr_zero(mask);
            return ((p & mask) >> std::countr_zero(mask)) * 255 / max;
        };
    };
    const struct {
        const char* name;
        Bytes dib;
        std::function<uint32_t(int, int)> raw;
        std::function<uint32_t(uint32_t)> alpha;
    } withAlpha[] = {
        {"32-bit V3 bit fields", WithHeaderVersion(dib(32, 0xFF, 0xFF00, 0xFF0000, raw32), 56, 0xFF000000u), raw32,
         scaled(0xFF000000u)},
        {"32-bit alpha bit fields", WithAlphaBitfields(dib(32, 0xFF000000u, 0xFF0000, 0xFF00, raw32), 0xFF), raw32,
         scaled(0xFF)},
        {"16-bit 4-4-4-4", WithHeaderVersion(dib(16, 0x0F00, 0x00F0, 0x000F, raw16), 56, 0xF000), raw16,
         scaled(0xF000)},
        {"16-bit 1-5-5-5", WithHeaderVersion(dib(16, 0x7C00, 0x03E0, 0x001F, raw16), 124, 0x8000), raw16,
         scaled(0x8000)},
    };
    for (const auto& c : withAlpha) {
        SCOPED_TRACE(c.name);
        const Bitmap first = DecodeDib(c.dib);
        ASSERT_TRUE(first.HasHandle());
        EXPECT_EQ(first.pixelFormat, PixelFormat::Custom);
        for (int y = 0; y < first.height; ++y)
            for (int x = 0; x < first.width; ++x)
                ASSERT_EQ(first.Pixel(x, y) >> 24, c.alpha(c.raw(x, y))) << x << "," << y;

        // Written as the plain 32-bit format writes it, read back the same.
        const Bytes written = EncodeBmp(first);
        EXPECT_EQ(ReadHeader(written).bitCount, 32);
        EXPECT_EQ(written, EncodeBmp(first, PixelFormat::Bits32));
        const Bitmap back = DecodeBmp(written);
        EXPECT_EQ(back.pixelFormat, PixelFormat::Bits32);
        EXPECT_EQ(back.pixels, first.pixels);
    }

    // Without an alpha mask a custom layout stays opaque and is written as 24 bits.
    const Bitmap opaque = DecodeDib(WithHeaderVersion(dib(32, 0xFF, 0xFF00, 0xFF0000, raw32), 56, 0));
    EXPECT_EQ(opaque.pixelFormat, PixelFormat::Custom);
    const Bytes written = EncodeBmp(opaque);
    EXPECT_EQ(ReadHeader(written).bitCount, 24);
    const Bitmap back = DecodeBmp(written);
    EXPECT_EQ(back.pixels, opaque.pixels);
    EXPECT_TRUE(std::all_of(back.pixels.begin(), back.pixels.end(), [](uint32_t p) { return p >> 24 == 0xFF; }));
}

TEST(EncodeBmp, ExactPaletteAndPacking) {
    // 16 distinct colours fill a 4-bit palette exactly.
    const Bitmap b = MakeBitmap(16, 2, [](int x, int y) { return 0xFF000000u | uint32_t(x * 0x0F0E0D); });
    const Bytes f = EncodeBmp(b, PixelFormat::Bits4);
    std::set<uint32_t> expected, written;
    for (uint32_t p : b.pixels) expected.insert(p & 0xFFFFFF);
    for (uint32_t p : PaletteOf(f)) written.insert(p);
    EXPECT_EQ(written, expected);

    // A 1-bit row of 10 pixels: two bytes of bits (leftmost pixel in the high
    // bit) and two bytes of padding.
    const Bitmap mono = MakeBitmap(10, 1, [](int x, int) { return x % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u; });
    const Bytes m = EncodeBmp(mono, PixelFormat::Bits1);
    ASSERT_EQ(PaletteOf(m), (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
    EXPECT_EQ(Bytes(m.begin() + 62, m.end()), (Bytes{0x92, 0x40, 0, 0}));
}

TEST(EncodeBmp, QuantisedPaletteKeepsKeyColourExact) {
    // A 64 x 64 gradient (4096 colours) with KeyColor at the bottom-left pixel,
    // where the bitmap windows look for the transparent colour.
    Bitmap b = MakeBitmap(64, 64, Gradient);
    b.SetPixel(0, 63, kKeyArgb);
    for (PixelFormat f : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8}) {
        SCOPED_TRACE(PixelFormatText(f));
        const Bytes file = EncodeBmp(b, f);
        const std::vector<uint32_t> palette = PaletteOf(file);
        EXPECT_NE(std::find(palette.begin(), palette.end(), kKeyArgb & 0xFFFFFF), palette.end());
        const Bitmap back = DecodeBmp(file);
        ASSERT_TRUE(back.HasHandle());
        EXPECT_EQ(back.Pixel(0, 63), kKeyArgb);
        if (f == PixelFormat::Bits8) {
            // 255 colours for a smooth gradient: every pixel stays close.
            int worst = 0;
            for (size_t i = 0; i < b.pixels.size(); ++i) worst = std::max(worst, Distance2(back.pixels[i], b.pixels[i]));
            EXPECT_LE(worst, 3 * 12 * 12);
        }
    }

    // A 1-bit image saved as 4 bits keeps KeyColor too (three colours fit exactly).
    Bitmap mono = MakeBitmap(8, 8, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    mono.SetPixel(0, 7, kKeyArgb);
    EXPECT_EQ(DecodeBmp(EncodeBmp(mono, PixelFormat::Bits4)).Pixel(0, 7), kKeyArgb);
}

TEST(EncodeBmp, PhotoSizedColourCountsUseTheHistogram) {
    // 512 x 256 distinct colours: more than the exact colour count the median
    // cut keeps, so it works on the 5-5-5 histogram; KeyColor still survives.
    std::vector<uint32_t> pixels(512 * 256);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | uint32_t(i * 97 + 13) % 0x1000000u;
    pixels[777] = kKeyArgb;
    const std::vector<uint32_t> palette = BuildPalette(pixels, 256, kKeyArgb);
    EXPECT_EQ(palette.size(), 256u);
    EXPECT_TRUE(std::binary_search(palette.begin(), palette.end(), kKeyArgb & 0xFFFFFF));

    const std::vector<uint32_t> two = BuildPalette(pixels, 2, kKeyArgb);
    EXPECT_EQ(two.size(), 2u);
    EXPECT_TRUE(std::binary_search(two.begin(), two.end(), kKeyArgb & 0xFFFFFF));
}

TEST(EncodeBmp, MapperFindsTheNearestEntry) {
    std::mt19937 random(7);
    for (int round = 0; round < 10; ++round) {
        std::vector<uint32_t> palette(1 + random() % 256);
        for (uint32_t& p : palette) p = random() & 0xFFFFFF;
        PaletteMapper mapper(palette);
        for (int k = 0; k < 2000; ++k) {
            const uint32_t colour = random() | 0xFF000000u;
            int best = Distance2(colour, palette[0]);
            for (uint32_t p : palette) best = std::min(best, Distance2(colour, p));
            ASSERT_EQ(Distance2(colour, palette[mapper.IndexOf(colour)]), best);
        }
        for (size_t i = 0; i < palette.size(); ++i) EXPECT_EQ(palette[mapper.IndexOf(palette[i])], palette[i]);
    }
}

TEST(EncodeBmp, DeviceFormatFollowsTheDisplayAndEmptyBitmaps) {
    const Bitmap b = MakeBitmap(3, 3, Gradient);
    const struct { int depth; uint16_t bitCount; uint32_t compression; } depths[] = {
        {32, 32, 0}, {24, 24, 0}, {16, 16, 3}, {15, 16, 0}, {8, 8, 0}, {4, 32, 0}};
    for (const auto& d : depths) {
        Display::SetDepth(d.depth);
        const InfoHeader h = ReadHeader(EncodeBmp(b, PixelFormat::Device));
        EXPECT_EQ(h.bitCount, d.bitCount) << d.depth;
        EXPECT_EQ(h.compression, d.compression) << d.depth;
    }
    Display::SetDepth(32);

    EXPECT_TRUE(EncodeBmp(Bitmap{}, PixelFormat::Bits24).empty());
    Bitmap inconsistent = b;
    inconsistent.pixels.pop_back();
    EXPECT_TRUE(EncodeBmp(inconsistent, PixelFormat::Bits24).empty());
}

TEST(EncodeBmp, ImageMagickReadsTheDepthWeMeant) {
    if (!RunCommand("identify -version >/dev/null 2>&1")) GTEST_SKIP() << "identify is not installed";
    TempDir dir;
    Bitmap b = MakeBitmap(13, 5, Gradient);
    b.SetPixel(0, 4, kKeyArgb);
    const struct { PixelFormat format; const char* depth; } cases[] = {
        {PixelFormat::Bits1, "1"},  {PixelFormat::Bits4, "4"},  {PixelFormat::Bits8, "8"},
        {PixelFormat::Bits15, "8"}, {PixelFormat::Bits16, "8"}, {PixelFormat::Bits24, "8"},
        {PixelFormat::Bits32, "8"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(PixelFormatText(c.format));
        const std::string path = dir.file(std::string("x") + PixelFormatText(c.format) + ".bmp");
        ASSERT_TRUE(WriteFile(path, EncodeBmp(b, c.format)));
        // Depth, size, and the bottom-left pixel read back by an independent decoder.
        const auto out = RunCommand("identify -format '%z %w %h %[pixel:p{0,4}]' '" + path + "' 2>&1");
        ASSERT_TRUE(out);
        const std::string expected = std::string(c.depth) + " 13 5 srgb";
        EXPECT_EQ(out->substr(0, expected.size()), expected) << *out;
        if (c.format != PixelFormat::Bits15 && c.format != PixelFormat::Bits16) {
            EXPECT_NE(out->find("(86,52,18"), std::string::npos) << *out; // KeyColor
        }
    }
}
