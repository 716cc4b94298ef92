#include <gtest/gtest.h>

#include <functional>

#include "platform/BmpCodec.h"
#include "tests/support/Builders.h"
#include "tests/support/DibVariantBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

std::vector<uint32_t> TestPalette(int bits) {
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < (1u << bits); ++i)
        p.push_back(((i * 7) & 0xFF) << 16 | ((i * 13) & 0xFF) << 8 | (255 - i));
    return p;
}

void ExpectPixels(const Bitmap& bmp, int w, int h, const std::function<uint32_t(int, int)>& expected,
                  const std::string& what) {
    ASSERT_TRUE(bmp.HasHandle()) << what;
    ASSERT_EQ(bmp.width, w) << what;
    ASSERT_EQ(bmp.height, h) << what;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(bmp.Pixel(x, y), expected(x, y)) << what << " at " << x << "," << y;
}

uint32_t Scale5(uint32_t v) { return (v * 255 + 15) / 31; }
uint32_t Scale6(uint32_t v) { return (v * 255 + 31) / 63; }

// The 14-byte file header followed by dib, with the bits offset set to 0.
Bytes ResourceStream(const Bytes& dib) {
    Bytes s = BmpFileHeaderForResource();
    s.insert(s.end(), dib.begin(), dib.end());
    return s;
}

DibLayout BitmapSpec(int w, int h, int bits) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = bits;
    s.icon = false;
    return s;
}

Bytes PatchedU32(Bytes b, size_t at, uint32_t v) {
    PatchU32(b, at, v);
    return b;
}

} // namespace

TEST(BmpDecode, IndexedDepthsBothRowOrders) {
    for (int bits : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            DibLayout s = BitmapSpec(13, 5, bits);
            s.topDown = topDown;
            s.palette = TestPalette(bits);
            const uint32_t count = 1u << bits;
            s.pixel = [count](int x, int y) { return uint32_t(x * 3 + y * 5) % count; };
            const Bytes dib = BuildDib(s);
            const auto expected = [&](int x, int y) { return Opaque(s.palette[s.pixel(x, y)]); };
            const std::string what = std::to_string(bits) + (topDown ? " top-down" : " bottom-up");

            const Bitmap fromFile = DecodeBmp(BuildBmpFile(dib));
            ExpectPixels(fromFile, 13, 5, expected, what + " file");
            ExpectPixels(DecodeDib(dib), 13, 5, expected, what + " dib");
            ExpectPixels(DecodeBmp(ResourceStream(dib)), 13, 5, expected, what + " resource");

            EXPECT_EQ(fromFile.pixelFormat, bits == 1 ? PixelFormat::Bits1
                                            : bits == 4 ? PixelFormat::Bits4
                                                        : PixelFormat::Bits8);
            ASSERT_EQ(fromFile.palette.size(), count);
            for (uint32_t i = 0; i < count; ++i) EXPECT_EQ(fromFile.palette[i], Opaque(s.palette[i]));
        }
    }
}

TEST(BmpDecode, DirectDepthsAndFormatCodes) {
    {
        DibLayout s = BitmapSpec(7, 3, 16); // 5-5-5 by default
        s.pixel = [](int x, int y) { return uint32_t(x << 10 | (y * 10) << 5 | (31 - x)); };
        const Bitmap b = DecodeDib(BuildDib(s));
        ExpectPixels(b, 7, 3, [](int x, int y) {
            return Opaque(Scale5(x) << 16 | Scale5(y * 10) << 8 | Scale5(31 - x));
        }, "16 default");
        EXPECT_EQ(b.pixelFormat, PixelFormat::Bits15);
    }
    {
        DibLayout s = BitmapSpec(7, 3, 16);
        s.compression = 3;
        s.redMask = 0x7C00, s.greenMask = 0x03E0, s.blueMask = 0x001F;
        EXPECT_EQ(DecodeDib(BuildDib(s)).pixelFormat, PixelFormat::Bits15);
        s.redMask = 0xF800, s.greenMask = 0x07E0, s.blueMask = 0x001F;
        s.pixel = [](int x, int y) { return uint32_t(x << 11 | (y * 20) << 5 | (31 - x)); };
        const Bitmap b = DecodeDib(BuildDib(s));
        ExpectPixels(b, 7, 3, [](int x, int y) {
            return Opaque(Scale5(x) << 16 | Scale6(y * 20) << 8 | Scale5(31 - x));
        }, "16 5-6-5");
        EXPECT_EQ(b.pixelFormat, PixelFormat::Bits16);
    }
    {
        DibLayout s = BitmapSpec(5, 4, 24);
        s.topDown = true;
        s.pixel = [](int x, int y) { return uint32_t(0x102030 * (x + 1) + 0x010101 * y) & 0xFFFFFF; };
        const Bitmap b = DecodeDib(BuildDib(s));
        ExpectPixels(b, 5, 4, [&](int x, int y) { return Opaque(s.pixel(x, y)); }, "24");
        EXPECT_EQ(b.pixelFormat, PixelFormat::Bits24);
    }
    {
        // 32 bits keep the stored fourth byte as alpha, plain or with the
        // standard masks.
        DibLayout s = BitmapSpec(5, 4, 32);
        s.pixel = [](int x, int y) { return uint32_t(x * 0x30000000u + 0x00102030u * (y + 1)); };
        const Bitmap plain = DecodeDib(BuildDib(s));
        ExpectPixels(plain, 5, 4, s.pixel, "32 plain");
        EXPECT_EQ(plain.pixelFormat, PixelFormat::Bits32);
        s.compression = 3;
        s.redMask = 0xFF0000, s.greenMask = 0xFF00, s.blueMask = 0xFF;
        const Bitmap masked = DecodeDib(BuildDib(s));
        ExpectPixels(masked, 5, 4, s.pixel, "32 standard masks");
        EXPECT_EQ(masked.pixelFormat, PixelFormat::Bits32);
    }
}

TEST(BmpDecode, EveryHeaderVersionGivesTheSamePixels) {
    {
        DibLayout s = BitmapSpec(9, 4, 8);
        s.palette = TestPalette(8);
        const Bytes info = BuildDib(s);
        const Bitmap reference = DecodeDib(info);
        ASSERT_TRUE(reference.HasHandle());
        const Bitmap core = DecodeBmp(BuildBmpFile(WithCoreHeader(info)));
        EXPECT_EQ(core.pixels, reference.pixels);
        EXPECT_EQ(core.palette, reference.palette);
        EXPECT_EQ(DecodeDib(WithCoreHeader(info)).pixels, reference.pixels);
        for (uint32_t size : {52u, 56u, 108u, 124u}) {
            const Bitmap b = DecodeDib(WithHeaderVersion(info, size));
            EXPECT_EQ(b.pixels, reference.pixels) << size;
            EXPECT_EQ(b.pixelFormat, PixelFormat::Bits8) << size;
        }
    }
    {
        DibLayout s = BitmapSpec(6, 3, 24);
        s.pixel = [](int x, int y) { return uint32_t(0x0A0B0C * (x + 2 * y)); };
        const Bytes info = BuildDib(s);
        const Bitmap reference = DecodeDib(info);
        EXPECT_EQ(DecodeBmp(BuildBmpFile(WithCoreHeader(info))).pixels, reference.pixels);
        for (uint32_t size : {52u, 56u, 108u, 124u})
            EXPECT_EQ(DecodeDib(WithHeaderVersion(info, size)).pixels, reference.pixels) << size;
    }
    {
        // Masks inside the V2+ header, not after it.
        DibLayout s = BitmapSpec(6, 3, 16);
        s.compression = 3;
        s.redMask = 0xF800, s.greenMask = 0x07E0, s.blueMask = 0x001F;
        const Bytes info = BuildDib(s);
        const Bitmap reference = DecodeDib(info);
        for (uint32_t size : {52u, 56u, 108u, 124u}) {
            const Bitmap b = DecodeBmp(BuildBmpFile(WithHeaderVersion(info, size)));
            EXPECT_EQ(b.pixels, reference.pixels) << size;
            EXPECT_EQ(b.pixelFormat, PixelFormat::Bits16) << size;
        }
    }
    {
        // V3+ alpha mask with bit fields: the alpha channel of a 32-bit
        // bitmap. With non-standard colour masks the format is custom and
        // keeps the alpha too.
        DibLayout s = BitmapSpec(4, 2, 32);
        s.compression = 3;
        s.redMask = 0xFF0000, s.greenMask = 0xFF00, s.blueMask = 0xFF;
        s.pixel = [](int x, int y) { return uint32_t(0x11223344u * uint32_t(x + 1) + uint32_t(y)); };
        const Bitmap v5 = DecodeDib(WithHeaderVersion(BuildDib(s), 124, 0xFF000000u));
        ExpectPixels(v5, 4, 2, s.pixel, "V5 alpha");
        EXPECT_EQ(v5.pixelFormat, PixelFormat::Bits32);

        s.redMask = 0xFF, s.blueMask = 0xFF0000;
        const Bitmap swapped = DecodeDib(WithHeaderVersion(BuildDib(s), 56, 0xFF000000u));
        ExpectPixels(swapped, 4, 2, [&](int x, int y) {
            const uint32_t p = s.pixel(x, y);
            return (p & 0xFF000000u) | (p & 0xFF) << 16 | (p & 0xFF00) | ((p >> 16) & 0xFF);
        }, "V3 swapped");
        EXPECT_EQ(swapped.pixelFormat, PixelFormat::Custom);
    }
}

TEST(BmpDecode, BitFieldMasksOfAnyShape) {
    const auto decode32 = [](uint32_t r, uint32_t g, uint32_t b, uint32_t pixel) {
        DibLayout s = BitmapSpec(1, 1, 32);
        s.compression = 3;
        s.redMask = r, s.greenMask = g, s.blueMask = b;
        s.pixel = [pixel](int, int) { return pixel; };
        return DecodeDib(BuildDib(s));
    };
    // 10-10-10: each channel scales 0..1023 onto 0..255.
    const Bitmap wide = decode32(0x3FF00000, 0x000FFC00, 0x000003FF, 1023u << 20 | 512u << 10 | 0);
    EXPECT_EQ(wide.Pixel(0, 0), 0xFFFF8000u);
    EXPECT_EQ(wide.pixelFormat, PixelFormat::Custom);
    // A zero mask reads 0; overlapping masks read the same bits.
    EXPECT_EQ(decode32(0, 0xFF, 0xFF, 0xAB).Pixel(0, 0), 0xFF00ABABu);
    // Full-width and non-contiguous masks: no shift by 32, values in range.
    EXPECT_EQ(decode32(0xFFFFFFFF, 0, 0, 0xFFFFFFFF).Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(decode32(0x80000001, 0, 0, 0x80000001).Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(decode32(0x80000001, 0, 0, 0x00000001).Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(decode32(0, 0, 0, 0x12345678).Pixel(0, 0), 0xFF000000u);

    DibLayout s = BitmapSpec(2, 1, 16);
    s.compression = 3;
    s.redMask = 0xFFFF0000u, s.greenMask = 0x07E0, s.blueMask = 0; // red lies above the 16 stored bits
    s.pixel = [](int x, int) { return x ? 0xFFFFu : 0x07E0u; };
    const Bitmap b = DecodeDib(BuildDib(s));
    EXPECT_EQ(b.Pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(b.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(b.pixelFormat, PixelFormat::Custom);
}

TEST(BmpDecode, Rle8AndRle4Runs) {
    const std::vector<uint32_t> palette = {0x112233, 0xFF0000, 0x00FF00, 0x0000FF};
    const auto check = [&](const Bitmap& b, const std::vector<std::vector<int>>& rows, const std::string& what) {
        ExpectPixels(b, int(rows[0].size()), int(rows.size()),
                     [&](int x, int y) { return Opaque(palette[rows[y][x]]); }, what);
    };
    // Bottom row: a run of three, an absolute run of three (padded), end of
    // line. Then a delta over the middle row to column 2 of the top row, a
    // run, a run past the right edge, end of bitmap, and ignored bytes.
    const Bytes rle8 = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 3, 5, 2, 0, 1, 4, 1};
    const Bitmap b8 = DecodeBmp(BuildBmpFile(BuildRleDib(6, 3, 8, palette, rle8)));
    check(b8, {{0, 0, 3, 3, 2, 2}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 1}}, "rle8");
    EXPECT_EQ(b8.pixelFormat, PixelFormat::Bits8);
    EXPECT_EQ(b8.palette.size(), 4u);

    // Nibble runs alternate; absolute runs of 3 (2 bytes) and 5 (3 bytes + pad).
    const Bytes rle4 = {5, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 5, 0x12, 0x30, 0x21, 0, 2, 0x33, 0, 1};
    const Bitmap b4 = DecodeDib(BuildRleDib(7, 2, 4, palette, rle4));
    check(b4, {{1, 2, 3, 0, 2, 3, 3}, {1, 2, 1, 2, 1, 3, 1}}, "rle4");
    EXPECT_EQ(b4.pixelFormat, PixelFormat::Bits4);

    // The data ending early leaves a partial image; so does a cut absolute run.
    const Bytes cut(rle8.begin(), rle8.begin() + 5);
    check(DecodeDib(BuildRleDib(6, 3, 8, palette, cut)), {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 0, 0}},
          "rle8 cut");

    // RLE must match the depth and be bottom-up.
    EXPECT_FALSE(DecodeDib(PatchedU32(BuildRleDib(6, 3, 8, palette, rle8), 16, 2)).HasHandle());
    EXPECT_FALSE(DecodeDib(PatchedU32(BuildRleDib(6, 3, 8, palette, rle8), 8, uint32_t(-3))).HasHandle());
}

TEST(BmpDecode, PaletteIndicesAndCounts) {
    // Two colours used: indices past them are black.
    DibLayout s = BitmapSpec(4, 1, 8);
    s.colorsUsed = 2;
    s.palette = {0xAA0000, 0x00BB00};
    s.pixel = [](int x, int) { return std::vector<uint32_t>{0, 1, 2, 255}[x]; };
    const Bitmap b = DecodeBmp(BuildBmpFile(BuildDib(s)));
    const std::vector<uint32_t> expected = {0xFFAA0000, 0xFF00BB00, 0xFF000000, 0xFF000000};
    ExpectPixels(b, 4, 1, [&](int x, int) { return expected[x]; }, "two colours");
    EXPECT_EQ(b.palette.size(), 2u);

    // More colours used than the depth allows: the table is clamped to 16
    // entries; the file header's bits offset still finds the bits.
    DibLayout many = BitmapSpec(3, 2, 4);
    many.colorsUsed = 40;
    many.pixel = [](int x, int y) { return uint32_t(x + 4 * y); };
    const Bitmap clamped = DecodeBmp(BuildBmpFile(BuildDib(many)));
    ASSERT_TRUE(clamped.HasHandle());
    EXPECT_EQ(clamped.palette.size(), 16u);
    EXPECT_EQ(clamped.Pixel(2, 1), clamped.palette[6]);

    // A count larger than the bytes there.
    Bytes huge = PatchedU32(BuildDib(BitmapSpec(3, 2, 24)), 32, 0xFFFFFFFFu);
    std::string error;
    EXPECT_FALSE(DecodeDib(huge, &error).HasHandle());
    EXPECT_EQ(error, "Bitmap data is truncated");
}

TEST(BmpDecode, FileHeaderBitsOffset) {
    const Bytes header = BmpFileHeaderForResource();
    EXPECT_EQ(header, Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    DibLayout s = BitmapSpec(5, 3, 4);
    const Bytes dib = BuildDib(s);
    const Bitmap reference = DecodeDib(dib);
    ASSERT_TRUE(reference.HasHandle());

    // A gap between the colour table and the bits is honoured.
    Bytes gap = BuildBmpFile(dib);
    const uint32_t offset = PeekU32(gap, 10);
    gap.insert(gap.begin() + offset, 10, 0xEE);
    PatchU32(gap, 10, offset + 10);
    EXPECT_EQ(DecodeBmp(gap).pixels, reference.pixels);

    // Offsets inside the header or past the end are ignored.
    EXPECT_EQ(DecodeBmp(PatchedU32(BuildBmpFile(dib), 10, 20)).pixels, reference.pixels);
    EXPECT_EQ(DecodeBmp(PatchedU32(BuildBmpFile(dib), 10, 0xFFFFFFF0u)).pixels, reference.pixels);

    std::string error;
    Bytes wrongType = BuildBmpFile(dib);
    wrongType[1] = 'A';
    EXPECT_FALSE(DecodeBmp(wrongType, &error).HasHandle());
    EXPECT_EQ(error, "Bitmap image is not valid");
    EXPECT_FALSE(DecodeBmp(Bytes{'B', 'M', 0}).HasHandle());
}

TEST(BmpDecode, RefusedHeaders) {
    const Bytes dib24 = BuildDib(BitmapSpec(4, 4, 24));
    const auto error = [](const Bytes& dib) {
        std::string e;
        EXPECT_FALSE(DecodeDib(dib, &e).HasHandle());
        return e;
    };
    EXPECT_EQ(error(PatchedU32(dib24, 16, 4)), "Unsupported compression 4");
    EXPECT_EQ(error(PatchedU32(dib24, 16, 5)), "Unsupported compression 5");
    EXPECT_EQ(error(PatchedU32(dib24, 16, 3)), "Bitmap image is not valid"); // bit fields need 16 or 32 bits
    Bytes depth2 = dib24;
    depth2[14] = 2;
    EXPECT_EQ(error(depth2), "Unsupported bit depth 2");
    EXPECT_EQ(error(PatchedU32(dib24, 0, 20)), "Bitmap image is not valid");
    EXPECT_EQ(error(PatchedU32(dib24, 0, 0xFFFFFFFFu)), "Bitmap data is truncated");

    // Dimension claims fail before anything is allocated.
    EXPECT_EQ(error(PatchedU32(dib24, 4, 40000)), "Bitmap image is too large");
    EXPECT_EQ(error(PatchedU32(dib24, 8, uint32_t(-40000))), "Bitmap image is too large");
    EXPECT_EQ(error(PatchedU32(PatchedU32(dib24, 4, 16384), 8, 8192)), "Bitmap image is too large");
    EXPECT_EQ(error(PatchedU32(dib24, 8, 0x80000000u)), "Bitmap image is too large");
    EXPECT_EQ(error(PatchedU32(dib24, 4, 0)), "Bitmap image is not valid");
    EXPECT_EQ(error(PatchedU32(dib24, 4, uint32_t(-5))), "Bitmap image is not valid");
    EXPECT_EQ(error(PatchedU32(dib24, 8, 0)), "Bitmap image is not valid");
    EXPECT_EQ(error(PatchedU32(PatchedU32(dib24, 4, 8000), 8, 8000)), "Bitmap data is truncated");

    // A tiny RLE stream may not claim a large image; a modest one may.
    const std::vector<uint32_t> palette = {0, 0xFFFFFF};
    EXPECT_EQ(error(BuildRleDib(8000, 8000, 8, palette, {0, 0, 0, 1})), "Bitmap data is truncated");
    EXPECT_TRUE(DecodeDib(BuildRleDib(300, 300, 8, palette, {2, 1, 0, 1, 0, 0, 0, 0})).HasHandle());
}

TEST(BmpDecode, TruncatedFilesNeverReadPastTheEnd) {
    const Bytes file = BuildBmpFile(BuildDib(BitmapSpec(5, 3, 4)));
    for (size_t n = 0; n < file.size(); ++n) {
        const Bytes cut(file.begin(), file.begin() + n);
        EXPECT_FALSE(DecodeBmp(cut).HasHandle()) << n;
    }
    EXPECT_TRUE(DecodeBmp(file).HasHandle());

    // RLE: once the header is there, a cut stream is a partial image (the
    // colour table is clamped to the bytes present).
    const Bytes rle = BuildBmpFile(BuildRleDib(6, 3, 8, {0x10, 0x20}, {3, 1, 0, 3, 1, 0, 1, 0, 0, 0, 4, 1, 0, 1}));
    const size_t headerEnd = 14 + 40;
    for (size_t n = 0; n < rle.size(); ++n) {
        const Bytes cut(rle.begin(), rle.begin() + n);
        const Bitmap b = DecodeBmp(cut);
        EXPECT_EQ(b.HasHandle(), n >= headerEnd) << n;
        if (b.HasHandle()) {
            EXPECT_EQ(b.pixels.size(), 18u);
        }
    }
}

TEST(BmpDecode, PixelFormatText) {
    const char* expected[] = {"device", "1", "4", "8", "15", "16", "24", "32", "custom"};
    for (int i = 0; i <= 8; ++i) EXPECT_STREQ(PixelFormatText(PixelFormat(i)), expected[i]);
}
