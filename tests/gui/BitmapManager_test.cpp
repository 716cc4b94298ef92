// The Bitmap & Glyph Manager and Bitmap Properties opened offscreen, on a
// .bmp file and on a workdesk's bitmap, with a screenshot of each window.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "batch/core/ScriptedPrompts.h"
#include "formats/FileContents.h"
#include "formats/Document.h"
#include "formats/DocumentEdits.h"
#include "managers/gui/BitmapPropertiesSheet.h"
#include "managers/gui/BitmapGlyphManager.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/gui/RecordingViewers.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

constexpr uint32_t kGlyphColors[4] = {0x00C00000u, 0x00808080u, 0x000000C0u, 0x0000A000u}; // 0xRRGGBB
constexpr uint32_t kCorner = 0x00FFFF00u;

// A strip of four 16 x 16 glyphs of their own colours (or one w x h
// picture), its bottom-left pixel the transparent corner.
Bytes StripFile(int w, int h) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = 24;
    s.icon = false;
    s.pixel = [=](int x, int y) { return x == 0 && y == h - 1 ? kCorner : kGlyphColors[(x / 16) % 4]; };
    return BuildBmpFile(BuildDib(s));
}

QRgb Rgb(uint32_t rrggbb) { return 0xFF000000u | rrggbb; }

QRgb IconPixel(const QAbstractButton* button, QIcon::Mode mode, QIcon::State state, QPoint at = {8, 8}) {
    return button->icon().pixmap(button->iconSize(), mode, state).toImage().pixel(at);
}

} // namespace

TEST(BitmapManagerWindow, FileContextGlyphsTransparencyCopySaveAndSheet) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Strip.bmp"), StripFile(64, 16)));
    ASSERT_TRUE(WriteFile(dir.file("Wide.bmp"), StripFile(500, 40)));
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    BitmapGlyphManager form(prompts, &viewers);
    BitmapPropertiesSheet sheet(&form);
    viewers.open = [&](const ViewRequest& request) {
        sheet.Open(BitmapSheetRequestFor(request));
        sheet.show();
    };
    ASSERT_TRUE(form.OpenFile(dir.file("Strip.bmp")));
    form.show();

    auto* width = form.findChild<QLineEdit*>("editWidth");
    auto* warning = form.findChild<QLabel*>("Label1");
    auto* panel4 = form.findChild<QLabel*>("Panel4");
    auto* bTest1 = form.findChild<QPushButton*>("bTest1");
    auto* sTest1 = form.findChild<QToolButton*>("sTest1");
    auto* bTest2 = form.findChild<QPushButton*>("bTest2");
    ASSERT_TRUE(width && warning && panel4 && bTest1 && sTest1 && bTest2);
    EXPECT_EQ(width->text(), "64");
    EXPECT_EQ(form.GlyphCount(), 4);
    EXPECT_TRUE(warning->text().isEmpty());
    EXPECT_EQ(form.Preview()->size(), QSize(432, 229));
    EXPECT_EQ(form.Preview()->pixmap().size(), QSize(64, 16));
    // Four glyphs of 16 x 16: up shows the first, disabled the second, latched the fourth.
    EXPECT_EQ(bTest1->iconSize(), QSize(16, 16));
    EXPECT_EQ(IconPixel(bTest1, QIcon::Normal, QIcon::Off), Rgb(kGlyphColors[0]));
    EXPECT_EQ(IconPixel(bTest2, QIcon::Disabled, QIcon::Off), Rgb(kGlyphColors[1]));
    EXPECT_EQ(IconPixel(sTest1, QIcon::Normal, QIcon::On), Rgb(kGlyphColors[3]));
    EXPECT_EQ(qAlpha(IconPixel(bTest1, QIcon::Normal, QIcon::Off, {0, 15})), 0); // the corner colour is clear

    form.ToggleTransparency();
    EXPECT_EQ(panel4->text(), "Transparent");
    EXPECT_EQ(qAlpha(form.Preview()->pixmap().toImage().pixel(0, 15)), 0);
    SaveScreenshot(form, "manager-bitmap");
    form.ToggleTransparency();
    EXPECT_EQ(panel4->text(), "Non Transparent");
    EXPECT_EQ(form.Preview()->pixmap().toImage().pixel(0, 15), Rgb(kCorner));

    // Copy puts the bitmap itself on the clipboard, opaque, pixel for pixel.
    form.CopyBitmap();
    const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(copied.size(), QSize(64, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(copied.pixel(x, y), 0xFF000000u | form.Work()->Pixel(x, y)) << x << "," << y;

    // Save writes the bitmap in its format; a target that cannot be created says so.
    prompts.saveFiles = {dir.file("saved.bmp"), dir.file("missing/saved.bmp")};
    form.SaveBitmap();
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(prompts.saveRequests[0].title, "Save Bitmap");
    EXPECT_EQ(prompts.saveRequests[0].filter, "Bitmaps (*.bmp)");
    EXPECT_EQ(prompts.saveRequests[0].defaultExtension, "bmp");
    EXPECT_EQ(prompts.saveRequests[0].initialName, "Strip.bmp");
    const Bitmap saved = DecodeBmp(ReadFile(dir.file("saved.bmp")));
    EXPECT_EQ(saved.pixelFormat, PixelFormat::Bits24);
    EXPECT_EQ(saved.pixels, form.Work()->pixels);
    EXPECT_TRUE(prompts.messages.empty());
    form.SaveBitmap();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].first, MessageKind::Error);

    form.ShowProperties();
    EXPECT_EQ(sheet.Values().name, "Strip.bmp");
    EXPECT_EQ(sheet.Values().size, "64 x 16");
    EXPECT_EQ(sheet.Values().colors, "24 bit");
    EXPECT_EQ(sheet.findChild<QLabel*>("Label3")->text(), "24 bit");
    EXPECT_EQ(sheet.Preview()->pixmap().size(), QSize(64, 16));
    SaveScreenshot(sheet, "properties-bitmap");
    sheet.accept();
    EXPECT_TRUE(sheet.Preview()->pixmap().isNull());
    EXPECT_EQ(form.Preview()->pixmap().size(), QSize(64, 16)); // the manager shows its bitmap still

    form.ToggleTransparency();
    form.reject();
    EXPECT_FALSE(form.Work()->HasHandle());
    EXPECT_TRUE(form.Preview()->pixmap().isNull());
    EXPECT_TRUE(bTest1->icon().isNull());

    // Reopened on a 500 x 40 bitmap: shrunk by 2 and stretched, no glyph;
    // transparency and the glyph count stay as they were left.
    ASSERT_TRUE(form.OpenFile(dir.file("Wide.bmp")));
    form.show();
    EXPECT_EQ(panel4->text(), "Transparent");
    EXPECT_EQ(form.Preview()->size(), QSize(250, 20));
    EXPECT_EQ(form.Preview()->pixmap().size(), QSize(250, 20));
    EXPECT_EQ(warning->text(), "Possibly not usable as Glyph");
    EXPECT_TRUE(bTest1->icon().isNull());
    EXPECT_TRUE(width->text().isEmpty());
    EXPECT_EQ(form.GlyphCount(), 4);
    form.reject();
    EXPECT_EQ(form.Preview()->size(), QSize(432, 229));
    EXPECT_TRUE(warning->text().isEmpty());
}

TEST(BitmapManagerWindow, WorkdeskContextWorksOnACopyAndTheSheetShowsTheItem) {
    GuiTestApp();
    const DisplayDepth screen(16);
    std::vector<BitmapRecord> bitmaps(2);
    auto strip = std::make_shared<Bitmap>(DecodeBmp(StripFile(100, 16)));
    strip->pixelFormat = PixelFormat::Device;
    bitmaps[1].Name = "BTN_STRIP";
    bitmaps[1].Width = 100;
    bitmaps[1].Height = 16;
    bitmaps[1].PixelFormat = PixelFormat::Device;
    bitmaps[1].Picture.Set(strip);

    // A workdesk's file whose bitmap list holds them.
    const auto file = Document::OfBytes("pics.res", Bytes{});
    EditContents(*file).Bitmaps = bitmaps;
    ScriptedPrompts prompts;
    BitmapGlyphManager form(prompts);
    form.OpenWorkdeskBitmap(file, 1, WorkdeskBitmapView{"BTN_STRIP", "100", "16", "16 Bit", QImage()});
    form.show();
    EXPECT_NE(form.Work().get(), strip.get());
    EXPECT_EQ(form.Work()->pixelFormat, PixelFormat::Bits16);
    EXPECT_EQ(strip->pixelFormat, PixelFormat::Device);
    EXPECT_EQ(form.findChild<QLineEdit*>("editWidth")->text(), "100");
    EXPECT_EQ(form.GlyphCount(), 2); // outside the four bands
    auto* bTest2 = form.findChild<QPushButton*>("bTest2");
    EXPECT_EQ(bTest2->iconSize(), QSize(50, 16));
    EXPECT_EQ(IconPixel(bTest2, QIcon::Disabled, QIcon::Off, {2, 8}), Rgb(kGlyphColors[3]));
    form.reject();
    EXPECT_EQ(file->Contents().Bitmaps.size(), 2u); // the workdesk's list stays
    EXPECT_TRUE(file->Contents().Bitmaps[1].Bitmap()->HasHandle());

    QImage thumbnail(64, 10, QImage::Format_ARGB32);
    thumbnail.fill(Qt::red);
    BitmapPropertiesSheet sheet;
    sheet.Open(BitmapSheetRequest::OfDeskItem({"BTN_STRIP", "100", "16", "16 Bit", thumbnail}));
    sheet.show();
    EXPECT_EQ(sheet.Values().name, "BTN_STRIP");
    EXPECT_EQ(sheet.Values().size, "100 x 16");
    EXPECT_EQ(sheet.Values().colors, "16 Bit");
    EXPECT_EQ(sheet.Preview()->pixmap().toImage().pixel(0, 0), QColor(Qt::red).rgba());
    sheet.accept();
}
