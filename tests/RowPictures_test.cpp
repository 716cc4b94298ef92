#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "explorer/core/RecentCache.h"
#include "explorer/core/RowPictures.h"
#include "listing/Scanners.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/ExplorerFiles.h"

using namespace gw;
using namespace gw::test;

namespace {

// Something for every category, and files whose pictures are made in the
// less usual ways: a cursor not of the large tile's size, a bitmap with
// glyphs to crop, an executable whose damage hides its icon, a resource file
// whose animation does not draw.
struct EveryKind {
    TempDir dir;
    EveryKind() {
        std::filesystem::create_directory(dir.file("Sub A"));
        WriteFile(dir.file("one.ico"), IcoFileOf(16, 0xFF0000));
        WriteFile(dir.file("two.ico"), IcoFileOf(32, 0x00FF00));
        WriteFile(dir.file("arrow.cur"), CurFileOf(32));
        WriteFile(dir.file("small.cur"), CurFileOf(16));
        WriteFile(dir.file("strip.bmp"), BmpFileOf(64, 16));
        WriteFile(dir.file("photo.bmp"), BmpFileOf(40, 30, 0x2288AA, 0xFFFFFF));
        WriteFile(dir.file("Shell.DLL"), PeFileOf({3, 2, 1}));
        WriteFile(dir.file("cursors.exe"), PeFileOf({0, 0, 2}));
        WriteFile(dir.file("old.drv"), NeFileOf({1, 5, 0}));
        const Bytes one = PeFileOf({1, 0, 0});
        WriteFile(dir.file("cut.dll"), Bytes(one.begin(), one.end() - 2000));
        WriteFile(dir.file("app.res"), ResFileOf({2, 1, 1}));
        AniLayout layout;
        layout.frames = {CurFileOf(16, 0x0000FF), CurFileOf(32, 0xFF0000)};
        layout.sequence = std::vector<uint32_t>{1, 0};
        const Bytes busy = BuildAni(layout);
        WriteFile(dir.file("busy.ani"), busy);
        WriteFile(dir.file("anim.res"), BuildRes32({{RT_ANICURSOR, 7, busy}}));
        WriteFile(dir.file("blank.res"), BuildRes32({{RT_ANICURSOR, 7, Bytes(busy.begin(), busy.begin() + 40)}}));
    }
};

// Empty when both images draw the same pixels the same way, else what differs.
std::string Difference(const ListImage& a, const ListImage& b) {
    if (bool(a.icon) != bool(b.icon)) return "icon and no icon";
    if (a.icon && (a.icon->width != b.icon->width || a.icon->height != b.icon->height ||
                   a.icon->argb != b.icon->argb || a.icon->mask != b.icon->mask || a.icon->hasAlpha != b.icon->hasAlpha))
        return "icon pixels";
    if (a.bitmap.width != b.bitmap.width || a.bitmap.height != b.bitmap.height || a.bitmap.pixels != b.bitmap.pixels ||
        a.bitmap.palette != b.bitmap.palette || a.bitmap.pixelFormat != b.bitmap.pixelFormat)
        return "bitmap pixels";
    if (a.masked != b.masked || (a.masked && a.maskArgb != b.maskArgb)) return "mask colour";
    return "";
}

} // namespace

// A row's picture made when it is drawn is the one the scan would have drawn,
// in every category and for every row.
TEST(RowPictures, AreWhatTheScanDraws) {
    EveryKind f;
    for (Category category : Categories()) {
        SCOPED_TRACE(CategoryName(category));
        const ScanResult scan = RunScanner(f.dir.path(), category, nullptr, PictureMode::Draw);
        EXPECT_GT(scan.fileCount, 0);
        ASSERT_EQ(scan.pictures.size(), scan.rows.size());
        for (const ListRow& row : scan.rows) {
            SCOPED_TRACE(row.caption);
            const RowPicture& drawn = scan.pictures[size_t(row.imageIndex)];
            const RowPicture made = RowPictureOf(f.dir.path(), category, row);
            EXPECT_EQ(made.kind, drawn.kind);
            EXPECT_EQ(made.path, drawn.path);
            EXPECT_EQ(Difference(made.large, drawn.large), "");
            EXPECT_EQ(Difference(made.small, drawn.small), "");
        }
    }
}

// A file deleted while it is listed draws as an empty tile.
TEST(RowPictures, AFileGoneSinceTheScanGetsAnEmptyTile) {
    EveryKind f;
    TempDir empty;
    for (Category category : {Category::Icons, Category::Bitmaps, Category::StaticCursors, Category::AnimatedCursors}) {
        SCOPED_TRACE(CategoryName(category));
        const ScanResult scan = RunScanner(f.dir.path(), category, nullptr, PictureMode::Skip);
        ASSERT_FALSE(scan.rows.back().IsFolder());
        const RowPicture made = RowPictureOf(empty.path(), category, scan.rows.back());
        EXPECT_EQ(made.kind, PictureKind::Images);
        EXPECT_TRUE(made.large.Empty() && made.small.Empty());
    }
}

TEST(RecentCache, KeepsTheMostRecentlyUsedUpToItsLimit) {
    RecentCache<int, std::string> cache(3);
    cache.Put(1, "one");
    cache.Put(2, "two");
    cache.Put(3, "three");
    ASSERT_NE(cache.Find(1), nullptr); // 1 is now the most recent, 2 the least
    cache.Put(4, "four");
    EXPECT_EQ(cache.Find(2), nullptr);
    EXPECT_EQ(*cache.Find(1), "one");
    EXPECT_EQ(cache.Put(3, "THREE"), "THREE"); // replaced in place ...
    EXPECT_EQ(cache.Size(), 3u);                // ... without taking more room
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Find(1), nullptr);
}
