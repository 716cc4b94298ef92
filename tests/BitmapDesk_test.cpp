// The Bitmap Workdesk's items, thumbnails and save commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch/core/ScriptedPrompts.h"
#include "formats/BmpManage.h"
#include "formats/Document.h"
#include "formats/DocumentEdits.h"
#include "formats/KindReader.h"
#include "formats/PeResources.h"
#include "formats/ResTypes.h"
#include "platform/BmpCodec.h"
#include "platform/ResourceModule.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"
#include "workdesks/core/BitmapDesk.h"

using namespace gw;
using namespace gw::test;

namespace {

PeResource BitmapRes(ResourceKey name, Bytes data) { return {ResourceKey::Id(RT_BITMAP), std::move(name), 0x0409, std::move(data)}; }

Bytes Dib(int w, int h, int bits = 24) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = bits;
    s.icon = false;
    s.pixel = [=](int x, int y) { return (x == 0 && y == h - 1) ? 0x00102030u : 0x00FFFFFFu; };
    return BuildDib(s);
}

// A library of four bitmap resources, one of which does not decode, opened
// and read as the workdesk reads it.
struct LoadedLibrary {
    TempDir dir;
    std::string path = dir.file("pics.dll");
    std::shared_ptr<Document> file;
    FileContents& contents;

    LoadedLibrary() : file(Open(path)), contents(EditContents(*file)) { EXPECT_TRUE(file->Load(RecordKind::Bitmaps).empty()); }

    static std::shared_ptr<Document> Open(const std::string& path) {
        PeLayout layout;
        layout.resources = {
            BitmapRes(ResourceKey::Named("zeta"), Dib(200, 30)),
            BitmapRes(ResourceKey::Named("Alpha"), Dib(16, 16, 8)),
            BitmapRes(ResourceKey::Id(101), Dib(3, 300)),
            BitmapRes(ResourceKey::Id(7), Bytes(30, 0xEE)), // does not decode
        };
        WriteFile(path, BuildPe(layout).bytes);
        return Document::Open(path);
    }

    BitmapDeskFile File(BitmapSaveSource source = BitmapSaveSource::ReadAgain) const {
        return {&contents.Bitmaps, path, source, ModuleOf(*file, RecordKind::Bitmaps)};
    }
};

std::vector<std::string> Captions(const std::vector<BitmapDeskItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(item.caption);
    return out;
}

} // namespace

TEST(BitmapDesk, TileAndThumbnailSizes) {
    const ThumbSize wide = BitmapTileSize(200, 30);
    EXPECT_EQ(wide.width, 64);
    EXPECT_EQ(wide.height, 30);
    EXPECT_EQ(BitmapThumbSize(200, 30, wide).width, 50); // f = 4
    EXPECT_EQ(BitmapThumbSize(200, 30, wide).height, 7);
    const ThumbSize small = BitmapTileSize(16, 16);
    EXPECT_EQ(BitmapThumbSize(16, 16, small).width, 16); // f = 1, fills its tile
    const ThumbSize full = BitmapTileSize(300, 300);
    EXPECT_EQ(BitmapThumbSize(1, 300, full).width, 1); // f = 5
    EXPECT_EQ(BitmapThumbSize(1, 300, full).height, 60);
    EXPECT_EQ(BitmapThumbSize(3, 300, full).width, 1); // 3 div 5 = 0 becomes 1
    // Nothing decoded: the tile is still at least 1 x 1 and nothing divides by zero.
    const ThumbSize none = BitmapTileSize(0, 0);
    EXPECT_EQ(none.width, 1);
    EXPECT_EQ(none.height, 1);
    EXPECT_EQ(BitmapThumbSize(0, 0, none).width, 1);
}

TEST(BitmapDesk, ItemsHoldOnlyDecodedBitmapsInCaptionOrder) {
    LoadedLibrary lib;
    const std::vector<BitmapDeskItem> items = BitmapDeskItemsOf(lib.contents.Bitmaps);
    // The C locale's collation is byte order: digits, upper case, lower case.
    EXPECT_EQ(Captions(items), (std::vector<std::string>{"101", "Alpha", "zeta"}));
    const BitmapDeskItem& id = items[0];
    EXPECT_EQ(id.SubItems(), (std::vector<std::string>{"Bitmap", "0", "3", "300", "24 Bit"}));
    EXPECT_EQ(items[1].SubItems()[1], "1");
    EXPECT_EQ(items[1].SubItems()[4], "256");
    EXPECT_EQ(lib.contents.Bitmaps[id.entry].Name, "101");
    // Ids by value, as a deck of cards numbered 1 to 52 reads.
    std::vector<BitmapDeskItem> cards;
    for (const char* name : {"10", "a", "2", "1", "B"}) cards.push_back({cards.size(), name});
    std::stable_sort(cards.begin(), cards.end(), BitmapCaptionBefore);
    EXPECT_EQ(Captions(cards), (std::vector<std::string>{"1", "2", "10", "B", "a"}));
    EXPECT_STREQ(BitmapFormatText(PixelFormat::Custom), "Custom");

    // The thumbnail takes its transparent colour from its own bottom-left pixel.
    const ThumbSize tile = BitmapTileSize(lib.contents.MaxBmpWidth, lib.contents.MaxBmpHeight);
    const BitmapThumb thumb = MakeBitmapThumb(*lib.contents.Bitmaps[items[2].entry].Bitmap(), tile);
    EXPECT_EQ(thumb.picture.width, 50);
    EXPECT_EQ(thumb.picture.height, 7);
    EXPECT_EQ(thumb.transparentColor, ColorFromArgb(thumb.picture.Pixel(0, 6)));
    EXPECT_FALSE(MakeBitmapThumb(Bitmap{}, tile).picture.HasHandle());
}

TEST(BitmapDesk, SaveAllReadsThePeAgainByIdOrNameAndHonoursSkip) {
    LoadedLibrary lib;
    const std::vector<BitmapDeskItem> items = BitmapDeskItemsOf(lib.contents.Bitmaps);
    TempDir out;
    WriteFile(out.file("Alpha.bmp"), Bytes{'o', 'l', 'd'});
    ScriptedPrompts prompts;
    prompts.folders.push_back(out.path());
    prompts.existingAnswers.push_back(ExistingAnswer{ExistingAction::Skip, false});
    ActionFlags flags;
    const BatchResult result = SaveAllDeskBitmaps(lib.File(), items, flags, prompts);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(prompts.folderTitles, (std::vector<std::string>{"Select Folder for All Bitmaps"}));
    EXPECT_EQ(result.stats.filesWritten, 2);
    EXPECT_EQ(ReadFile(out.file("Alpha.bmp")), (Bytes{'o', 'l', 'd'}));
    // "101" is found again by the id 101, and the file holds that bitmap.
    const Bitmap written = DecodeBmp(ReadFile(out.file("101.bmp")));
    EXPECT_EQ(written.width, 3);
    EXPECT_EQ(written.height, 300);
    EXPECT_EQ(DecodeBmp(ReadFile(out.file("zeta.bmp"))).width, 200);
    EXPECT_EQ(flags.ActionSkip, 0); // the batch ended: all five cleared

    // Each bitmap is read again from the file, not taken from the list: a
    // loaded bitmap that differs from the file's does not reach the output.
    const BitmapDeskItem& id = items[0];
    lib.contents.Bitmaps[id.entry].Picture.Set(std::make_shared<Bitmap>(DecodeBmp(BuildBmpFile(Dib(1, 1)))));
    TempDir again;
    prompts.folders.push_back(again.path());
    const BatchResult reread = SaveAllDeskBitmaps(lib.File(), items, flags, prompts);
    EXPECT_EQ(reread.stats.filesWritten, 3);
    EXPECT_EQ(DecodeBmp(ReadFile(again.file("101.bmp"))).height, 300);
    // Without the file's resources at hand, nothing is written, and the user hears why.
    BitmapDeskFile without = lib.File();
    without.module = nullptr;
    TempDir none;
    prompts.folders.push_back(none.path());
    const BatchResult gone = SaveAllDeskBitmaps(without, items, flags, prompts);
    EXPECT_EQ(gone.stats.filesWritten, 0);
    ASSERT_EQ(gone.notes.size(), 1u);
    EXPECT_NE(gone.notes[0].find("pics.dll"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(none.path()));
}

TEST(BitmapDesk, SaveOneWritesTheLoadedBitmapInItsFormat) {
    LoadedLibrary lib;
    const std::vector<BitmapDeskItem> items = BitmapDeskItemsOf(lib.contents.Bitmaps);
    TempDir out;
    ScriptedPrompts prompts;
    prompts.saveFiles.push_back(out.file("a.bmp"));
    const BatchResult result = SaveDeskBitmap(lib.File(BitmapSaveSource::Loaded), items[1], prompts);
    EXPECT_EQ(result.stats.filesWritten, 1) << result.error;
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(prompts.saveRequests[0].title, "Save Bitmap");
    EXPECT_EQ(prompts.saveRequests[0].initialName, "Alpha.bmp");
    const Bitmap written = DecodeBmp(ReadFile(out.file("a.bmp")));
    EXPECT_EQ(written.pixelFormat, PixelFormat::Bits8);
    EXPECT_EQ(written.width, 16);

    // Without a source nothing is asked and nothing written.
    const BatchResult none = SaveDeskBitmap(lib.File(BitmapSaveSource::None), items[1], prompts);
    EXPECT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(none.stats.filesWritten, 0);
    EXPECT_EQ(none.notes.size(), 1u);
}

// A bitmap held in two languages is saved in the one the workdesk shows.
TEST(BitmapDesk, SaveWritesTheLanguageShown) {
    PeLayout layout;
    layout.resources = {{ResourceKey::Id(RT_BITMAP), ResourceKey::Id(5), 0x0407, BitmapDib(8, 4, 24)},
                        {ResourceKey::Id(RT_BITMAP), ResourceKey::Id(5), 0x0409, BitmapDib(20, 10, 24)}};
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("two.dll"), BuildPe(layout).bytes));
    for (const auto& [language, width] : {std::pair<std::optional<uint16_t>, int>{std::nullopt, 8}, {0x0409, 20}}) {
        auto doc = Document::Open(dir.file("two.dll"));
        doc->SetLanguage(language);
        doc->Load(RecordKind::Bitmaps);
        const std::vector<BitmapDeskItem> items = BitmapDeskItemsOf(doc->Contents().Bitmaps);
        ASSERT_EQ(items.size(), 1u);
        const BitmapDeskFile file{&doc->Contents().Bitmaps, doc->Path(), BitmapSaveSource::ReadAgain,
                                  ModuleOf(*doc, RecordKind::Bitmaps)};
        ScriptedPrompts prompts;
        const std::string out = dir.file("saved" + std::to_string(width) + ".bmp");
        prompts.saveFiles.push_back(out);
        ASSERT_TRUE(SaveDeskBitmap(file, items[0], prompts).ok);
        EXPECT_EQ(DecodeBmp(ReadFile(out)).width, width);
    }
}
