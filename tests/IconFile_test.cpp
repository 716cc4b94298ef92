#include <gtest/gtest.h>

#include "formats/Document.h"
#include "formats/IconFormat.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes IconDib(int size, int bpp) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bitCount = bpp;
    s.transparent = [](int x, int) { return x < 4; };
    return BuildDib(s);
}

IcoEntry Entry(const Bytes& data, uint8_t w, uint8_t h, uint16_t a, uint16_t b) {
    IcoEntry e;
    e.data = data;
    e.width = w;
    e.height = h;
    e.planesOrHotX = a;
    e.bitCountOrHotY = b;
    return e;
}

Bytes ThreeImageIcon() {
    return BuildIcoFile({Entry(IconDib(16, 4), 16, 16, 1, 4), Entry(IconDib(32, 4), 32, 32, 1, 4),
                         Entry(IconDib(16, 8), 16, 16, 1, 8)});
}

// The file as the icon and cursor viewers read it, whatever its header says.
std::shared_ptr<Document> ReadAs(FileKind kind, const Bytes& file, const std::string& name = "a.ico") {
    auto doc = Document::OfBytes(name, file);
    doc->LoadAsImageFile(kind);
    return doc;
}

std::string FirstError(const Document& doc) { return doc.Damaged() ? doc.Errors().front().message : ""; }

} // namespace

TEST(IcoReader, ReadsEveryImageAndWritesTheSameBytesBack) {
    const Bytes file = ThreeImageIcon();
    const auto doc = Document::OfBytes("three.ico", file);
    ASSERT_TRUE(doc->Load(RecordKind::Icons).empty());
    const auto& g = doc->Contents().IconGroups[0];
    EXPECT_EQ(g.Name, "three");
    ASSERT_EQ(g.Images.size(), 3u);
    EXPECT_EQ(g.Images[1].Width, 32);
    EXPECT_EQ(g.Images[2].BitCount, 8);
    EXPECT_EQ(g.Images[0].ResId, 0);
    EXPECT_EQ(g.Images[0].ImageOffset, 54u);
    for (const auto& im : g.Images) {
        EXPECT_EQ(im.Data.size(), im.BytesInRes);
        // Asking whether it decodes keeps no picture; drawing it does.
        EXPECT_TRUE(im.Decodes());
        EXPECT_TRUE(im.Picture.Pending());
        ASSERT_TRUE(im.Handle());
        EXPECT_FALSE(im.Picture.Pending());
        EXPECT_TRUE(im.Decodes());
    }
    EXPECT_EQ(g.Images[1].Handle()->width, 32);
    // The file we read is exactly the file the group writer builds.
    EXPECT_EQ(WriteIconGroup(g), file);
}

TEST(IcoReader, HeaderErrorsAndTruncation) {
    Bytes file = ThreeImageIcon();

    Bytes reserved = file;
    reserved[0] = 1;
    EXPECT_EQ(FirstError(*ReadAs(FileKind::Icon, reserved)), "Invalid icon resource header - Reserved <> 0");

    Bytes cursorType = file;
    cursorType[2] = 2;
    const auto asCursor = ReadAs(FileKind::Icon, cursorType);
    EXPECT_EQ(FirstError(*asCursor), "Invalid icon resource header - Type <> 1");
    EXPECT_EQ(asCursor->Errors().front().offset, 2u);
    EXPECT_TRUE(asCursor->Contents().IconGroups[0].Images.empty());

    Bytes none = file;
    none[4] = 0;
    EXPECT_EQ(FirstError(*ReadAs(FileKind::Icon, none)), "Invalid icon resource header - Count = 0");

    // The last image runs past the end: the first two stay with their handles.
    Bytes cut(file.begin(), file.end() - 10);
    const auto shortened = ReadAs(FileKind::Icon, cut);
    ASSERT_EQ(shortened->Errors().size(), 1u);
    EXPECT_EQ(shortened->Errors()[0].kind, ReadErrorKind::Truncated);
    ASSERT_EQ(shortened->Contents().IconGroups[0].Images.size(), 2u);
    EXPECT_TRUE(shortened->Contents().IconGroups[0].Images[1].Handle());

    // Every truncation of the file: no crash, never more images than are whole.
    for (size_t n = 0; n < file.size(); ++n) {
        const auto doc = ReadAs(FileKind::Icon, Bytes(file.begin(), file.begin() + ptrdiff_t(n)));
        EXPECT_TRUE(doc->Damaged()) << n;
        for (const auto& im : doc->Contents().IconGroups[0].Images) EXPECT_EQ(im.Data.size(), im.BytesInRes);
    }

    // A count of 65535 with a directory the file cannot hold, and a size of 0xFFFFFFFF.
    Bytes huge = file;
    huge[4] = 0xFF;
    huge[5] = 0xFF;
    EXPECT_TRUE(ReadAs(FileKind::Icon, huge)->Damaged());
    Bytes bigSize = file;
    for (int i = 0; i < 4; ++i) bigSize[6 + 8 + i] = 0xFF;
    const auto big = ReadAs(FileKind::Icon, bigSize);
    EXPECT_TRUE(big->Damaged());
    EXPECT_TRUE(big->Contents().IconGroups[0].Images.empty());
}

TEST(IcoReader, Icon256IsDecodedAtItsStoredSize) {
    const Bytes png = BuildPng(256, 256, [](int x, int y) { return 0xFF000000u | uint32_t(x ^ y); });
    const Bytes file = BuildIcoFile({Entry(png, 0, 0, 1, 32)});
    const auto doc = Document::OfBytes("big.ico", file);
    ASSERT_TRUE(doc->Load(RecordKind::Icons).empty());
    const auto& im = doc->Contents().IconGroups[0].Images[0];
    ASSERT_TRUE(im.Handle());
    EXPECT_EQ(im.Handle()->width, 256);
    EXPECT_EQ(im.Handle()->height, 256);
    EXPECT_TRUE(IsPngData(im.Data));
}

TEST(IconWriter, GroupOffsetsAndSingleImage) {
    IconGroup g;
    for (uint32_t size : {744u, 2216u, 296u}) {
        IconImage im;
        im.Width = 32;
        im.Height = 32;
        im.BitCount = 4;
        im.Planes = 1;
        im.BytesInRes = size;
        im.Data.assign(size, uint8_t(size));
        g.Images.push_back(im);
    }
    const Bytes out = WriteIconGroup(g);
    EXPECT_EQ(PeekU32(out, 6 + 12), 54u);
    EXPECT_EQ(PeekU32(out, 6 + 16 + 12), 798u);
    EXPECT_EQ(PeekU32(out, 6 + 32 + 12), 3014u);
    EXPECT_EQ(out.size(), 3014u + 296u);
    EXPECT_EQ(out[798], uint8_t(2216));

    const Bytes one = WriteIconImage(g.Images[1]);
    EXPECT_EQ(PeekU16(one, 4), 1);
    EXPECT_EQ(PeekU32(one, 6 + 12), 22u);
    EXPECT_EQ(one.size(), 22u + 2216u);

    // A damaged image whose data is shorter than its size keeps the directory true.
    g.Images[2].Data.resize(10);
    EXPECT_EQ(WriteIconGroup(g).size(), 3014u + 296u);
}

TEST(CurReader, HotSpotSizesAndWritingBack) {
    DibLayout s;
    s.width = 32;
    s.height = 32;
    s.bitCount = 1;
    s.palette = {0x000000, 0xFFFFFF};
    const Bytes dib = BuildDib(s);
    const Bytes file = BuildIcoFile({Entry(dib, 32, 32, 5, 7)}, 2);
    const auto doc = Document::OfBytes("/x/Arrow.Big.cur", file);
    ASSERT_TRUE(doc->Load(RecordKind::Cursors).empty());
    ASSERT_EQ(doc->Contents().CursorGroups.size(), 1u);
    const auto& g = doc->Contents().CursorGroups[0];
    EXPECT_EQ(g.Name, "Arrow");
    EXPECT_TRUE(g.Named);
    ASSERT_EQ(g.Images.size(), 1u);
    const auto& im = g.Images[0];
    EXPECT_EQ(im.HotspotX, 5);
    EXPECT_EQ(im.HotspotY, 7);
    EXPECT_EQ(im.Width, 32);
    EXPECT_EQ(im.Height, 64); // the stored, doubled height
    EXPECT_EQ(im.BitCount, 1);
    ASSERT_TRUE(im.Handle());
    EXPECT_EQ(im.Handle()->height, 32);

    const Bytes single = WriteCursorImage(im, CursorDataForm::CurFile);
    EXPECT_EQ(single[7], 32); // height byte: Height / 2
    EXPECT_EQ(Bytes(single.begin() + 10, single.begin() + 14), (Bytes{5, 0, 7, 0}));
    // The cursor file we read is what the group writer builds.
    EXPECT_EQ(WriteCursorGroup(g, CursorDataForm::CurFile), file);
}

TEST(CurWriter, ResourceImagesDropTheirPrefixAndLargeImagesStayWhole) {
    CursorGroup g;
    CursorImage im;
    im.Width = 48;
    im.Height = 96;
    im.HotspotX = 3;
    im.HotspotY = 9;
    // A resource image of more than 65,535 bytes: prefix + bitmap.
    Bytes data(70000, 0xAB);
    data[0] = 3;
    data[2] = 9;
    data[4] = 0xCD;
    im.Data = SharedBytes(std::move(data));
    im.BytesInRes = 70000;
    g.Images.push_back(im);
    const Bytes out = WriteCursorGroup(g, CursorDataForm::Resource);
    EXPECT_EQ(PeekU16(out, 2), 2);
    EXPECT_EQ(out[6], 48);
    EXPECT_EQ(out[7], 48);
    EXPECT_EQ(PeekU32(out, 6 + 8), 69996u);
    EXPECT_EQ(out.size(), 22u + 69996u);
    EXPECT_EQ(out[22], 0xCD); // the bitmap starts right after the directory
}

TEST(CurReader, DamagedFiles) {
    DibLayout s;
    s.width = 16;
    s.height = 16;
    s.bitCount = 4;
    const Bytes file = BuildIcoFile({Entry(BuildDib(s), 16, 16, 1, 2), Entry(BuildDib(s), 16, 16, 3, 4)}, 2);
    for (size_t n = 0; n < file.size(); ++n) {
        const auto doc = ReadAs(FileKind::Cursor, Bytes(file.begin(), file.begin() + ptrdiff_t(n)), "a.cur");
        EXPECT_TRUE(doc->Damaged()) << n;
        ASSERT_EQ(doc->Contents().CursorGroups.size(), 1u);
        EXPECT_LE(doc->Contents().CursorGroups[0].Images.size(), 2u);
        for (const ReadError& e : doc->Errors()) EXPECT_LE(e.offset, n);
    }
    const auto missing = Document::Open("/nonexistent/x.cur");
    EXPECT_FALSE(missing->Readable());
    EXPECT_EQ(missing->Errors().front().kind, ReadErrorKind::Io);
}

TEST(FormatLabel, ColourText) {
    EXPECT_EQ(FormatLabel(32, 32, 4), "32 X 32 16 Colors");
    EXPECT_EQ(FormatLabel(32, 32, 1), "32 X 32 2 Colors");
    EXPECT_EQ(ColorText(0), "256");
    EXPECT_EQ(ColorText(32), "4294967296");
    // The windows name deep formats by their bits, as the bitmap formats are named.
    EXPECT_EQ(ImageFormatText(256, 256, 32), "256 X 256 32 Bit");
    EXPECT_EQ(ImageFormatText(48, 48, 8), "48 X 48 256 Colors");
    EXPECT_EQ(ColorsText(0), "256 Colors");
    EXPECT_EQ(ColorsText(16), "16 Bit");
}
