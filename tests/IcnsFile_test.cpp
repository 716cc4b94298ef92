// Icon families (.icns): every way of storing an image read to the pixel,
// the same pixels icns2png extracts, damage said where it is with the other
// images kept, and the kind found, listed, drawn and written as an icon group.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "formats/Document.h"
#include "formats/FileKinds.h"
#include "formats/IcnsFile.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "listing/Scanners.h"
#include "platform/PngDecode.h"
#include "tests/support/Builders.h"
#include "tests/support/IcnsBuilder.h"
#include "tests/support/RunCommand.h"
#include "thumbnailer/Thumbnail.h"

namespace gw {
namespace {

using test::BuildIcns;
using test::PackPlanes;

uint32_t Sample(int x, int y) {
    const uint32_t alpha = (x + y) % 5 == 0 ? 0 : x < 8 ? 0xFF : uint32_t(x * 16);
    return alpha << 24 | uint32_t(x * 15) << 16 | uint32_t(y * 15) << 8 | uint32_t((x * y) & 0xFF);
}

const std::vector<uint32_t>& Pixels(const IconImage& im) {
    static const std::vector<uint32_t> none;
    return im.Handle() ? im.Handle()->argb : none;
}

bool HasTool(const char* name) { return test::RunCommand(std::string("command -v ") + name).status == 0; }

TEST(IconFamily, ReadsEveryWayOfStoringAnImage) {
    const Bytes file = test::SampleIconFamily();
    const ReadResult<IconGroup> read = ParseIconFamily(file);
    ASSERT_FALSE(read.error) << read.error->Describe();
    const std::vector<IconImage>& images = read.records.Images;
    ASSERT_EQ(images.size(), 6u); // ics#, ics4, ics8, is32, ic04, ic07: not the table, mask or name
    for (size_t i = 0; i + 1 < images.size(); ++i) {
        EXPECT_EQ(images[i].Width, 16);
        ASSERT_TRUE(images[i].Handle()) << i;
    }
    // ics#: bit 1 black, bit 0 white; the mask's bit 0 transparent.
    const std::vector<uint32_t>& mono = Pixels(images[0]);
    EXPECT_EQ(mono[0], 0x00000000u);  // 0xA5: black, mask 0x3C: transparent
    EXPECT_EQ(mono[1], 0x00FFFFFFu);
    EXPECT_EQ(mono[2], 0xFF000000u);
    EXPECT_EQ(mono[16 * 1 + 0], 0xFF000000u); // row 1 starts at byte 2 (0xA7), mask 0xFF
    // ics8 in the classic palette: 0 white, 215 the red ramp's first, 255 black; masked by ics#.
    const std::vector<uint32_t>& eight = Pixels(images[2]);
    EXPECT_EQ(eight[0], 0x00FFFFFFu);              // where ics#'s mask is clear
    EXPECT_EQ(eight[2], 0xFFFFFF99u);              // and where it is set
    EXPECT_EQ(eight[16] & 0xFFFFFF, 0xFF9933u);    // index 16 of the cube
    EXPECT_EQ(eight[215] & 0xFFFFFF, 0xEE0000u);   // the red ramp's first
    EXPECT_EQ(eight[255] & 0xFFFFFF, 0x000000u);
    // ics4: index 3 is the classic red.
    EXPECT_EQ(Pixels(images[1])[14] & 0xFFFFFF, 0xDD0806u); // byte 7 = 0x31: its high nibble
    // is32 with s8mk and ic04's packed ARGB: exactly the pixels packed.
    for (size_t k : {size_t(3), size_t(4)}) {
        const std::vector<uint32_t>& got = Pixels(images[k]);
        ASSERT_EQ(got.size(), 256u);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(got[size_t(y * 16 + x)], Sample(x, y)) << k << " " << x << "," << y;
    }
    // The classic images keep their depth, so that a 32-bit image of the
    // same size is the one chosen to draw it.
    const uint16_t depths[] = {4, 4, 8, 32, 32, 32};
    for (size_t i = 0; i < images.size(); ++i) EXPECT_EQ(images[i].BitCount, depths[i]) << i;
    // A PNG is kept as stored.
    EXPECT_EQ(images[5].Width, 128);
    EXPECT_TRUE(IsPng(images[5].Data));
}

// Each element alone in a family, so that icns2png's one output is its
// image: the pixels are the same. Then png2icns's own families (JPEG 2000
// from 256 pixels a side).
TEST(IconFamily, SamePixelsAsIcns2png) {
    if (!HasTool("icns2png") || !HasTool("png2icns")) GTEST_SKIP() << "icnsutils is not installed";
    test::TempDir dir;
    const Bytes sample = test::SampleIconFamily();
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, Bytes>>>> families;
    // The elements of the sample, each with what it needs beside it.
    const auto element = [&](const char* type) {
        for (size_t at = 8; at + 8 <= sample.size();) {
            const uint32_t length = uint32_t(sample[at + 4]) << 24 | uint32_t(sample[at + 5]) << 16 |
                                    uint32_t(sample[at + 6]) << 8 | sample[at + 7];
            if (std::string(sample.begin() + long(at), sample.begin() + long(at) + 4) == type)
                return std::pair<std::string, Bytes>(type, Bytes(sample.begin() + long(at) + 8,
                                                                 sample.begin() + long(at) + length));
            at += length;
        }
        return std::pair<std::string, Bytes>(type, Bytes{});
    };
    families.push_back({"ics#", {element("ics#")}});
    families.push_back({"ics4", {element("ics4"), element("ics#")}});
    families.push_back({"ics8", {element("ics8"), element("ics#")}});
    families.push_back({"is32", {element("is32"), element("s8mk")}});
    // (icns2png does not know the packed ARGB kinds, ic04 and the like; the
    // test above holds them to the pixels packed.)
    for (const auto& [name, elements] : families) {
        const std::string path = dir.file(name == "ics#" ? "mono.icns" : name + ".icns");
        ASSERT_TRUE(test::WriteFile(path, BuildIcns(elements)));
        const std::string out = dir.file(name + "-out");
        std::filesystem::create_directory(out);
        test::RunCommand("icns2png -x -o '" + out + "' '" + path + "'");
        // The classic images come out beside the 1-bit one that masks them.
        const std::string depth = name == "ics4" ? "x4.png" : name == "ics8" ? "x8.png" : ".png";
        std::vector<std::filesystem::path> written;
        for (const auto& e : std::filesystem::directory_iterator(out))
            if (e.path().string().ends_with(depth)) written.push_back(e.path());
        ASSERT_EQ(written.size(), 1u) << name << ": icns2png wrote no image of it";
        PngPixels theirs;
        ASSERT_TRUE(DecodePng(test::ReadFile(written[0]), theirs)) << name;
        const ReadResult<IconGroup> ours = ParseIconFamily(BuildIcns(elements));
        ASSERT_FALSE(ours.records.Images.empty()) << name;
        EXPECT_EQ(Pixels(ours.records.Images[0]), theirs.argb) << name;
    }

    std::vector<std::string> pngs;
    for (int side : {16, 32, 48, 128, 256, 512}) {
        pngs.push_back(dir.file("p" + std::to_string(side) + ".png"));
        ASSERT_TRUE(test::WriteFile(pngs.back(), test::BuildPng(side, side, [side](int x, int y) {
            const uint32_t alpha = (x + y) % 7 == 0 ? 0 : x < side / 2 ? 0xFF : uint32_t(x * 255 / side);
            return alpha << 24 | uint32_t((x * 37 + y) & 0xFF) << 16 | uint32_t((y * 53) & 0xFF) << 8 |
                   uint32_t((x * y) & 0xFF);
        })));
    }
    std::string command = "png2icns '" + dir.file("made.icns") + "'";
    for (const std::string& p : pngs) command += " '" + p + "'";
    ASSERT_EQ(test::RunCommand(command).status, 0);
    const std::string out = dir.file("made-out");
    std::filesystem::create_directory(out);
    test::RunCommand("icns2png -x -o '" + out + "' '" + dir.file("made.icns") + "'");
    const ReadResult<IconGroup> made = ParseIconFamily(test::ReadFile(dir.file("made.icns")));
    ASSERT_FALSE(made.error) << made.error->Describe();
    ASSERT_EQ(made.records.Images.size(), 6u);
    const int sides[] = {16, 32, 48, 128, 256, 512}; // is32 ... it32, then JPEG 2000 ic08 and ic09
    for (size_t i = 0; i < 6; ++i) {
        const IconImage& im = made.records.Images[i];
        const std::string side = std::to_string(sides[i]);
        PngPixels theirs;
        const std::string png = out + "/made_" + side + "x" + side + "x32.png";
        ASSERT_TRUE(DecodePng(test::ReadFile(png), theirs)) << png;
        EXPECT_EQ(Pixels(im), theirs.argb) << side;
    }
}

TEST(IconFamily, DamageIsSaidWhereItIsAndTheOtherImagesStay) {
    const Bytes png = test::BuildPng(32, 32, [](int x, int y) { return 0xFF000000u | uint32_t(x + y); });
    // An element cut short by the file: the images before it stay.
    Bytes cut = BuildIcns({{"ic11", png}, {"ic07", png}});
    cut.resize(cut.size() - 10);
    ReadResult<IconGroup> read = ParseIconFamily(cut);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated);
    EXPECT_EQ(read.error->offset, cut.size());
    EXPECT_EQ(read.records.Images.size(), 1u);

    // An element shorter than its own header ends the walk there.
    Bytes shortElement = BuildIcns({{"ic11", png}, {"ic07", png}});
    const size_t second = 8 + 8 + png.size();
    shortElement[second + 7] = 4;
    shortElement[second + 6] = shortElement[second + 5] = shortElement[second + 4] = 0;
    read = ParseIconFamily(shortElement);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, second + 4);
    EXPECT_EQ(read.records.Images.size(), 1u);

    // Packed pixels that end too soon, an ARGB element that is none of the
    // three encodings, and JPEG 2000 that is not: each left out, said at its
    // element, the PNG after them kept.
    Bytes jp2 = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A, 1, 2, 3};
    const Bytes bad = BuildIcns({{"is32", Bytes{0x05, 1, 2}}, {"ic04", Bytes(40, 9)}, {"ic08", jp2}, {"ic11", png}});
    read = ParseIconFamily(bad);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->offset, 8u);
    EXPECT_NE(read.error->message.find("'is32'"), std::string::npos) << read.error->message;
    EXPECT_EQ(read.failed, 3u);
    ASSERT_EQ(read.records.Images.size(), 1u);
    EXPECT_EQ(read.records.Images[0].Width, 32);

    // Not a family at all, and one whose length is shorter than its header.
    EXPECT_TRUE(ParseIconFamily(Bytes{'i', 'c', 'o', 'n'}).error);
    Bytes tiny = BuildIcns({});
    tiny[7] = 4;
    read = ParseIconFamily(tiny);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->offset, 4u);
}

// The kind is told by its bytes whatever the name, read through the
// document as one icon group named after the file, written as an .ico that
// icotool reads, drawn by the thumbnailer and listed among the icon files.
TEST(IconFamily, IsAKindTheWholeProgramReads) {
    test::TempDir dir;
    const Bytes family = test::SampleIconFamily();
    ASSERT_TRUE(test::WriteFile(dir.file("App.icns"), family));
    ASSERT_TRUE(test::WriteFile(dir.file("renamed.png"), family));
    for (const char* name : {"App.icns", "renamed.png"}) {
        const auto doc = Document::Open(dir.file(name));
        EXPECT_EQ(doc->Kind(), FileKind::IconFamily) << name;
        EXPECT_EQ(doc->Counts().iconGroups, 1) << name;
    }
    const auto doc = Document::Open(dir.file("App.icns"));
    EXPECT_STREQ(FileKindText(doc->Kind()), "Icon Family File");
    EXPECT_TRUE(doc->Load(RecordKind::Icons).empty());
    const IconGroup& group = doc->Contents().IconGroups.at(0);
    EXPECT_EQ(group.Name, "App");
    ASSERT_EQ(group.Images.size(), 6u);

    const Bytes ico = WriteIconGroup(group);
    const ReadResult<IconGroup> back = ParseIconFile(ico);
    ASSERT_FALSE(back.error);
    ASSERT_EQ(back.records.Images.size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(Pixels(back.records.Images[i]), Pixels(group.Images[i])) << i;
    if (HasTool("icotool")) {
        ASSERT_TRUE(test::WriteFile(dir.file("App.ico"), ico));
        const test::RunResult listed = test::RunCommand("icotool -l '" + dir.file("App.ico") + "' 2>&1");
        EXPECT_EQ(listed.status, 0) << listed.out;
        size_t lines = 0;
        for (char c : listed.out) lines += c == '\n';
        EXPECT_EQ(lines, 6u) << listed.out;
    }

    std::string why;
    const std::optional<Bytes> thumbnail = ThumbnailPng(dir.file("App.icns"), 48, &why);
    ASSERT_TRUE(thumbnail) << why;
    PngPixels drawn;
    ASSERT_TRUE(DecodePng(*thumbnail, drawn));
    EXPECT_EQ(drawn.width, 48u); // scaled from the 128-pixel PNG, the largest
    // At 16 pixels the 32-bit image is drawn, not the classic ones before it:
    // only it has pixels partly transparent.
    const std::optional<Bytes> small = ThumbnailPng(dir.file("App.icns"), 16, &why);
    ASSERT_TRUE(small) << why;
    ASSERT_TRUE(DecodePng(*small, drawn));
    EXPECT_TRUE(std::any_of(drawn.argb.begin(), drawn.argb.end(), [](uint32_t p) {
        return (p >> 24) != 0 && (p >> 24) != 0xFF;
    }));

    const ScanResult listed = ReadFiles(dir.path(), nullptr, PictureMode::Skip);
    ASSERT_EQ(listed.rows.size(), 1u); // App.icns; renamed.png is not a name the icon files listing opens
    EXPECT_EQ(listed.rows[0].caption, "App.icns");
    EXPECT_EQ(listed.rows[0].kind, FileKind::IconFamily);
    EXPECT_EQ(listed.rows[0].count, 1);
}

} // namespace
} // namespace gw
