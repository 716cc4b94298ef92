// The Icon Workdesk's formats, picture layout, orders and commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "batch/core/ScriptedPrompts.h"
#include "formats/IconManage.h"
#include "platform/BmpCodec.h"
#include "tests/support/Builders.h"
#include "workdesks/core/IconDesk.h"
#include "batch/core/GroupCommands.h"

using namespace gw;

namespace {

IconImage Image(uint8_t w, uint8_t h, uint16_t bits) {
    IconImage im;
    im.Width = w;
    im.Height = h;
    im.BitCount = bits;
    return im;
}

IconGroup Group(std::string name, std::vector<IconImage> images) {
    IconGroup g;
    g.Name = std::move(name);
    g.Images = std::move(images);
    return g;
}

std::vector<std::string> Order(std::vector<IconGroup> groups, DeskSortMode mode,
                               const DeskFormat* format = nullptr) {
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) {
        return CompareDeskGroups(a, b, mode, format) < 0;
    });
    std::vector<std::string> names;
    for (const auto& g : groups) names.push_back(g.Name);
    return names;
}

} // namespace

TEST(IconDesk, FormatsInFirstAppearanceWithExactColourCounts) {
    const std::vector<IconGroup> groups = {
        Group("A", {Image(32, 32, 4), Image(16, 16, 32)}),
        Group("B", {Image(16, 16, 32), Image(0, 0, 32), Image(48, 48, 0)}),
    };
    const std::vector<DeskFormat> formats = DeskFormatsOf(groups);
    std::vector<std::string> labels;
    for (const auto& f : formats) labels.push_back(f.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"32 X 32 16 Colors", "16 X 16 32 Bit", "256 X 256 32 Bit",
                                                "48 X 48 256 Colors"}));
    // A 32-pixel first format gives 42 x 42 specific tiles with the baseline at 40;
    // a 256-pixel image (stored 0) is drawn at 256.
    EXPECT_EQ(SpecificTileSize(formats[0]).width, 42);
    EXPECT_EQ(SpecificTileSize(formats[0]).height, 42);
    EXPECT_EQ(SpecificBaseline(formats[0]), 40);
    EXPECT_EQ(SpecificTileSize(formats[2]).width, 266);
    EXPECT_TRUE(DeskFormatsOf(std::vector<IconGroup>{Group("empty", {})}).empty());
}

TEST(IconDesk, SpecificViewAndByFormatOrderMatchDifferently) {
    const DeskFormat f32x16 = {32, 32, 4, "32 X 32 16 Colors", 32};
    const DeskFormat f48x256 = {48, 48, 0, "48 X 48 256 Colors", 48};
    // Two 32-pixel images of one colour count but different heights both
    // match the Specific view; the later one is drawn.
    const auto tall = Group("tall", {Image(32, 32, 4), Image(32, 64, 4), Image(32, 32, 8)});
    EXPECT_EQ(SpecificImageOf(tall, f32x16), 1);
    // Bit count 0 has the colour text "256": drawn for a 256-colour format...
    const auto zero = Group("zero", {Image(48, 48, 0)});
    EXPECT_EQ(SpecificImageOf(zero, f48x256), 0);
    EXPECT_EQ(SpecificImageOf(Group("eight", {Image(48, 48, 8)}), f48x256), 0);
    EXPECT_EQ(SpecificImageOf(Group("none", {}), f32x16), -1);
    // ... but in the by-format order it counts as 1 colour and does not match;
    // 256 colours or more count as 0 on both sides, and the height must match.
    EXPECT_FALSE(HasSortFormat(zero, f48x256));
    EXPECT_TRUE(HasSortFormat(Group("eight", {Image(48, 48, 8)}), f48x256));
    EXPECT_TRUE(HasSortFormat(Group("deep", {Image(48, 48, 32)}), f48x256));
    EXPECT_TRUE(HasSortFormat(tall, f32x16));
    EXPECT_FALSE(HasSortFormat(Group("wide", {Image(32, 64, 4)}), f32x16));
}

// A cursor shows half its stored height: a 32 x 32 monochrome cursor
// (stored height 64) is labelled, matched and drawn as 32 x 32.
TEST(IconDesk, CursorsShowHalfTheirStoredHeight) {
    CursorImage mono;
    mono.Width = 32;
    mono.Height = 64;
    mono.BitCount = 1;
    CursorGroup arrow;
    arrow.Name = "arrow";
    arrow.Images = {mono};
    const std::vector<CursorGroup> groups = {arrow};
    const std::vector<DeskFormat> formats = DeskFormatsOf(groups);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0].label, "32 X 32 2 Colors");
    EXPECT_TRUE(HasSortFormat(arrow, formats[0]));
    EXPECT_EQ(SpecificTileSize(formats[0]).width, 42);
    EXPECT_EQ(RawStripSize(groups).height, 32 + 10);
}

TEST(IconDesk, ThreeOrders) {
    const std::vector<IconGroup> groups = {
        Group("APP", {Image(32, 32, 4), Image(16, 16, 4)}),
        Group("1", {Image(16, 16, 4)}),
        Group("2", {Image(32, 32, 4), Image(32, 32, 8), Image(48, 48, 8)}),
        Group("10", {Image(32, 32, 8)}),
        Group("_x", {}),
        Group("app", {Image(32, 32, 4)}),
    };
    // Ids by value before names; only a to z fold, onto A to Z: "_" goes after every letter.
    EXPECT_EQ(Order(groups, DeskSortMode::ByName), (std::vector<std::string>{"1", "2", "10", "APP", "app", "_x"}));
    EXPECT_LT(CompareDeskNames("9", "10"), 0);
    EXPECT_LT(CompareDeskNames("65535", "A1"), 0);
    EXPECT_LT(CompareDeskNames("007", "7"), 0); // equal values: by their bytes
    EXPECT_LT(CompareDeskNames("99999999999999999999", "100000000000000000000"), 0);
    EXPECT_LT(CompareDeskNames("1A", "1a2"), 0); // not a number: as text
    EXPECT_EQ(Order(groups, DeskSortMode::ByImageCount),
              (std::vector<std::string>{"_x", "1", "10", "app", "APP", "2"}));
    const DeskFormat f32x16 = {32, 32, 4, "32 X 32 16 Colors", 32};
    EXPECT_EQ(Order(groups, DeskSortMode::ByFormat, &f32x16),
              (std::vector<std::string>{"2", "APP", "app", "1", "10", "_x"}));
}

TEST(IconDesk, RawStripLayoutIsBoundedAndSharedByEveryGroup) {
    const std::vector<IconGroup> groups = {
        Group("A", {Image(16, 16, 4), Image(32, 32, 4), Image(48, 48, 4)}),
        Group("B", {Image(0, 0, 32)}),
    };
    const TileSize strip = RawStripSize(groups);
    EXPECT_EQ(strip.width, 256 + 4 * 3); // the widest sum (B: 256) plus 4 per image of the fullest group
    EXPECT_EQ(strip.height, 256 + 10);
    EXPECT_EQ(RawStripPositions(groups[0], strip.width), (std::vector<int64_t>{2, 22, 58}));

    // 65,535 images of 255 pixels: the strip is capped and only the images
    // that start inside it are placed.
    const auto huge = Group("huge", std::vector<IconImage>(65535, Image(255, 255, 32)));
    const TileSize capped = RawStripSize(std::vector<IconGroup>{huge});
    EXPECT_EQ(capped.width, kMaxStripWidth);
    EXPECT_EQ(capped.height, 255 + 10);
    const auto positions = RawStripPositions(huge, capped.width);
    EXPECT_LT(positions.size(), 200u);
    EXPECT_LT(positions.back(), kMaxStripWidth);
    EXPECT_EQ(RawStripSize(std::vector<IconGroup>{}).width, 0);
}

// ---- the commands ----

namespace {

using namespace gw::test;

IconImage RealImage(int side, int bits) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = bits;
    IconImage im = Image(uint8_t(side), uint8_t(side), uint16_t(bits));
    im.Data = SharedBytes(BuildDib(s));
    im.BytesInRes = uint32_t(im.Data.size());
    im.Planes = 1;
    im.Picture.Defer(true, side, side);
    return im;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(IconDeskCommands, SaveAllNamesEachFileAfterItsGroupAndLeavesMissingImagesOut) {
    TempDir out;
    IconImage missing = RealImage(16, 4);
    missing.Missing = true;
    const std::vector<IconGroup> groups = {
        Group("APP", {RealImage(32, 4), missing}),
        Group("1", {RealImage(16, 8)}),
        Group("gone", {missing}),
    };
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.folders.push_back(out.path());
    const BatchResult r = SaveAllIconGroups(groups, flags, prompts);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(prompts.folderTitles, std::vector<std::string>{"Select Folder for All Icons"});
    EXPECT_EQ(FilesIn(out.path()), (std::vector<std::string>{"1.ico", "APP.ico"}));
    ASSERT_EQ(r.notes.size(), 1u); // "gone" has nothing to write
    // APP.ico holds the first group's one present image and reads back whole.
    const auto back = Document::Open(out.file("APP.ico"));
    ASSERT_TRUE(back->Load(RecordKind::Icons).empty());
    ASSERT_EQ(back->Contents().IconGroups[0].Images.size(), 1u);
    EXPECT_EQ(back->Contents().IconGroups[0].Images[0].Data, groups[0].Images[0].Data);

    // Cancelled: nothing written, the flags as they were.
    flags.ActionOverwrite = 1;
    EXPECT_TRUE(SaveAllIconGroups(groups, flags, prompts).cancelled);
    EXPECT_EQ(flags.ActionOverwrite, 1);
}

TEST(IconDeskCommands, ExtractAndConvertEveryImageOfTheSelection) {
    TempDir out;
    const std::vector<IconGroup> groups = {Group("APP", {RealImage(16, 4), RealImage(32, 8), RealImage(32, 1)})};
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.folders.push_back(out.path());
    DeskSelection one;
    one.groups = {&groups[0]};
    one.one = true;
    ASSERT_TRUE(ExtractIconImages(one, flags, prompts).ok);
    EXPECT_EQ(FilesIn(out.path()), (std::vector<std::string>{"APP_0.ico", "APP_1.ico", "APP_2.ico"}));
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(ReadFile(out.file("APP_" + std::to_string(k) + ".ico")).size(), 22 + groups[0].Images[k].BytesInRes);

    // A 1-bit image becomes a 4-bit bitmap whose bottom-left pixel has the key colour.
    prompts.folders.push_back(out.path());
    ASSERT_TRUE(ConvertIconImages(one, flags, prompts).ok);
    const Bitmap mono = DecodeBmp(ReadFile(out.file("APP_2.bmp")));
    ASSERT_TRUE(mono.HasHandle());
    EXPECT_EQ(mono.pixelFormat, PixelFormat::Bits4);
    EXPECT_EQ(mono.Pixel(0, mono.height - 1), ArgbFromColor(KeyColor));
    EXPECT_EQ(prompts.folderTitles.back(), "Select folder for bitmaps");

    // "One" commands clear the five flags even when their browser is cancelled.
    flags.ActionAnswered = flags.ActionAllOthers = flags.ActionSkip = 1;
    EXPECT_TRUE(ExtractIconImages(one, flags, prompts).cancelled);
    EXPECT_EQ(flags.ActionAnswered + flags.ActionAllOthers + flags.ActionSkip, 0);
}

// Integer id 1 and the name "1" give one output name: a remembered
// "Overwrite all" for files that were there never replaces the file this
// batch has just written.
TEST(IconDeskCommands, ARememberedAnswerNeverCostsAFileTheBatchWrote) {
    TempDir out;
    ASSERT_TRUE(WriteFile(out.file("old.ico"), Bytes{1, 2, 3}));
    const std::vector<IconGroup> groups = {Group("old", {RealImage(16, 4)}), Group("1", {RealImage(16, 4)}),
                                                   Group("1", {RealImage(32, 4)})};
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.folders.push_back(out.path());
    prompts.existingAnswers.push_back({ExistingAction::Overwrite, true});
    ASSERT_TRUE(SaveAllIconGroups(groups, flags, prompts).ok);
    EXPECT_EQ(prompts.existingShown.size(), 1u); // asked once, for the file that was there
    EXPECT_EQ(FilesIn(out.path()), (std::vector<std::string>{"1.ico", "1_.ico", "old.ico"}));
    EXPECT_NE(ReadFile(out.file("old.ico")), (Bytes{1, 2, 3}));
}

// Cancel in "Already exists" stops a Save All at that file: what was written
// before it stays, nothing after it is written, and the summary says where
// it stopped; the next batch asks afresh.
TEST(IconDeskCommands, ACancelledQuestionStopsTheBatchAndKeepsWhatItWrote) {
    TempDir out;
    ASSERT_TRUE(WriteFile(out.file("B.ico"), Bytes{1, 2, 3}));
    const std::vector<IconGroup> groups = {Group("A", {RealImage(16, 4)}), Group("B", {RealImage(16, 4)}),
                                           Group("C", {RealImage(16, 4)})};
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.folders.push_back(out.path());
    ExistingAnswer stop;
    stop.stop = true;
    prompts.existingAnswers.push_back(stop);
    const BatchResult r = SaveAllIconGroups(groups, flags, prompts);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.stoppedAt, out.file("B.ico"));
    EXPECT_EQ(FilesIn(out.path()), (std::vector<std::string>{"A.ico", "B.ico"}));
    EXPECT_EQ(ReadFile(out.file("B.ico")), (Bytes{1, 2, 3}));
    EXPECT_EQ(r.stats.filesWritten, 1);
    EXPECT_EQ(r.stats.filesSkipped, 0);
    const std::string summary = BatchSummaryText(r);
    EXPECT_NE(summary.find("Files written: 1 ("), std::string::npos) << summary;
    EXPECT_NE(summary.find("Stopped at \"" + out.file("B.ico") + "\""), std::string::npos) << summary;
    EXPECT_EQ(flags.ActionAnswered + flags.ActionSkip + flags.ActionOverwrite + flags.ActionAllOthers, 0);
}

// Cursor groups write .cur files without the hot-spot prefix of their
// resources, and convert without marking the bottom-left pixel.
TEST(IconDeskCommands, CursorGroupsSaveExtractAndConvert) {
    TempDir out;
    DibLayout s;
    s.width = s.height = 32;
    s.bitCount = 1;
    s.palette = {0, 0xFFFFFF};
    s.pixel = [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; };
    s.transparent = [](int x, int y) { return x < 8 && y < 8; }; // the top-left corner is transparent
    Bytes dib = BuildDib(s);
    auto cursor = [&](uint16_t hotX) {
        CursorImage im;
        im.Width = 32;
        im.Height = 64;
        im.BitCount = 1;
        im.HotspotX = hotX;
        Bytes data = {uint8_t(hotX), 0, 0, 0};
        data.insert(data.end(), dib.begin(), dib.end());
        data.resize(308, 0);
        im.Data = SharedBytes(std::move(data));
        im.BytesInRes = 308;
        im.Picture.Defer(false, 32, 32);
        return im;
    };
    CursorGroup group;
    group.Name = "ARROW";
    group.Images = {cursor(1), cursor(2)};

    ScriptedPrompts prompts;
    prompts.saveFiles.push_back(out.file("arrow.cur"));
    ASSERT_TRUE(SaveDeskGroup(group, prompts).ok);
    EXPECT_EQ(prompts.saveRequests.front().title, "Save Cursor");
    const Bytes file = ReadFile(out.file("arrow.cur"));
    ASSERT_EQ(file.size(), 6u + 32 + 2 * 304);
    EXPECT_EQ(PeekU32(file, 6 + 12), 38u);
    EXPECT_EQ(PeekU32(file, 6 + 16 + 12), 342u);
    EXPECT_EQ(PeekU16(file, 6 + 4), 1); // the hot spot from the record

    ActionFlags flags;
    prompts.folders = {out.path(), out.path()};
    CursorDeskSelection one;
    one.groups = {&group};
    one.one = true;
    ASSERT_TRUE(ExtractDeskImages(one, flags, prompts).ok);
    EXPECT_EQ(ReadFile(out.file("ARROW_0.cur")).size(), 22u + 308 - 4);
    ASSERT_TRUE(ConvertDeskImages(one, flags, prompts).ok);
    const Bitmap bmp = DecodeBmp(ReadFile(out.file("ARROW_0.bmp")));
    ASSERT_TRUE(bmp.HasHandle());
    EXPECT_EQ(std::tuple(bmp.width, bmp.height), std::tuple(32, 32));
    EXPECT_EQ(bmp.Pixel(0, 0), ArgbFromColor(KeyColor)); // transparent: the key colour
    EXPECT_EQ(bmp.Pixel(0, 31), 0xFF000000u);            // the bottom-left pixel stays as drawn
    EXPECT_EQ(bmp.Pixel(9, 31), 0xFFFFFFFFu);
    EXPECT_EQ(prompts.folderTitles, (std::vector<std::string>{"Select folder for cursors", "Select folder for bitmaps"}));
}
