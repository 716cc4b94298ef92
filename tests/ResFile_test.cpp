#include <gtest/gtest.h>

#include <cstdlib>

#include "formats/Document.h"
#include "formats/ResFile.h"
#include "platform/Text.h"
#include "tests/support/Builders.h"
#include "tests/support/ResourceCompiler.h"
#include "tests/support/ResBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Dib(int w, int h, int bpp, bool icon = true) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = bpp;
    s.icon = icon;
    return BuildDib(s);
}
Bytes IconDib(int size, int bpp) { return Dib(size, size, bpp); }

GroupEntry Entry(uint16_t w, uint16_t h, uint16_t bpp, const Bytes& data, uint16_t id) {
    GroupEntry e;
    e.width = w;
    e.height = h;
    e.bitCount = bpp;
    e.bytesInRes = uint32_t(data.size());
    e.id = id;
    return e;
}

Bytes BuildRes(bool is32, const std::vector<ResItem>& items) {
    return is32 ? BuildRes32(items) : BuildRes16(items);
}

int Count(bool is32, ByteView file, uint16_t type) {
    return is32 ? Conta32(file, 32, type) : Conta16(file, 0, type);
}

bool HasHandles(const IconGroup& g, size_t n) {
    for (size_t i = 0; i < g.Images.size(); ++i)
        if (bool(g.Images[i].Handle()) != (i < n)) return false;
    return true;
}

// Icon images 1 and 2, then groups: 300 (images 1, 2; the two-image group
// whose 34 bytes of data are padded to 36), "MAIN" under a string type
// (image 2, shared, stating far more bytes than its resource holds), 5
// (images 1, 9, 2: 9 is missing), 6 (image 2, stating 65535 images), and a
// later second image with id 1 that must never be taken.
struct IconFixture {
    Bytes dib16 = IconDib(16, 4);
    Bytes dib32 = IconDib(32, 8);
    Bytes other = IconDib(16, 1);
    std::vector<ResItem> items() const {
        GroupEntry oversized = Entry(32, 32, 8, dib32, 2);
        oversized.bytesInRes = 1u << 30;
        return {
            {RT_ICON, 1, dib16},
            {"RT_ICON", 2, dib32},
            {RT_GROUP_ICON, 300, BuildIconGroupRes({Entry(16, 16, 4, dib16, 1), Entry(32, 32, 8, dib32, 2)})},
            {"RT_GROUP_ICON", "MAIN", BuildIconGroupRes({oversized})},
            {RT_GROUP_ICON, 5,
             BuildIconGroupRes({Entry(16, 16, 4, dib16, 1), Entry(16, 16, 4, dib16, 9), Entry(32, 32, 8, dib32, 2)})},
            {RT_GROUP_ICON, 6, BuildIconGroupRes({Entry(32, 32, 8, dib32, 2)}, 0xFFFF)},
            {RT_ICON, 1, other},
        };
    }
};

} // namespace

TEST(ResFileCount, CountsGroupsAndBitmapsInBothLayouts) {
    const Bytes group = BuildIconGroupRes({Entry(16, 16, 4, Bytes(10), 1), Entry(16, 16, 4, Bytes(10), 2)});
    ASSERT_EQ(group.size(), 34u);
    const std::vector<ResItem> items = {
        {"A", 1, Bytes{1, 2, 3}}, // a one-character string type
        {RT_GROUP_ICON, 1, group},
        {RT_BITMAP, 2, Dib(4, 4, 8, false)}, // right after the 34-byte group
        {"RT_GROUP_ICON", "NAMED", group},
        {"rt_group_icon", 3, group}, // case matters
        {"RT_GROUP_CURSOR", 4, Bytes(6)},
        {RT_ICON, 5, Bytes(7)},
    };
    for (bool is32 : {true, false}) {
        SCOPED_TRACE(is32 ? "32-bit" : "16-bit");
        const Bytes file = BuildRes(is32, items);
        EXPECT_EQ(IsRes32(file), is32);
        EXPECT_EQ(Count(is32, file, RT_GROUP_ICON), 2);
        EXPECT_EQ(Count(is32, file, RT_BITMAP), 1);
        EXPECT_EQ(Count(is32, file, RT_GROUP_CURSOR), 1);
    }

    // The group's data is padded to 36 bytes before the next entry.
    const Bytes groupEntry = BuildRes32Entry({RT_GROUP_ICON, 1, group});
    EXPECT_EQ(groupEntry.size(), PeekU32(groupEntry, 4) + 36);

    // The leading entry itself is never counted, and one changed byte of it
    // makes the file a 16-bit one.
    Bytes lead = Res32LeadingEntry();
    EXPECT_TRUE(IsRes32(lead));
    EXPECT_EQ(Conta32(lead, 32, 0), 0);
    lead[20] = 1;
    EXPECT_FALSE(IsRes32(lead));
}

TEST(ResFileIcons, ReadsGroupsAndFindsTheirImagesInBothLayouts) {
    const IconFixture f;
    for (bool is32 : {true, false}) {
        SCOPED_TRACE(is32 ? "32-bit" : "16-bit");
        const Bytes file = BuildRes(is32, f.items());
        FileContents cd;
        cd.IconGroupCount = 5;
        LoadResIcons(cd, file);
        const auto& g = cd.IconGroups;

        EXPECT_EQ(g[0].Name, "300");
        EXPECT_EQ(g[0].Named, 0);
        ASSERT_EQ(g[0].Images.size(), 2);
        ASSERT_EQ(g[0].Images.size(), 2u);
        const IconImage& a = g[0].Images[0];
        EXPECT_EQ(a.ResId, 1);
        EXPECT_EQ(a.BitCount, 4);
        EXPECT_EQ(a.Data, f.dib16); // the first id 1 in file order
        EXPECT_EQ(a.BytesInRes, f.dib16.size());
        EXPECT_EQ(g[0].Images[1].Data, f.dib32);
        ASSERT_TRUE(HasHandles(g[0], 2));
        EXPECT_EQ(g[0].Images[1].Handle()->width, 32);

        EXPECT_EQ(g[1].Name, "MAIN");
        EXPECT_EQ(g[1].Named, 1);
        ASSERT_EQ(g[1].Images.size(), 1u);
        EXPECT_EQ(g[1].Images[0].Data, f.dib32); // shared with group 300, cut to what is there
        EXPECT_EQ(g[1].Images[0].BytesInRes, f.dib32.size());

        // Image 9 is missing: the group keeps its directory, and only the
        // image before it is loaded.
        EXPECT_EQ(g[2].Name, "5");
        ASSERT_EQ(g[2].Images.size(), 3u);
        EXPECT_TRUE(HasHandles(g[2], 1));
        EXPECT_EQ(g[2].Images[1].ResId, 9);
        EXPECT_TRUE(g[2].Images[2].Data.empty());

        EXPECT_EQ(g[3].Name, "6");
        EXPECT_EQ(g[3].Images.size(), 1);
        EXPECT_TRUE(HasHandles(g[3], 1));
        EXPECT_TRUE(g[4].Name.empty() && g[4].Images.empty()); // no fifth group in the file

        // A list smaller than the file's groups takes the first ones only.
        FileContents small;
        small.IconGroupCount = 1;
        LoadResIcons(small, file);
        EXPECT_EQ(small.IconGroups[0].Name, "300");
        EXPECT_TRUE(HasHandles(small.IconGroups[0], 2));
    }
}

TEST(ResFileCursors, TakesSizeFromTheImageAndKeepsThePrefix) {
    const Bytes dib = IconDib(32, 1); // header height 64
    const Bytes cursor = CursorImageRes(5, 7, dib);
    const Bytes png = CursorImageRes(1, 2, BuildPng(48, 48, [](int x, int y) { return 0xFF000000u | uint32_t(x * y); }));
    // The first group states the cursor's own height and no bit count; the
    // second states nothing useful and one byte too many for the PNG image.
    GroupEntry wrong = Entry(32, 32, 0, cursor, 1);
    GroupEntry pngEntry = Entry(0, 0, 0, png, 2);
    pngEntry.bytesInRes += 1;
    const std::vector<ResItem> items = {
        {"RT_GROUP_CURSOR", 10, BuildCursorGroupRes({wrong})},
        {RT_CURSOR, 1, cursor},
        {"RT_CURSOR", 2, png},
        {RT_GROUP_CURSOR, "ARROW", BuildCursorGroupRes({pngEntry, wrong})},
        {RT_GROUP_ICON, 11, BuildCursorGroupRes({wrong})}, // not a cursor group
    };
    for (bool is32 : {true, false}) {
        SCOPED_TRACE(is32 ? "32-bit" : "16-bit");
        FileContents cd;
        cd.CursorGroupCount = 3;
        LoadResCursors(cd, BuildRes(is32, items));
        const auto& g = cd.CursorGroups;
        EXPECT_EQ(g[0].Name, "10");
        ASSERT_EQ(g[0].Images.size(), 1u);
        const CursorImage& c = g[0].Images[0];
        EXPECT_EQ(c.Width, 32);
        EXPECT_EQ(c.Height, 64);
        EXPECT_EQ(c.BitCount, 1);
        EXPECT_EQ(c.HotspotX, 5);
        EXPECT_EQ(c.HotspotY, 7);
        EXPECT_EQ(c.Data, cursor);
        ASSERT_TRUE(c.Handle());
        EXPECT_EQ(c.Handle()->height, 32);

        EXPECT_EQ(g[1].Name, "ARROW");
        ASSERT_EQ(g[1].Images.size(), 2u);
        const CursorImage& p = g[1].Images[0];
        EXPECT_EQ(p.Width, 48);
        EXPECT_EQ(p.Height, 96);
        EXPECT_EQ(p.Data, png);
        EXPECT_EQ(p.BytesInRes, png.size());
        ASSERT_TRUE(p.Handle());
        EXPECT_EQ(p.Handle()->height, 48);
        EXPECT_EQ(g[1].Images[1].Data, cursor);

        EXPECT_TRUE(g[2].Name.empty());
    }
}

TEST(ResFileBitmaps, SkipsBitmapsThatDoNotDecode) {
    const std::vector<ResItem> items = {
        {RT_BITMAP, "BAD", Bytes(30, 0xEE)},
        {RT_BITMAP, 7, Dib(10, 6, 8, false)},
        {RT_GROUP_ICON, 8, Bytes(6)},
        {"RT_BITMAP", "WIDE", Dib(20, 3, 24, false)},
        {RT_BITMAP, "LAST", Bytes(4)},
    };
    for (bool is32 : {true, false}) {
        SCOPED_TRACE(is32 ? "32-bit" : "16-bit");
        FileContents cd;
        cd.MaxBmpWidth = 999;
        cd.BitmapCount = 4;
        LoadResBitmaps(cd, BuildRes(is32, items));
        const auto& b = cd.Bitmaps;
        EXPECT_EQ(b[0].Name, "7"); // took the place of "BAD"
        EXPECT_EQ(b[0].Width, 10);
        EXPECT_EQ(b[0].PixelFormat, PixelFormat::Bits8);
        EXPECT_TRUE(b[0].Bitmap()->HasHandle());
        EXPECT_EQ(b[1].Name, "WIDE");
        EXPECT_EQ(b[1].Named, 1);
        // The last bitmap fails: its name stays, without a picture.
        EXPECT_EQ(b[2].Name, "LAST");
        EXPECT_FALSE(b[2].Bitmap()->HasHandle());
        EXPECT_TRUE(b[3].Name.empty());
        EXPECT_EQ(cd.MaxBmpWidth, 20);
        EXPECT_EQ(cd.MaxBmpHeight, 6);
    }
}

// Names come back as UTF-8: from UTF-16 in the 32-bit layout (a character
// outside the Basic Multilingual Plane as one character), from Windows-1252
// in the 16-bit layout.
TEST(ResFileBitmaps, NamesAreUtf8InBothLayouts) {
    const Bytes dib = Dib(4, 4, 8, false);
    auto names = [&](bool is32, const std::vector<std::string>& stored) {
        std::vector<ResItem> items;
        for (const std::string& n : stored) items.push_back({RT_BITMAP, n, dib});
        FileContents cd;
        cd.BitmapCount = uint16_t(stored.size());
        LoadResBitmaps(cd, BuildRes(is32, items));
        std::vector<std::string> out;
        for (const auto& b : cd.Bitmaps) out.push_back(b.Name);
        return out;
    };
    const std::vector<std::string> unicode = {"CAF\u00C9", "\u30A2\u30A4\u30B3\u30F3", "G\U0001D11E"};
    EXPECT_EQ(names(true, unicode), unicode);
    // A long name shows its first 251 characters, a pair at the limit kept
    // whole; the 16-bit layout keeps as many Windows-1252 characters.
    const std::string a250(250, 'A');
    EXPECT_EQ(names(true, {std::string(300, 'B'), a250 + "\U0001D11E" + "CDE"}),
              (std::vector<std::string>{std::string(251, 'B'), a250 + "\U0001D11E"}));
    EXPECT_EQ(names(false, {std::string(300, 'B')}), std::vector<std::string>{std::string(251, 'B')});
    EXPECT_EQ(names(false, {"CAF\xC9", "NA\xCFVE", "\x80\x81"}),
              (std::vector<std::string>{"CAF\u00C9", "NA\u00CFVE", "\u20AC\u0081"}));
    // An unpaired surrogate is one replacement character.
    const uint16_t lone[] = {'A', 0xD800, 'B', 0xDC00};
    EXPECT_EQ(Utf16ToUtf8(lone), "A\uFFFDB\uFFFD");
}

// Every prefix of a small file, in both layouts, through every reader and
// counter: nothing is read outside the bytes, counts never grow, and every
// loaded image holds exactly the bytes it states.
TEST(ResFileRobustness, TruncationAndEntriesThatDoNotMoveForward) {
    const Bytes dib = IconDib(8, 1);
    const Bytes cursor = CursorImageRes(1, 1, dib);
    const std::vector<ResItem> items = {
        {RT_ICON, 1, dib},
        {RT_GROUP_ICON, "LONGER NAME", BuildIconGroupRes({Entry(8, 8, 1, dib, 1), Entry(8, 8, 1, dib, 1)})},
        {RT_CURSOR, 1, cursor},
        {RT_GROUP_CURSOR, 2, BuildCursorGroupRes({Entry(8, 16, 1, cursor, 1)})},
        {RT_BITMAP, 3, Dib(3, 3, 4, false)},
    };
    for (bool is32 : {true, false}) {
        SCOPED_TRACE(is32 ? "32-bit" : "16-bit");
        const Bytes full = BuildRes(is32, items);
        for (size_t len = 0; len <= full.size(); ++len) {
            const ByteView file(full.data(), len);
            FileContents cd;
            cd.IconGroupCount = 1;
            cd.CursorGroupCount = 1;
            cd.BitmapCount = 1;
            LoadResIcons(cd, file);
            LoadResCursors(cd, file);
            LoadResBitmaps(cd, file);
            for (const auto& im : cd.IconGroups[0].Images) ASSERT_EQ(im.Data.size(), im.BytesInRes);
            for (const auto& im : cd.CursorGroups[0].Images) ASSERT_EQ(im.Data.size(), im.BytesInRes);
            for (uint16_t type : {RT_GROUP_ICON, RT_GROUP_CURSOR, RT_BITMAP}) {
                const int count = Count(is32, file, type);
                ASSERT_LE(count, 1);
                if (len == full.size()) {
                    ASSERT_EQ(count, 1);
                }
            }
        }
    }

    // 32-bit entries that would not move the walk forward, or whose header is
    // too small for its type and name, end the walk.
    const Bytes group = BuildRes32Entry({RT_GROUP_ICON, 1, BuildIconGroupRes({})});
    for (uint32_t headerSize : {0u, 8u, 10u}) {
        Bytes file = Res32LeadingEntry();
        file.insert(file.end(), group.begin(), group.end());
        PatchU32(file, 36, headerSize);
        file.insert(file.end(), group.begin(), group.end());
        EXPECT_EQ(Conta32(file, 32, RT_GROUP_ICON), 0) << headerSize;
        FileContents cd;
        cd.IconGroupCount = 1;
        LoadResIcons(cd, file);
        EXPECT_TRUE(cd.IconGroups[0].Name.empty());
    }
    // Sizes whose sum lies far past the end count the entry and stop.
    Bytes huge = BuildRes32Entry({RT_GROUP_ICON, 1, BuildIconGroupRes({})});
    PatchU32(huge, 0, 0xFFFFFFF0u);
    Bytes file = Res32LeadingEntry();
    file.insert(file.end(), huge.begin(), huge.end());
    file.insert(file.end(), group.begin(), group.end());
    EXPECT_EQ(Conta32(file, 32, RT_GROUP_ICON), 1);
    EXPECT_EQ(Conta32(file, 1u << 20, RT_GROUP_ICON), 0);
}

// A real resource compiler's output, when one is installed.
TEST(ResFileWindres, ReadsWhatTheCompilerWrote) {
    if (!HaveResourceCompiler()) GTEST_SKIP() << "x86_64-w64-mingw32-windres or cpp is not installed";
    TempDir dir;
    const Bytes small = IconDib(16, 4), large = IconDib(32, 8);
    IcoEntry a{small, 16, 16, 0, 0, 1, 4}, b{large, 32, 32, 0, 0, 1, 8};
    ASSERT_TRUE(WriteFile(dir.file("two.ico"), BuildIcoFile({a, b})));
    ASSERT_TRUE(WriteFile(dir.file("one.ico"), BuildIcoFile({b})));
    const Bytes cursorDib = IconDib(32, 1);
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), BuildIcoFile({{cursorDib, 32, 32, 0, 0, 3, 4}}, 2)));
    ASSERT_TRUE(WriteFile(dir.file("pic.bmp"), BuildBmpFile(Dib(10, 6, 8, false))));
    const std::string rc = "1 ICON \"two.ico\"\nAPP ICON \"one.ico\"\n5 CURSOR \"arrow.cur\"\n7 BITMAP \"pic.bmp\"\n";
    std::string log;
    const std::optional<Bytes> compiled = CompileResourceScript(dir, rc, log);
    ASSERT_TRUE(compiled) << "windres failed: " << log;
    const Bytes& res = *compiled;
    ASSERT_TRUE(IsRes32(res));
    EXPECT_EQ(Conta32(res, 32, RT_GROUP_ICON), 2);
    EXPECT_EQ(Conta32(res, 32, RT_GROUP_CURSOR), 1);
    EXPECT_EQ(Conta32(res, 32, RT_BITMAP), 1);

    const auto doc = Document::Open(dir.file("out.res"));
    EXPECT_EQ(doc->Kind(), FileKind::Resource);
    EXPECT_TRUE(doc->LoadAll().empty());
    const FileContents& cd = doc->Contents();
    ASSERT_EQ(cd.IconGroups.size(), 2u);
    for (const auto& g : cd.IconGroups) {
        const bool two = g.Name == "1";
        ASSERT_TRUE(two || g.Name == "APP") << g.Name;
        EXPECT_EQ(g.Named, !two);
        ASSERT_EQ(g.Images.size(), two ? 2u : 1u);
        EXPECT_EQ(g.Images.back().Data, large);
        EXPECT_EQ(g.Images.front().Data, two ? small : large);
        EXPECT_TRUE(HasHandles(g, g.Images.size()));
    }
    const auto& cursor = cd.CursorGroups[0];
    EXPECT_EQ(cursor.Name, "5");
    ASSERT_EQ(cursor.Images.size(), 1u);
    EXPECT_EQ(cursor.Images[0].Data, CursorImageRes(3, 4, cursorDib));
    EXPECT_EQ(cursor.Images[0].Height, 64);
    EXPECT_TRUE(cursor.Images[0].Handle());
    EXPECT_EQ(cd.Bitmaps[0].Name, "7");
    EXPECT_EQ(cd.Bitmaps[0].Height, 6);
}
