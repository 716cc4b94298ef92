// The Bitmap & Glyph Manager's preview fit, glyph test, formats and saved
// bytes, and what Bitmap Properties shows for a bitmap file.
#include <gtest/gtest.h>

#include "formats/FileContents.h"
#include "formats/Document.h"
#include "managers/core/BitmapManager.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

constexpr uint32_t kCorner = 0x00102030u; // 0xRRGGBB of the bottom-left pixel

Bytes BmpFile(int w, int h, int bits = 24) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = bits;
    s.icon = false;
    s.pixel = [=](int x, int y) { return x == 0 && y == h - 1 ? kCorner : uint32_t(0x00FF0000u | (x & 0xFF)); };
    return BuildBmpFile(BuildDib(s));
}

uint16_t BitCountOf(const Bytes& file) { return file.size() >= 30 ? uint16_t(file[28] | (file[29] << 8)) : 0; }

} // namespace

TEST(BitmapManager, PreviewFitGlyphBandsAndGlyphStates) {
    struct Fit { int w, h, fw, fh; bool stretch; };
    for (const Fit& c : {Fit{16, 16, 16, 16, false}, Fit{432, 229, 432, 229, false}, Fit{500, 40, 250, 20, true},
                         Fit{433, 1, 216, 1, true}, Fit{40, 1000, 8, 200, true}, Fit{0, 0, 0, 0, false}}) {
        const PreviewFit fit = FitPreview(c.w, c.h);
        EXPECT_EQ(fit.width, c.fw) << c.w << "x" << c.h;
        EXPECT_EQ(fit.height, c.fh) << c.w << "x" << c.h;
        EXPECT_EQ(fit.stretch, c.stretch) << c.w << "x" << c.h;
    }

    for (auto [width, item] : {std::pair{0, 1}, {1, 0}, {16, 0}, {29, 0}, {30, 1}, {45, 1}, {46, 2}, {61, 2},
                               {62, 3}, {64, 3}, {77, 3}, {78, 1}, {100, 1}, {-5, 1}})
        EXPECT_EQ(GlyphCountItem(width), item) << width;
    EXPECT_TRUE(GlyphTestApplies(32));
    EXPECT_FALSE(GlyphTestApplies(33));

    // One glyph: the toolkit greys it when disabled; the down states show it.
    EXPECT_EQ(GlyphFor(GlyphState::Disabled, 1), -1);
    EXPECT_EQ(GlyphFor(GlyphState::Latched, 1), 0);
    EXPECT_EQ(GlyphFor(GlyphState::Disabled, 2), 1);
    EXPECT_EQ(GlyphFor(GlyphState::Latched, 2), 0);
    EXPECT_EQ(GlyphFor(GlyphState::Latched, 3), 2);
    EXPECT_EQ(GlyphFor(GlyphState::Down, 4), 2);
    EXPECT_EQ(GlyphFor(GlyphState::Latched, 4), 3);
}

TEST(BitmapManager, DeviceFormatTakesTheScreenDepthForShowAndSave) {
    BitmapRecord entry;
    auto picture = std::make_shared<Bitmap>(DecodeBmp(BmpFile(20, 10)));
    picture->pixelFormat = PixelFormat::Device;
    entry.Picture.Set(picture);
    entry.PixelFormat = PixelFormat::Device;
    {
        const DisplayDepth screen(8);
        const std::shared_ptr<Bitmap> work = WorkBitmapOf(entry);
        EXPECT_EQ(work->pixelFormat, PixelFormat::Bits8);
        EXPECT_NE(work.get(), picture.get());
        EXPECT_EQ(picture->pixelFormat, PixelFormat::Device); // the record keeps its own
        work->pixelFormat = PixelFormat::Device;
        const Bytes file = BitmapFileBytes(*work);
        EXPECT_EQ(BitCountOf(file), 8);
        const Bitmap back = DecodeBmp(file);
        ASSERT_TRUE(back.HasHandle());
        EXPECT_EQ(back.pixels, picture->pixels); // 21 colours fit a 256-colour palette exactly
    }
    {
        // A depth without a format of its own leaves the format as it was.
        const DisplayDepth screen(2);
        EXPECT_EQ(WithDisplayDepth(PixelFormat::Bits4), PixelFormat::Bits4);
        const DisplayDepth wide(0x10018); // the low 16 bits count: 24
        EXPECT_EQ(WithDisplayDepth(PixelFormat::Device), PixelFormat::Bits24);
    }
    entry.PixelFormat = PixelFormat::Bits4;
    EXPECT_EQ(WorkBitmapOf(entry)->pixelFormat, PixelFormat::Bits4);
    EXPECT_TRUE(BitmapFileBytes(Bitmap{}).empty());
    EXPECT_EQ(BitmapSaveBase("Logo.BMP"), "Logo");
    EXPECT_EQ(BitmapSaveBase("BTN_OK"), "BTN_OK");
}

TEST(BitmapManager, FileContextLoadsItsBitmapAndShowsItsProperties) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Wide.bmp"), BmpFile(300, 20)));
    const auto file = Document::Open(dir.file("Wide.bmp"));
    const std::shared_ptr<Bitmap> work = OpenBitmapManagerFile(*file);
    const FileContents& contents = file->Contents();
    ASSERT_EQ(contents.Bitmaps.size(), 1u);
    EXPECT_EQ(work->width, 300);
    EXPECT_EQ(work->pixelFormat, PixelFormat::Bits24);

    const BitmapProperties values = BitmapFilePropertiesOf("wide.bmp", *work);
    EXPECT_EQ(values.name, "wide.bmp");
    EXPECT_EQ(values.size, "300 x 20");
    EXPECT_EQ(values.colors, "24 bit");
    EXPECT_STREQ(BitmapColorsText(PixelFormat::Custom), "custom");
    EXPECT_STREQ(BitmapColorsText(PixelFormat::Bits15), "15 bit");

    // A 64 x 20 box; f = 5 gives a 60 x 4 picture at its top-left corner.
    const BitmapSheetPicture sheet =
        BitmapSheetPictureOf(*contents.Bitmaps[0].Bitmap(), contents.MaxBmpWidth, contents.MaxBmpHeight);
    EXPECT_EQ(sheet.picture.width, 64);
    EXPECT_EQ(sheet.picture.height, 20);
    EXPECT_EQ(sheet.shrunk.width, 60);
    EXPECT_EQ(sheet.shrunk.height, 4);
    const uint32_t clear = ArgbFromColor(sheet.transparentColor);
    EXPECT_EQ(sheet.picture.Pixel(0, 3), clear);
    EXPECT_NE(sheet.picture.Pixel(30, 0), clear);
    EXPECT_EQ(sheet.picture.Pixel(60, 0), clear);
    EXPECT_EQ(sheet.picture.Pixel(63, 19), clear);

    // A file that does not decode: one empty entry, nothing divided by its zero size.
    ASSERT_TRUE(WriteFile(dir.file("Broken.bmp"), Bytes{'B', 'M', 0, 0}));
    const auto broken = Document::Open(dir.file("Broken.bmp"));
    const std::shared_ptr<Bitmap> none = OpenBitmapManagerFile(*broken);
    const FileContents& empty = broken->Contents();
    ASSERT_EQ(empty.Bitmaps.size(), 1u);
    EXPECT_FALSE(none->HasHandle());
    EXPECT_TRUE(broken->Damaged());
    EXPECT_FALSE(BitmapSheetPictureOf(*empty.Bitmaps[0].Bitmap(), empty.MaxBmpWidth, empty.MaxBmpHeight)
                     .picture.HasHandle());
    EXPECT_EQ(BitmapFilePropertiesOf("broken.bmp", *none).size, "0 x 0");
}
