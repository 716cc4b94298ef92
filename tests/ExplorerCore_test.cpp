#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "listing/Categories.h"
#include "explorer/core/ListRules.h"
#include "listing/Listing.h"
#include "listing/Scanners.h"
#include "platform/Paths.h"
#include "formats/Document.h"
#include "formats/KindReader.h"
#include "tests/support/AniBuilder.h"
#include "pictures/Thumbnail.h"
#include "tests/support/ExplorerFiles.h"
#include "tests/support/VersionBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

// One folder with something for every category, and things that must not be
// listed: hidden entries, folders named like files, broken and empty files.
struct MixedFolder {
    TempDir dir;
    MixedFolder() {
        for (const char* sub : {"Sub A", "b-folder", ".hidden", "stash.res", "fake.ico"})
            std::filesystem::create_directory(dir.file(sub));
        WriteFile(dir.file("One.ico"), IcoFileOf(16));
        WriteFile(dir.file("two.ICO"), IcoFileOf(32));
        WriteFile(dir.file("broken.ico"), Bytes(100, 0x5A));
        WriteFile(dir.file(".secret.ico"), IcoFileOf(16));
        WriteFile(dir.file("arrow.cur"), CurFileOf(32));
        WriteFile(dir.file("small.cur"), CurFileOf(16));
        WriteFile(dir.file("strip.bmp"), BmpFileOf(64, 16));
        WriteFile(dir.file("wide.bmp"), BmpFileOf(40, 16));
        WriteFile(dir.file("tiny.bmp"), BmpFileOf(10, 10));
        WriteFile(dir.file("empty.bmp"), {});
        WriteFile(dir.file("Shell.DLL"), PeFileOf({3, 2, 1}));
        WriteFile(dir.file("cursors.exe"), PeFileOf({0, 0, 2}));
        WriteFile(dir.file("plain.exe"), PeFileOf({}));
        WriteFile(dir.file("tools.cpl"), PeFileOf({1, 1, 1}));
        WriteFile(dir.file("old.drv"), NeFileOf({1, 5, 0}));
        WriteFile(dir.file("readme.txt"), Bytes(80, 'x'));
        WriteFile(dir.file("app.res"), ResFileOf({2, 1, 0}));
        WriteFile(dir.file("old.r16"), ResFileOf({1, 0, 1}, false));
        WriteFile(dir.file("pics.dcr"), ResFileOf({0, 3, 0}));
        WriteFile(dir.file("notes.res"), Bytes(40, 0x20));
    }
};

Category CategoryNamed(const char* text) { return FindCategory(text).value(); }

// "caption|type|count|marker" of every row as the list shows it (marker "0"
// for a folder, "1" for a file), sorted by caption, so that a test states
// the rows without depending on the folder's listing order.
std::vector<std::string> RowTexts(const ScanResult& r) {
    std::vector<std::string> out;
    for (const ListRow& row : r.rows)
        out.push_back(row.caption + "|" + RowTypeText(row) + "|" + RowCountText(row) + "|" +
                      (row.IsFolder() ? "0" : "1"));
    std::sort(out.begin(), out.end());
    return out;
}

const ListRow& RowNamed(const ScanResult& r, const std::string& caption) {
    static const ListRow none;
    for (const ListRow& row : r.rows)
        if (row.caption == caption) return row;
    ADD_FAILURE() << "no row " << caption;
    return none;
}

// The picture a row owns: picture n of the scan for the row with image index n.
const RowPicture& PictureNamed(const ScanResult& r, const std::string& caption) {
    static const RowPicture none;
    const ListRow& row = RowNamed(r, caption);
    if (size_t(row.imageIndex) < r.pictures.size()) return r.pictures[size_t(row.imageIndex)];
    ADD_FAILURE() << "no picture for " << caption;
    return none;
}

ScanResult Scan(const std::string& folder, const char* category) {
    return RunScanner(folder, CategoryNamed(category), nullptr);
}

ListRow Folder(std::string caption) { return {0, std::move(caption), std::nullopt, 0}; }
ListRow File(std::string caption, FileKind kind, int count) { return {0, std::move(caption), kind, count}; }

std::vector<std::string> Sorted(std::vector<ListRow> rows, const ExplorerState& s) {
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ListRow& a, const ListRow& b) { return ListViewCompare(a, b, s.SortMode, s.SortAscending) < 0; });
    std::vector<std::string> names;
    for (const ListRow& r : rows) names.push_back(r.caption);
    return names;
}

} // namespace

TEST(ExplorerCategories, EntriesTheirTextsAndWhatEachLists) {
    const auto all = Categories();
    // The animated cursor entries come after the nine, whose numbers stand.
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all[0], Category::Icons);
    EXPECT_STREQ(CategoryName(all[8]), "Static Cursor Resources");
    EXPECT_STREQ(CategoryName(all[9]), "Animated Cursors");
    EXPECT_STREQ(CategoryName(all[10]), "Animated Cursor Resources");
    // Every entry's text finds it again, exactly and only exactly.
    for (const Category c : all) EXPECT_EQ(FindCategory(CategoryName(c)), c) << CategoryName(c);
    EXPECT_EQ(FindCategory("icons"), std::nullopt);
    EXPECT_EQ(FindCategory("Icons "), std::nullopt);

    // What each entry lists: its objects, and whether containers (and only
    // resource files) rather than image files.
    std::vector<std::string> kinds;
    for (const Category c : all)
        kinds.push_back(std::to_string(int(ObjectsOf(c))) + (ListsContainers(c) ? "C" : "-") +
                        (ListsResourceFiles(c) ? "R" : "-"));
    EXPECT_EQ(kinds, (std::vector<std::string>{"0--", "0C-", "0CR", "1--", "1C-", "1CR", "2--", "2C-", "2CR", "3--",
                                               "3C-"}));

    // A file named on the command line opens in the category that lists it.
    const auto showing = [](FileKind kind, int icons, int cursors, int bitmaps) {
        FileCounts c;
        c.kind = kind;
        c.iconGroups = icons;
        c.cursorGroups = cursors;
        c.bitmaps = bitmaps;
        const std::optional<Category> category = CategoryShowing(c);
        return category ? std::string(CategoryName(*category)) : std::string("none");
    };
    EXPECT_EQ(showing(FileKind::Cursor, 0, 1, 0), "Static Cursors");
    EXPECT_EQ(showing(FileKind::Pe, 0, 3, 9), "Static Cursor Files");
    EXPECT_EQ(showing(FileKind::Ne, 0, 0, 2), "Bitmap Files");
    EXPECT_EQ(showing(FileKind::Resource, 1, 1, 1), "Icon Resources");
    EXPECT_EQ(showing(FileKind::NonExecutable, 0, 0, 0), "none");
    EXPECT_EQ(showing(FileKind::AnimatedCursor, 0, 0, 0), "Animated Cursors");
    FileCounts onlyAnimations;
    onlyAnimations.kind = FileKind::Pe;
    onlyAnimations.animations = 2;
    EXPECT_EQ(CategoryShowing(onlyAnimations), Category::AnimatedCursorResources);
}

// The two animated cursor entries: .ani files pictured by their first step's
// frame, and executables and resource files counted by the animations they
// hold; what opening and the status bar say of them; what the wizard counts.
TEST(ExplorerScan, AnimatedCursorsAndTheFilesHoldingThem) {
    TempDir dir;
    AniLayout layout;
    layout.frames = {CurFileOf(16, 0x0000FF), CurFileOf(32, 0xFF0000)};
    layout.sequence = std::vector<uint32_t>{1, 0};
    const Bytes busy = BuildAni(layout);
    WriteFile(dir.file("busy.ani"), busy);
    WriteFile(dir.file("cut.ani"), Bytes(busy.begin(), busy.begin() + 30));
    WriteFile(dir.file("fake.ani"), Bytes(64, 'x'));
    WriteFile(dir.file("arrow.cur"), CurFileOf(32));
    PeLayout p;
    p.resources = {{ResourceKey::Id(RT_ANICURSOR), ResourceKey::Named("WAIT"), 0x0409, busy},
                   {ResourceKey::Id(RT_ANIICON), ResourceKey::Id(5), 0x0409, busy}};
    WriteFile(dir.file("anim.dll"), BuildPe(p).bytes);
    WriteFile(dir.file("Shell.DLL"), PeFileOf({3, 2, 1}));
    WriteFile(dir.file("anim.res"), BuildRes32({{RT_ANICURSOR, 7, busy}}));
    WriteFile(dir.file("anim.dcr"), BuildRes32({{RT_ANICURSOR, 7, busy}}));

    const ScanResult files = Scan(dir.path(), "Animated Cursors");
    EXPECT_EQ(RowTexts(files), (std::vector<std::string>{"busy.ani|Animated Cursor|1|1"}));
    EXPECT_FALSE(files.countsContainers || files.showWizard);
    // The first step shows frame 1, the 32-pixel red one.
    const RowPicture& first = PictureNamed(files, "busy.ani");
    ASSERT_TRUE(first.large.icon);
    EXPECT_EQ(first.large.icon->width, 32);

    const ScanResult holders = Scan(dir.path(), "Animated Cursor Resources");
    EXPECT_EQ(RowTexts(holders), (std::vector<std::string>{"anim.dll|File Extension|2|1",
                                                           "anim.res|Resource File|1|1"}));
    EXPECT_TRUE(holders.countsContainers && holders.showWizard);
    EXPECT_EQ(PictureNamed(holders, "anim.res").large.icon->width, 32);

    ExplorerState s;
    s.CurrentDir = dir.path();
    s.Category = Category::AnimatedCursorResources;
    StoreScanCounters(s, holders);
    EXPECT_EQ(FolderSummary(s), dir.path() + ": 0 Directories and 2 Animated Cursor Files");
    EXPECT_EQ(ClickStatusText(s, RowNamed(holders, "anim.res")), "Resource File - Contains 1 Animated Cursor");
    EXPECT_EQ(PlanOpen(s, RowNamed(holders, "anim.dll")).target, OpenTarget::CursorWorkdesk);
    const Listing listing = ListingOf(s);
    EXPECT_EQ(ListingName(listing), "Animated Cursor Resources");
    EXPECT_TRUE(ListingTakesExtension(listing, ".res") && ListingTakesExtension(listing, ".icl"));
    EXPECT_FALSE(ListingTakesExtension(listing, ".dcr") || ListingTakesExtension(listing, ".ani"));
    EXPECT_EQ(CountForListing(*Document::Open(dir.file("anim.res")), listing).count, 1);
    EXPECT_EQ(CountForListing(*Document::Open(dir.file("busy.ani")), listing).count, 0);

    s.Category = Category::AnimatedCursors;
    EXPECT_EQ(PlanOpen(s, RowNamed(files, "busy.ani")).target, OpenTarget::CursorManager);
    EXPECT_EQ(ListingOf(s).objects, ObjectKind::AnimatedCursors);
}

TEST(ExplorerScan, IconsListFoldersThenIconFilesAndSkipHiddenEntries) {
    MixedFolder f;
    std::vector<std::string> names;
    std::vector<int> percents;
    const ScanResult r = RunScanner(f.dir.path(), CategoryNamed("Icons"), [&](const std::string& name, int percent) {
        names.push_back(name);
        percents.push_back(percent);
        return true;
    });
    EXPECT_EQ(RowTexts(r), (std::vector<std::string>{"One.ico|Icon|1|1", "Sub A|||0", "b-folder|||0",
                                                     "broken.ico|Icon|1|1", "fake.ico|||0", "stash.res|||0",
                                                     "two.ICO|Icon|1|1"}));
    EXPECT_EQ(r.dirCount, 4);
    EXPECT_EQ(r.fileCount, 3);
    EXPECT_FALSE(r.countsContainers);
    EXPECT_FALSE(r.showWizard || r.showAllBits);
    for (size_t i = 0; i < r.rows.size(); ++i) EXPECT_EQ(r.rows[i].imageIndex, int(i));
    // Folders come first in scan order.
    EXPECT_TRUE(r.rows[0].IsFolder());
    EXPECT_FALSE(r.rows[r.rows.size() - 1].IsFolder());

    // "." and ".." and the hidden entries advance the gauge without a row;
    // names reach the progress as the folder spells them; the gauge never passes 100.
    EXPECT_EQ(std::count(names.begin(), names.end(), "."), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".secret.ico"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "two.ICO"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "fake.ico"), 2); // folder pass and file pass
    EXPECT_TRUE(std::all_of(percents.begin(), percents.end(), [](int p) { return p >= 0 && p <= 100; }));
    EXPECT_EQ(percents.back(), 100);

    // Every row owns its picture: icons decoded, a broken file an empty tile,
    // folders the desktop's icon of their path.
    EXPECT_TRUE(PictureNamed(r, "One.ico").large.icon);
    EXPECT_EQ(PictureNamed(r, "One.ico").large.icon->width, 32);
    EXPECT_TRUE(PictureNamed(r, "broken.ico").large.Empty());
    EXPECT_EQ(PictureNamed(r, "Sub A").kind, PictureKind::Associated);
    EXPECT_EQ(PictureNamed(r, "Sub A").path, f.dir.file("Sub A"));
}

TEST(ExplorerScan, ExecutablesByCategory) {
    MixedFolder f;
    const ScanResult icons = Scan(f.dir.path(), "Icon Files");
    // An executable without icons is not listed; .icl and .cpl are libraries.
    EXPECT_EQ(RowTexts(icons), (std::vector<std::string>{"Shell.DLL|File Extension|3|1", "Sub A|||0", "b-folder|||0",
                                                         "fake.ico|||0", "old.drv|Driver|1|1", "stash.res|||0",
                                                         "tools.cpl|Library|1|1"}));
    EXPECT_TRUE(icons.countsContainers);
    EXPECT_EQ(icons.fileCount, 3);
    EXPECT_TRUE(icons.showWizard);
    EXPECT_TRUE(PictureNamed(icons, "old.drv").large.icon); // the NE file's own icon

    const ScanResult bitmaps = Scan(f.dir.path(), "Bitmap Files");
    EXPECT_EQ(bitmaps.fileCount, 2);
    EXPECT_EQ(RowNamed(bitmaps, "Shell.DLL").count, 2);
    EXPECT_EQ(RowNamed(bitmaps, "old.drv").count, 5);
    ASSERT_TRUE(bitmaps.foundResCount.has_value());

    // Cursors but no icon: listed with the program's own icon. .cpl is not
    // accepted outside "Icon Files".
    const ScanResult cursors = Scan(f.dir.path(), "Static Cursor Files");
    EXPECT_EQ(cursors.fileCount, 2);
    EXPECT_EQ(RowNamed(cursors, "cursors.exe").count, 2);
    EXPECT_EQ(RowTypeText(RowNamed(cursors, "cursors.exe")), "Executable");
    EXPECT_EQ(PictureNamed(cursors, "cursors.exe").kind, PictureKind::AppIcon);
    EXPECT_EQ(PictureNamed(cursors, "Shell.DLL").kind, PictureKind::Images);

    // Without pictures (the command line's listing) every category lists the
    // same rows: whether a row is listed never depends on drawing it.
    for (const char* category : {"Icon Files", "Bitmap Files", "Static Cursor Files"}) {
        SCOPED_TRACE(category);
        const ScanResult drawn = Scan(f.dir.path(), category);
        const ScanResult bare = RunScanner(f.dir.path(), CategoryNamed(category), nullptr, PictureMode::Skip);
        EXPECT_EQ(RowTexts(bare), RowTexts(drawn));
        EXPECT_EQ(drawn.pictures.size(), drawn.rows.size());
        EXPECT_TRUE(bare.pictures.empty());
    }
}

// A file whose damage hides its icons is listed with the damage instead of
// being left out; a whole one has none; an executable without icons or
// damage stays out.
TEST(ExplorerScan, DamagedExecutablesAreListedWithTheirDamage) {
    TempDir dir;
    const Bytes one = PeFileOf({1, 0, 0}), two = PeFileOf({2, 0, 0});
    WriteFile(dir.file("cut.dll"), Bytes(one.begin(), one.end() - 2000)); // the only group and its image cut short
    WriteFile(dir.file("half.dll"), Bytes(two.begin(), two.end() - 64));  // the second group's image cut
    WriteFile(dir.file("whole.dll"), one);
    WriteFile(dir.file("plain.exe"), PeFileOf({}));
    for (PictureMode mode : {PictureMode::Draw, PictureMode::Skip}) {
        const ScanResult icons = RunScanner(dir.path(), CategoryNamed("Icon Files"), nullptr, mode);
        EXPECT_EQ(RowTexts(icons), (std::vector<std::string>{"cut.dll|File Extension|0|1",
                                                             "half.dll|File Extension|2|1",
                                                             "whole.dll|File Extension|1|1"}));
        EXPECT_FALSE(RowNamed(icons, "whole.dll").damage);
        ASSERT_TRUE(RowNamed(icons, "cut.dll").damage);
        EXPECT_EQ(RowNamed(icons, "cut.dll").damage->kind, ReadErrorKind::Truncated);
        EXPECT_TRUE(RowNamed(icons, "half.dll").damage);
        if (mode == PictureMode::Draw) {
            EXPECT_EQ(PictureNamed(icons, "cut.dll").kind, PictureKind::AppIcon);
            EXPECT_EQ(PictureNamed(icons, "half.dll").kind, PictureKind::Images);
        }
        ExplorerState s;
        s.Category = Category::IconFiles;
        EXPECT_NE(ClickStatusText(s, RowNamed(icons, "cut.dll")).find(" - Damaged: truncated at byte"),
                  std::string::npos);
        EXPECT_EQ(ClickStatusText(s, RowNamed(icons, "whole.dll")), "File Extension - Contains 1 Icon");
    }
}

// A library cut short before its icon groups is listed in "Icon Files" for
// its damage, with no icons promised, and opens on the bitmaps still in it;
// one with nothing left opens the category's workdesk, which says why.
TEST(ExplorerScan, AProgramCutShortOpensOnWhatIsLeft) {
    TempDir dir;
    const Bytes whole = PeFileOf({3, 2, 0});
    const auto module = Document::OfBytes("whole.dll", whole);
    const size_t groups = size_t(ModuleOf(*module, RecordKind::Icons)->Find(RT_GROUP_ICON, ResourceKey::Id(1))->data() - module->Bytes().data());
    WriteFile(dir.file("half.exe"), Bytes(whole.begin(), whole.begin() + groups));
    WriteFile(dir.file("husk.exe"), Bytes(whole.begin(), whole.begin() + 0x410));
    ExplorerState s;
    s.Category = Category::IconFiles;
    s.CurrentDir = dir.path();
    const ScanResult icons = RunScanner(dir.path(), s.Category, nullptr, PictureMode::Skip);
    EXPECT_EQ(RowTexts(icons), (std::vector<std::string>{"half.exe|Executable|0|1", "husk.exe|Executable|0|1"}));
    const ListRow& half = RowNamed(icons, "half.exe");
    EXPECT_EQ(ClickStatusText(s, half).find("Executable - Contains 0 Icons - Damaged: truncated at byte"), 0u)
        << ClickStatusText(s, half);
    EXPECT_EQ(PlanOpen(s, half).target, OpenTarget::BitmapWorkdesk);
    EXPECT_EQ(PlanOpen(s, RowNamed(icons, "husk.exe")).target, OpenTarget::IconWorkdesk);
}

TEST(ExplorerScan, ResourceFilesByType) {
    MixedFolder f;
    const ScanResult icons = Scan(f.dir.path(), "Icon Resources");
    // The folder "stash.res" is skipped; "notes.res", which holds nothing a
    // resource file can, is listed with its damage; .dcr belongs to bitmaps only.
    EXPECT_EQ(icons.fileCount, 3);
    EXPECT_EQ(RowNamed(icons, "notes.res").count, 0);
    EXPECT_TRUE(RowNamed(icons, "notes.res").damage);
    EXPECT_FALSE(RowNamed(icons, "app.res").damage);
    EXPECT_EQ(RowNamed(icons, "app.res").count, 2);
    EXPECT_EQ(RowNamed(icons, "old.r16").count, 1);
    EXPECT_EQ(RowTypeText(RowNamed(icons, "app.res")), "Resource File");
    EXPECT_EQ(PictureNamed(icons, "app.res").kind, PictureKind::Associated);
    EXPECT_TRUE(icons.showWizard);

    const ScanResult bitmaps = Scan(f.dir.path(), "Bitmap Resources");
    EXPECT_EQ(bitmaps.fileCount, 3);
    EXPECT_EQ(RowNamed(bitmaps, "pics.dcr").count, 3);
    EXPECT_EQ(RowNamed(bitmaps, "app.res").count, 1);

    const ScanResult cursors = Scan(f.dir.path(), "Static Cursor Resources");
    EXPECT_EQ(cursors.fileCount, 2);
    EXPECT_EQ(RowNamed(cursors, "old.r16").count, 1);

    ExplorerState s;
    s.ImageFileCount = 7;
    s.Category = Category::StaticCursorResources;
    StoreScanCounters(s, cursors);
    s.CurrentDir = "/x";
    EXPECT_EQ(s.ContainerCount, 2);
    EXPECT_EQ(s.ImageFileCount, 7); // the other counter keeps its value
    EXPECT_EQ(FolderSummary(s), "/x: 4 Directories and 2 Cursor Files");
}

TEST(ExplorerScan, BitmapThumbnails) {
    MixedFolder f;
    const ScanResult r = Scan(f.dir.path(), "Bitmaps");
    EXPECT_EQ(r.fileCount, 3); // empty.bmp gives no row
    EXPECT_TRUE(r.showAllBits);

    // A 64 x 16 strip shows its first 16 x 16 glyph, centred, on its own
    // bottom-left colour, which is also the mask colour.
    const ListImage& strip = PictureNamed(r, "strip.bmp").large;
    ASSERT_EQ(strip.bitmap.width, 32);
    EXPECT_TRUE(strip.masked);
    EXPECT_EQ(strip.maskArgb, 0xFFFF00FFu);
    EXPECT_EQ(strip.bitmap.Pixel(7, 7), 0xFFFF00FFu);
    EXPECT_EQ(strip.bitmap.Pixel(8, 23), 0xFFFF00FFu);  // the glyph's own bottom-left pixel
    EXPECT_EQ(strip.bitmap.Pixel(9, 8), 0xFF3366CCu);
    EXPECT_EQ(strip.bitmap.Pixel(24, 8), 0xFFFF00FFu); // right of the glyph: background
    // The small picture of the strip: 16 x 16 fits exactly.
    EXPECT_EQ(PictureNamed(r, "strip.bmp").small.bitmap.Pixel(15, 0), 0xFF3366CCu);

    // 40 x 16 is squeezed into 32 x 16 and centred vertically.
    const Bitmap& wide = PictureNamed(r, "wide.bmp").large.bitmap;
    EXPECT_EQ(wide.Pixel(31, 8), 0xFF3366CCu);
    EXPECT_EQ(wide.Pixel(31, 7), 0xFFFF00FFu);
    EXPECT_EQ(wide.Pixel(31, 24), 0xFFFF00FFu);

    const ScanResult none = Scan(f.dir.file("Sub A"), "Bitmaps");
    EXPECT_FALSE(none.showAllBits);
}

TEST(ExplorerScan, CursorPictures) {
    MixedFolder f;
    const ScanResult r = Scan(f.dir.path(), "Static Cursors");
    EXPECT_EQ(RowTexts(r).size(), 6u); // four folders, two cursors
    // A 32 x 32 cursor keeps its transparency in the large list; every other
    // picture is opaque, transparent pixels on white.
    const RowPicture& arrow = PictureNamed(r, "arrow.cur");
    ASSERT_TRUE(arrow.large.icon);
    EXPECT_EQ(arrow.large.icon->width, 32);
    EXPECT_EQ(arrow.small.bitmap.width, 16);
    EXPECT_FALSE(arrow.small.masked);
    EXPECT_EQ(arrow.small.bitmap.Pixel(0, 0), 0xFFFFFFFFu);
    const RowPicture& small = PictureNamed(r, "small.cur");
    EXPECT_FALSE(small.large.icon);
    EXPECT_EQ(small.large.bitmap.width, 32);
    EXPECT_EQ(small.large.bitmap.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(small.large.bitmap.Pixel(31, 31), 0xFF00FF00u);
}

TEST(ExplorerScan, EmptyUnreadableAndStoppedFolders) {
    TempDir empty;
    ScanResult r = Scan(empty.path(), "Icons");
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(r.dirCount, 0);
    r = Scan(empty.file("missing"), "Icon Files");
    EXPECT_TRUE(r.rows.empty());

    // A folder whose only entries are hidden: the expected total is 0, and
    // the gauge does not divide by it.
    WriteFile(empty.file(".only.ico"), IcoFileOf());
    int last = -1;
    RunScanner(empty.path(), CategoryNamed("Icons"), [&](const std::string&, int p) { return last = p, true; });
    EXPECT_EQ(last, 100);

    MixedFolder f;
    int steps = 0;
    r = RunScanner(f.dir.path(), CategoryNamed("Icons"), [&](const std::string&, int) { return ++steps < 4; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(steps, 4);
    EXPECT_LE(r.rows.size(), 2u);
}

TEST(ExplorerScan, MasksAndTypeTables) {
    EXPECT_TRUE(MatchesMask("A.ICO", "*.ico"));
    EXPECT_TRUE(MatchesMask("no-dot", "*.*"));
    EXPECT_FALSE(MatchesMask("a.icon", "*.ico"));
    EXPECT_FALSE(MatchesMask("ico", "*.ico"));
    EXPECT_EQ(ContainerTypeText(".ocx", false), "DirectX File");
    EXPECT_EQ(ContainerTypeText(".dpl", false), "Delphi Library");
    EXPECT_EQ(ContainerTypeText(".scr", true), "Screen Saver");
    EXPECT_EQ(ContainerTypeText(".icl", false), "");
    EXPECT_EQ(ContainerTypeText(".icl", true), "Library");
    EXPECT_EQ(ContainerTypeText("", true), "");
    EXPECT_TRUE(AcceptsResourceFile(".dcr", RT_BITMAP));
    EXPECT_FALSE(AcceptsResourceFile(".dcr", RT_GROUP_ICON));
    EXPECT_TRUE(AcceptsResourceFile(".r32", RT_GROUP_CURSOR));
    EXPECT_EQ(GaugePercent(1, 3), 33);
    EXPECT_EQ(GaugePercent(7, 3), 100);
    EXPECT_EQ(GaugePercent(0, 0), 100);
    EXPECT_EQ(GaugePercent(2147483647, 2147483647), 100); // no overflow in count x 100
}

TEST(ExplorerThumbnail, PlacementAndDegenerateInput) {
    Bitmap tiny;
    tiny.SetSize(10, 10, 0xFF112233u);
    tiny.SetPixel(0, 9, 0xFFABCDEFu);
    Bitmap target;
    target.width = target.height = 32;
    EXPECT_EQ(MakeThumbnail(tiny, target), 0xFFABCDEFu);
    EXPECT_EQ(target.Pixel(10, 10), 0xFFABCDEFu);  // (32 - 10) / 2 = 11 is the first source column
    EXPECT_EQ(target.Pixel(11, 11), 0xFF112233u);
    EXPECT_EQ(target.Pixel(11, 20), 0xFFABCDEFu);
    EXPECT_EQ(target.Pixel(20, 21), 0xFFABCDEFu);  // below: background

    Bitmap nothing;
    target.width = target.height = 16;
    MakeThumbnail(nothing, target);
    EXPECT_EQ(target.pixels.size(), 256u);
    Bitmap impossible;
    impossible.width = -5;
    impossible.height = 3;
    MakeThumbnail(tiny, impossible);
    EXPECT_TRUE(impossible.pixels.empty());

    Bitmap square;
    square.SetSize(16, 48);
    CropToFirstGlyph(square); // taller than wide: not a strip
    EXPECT_EQ(square.width, 16);
}

TEST(ExplorerSort, DirectionRulesAndColumnClicks) {
    const std::vector<ListRow> rows{Folder("beta"),
                                    Folder("Alpha"),
                                    File("zed.dll", FileKind::Pe, 3), // "File Extension"
                                    File("b.exe", FileKind::Pe, 3),   // "Executable"
                                    File("Cat.exe", FileKind::Pe, 12),
                                    File("a.drv", FileKind::Ne, 1)};  // "Driver"
    ExplorerState s;
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"Alpha", "beta", "a.drv", "b.exe", "Cat.exe", "zed.dll"}));

    // A click on "Name" with the start settings reverses: files first, then
    // folders, both Z to A; a second click restores.
    EXPECT_TRUE(ApplyColumnClick(s, 0));
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"zed.dll", "Cat.exe", "b.exe", "a.drv", "beta", "Alpha"}));
    ApplyColumnClick(s, 0);
    EXPECT_EQ(s.SortAscending, 1);

    // "by Type" after a reversing click keeps the reversed direction.
    ApplyColumnClick(s, 0);
    s.SortMode = SortMode::ByType;
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"zed.dll", "Cat.exe", "b.exe", "a.drv", "beta", "Alpha"}));
    // A click on "Type" from another mode sorts by type in the first direction.
    s.SortMode = SortMode::ByName;
    ApplyColumnClick(s, 1);
    EXPECT_EQ(s.SortAscending, 1);
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"Alpha", "beta", "a.drv", "b.exe", "Cat.exe", "zed.dll"}));

    // By objects: most first, folders last; reversed, equal counts stay A to Z.
    s.SortMode = SortMode::ByObjects;
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"Cat.exe", "b.exe", "zed.dll", "a.drv", "Alpha", "beta"}));
    ApplyColumnClick(s, 2);
    EXPECT_EQ(Sorted(rows, s), (std::vector<std::string>{"Alpha", "beta", "a.drv", "b.exe", "zed.dll", "Cat.exe"}));

    EXPECT_FALSE(ApplyColumnClick(s, 3));
    EXPECT_FALSE(ApplyColumnClick(s, -1));

    // Only A to Z fold; a prefix goes first; "_" (0x5F) sorts before letters.
    EXPECT_LT(ListViewCompare(File("ab", FileKind::Icon, 1), File("ABC", FileKind::Icon, 1), SortMode::ByName, 1), 0);
    EXPECT_LT(ListViewCompare(File("_x", FileKind::Icon, 1), File("a", FileKind::Icon, 1), SortMode::ByName, 1), 0);
    EXPECT_EQ(ListViewCompare(File("Same", FileKind::Icon, 1), File("sAME", FileKind::Icon, 1), SortMode::ByName, 1), 0);
}

// A row holds values; the list's texts are made from them, and the orders
// compare the values: counts as numbers (text would put "10" before "2"),
// types by the text the user reads rather than by the kind's number.
TEST(ExplorerSort, CountsSortAsNumbersAndTextsComeFromValues) {
    const std::vector<ListRow> rows{File("ten.dll", FileKind::Pe, 10), File("two.exe", FileKind::Pe, 2),
                                    File("hundred.icl", FileKind::Ne, 100), Folder("sub"),
                                    File("nine.res", FileKind::Resource, 9), File("Two.scr", FileKind::Pe, 2)};
    ExplorerState s;
    s.SortMode = SortMode::ByObjects;
    EXPECT_EQ(Sorted(rows, s),
              (std::vector<std::string>{"hundred.icl", "ten.dll", "nine.res", "two.exe", "Two.scr", "sub"}));
    s.SortAscending = 0; // equal counts stay A to Z
    EXPECT_EQ(Sorted(rows, s),
              (std::vector<std::string>{"sub", "two.exe", "Two.scr", "nine.res", "ten.dll", "hundred.icl"}));
    // "Resource File" before "Screen Saver" although Pe comes before Resource
    // among the kinds.
    s.SortMode = SortMode::ByType;
    s.SortAscending = 1;
    EXPECT_EQ(Sorted(rows, s),
              (std::vector<std::string>{"sub", "two.exe", "ten.dll", "hundred.icl", "nine.res", "Two.scr"}));

    std::vector<std::string> texts;
    for (const ListRow& row : rows) texts.push_back(RowTypeText(row) + "|" + RowCountText(row));
    EXPECT_EQ(texts, (std::vector<std::string>{"File Extension|10", "Executable|2", "Library|100", "|",
                                               "Resource File|9", "Screen Saver|2"}));
    EXPECT_EQ(RowTypeText(File("A.CPL", FileKind::Pe, 1)), "Library"); // the extension without regard to case
    EXPECT_EQ(RowTypeText(File("busy.ani", FileKind::AnimatedCursor, 1)), "Animated Cursor");
    EXPECT_EQ(RowTypeText(File("x.cur", FileKind::Cursor, 1)), "Cursor");
    EXPECT_EQ(RowTypeText(File("x.bmp", FileKind::Bitmap, 1)), "Bitmap");
    // An executable under a name no scan lists still says what it is.
    EXPECT_EQ(RowTypeText(File("program", FileKind::Pe, 1)), "PE File");
    EXPECT_EQ(RowTypeText(File("old.bin", FileKind::Ne, 1)), "NE File");

    // The status text is made from the same values.
    s.Category = Category::IconFiles;
    EXPECT_EQ(ClickStatusText(s, rows[2]), "Library - Contains 100 Icons");
    s.Category = Category::AnimatedCursorResources;
    EXPECT_EQ(ClickStatusText(s, rows[4]), "Resource File - Contains 9 Animated Cursors");

    // The wizard's listing of each container category names that category.
    for (const Category c : Categories()) {
        if (!ListsContainers(c)) continue;
        s.Category = c;
        EXPECT_EQ(CategoryOf(ListingOf(s)), c) << CategoryName(c);
        EXPECT_EQ(ListingName(ListingOf(s)), CategoryName(c));
    }
}

TEST(ExplorerText, SummaryClickTextAndOpening) {
    ExplorerState s;
    s.CurrentDir = "/home/ann/art";
    s.DirCount = 2;
    s.ImageFileCount = 5;
    s.ContainerCount = 9;
    EXPECT_EQ(FolderSummary(s), "/home/ann/art: 2 Directories and 5 Icons");
    s.Category = Category::IconResources;
    EXPECT_EQ(FolderSummary(s), "/home/ann/art: 2 Directories and 9 Icon Files");
    s.Category = Category::Bitmaps;
    EXPECT_EQ(FolderSummary(s), "/home/ann/art: 2 Directories and 5 Bitmaps");
    // One of a kind is said in the singular.
    s.DirCount = 1;
    s.ContainerCount = 1;
    s.Category = Category::StaticCursorResources;
    EXPECT_EQ(FolderSummary(s), "/home/ann/art: 1 Directory and 1 Cursor File");

    s.Category = Category::IconFiles;
    const ListRow shell{3, "shell32.dll", FileKind::Pe, 238};
    EXPECT_EQ(ClickStatusText(s, shell), "File Extension - Contains 238 Icons");
    s.Category = Category::StaticCursorFiles;
    EXPECT_EQ(ClickStatusText(s, shell), "File Extension - Contains 238 Cursors");
    EXPECT_EQ(ClickStatusText(s, {3, "one.exe", FileKind::Pe, 1}), "Executable - Contains 1 Cursor");
    EXPECT_EQ(ClickStatusText(s, {0, "x.res", FileKind::Resource, 4}), "Resource File");
    EXPECT_EQ(ClickStatusText(s, Folder("Sub")), "");

    // An image file opens its manager on the path as listed.
    OpenPlan plan = PlanOpen(s, {0, "Big.ICO", FileKind::Icon, 1});
    EXPECT_EQ(plan.target, OpenTarget::IconManager);
    EXPECT_EQ(plan.path, "/home/ann/art/Big.ICO");

    // A container opens the Workdesk of the category.
    s.Category = Category::BitmapResources;
    plan = PlanOpen(s, {0, "app.res", FileKind::Resource, 2});
    EXPECT_EQ(plan.target, OpenTarget::BitmapWorkdesk);
    EXPECT_EQ(plan.path, "/home/ann/art/app.res");

    // A folder row moves the tree; at the root the separator is not doubled.
    s.CurrentDir = "/";
    plan = PlanOpen(s, Folder("usr"));
    EXPECT_EQ(plan.target, OpenTarget::Folder);
    EXPECT_EQ(plan.path, "/usr");
}

TEST(Paths, SystemFoldersAreTheRootAndWhatTheSystemKeeps) {
    for (const char* path : {"/", "//", "", "/usr", "/usr/", "/usr/share/icons", "/etc", "/proc/1", "/var/lib"})
        EXPECT_TRUE(IsSystemFolder(path)) << path;
    for (const char* path : {"/home/ann", "/root", "/tmp", "/usr2", "/media/disk", "/srv/icons"})
        EXPECT_FALSE(IsSystemFolder(path)) << path;
}

// Executables and libraries carry what their version information says they
// are, for the list's "Description" column; other files carry nothing.
TEST(ExplorerScan, ExecutablesCarryTheirDescription) {
    TempDir dir;
    PeLayout layout;
    const Bytes image = ExplorerIconDib(32, 0x0000FF);
    IconGroupEntry e;
    e.width = e.height = 32;
    e.bitCount = 24;
    e.bytesInRes = uint32_t(image.size());
    e.id = 1;
    layout.resources = {{ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup({e})},
                        {ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0409, image},
                        {ResourceKey::Id(16), ResourceKey::Id(1), 0x0409, BuildVersionBlock(SampleVersionTree(true), true)}};
    WriteFile(dir.file("described.dll"), BuildPe(layout).bytes);
    WriteFile(dir.file("plain.dll"), PeFileOf({1, 0, 0}));
    WriteFile(dir.file("one.ico"), IcoFileOf(16));
    const ScanResult files = Scan(dir.path(), "Icon Files");
    EXPECT_EQ(RowNamed(files, "described.dll").description, "Sample Library");
    EXPECT_EQ(RowNamed(files, "plain.dll").description, "");
    EXPECT_EQ(RowNamed(Scan(dir.path(), "Icons"), "one.ico").description, "");
}
