#include <gtest/gtest.h>

#include <functional>

#include "formats/Rescaler.h"

using namespace gw;

namespace {

Bitmap MakeBitmap(int w, int h, PixelFormat format, const std::function<uint32_t(int x, int y)>& argb) {
    Bitmap b;
    b.pixelFormat = format;
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, argb(x, y));
    return b;
}

// A grey of the given level in every colour byte, opaque.
uint32_t Grey(uint32_t v) { return 0xFF000000u | v * 0x010101u; }

Bitmap Target(int w, int h) {
    Bitmap b;
    b.width = w;
    b.height = h;
    return b;
}

// Resizes a single row (or, transposed, a single column) of grey levels.
std::vector<uint32_t> ResizeLine(const std::vector<uint32_t>& levels, int m, bool vertical) {
    const int n = int(levels.size());
    Bitmap src = MakeBitmap(vertical ? 1 : n, vertical ? n : 1, PixelFormat::Bits24,
                            [&](int x, int y) { return Grey(levels[size_t(vertical ? y : x)]); });
    Bitmap dst = vertical ? Target(1, m) : Target(m, 1);
    EXPECT_TRUE(Rescale(src, dst));
    std::vector<uint32_t> out;
    for (uint32_t p : dst.pixels) {
        EXPECT_EQ(p, Grey(p & 0xFF)) << "every channel alike, opaque";
        out.push_back(p & 0xFF);
    }
    return out;
}

} // namespace

TEST(Rescaler, AreaAveragesAlongEitherAxis) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        EXPECT_EQ(ResizeLine({10, 30}, 1, vertical), (std::vector<uint32_t>{20}));
        EXPECT_EQ(ResizeLine({100}, 2, vertical), (std::vector<uint32_t>{100, 100}));
        // Each destination pixel covers 1.5 source pixels: 0 + half of 90; the
        // other half of 90 + 180.
        EXPECT_EQ(ResizeLine({0, 90, 180}, 2, vertical), (std::vector<uint32_t>{30, 150}));
        // Covering 2/3 of a pixel each: 0; 1/3 of 0 and 1/3 of 90 -> 45; 90.
        EXPECT_EQ(ResizeLine({0, 90}, 3, vertical), (std::vector<uint32_t>{0, 45, 90}));
        // Truncation, not rounding: (10 + 11) / 2.
        EXPECT_EQ(ResizeLine({10, 11}, 1, vertical), (std::vector<uint32_t>{10}));
    }
}

TEST(Rescaler, ConstantImagesStayConstantAtAnyScale) {
    // Sums of fractional parts must not lose the last unit: 255 stays 255.
    const int sizes[][4] = {{10, 10, 3, 3}, {100, 70, 33, 29}, {7, 5, 23, 19}, {300, 1, 7, 1}, {97, 89, 64, 64}};
    for (const auto& s : sizes) {
        for (PixelFormat f : {PixelFormat::Bits24, PixelFormat::Bits32}) {
            Bitmap src = MakeBitmap(s[0], s[1], f, [](int, int) { return 0xFFFFFFFFu; });
            Bitmap dst = Target(s[2], s[3]);
            ASSERT_TRUE(Rescale(src, dst));
            for (uint32_t p : dst.pixels) ASSERT_EQ(p, 0xFFFFFFFFu) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
        }
    }
}

TEST(Rescaler, BlocksOfOneColourSurviveBothPasses) {
    // 50 x 40 blocks of 20 x 15 pixels each, colours with alpha: shrinking by
    // the block size gives back each block's colour, including in the last,
    // partial group of gathered columns.
    auto block = [](int bx, int by) { return uint32_t(bx * 5) << 24 | uint32_t(by * 6) << 16 | uint32_t(bx + by) << 8 | 0x42u; };
    Bitmap src = MakeBitmap(1000, 600, PixelFormat::Bits32, [&](int x, int y) { return block(x / 20, y / 15); });
    Bitmap dst = Target(50, 40);
    ASSERT_TRUE(Rescale(src, dst));
    EXPECT_EQ(dst.pixelFormat, PixelFormat::Bits32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(dst.Pixel(x, y), block(x, y)) << x << "," << y;
}

TEST(Rescaler, AlphaByteFollowsThePixelFormat) {
    // 32 bits: the alpha byte is averaged like the others (0 and 255 -> 127).
    Bitmap src32 = MakeBitmap(2, 1, PixelFormat::Bits32, [](int x, int) { return x ? 0xFF000000u : 0x00000000u; });
    Bitmap dst32 = Target(1, 1);
    ASSERT_TRUE(Rescale(src32, dst32));
    EXPECT_EQ(dst32.pixels[0], 0x7F000000u);

    // 24 bits: three colour bytes, opaque whatever the alpha byte held.
    Bitmap src24 = MakeBitmap(2, 2, PixelFormat::Bits24, [](int, int) { return 0x00336699u; });
    Bitmap dst24 = Target(1, 1);
    ASSERT_TRUE(Rescale(src24, dst24));
    EXPECT_EQ(dst24.pixels[0], 0xFF336699u);
    EXPECT_EQ(dst24.pixelFormat, PixelFormat::Bits24);
}

TEST(Rescaler, FormatsOfSourceAndDestination) {
    // Same size: a copy, format and palette untouched.
    Bitmap indexed = MakeBitmap(4, 4, PixelFormat::Bits4, [](int x, int y) { return Grey(uint32_t(x * 16 + y)); });
    indexed.palette = {0xFF000000u, 0xFFFFFFFFu};
    Bitmap same = Target(4, 4);
    ASSERT_TRUE(Rescale(indexed, same));
    EXPECT_EQ(same.pixelFormat, PixelFormat::Bits4);
    EXPECT_EQ(same.pixels, indexed.pixels);
    EXPECT_EQ(same.palette, indexed.palette);
    EXPECT_EQ(indexed.pixelFormat, PixelFormat::Bits4);

    // Another size: the 4-bit source becomes 32 bits, and so does the result.
    Bitmap half = Target(2, 2);
    ASSERT_TRUE(Rescale(indexed, half));
    EXPECT_EQ(indexed.pixelFormat, PixelFormat::Bits32);
    EXPECT_TRUE(indexed.palette.empty());
    EXPECT_EQ(half.pixelFormat, PixelFormat::Bits32);
    EXPECT_EQ(half.Pixel(0, 0), Grey((0 + 1 + 16 + 17) / 4));

    // A 16-bit source with a stray alpha byte is converted as opaque.
    Bitmap sixteen = MakeBitmap(2, 1, PixelFormat::Bits16, [](int, int) { return 0x00808080u; });
    Bitmap one = Target(1, 1);
    ASSERT_TRUE(Rescale(sixteen, one));
    EXPECT_EQ(one.pixels[0], 0xFF808080u);
}

TEST(Rescaler, StretchDrawsNearestPixels) {
    Bitmap src = MakeBitmap(2, 2, PixelFormat::Bits32, [](int x, int y) { return uint32_t(0x10 * (1 + x + 2 * y)); });
    Bitmap dst = Target(4, 3);
    dst.pixelFormat = PixelFormat::Bits24;
    ASSERT_TRUE(Rescale(src, dst, true));
    EXPECT_EQ(dst.pixelFormat, PixelFormat::Bits24);
    const uint32_t expected[3][4] = {{0x10, 0x10, 0x20, 0x20}, {0x10, 0x10, 0x20, 0x20}, {0x30, 0x30, 0x40, 0x40}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Pixel(x, y), 0xFF000000u | expected[y][x]) << x << "," << y;
}

TEST(Rescaler, RefusesDegenerateSizes) {
    Bitmap src = MakeBitmap(4, 4, PixelFormat::Bits8, [](int, int) { return Grey(9); });
    const int targets[][2] = {{0, 4}, {4, 0}, {-3, 2}, {2, -1}, {kMaxDimension + 1, 1}, {1, kMaxDimension + 1},
                              {kMaxDimension, kMaxDimension}};
    for (const auto& t : targets) {
        Bitmap dst = Target(t[0], t[1]);
        EXPECT_FALSE(Rescale(src, dst)) << t[0] << "x" << t[1];
        EXPECT_FALSE(Rescale(src, dst, true)) << t[0] << "x" << t[1];
    }
    EXPECT_EQ(src.pixelFormat, PixelFormat::Bits8) << "a refused call changes nothing";

    // The bitmap between the passes (dst width x src height) is bounded too.
    Bitmap tall = MakeBitmap(1, 8192, PixelFormat::Bits24, [](int, int) { return Grey(1); });
    Bitmap wide = Target(kMaxDimension, 4);
    EXPECT_FALSE(Rescale(tall, wide));

    Bitmap empty;
    Bitmap dst = Target(2, 2);
    EXPECT_FALSE(Rescale(empty, dst));
    Bitmap inconsistent = src;
    inconsistent.pixels.resize(3);
    EXPECT_FALSE(Rescale(inconsistent, dst));
}
