// The direct PNG decoder against libpng: the same pixels wherever it decodes,
// and everything unusual or damaged left to libpng.
#include <gtest/gtest.h>

#include <random>

#include "platform/LoadBudget.h"
#include "platform/PngDecode.h"
#include "tests/support/PngBuilder.h"

namespace gw {
namespace {

using png_detail::DecodeDirect;
using png_detail::DecodeWithLibpng;
using png_detail::DirectResult;
using test::BuildRawPng;
using test::PngLayout;

PngLayout RandomLayout(uint8_t colorType, uint8_t depth, uint32_t seed) {
    std::mt19937 random(seed);
    PngLayout l;
    l.width = 13;
    l.height = 11;
    l.colorType = colorType;
    l.depth = depth;
    l.rows.resize(test::PngRowBytes(l) * l.height);
    for (uint8_t& b : l.rows) b = uint8_t(random() % 4 == 0 ? 0 : random());
    for (uint32_t y = 0; y < l.height; ++y) l.filters.push_back(uint8_t(y % 5));
    if (colorType == 3) {
        for (unsigned i = 0; i < (1u << depth) * 3; ++i) l.palette.push_back(uint8_t(random()));
        // Keep every index inside the palette.
        if (depth == 8) l.palette.resize(256 * 3);
    }
    return l;
}

// Decodes both ways; the direct decoder must have decoded when expected and
// match libpng exactly, and the combined decoder and the verdict alone must
// say what libpng says.
void ExpectSameAsLibpng(const Bytes& png, bool directDecodes, const std::string& what) {
    SCOPED_TRACE(what);
    PngPixels direct, reference, combined;
    bool spent = false;
    const DirectResult r = DecodeDirect(png, direct, spent);
    const bool libpngDecodes = DecodeWithLibpng(png, reference);
    EXPECT_EQ(r == DirectResult::Decoded, directDecodes);
    if (r == DirectResult::Decoded) {
        ASSERT_TRUE(libpngDecodes);
        EXPECT_EQ(direct.width, reference.width);
        EXPECT_EQ(direct.height, reference.height);
        EXPECT_EQ(direct.argb, reference.argb);
    }
    EXPECT_EQ(DecodePng(png, combined), libpngDecodes);
    uint32_t width = 0, height = 0;
    EXPECT_EQ(PngDecodes(png, width, height), libpngDecodes);
    if (libpngDecodes) {
        EXPECT_EQ(width, reference.width);
        EXPECT_EQ(height, reference.height);
    }
    if (libpngDecodes) {
        EXPECT_EQ(combined.argb, reference.argb);
    }
}

TEST(PngDecode, EveryColourTypeDepthFilterAndTransparencyDecodesAsLibpngDoes) {
    const std::vector<std::pair<uint8_t, std::vector<uint8_t>>> kinds = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    uint32_t seed = 1;
    for (const auto& [colorType, depths] : kinds) {
        for (const uint8_t depth : depths) {
            const std::string what = "type " + std::to_string(colorType) + " depth " + std::to_string(depth);
            PngLayout l = RandomLayout(colorType, depth, seed++);
            ExpectSameAsLibpng(BuildRawPng(l), true, what);
            l.dataParts = 3;
            ExpectSameAsLibpng(BuildRawPng(l), true, what + ", three IDAT chunks");
            l.dataParts = 1;
            // tRNS: a colour key taken from a pixel, a key beyond the depth
            // (libpng compares its low bits), and palette alpha.
            if (colorType == 0) {
                const uint16_t sample = depth == 16 ? uint16_t(l.rows[0] << 8 | l.rows[1])
                                                    : uint16_t(l.rows[0] >> (8 - depth));
                l.transparency = Bytes{uint8_t(sample >> 8), uint8_t(sample)};
                ExpectSameAsLibpng(BuildRawPng(l), true, what + ", grey key");
                l.transparency = Bytes{0x01, uint8_t(sample)};
                ExpectSameAsLibpng(BuildRawPng(l), true, what + ", grey key beyond the depth");
            } else if (colorType == 2) {
                Bytes key;
                for (int c = 0; c < 3; ++c) {
                    key.push_back(depth == 16 ? l.rows[size_t(2 * c)] : 0x01);
                    key.push_back(depth == 16 ? l.rows[size_t(2 * c + 1)] : l.rows[size_t(c)]);
                }
                l.transparency = key;
                ExpectSameAsLibpng(BuildRawPng(l), true, what + ", RGB key");
            } else if (colorType == 3) {
                l.transparency = Bytes{0, 128};
                ExpectSameAsLibpng(BuildRawPng(l), true, what + ", palette alpha");
            }
        }
    }
}

TEST(PngDecode, UnusualAndDamagedDataIsLeftToLibpng) {
    const PngLayout base = RandomLayout(6, 8, 99);
    const auto check = [](const PngLayout& l, const std::string& what) {
        ExpectSameAsLibpng(BuildRawPng(l), false, what);
    };
    PngLayout l = base;
    l.windowBits = 9;
    check(l, "a declared window under 32 KiB");
    l = base;
    l.filters[3] = 5;
    check(l, "an unknown row filter");
    l = base;
    l.trailingData = {1, 2, 3};
    check(l, "bytes after the zlib stream");
    l = base;
    l.interlace = 1;
    check(l, "an interlaced header");
    l = base;
    l.extraChunks = {{"CHRX", {1, 2}}};
    check(l, "an unknown critical chunk");
    l = base;
    l.extraChunks = {{"t3XT", {1}}};
    check(l, "a chunk name that is not four letters");
    l = base;
    l.transparency = Bytes{1, 2};
    check(l, "tRNS on an image with alpha");
    l = RandomLayout(3, 4, 5);
    l.palette.resize(3 * 3); // indices up to 15 over a palette of 3
    check(l, "palette indices beyond the palette");
    l = RandomLayout(3, 8, 6);
    l.palette.clear();
    check(l, "a palette image without PLTE");
    l = RandomLayout(2, 8, 7);
    l.palette = {1, 2, 3};
    check(l, "a suggested palette on an RGB image");

    // A bad CRC on an ancillary chunk (libpng drops the chunk) and on IDAT
    // (libpng refuses the file); a stream cut short; the file cut in the data.
    Bytes png = BuildRawPng(base);
    const Bytes good = png;
    l = base;
    l.extraChunks = {{"tEXt", {'a', 0, 'b'}}};
    png = BuildRawPng(l);
    png[33 + 8 + 3] ^= 1; // the tEXt chunk's CRC
    ExpectSameAsLibpng(png, false, "a bad ancillary CRC");
    png = good;
    png[png.size() - 12 - 1] ^= 1; // the IDAT chunk's CRC
    ExpectSameAsLibpng(png, false, "a bad IDAT CRC");
    png = good;
    png.resize(png.size() - 20);
    ExpectSameAsLibpng(png, false, "a file cut in its image data");
    png = good;
    png[33 + 8 + 5] ^= 0x40; // a byte of the deflate data, its CRC made right again
    test::FixPngChunkCrc(png, 33);
    ExpectSameAsLibpng(png, false, "a damaged stream");
}

TEST(PngDecode, WhatFollowsTheImageDataIsNotRead) {
    Bytes png = BuildRawPng(RandomLayout(6, 8, 3));
    png.resize(png.size() - 12); // no IEND
    ExpectSameAsLibpng(png, true, "no IEND");
    png.insert(png.end(), {0, 0, 0, 1, '?', '?', '?', '?', 9});
    ExpectSameAsLibpng(png, true, "garbage after the image data");
}

// A picture that the direct decoder gives up on after drawing its pixels from
// the load budget is drawn only once: libpng does not draw it again.
TEST(PngDecode, APictureLeftToLibpngLateIsDrawnFromTheBudgetOnce) {
    PngLayout l;
    l.width = 1000;
    l.height = 1000;
    l.colorType = 3;
    l.depth = 1;
    l.palette = {10, 20, 30};
    l.rows.assign(test::PngRowBytes(l) * l.height, 0);
    l.rows.back() = 1; // index 1 beyond the one-colour palette, in the last row
    const Bytes png = BuildRawPng(l);
    const uint64_t draw = uint64_t(l.width) * l.height * 4;
    const LoadBudget budget(png.size());
    // Leave room for one and a half pictures.
    ASSERT_TRUE(SpendLoadBudget(kLoadBudgetBaseBytes + kLoadBudgetPerFileByte * png.size() - draw - draw / 2));
    PngPixels pixels;
    ASSERT_TRUE(DecodePng(png, pixels));
    EXPECT_EQ(pixels.argb.front(), 0xFF0A141Eu);
    EXPECT_FALSE(SpendLoadBudget(draw));
}

} // namespace
} // namespace gw
