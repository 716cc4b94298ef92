// PNG output read back by our own decoder: every pixel and its alpha survive.
#include <gtest/gtest.h>

#include "formats/IconFormat.h"
#include "platform/IconImage.h"
#include "platform/PngEncode.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

TEST(PngEncode, RoundTripsPixelsAndAlphaFromTheMask) {
    std::vector<uint32_t> argb;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) argb.push_back(uint32_t(x * 50) << 24 | uint32_t(y * 80) << 8 | 0x10u);
    const Bytes png = EncodePng(5, 3, argb);
    ASSERT_TRUE(IsPngData(png));
    const Handle back = DecodeIconImage(png, true);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width, 5);
    ASSERT_EQ(back->height, 3);
    EXPECT_EQ(back->argb[7], argb[7]);
    EXPECT_EQ(back->argb[14], argb[14]);

    // An image without alpha: the mask decides what is clear.
    DecodedImage icon;
    icon.width = 2;
    icon.height = 1;
    icon.argb = {0xFF123456u, 0xFF654321u};
    icon.mask = {0, 1};
    const Handle masked = DecodeIconImage(IconImagePng(icon), true);
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->argb[0], 0xFF123456u);
    EXPECT_EQ(masked->argb[1] >> 24, 0u);

    EXPECT_TRUE(EncodePng(0, 3, {}).empty());
    EXPECT_TRUE(EncodePng(5, 3, {1, 2, 3}).empty());
}
