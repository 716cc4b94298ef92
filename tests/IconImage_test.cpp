#include <gtest/gtest.h>

#include <cmath>

#include "platform/BmpCodec.h"
#include "platform/IconImage.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

Handle Icon(const Bytes& bytes, int w = 0, int h = 0) {
    return DecodeIconImage(bytes, true, w, h);
}

DibLayout IconSpec(int w, int h, int bits) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = bits;
    return s;
}

// The colour part of an icon layout decoded as a plain bitmap: the expected
// colours, whatever the depth.
Bitmap ColourPart(DibLayout s) {
    s.icon = false;
    return DecodeDib(BuildDib(s));
}

uint32_t At(const DecodedImage& im, int x, int y) { return im.argb[size_t(y) * im.width + x]; }
bool MaskAt(const DecodedImage& im, int x, int y) { return im.mask[size_t(y) * im.width + x] != 0; }

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header claims another size (with a correct CRC).
Bytes PngClaiming(Bytes png, uint32_t w, uint32_t h) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = uint8_t(w >> (24 - 8 * i));
        png[20 + i] = uint8_t(h >> (24 - 8 * i));
    }
    const uint32_t crc = Crc32(png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

} // namespace

TEST(IconImage, AndMaskMakesPixelsTransparent) {
    for (int bits : {4, 8, 16, 24}) {
        DibLayout s = IconSpec(32, 32, bits);
        s.pixel = [bits](int x, int y) {
            return bits <= 8 ? uint32_t(x * y) % (1u << bits) : uint32_t(x * 0x0813 + y * 0x210407);
        };
        s.transparent = [](int x, int) { return x < 16; };
        const Handle h = Icon(BuildDib(s));
        ASSERT_TRUE(h) << bits;
        const Bitmap colours = ColourPart(s);
        EXPECT_EQ(h->width, 32);
        EXPECT_EQ(h->height, 32);
        EXPECT_EQ(h->storedWidth, 32);
        EXPECT_EQ(h->storedHeight, 32);
        EXPECT_EQ(h->bitCount, bits);
        EXPECT_TRUE(h->isIcon);
        EXPECT_FALSE(h->hasAlpha || h->fromPng || h->monochrome);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t rgb = colours.Pixel(x, y) & 0xFFFFFF;
                ASSERT_EQ(At(*h, x, y), x < 16 ? rgb : 0xFF000000u | rgb) << bits << " " << x << "," << y;
                ASSERT_EQ(MaskAt(*h, x, y), x < 16);
            }
    }
}

TEST(IconImage, AlphaChannelOrAndMaskFor32Bits) {
    DibLayout s = IconSpec(32, 32, 32);
    s.pixel = [](int x, int y) { return uint32_t(x * 8) << 24 | uint32_t(y * 0x040201); };
    s.transparent = [](int, int) { return true; }; // ignored when alpha is present
    const Handle alpha = Icon(BuildDib(s));
    ASSERT_TRUE(alpha);
    EXPECT_TRUE(alpha->hasAlpha);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(At(*alpha, x, y), s.pixel(x, y));
            ASSERT_EQ(MaskAt(*alpha, x, y), x == 0);
        }

    // All alpha zero: the AND mask decides, and opaque pixels get 0xFF.
    s.pixel = [](int x, int y) { return uint32_t(y * 0x040201 + x); };
    s.transparent = [](int x, int) { return x < 16; };
    const Handle masked = Icon(BuildDib(s));
    ASSERT_TRUE(masked);
    EXPECT_FALSE(masked->hasAlpha);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(At(*masked, x, y), (x < 16 ? 0u : 0xFF000000u) | s.pixel(x, y));
            ASSERT_EQ(MaskAt(*masked, x, y), x < 16);
        }
}

TEST(IconImage, MonochromeXorAndCombinations) {
    DibLayout s = IconSpec(8, 2, 1);
    s.palette = {0x000000, 0xFFFFFF};
    // Columns by x % 4: XOR/AND = 0/0, 1/0, 0/1, 1/1.
    s.pixel = [](int x, int) { return uint32_t(x % 2); };
    s.transparent = [](int x, int) { return x % 4 >= 2; };
    const Handle h = Icon(BuildDib(s));
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->monochrome);
    EXPECT_EQ(h->bitCount, 1);
    const uint32_t argb[4] = {0xFF000000u, 0xFFFFFFFFu, 0x00000000u, 0xFF000000u}; // inverted screen: opaque black
    const bool mask[4] = {false, false, true, false};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(At(*h, x, y), argb[x % 4]) << x;
            EXPECT_EQ(MaskAt(*h, x, y), mask[x % 4]) << x;
        }
}

TEST(IconImage, PngImages) {
    const auto colour = [](int x, int y) {
        return uint32_t((x + y) & 0xFF) << 24 | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((x ^ y) & 0xFF);
    };
    const Bytes png = BuildPng(256, 256, colour);
    const Handle h = Icon(png);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 256);
    EXPECT_EQ(h->height, 256);
    EXPECT_TRUE(h->fromPng && h->hasAlpha);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(At(*h, x, y), colour(x, y));
            ASSERT_EQ(MaskAt(*h, x, y), ((x + y) & 0xFF) == 0);
        }
    const Handle small = Icon(png, 32, 32);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 32);
    EXPECT_EQ(small->storedWidth, 256);

    Bytes corrupt = png;
    corrupt[corrupt.size() / 2] ^= 0x5A;
    Icon(corrupt); // must not crash; the CRC check rejects it

    // Size claims beyond the limits, or beyond what the data can hold, fail
    // before the pixels are allocated.
    const Bytes tiny = BuildPng(16, 16, colour);
    EXPECT_FALSE(Icon(PngClaiming(tiny, 40000, 16)));
    EXPECT_FALSE(Icon(PngClaiming(tiny, 8000, 8000)));
    for (size_t n = 0; n < tiny.size(); ++n) {
        const Handle cut = Icon(Bytes(tiny.begin(), tiny.begin() + n));
        if (n < 40) {
            EXPECT_FALSE(cut) << n;
        }
        if (cut) {
            EXPECT_EQ(cut->width, 16);
        }
    }
}

TEST(IconImage, CursorResourceHotSpot) {
    const Bytes image = BuildDib(IconSpec(32, 32, 8));
    Bytes resource = {5, 0, 7, 1};
    resource.insert(resource.end(), image.begin(), image.end());
    const Handle h = DecodeIconImage(resource, false);
    ASSERT_TRUE(h);
    EXPECT_FALSE(h->isIcon);
    EXPECT_EQ(h->hotspotX, 5);
    EXPECT_EQ(h->hotspotY, 0x107);
    EXPECT_EQ(h->storedWidth, 32);
    const Handle plain = Icon(image);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->argb, h->argb);

    EXPECT_FALSE(DecodeIconImage(Bytes{5, 0, 7}, false));
}

TEST(IconImage, ScalingAveragesWhenShrinkingAndRepeatsWhenGrowing) {
    // 32 -> 16: every 2 x 2 block has bx % 4 transparent pixels; a block is
    // transparent when more than half of it is, and opaque blocks average
    // their opaque pixels only.
    DibLayout s = IconSpec(32, 32, 24);
    s.pixel = [](int x, int y) { return uint32_t(x * 8) << 16 | uint32_t((x % 2) * 100 + (y % 2) * 50); };
    const auto hidden = [](int x, int y) {
        const int n = (x / 2) % 4, i = (y % 2) * 2 + (x % 2);
        return i < n;
    };
    s.transparent = hidden;
    const Handle h = Icon(BuildDib(s), 16, 16);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 16);
    EXPECT_EQ(h->storedWidth, 32);
    for (int by = 0; by < 16; ++by)
        for (int bx = 0; bx < 16; ++bx) {
            double red = 0, blue = 0;
            int opaque = 0;
            for (int k = 0; k < 4; ++k) {
                const int x = 2 * bx + k % 2, y = 2 * by + k / 2;
                if (hidden(x, y)) continue;
                red += (s.pixel(x, y) >> 16) & 0xFF;
                blue += s.pixel(x, y) & 0xFF;
                ++opaque;
            }
            ASSERT_EQ(MaskAt(*h, bx, by), opaque < 2) << bx << "," << by;
            if (opaque < 2) {
                EXPECT_EQ(At(*h, bx, by) >> 24, 0u);
                continue;
            }
            const uint32_t expected = 0xFF000000u | uint32_t(std::floor(red / opaque + 0.5)) << 16 |
                                      uint32_t(std::floor(blue / opaque + 0.5));
            ASSERT_EQ(At(*h, bx, by), expected) << bx << "," << by;
        }

    // 16 -> 32 repeats pixels and mask bits (a resampled transparent pixel
    // is 0: its colour has no weight); one axis 0 keeps its stored size.
    DibLayout small = IconSpec(16, 16, 8);
    small.transparent = [](int x, int y) { return (x + y) % 3 == 0; };
    const Handle source = Icon(BuildDib(small));
    const Handle big = Icon(BuildDib(small), 32, 32);
    ASSERT_TRUE(source && big);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool hiddenThere = MaskAt(*source, x / 2, y / 2);
            ASSERT_EQ(MaskAt(*big, x, y), hiddenThere);
            ASSERT_EQ(At(*big, x, y), hiddenThere ? 0u : At(*source, x / 2, y / 2));
        }
    const Handle tall = Icon(BuildDib(small), 0, 24);
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->width, 16);
    EXPECT_EQ(tall->height, 24);
    EXPECT_FALSE(Icon(BuildDib(small), 40000, 16));

    // Alpha images average premultiplied: transparent colours do not bleed.
    DibLayout alpha = IconSpec(2, 2, 32);
    alpha.pixel = [](int x, int) { return x == 0 ? 0xFFFF0000u : 0x0000FF00u; };
    const Handle one = Icon(BuildDib(alpha), 1, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->argb[0], 0x80FF0000u);
    EXPECT_FALSE(MaskAt(*one, 0, 0));
}

TEST(IconImage, DamagedImages) {
    // Colour rows missing: no image. AND-mask rows missing: the rows the
    // data holds (bottom-up) are used, the rest are opaque.
    DibLayout s = IconSpec(16, 16, 4);
    s.transparent = [](int, int) { return true; };
    const Bytes full = BuildDib(s);
    const size_t colourEnd = 40 + 64 + 16 * 8;
    for (size_t n = 0; n < full.size(); ++n) {
        const Handle h = Icon(Bytes(full.begin(), full.begin() + n));
        ASSERT_EQ(bool(h), n >= colourEnd) << n;
        if (!h) continue;
        const int rowsThere = int(n - colourEnd) / 4;
        for (int y = 0; y < 16; ++y) ASSERT_EQ(MaskAt(*h, 3, y), y >= 16 - rowsThere) << n << " row " << y;
    }

    Bytes rle = full;
    rle[16] = 2; // RLE4 is not an icon image form
    EXPECT_FALSE(Icon(rle));
    Bytes topDown = full;
    PatchU32(topDown, 8, uint32_t(-32));
    EXPECT_FALSE(Icon(topDown));

    // Arbitrary bytes never crash.
    uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        Bytes junk = full;
        for (int k = 0; k < 6; ++k) {
            seed = seed * 1103515245u + 12345u;
            junk[(seed >> 8) % 48] = uint8_t(seed >> 24);
        }
        Icon(junk, 20, 20);
        DecodeIconImage(junk, false);
    }
}
