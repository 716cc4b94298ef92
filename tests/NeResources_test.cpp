#include <gtest/gtest.h>

#include <tuple>

#include "formats/BmpManage.h"
#include "formats/Document.h"
#include "formats/FileKind.h"
#include "formats/IconFormat.h"
#include "formats/NeResources.h"
#include "tests/support/Builders.h"
#include "tests/support/NeBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

constexpr uint16_t kCursor = 0x8001, kBitmap = 0x8002, kIcon = 0x8003;
constexpr uint16_t kCursorGroup = 0x800C, kIconGroup = 0x800E;

Bytes Dib(int w, int h, int bits, bool icon) {
    DibLayout d;
    d.width = w;
    d.height = h;
    d.bitCount = bits;
    d.icon = icon;
    return BuildDib(d);
}
Bytes IconDib(int size, int bits) { return Dib(size, size, bits, true); }
Bytes BitmapDib(int w, int h, int bits) { return Dib(w, h, bits, false); }

NeIconDirEntry DirEntry(const Bytes& image, uint8_t size, uint16_t id) {
    NeIconDirEntry e;
    e.width = e.height = size;
    e.bytesInRes = uint32_t(image.size());
    e.id = id;
    return e;
}

// Group 100 holds images 1 and 2; the named group 1 holds image 3.
struct IconFixture {
    Bytes a = IconDib(16, 4), b = IconDib(32, 8), c = IconDib(16, 1);
    NeLayout Layout(bool groupsFirst) const {
        NeTypeSpec icons{kIcon, {{0x8001, a}, {0x8002, b}, {0x8003, c}}};
        NeTypeSpec groups{kIconGroup,
                          {{0x8064, BuildNeIconGroup({DirEntry(a, 16, 1), DirEntry(b, 32, 2)})},
                           {0x0040, BuildNeIconGroup({DirEntry(c, 16, 3)})}}};
        NeLayout s;
        s.types = groupsFirst ? std::vector{groups, icons} : std::vector{icons, groups};
        return s;
    }
};

FileContents ForFile(int groups) {
    FileContents cd;
    cd.IconGroupCount = cd.CursorGroupCount = cd.BitmapCount = groups;
    return cd;
}

// Writers rely on every image holding exactly BytesInRes bytes, whatever
// the load did.
template <typename Groups>
void ExpectConsistent(const Groups& groups) {
    for (const auto& g : groups)
        for (const auto& im : g.Images) EXPECT_EQ(im.Data.size(), im.BytesInRes);
}

} // namespace

TEST(NeResources, IconGroupsInEitherTableOrderWithNamesAndOffsets) {
    const IconFixture f;
    for (bool groupsFirst : {true, false}) {
        SCOPED_TRACE(groupsFirst);
        const Bytes file = BuildNeFile(f.Layout(groupsFirst)).bytes;
        FileContents cd = ForFile(2);
        LoadIconsNE(cd, file, "shell.dll");
    ASSERT_TRUE(cd.Errors.empty());
        const IconGroup& g0 = cd.IconGroups[0];
        EXPECT_EQ(g0.Name, "100");
        EXPECT_EQ(g0.Named, 0);
        ASSERT_EQ(g0.Images.size(), 2);
        EXPECT_EQ(g0.Images[0].ResId, 1);
        EXPECT_EQ(g0.Images[0].Data, f.a);
        EXPECT_EQ(g0.Images[1].Data, f.b);
        ASSERT_TRUE(g0.Images[1].Handle());
        EXPECT_EQ(g0.Images[1].Handle()->width, 32);
        // Each image's offset is the one it has in the .ico file written from the group.
        const Bytes ico = WriteIconGroup(g0);
        EXPECT_EQ(g0.Images[0].ImageOffset, PeekU32(ico, 6 + 12));
        EXPECT_EQ(g0.Images[1].ImageOffset, PeekU32(ico, 6 + 16 + 12));
        EXPECT_EQ(cd.IconGroups[1].Name, "shell 001");
        EXPECT_EQ(cd.IconGroups[1].Named, 1);
        EXPECT_EQ(cd.IconGroups[1].Images.at(0).Data, f.c);
        EXPECT_EQ(CountNEIconGroups(file), 2);
    }
    // A name without a "." gives nothing before the space.
    FileContents noDot = ForFile(2);
    LoadIconsNE(noDot, BuildNeFile(f.Layout(true)).bytes, "shell");
    EXPECT_EQ(noDot.IconGroups[1].Name, " 001");
}

TEST(NeResources, UnmatchedImageIdTakesTheLastEntry) {
    const Bytes a = IconDib(16, 4), last = IconDib(32, 4);
    NeLayout s;
    s.types = {{kIcon, {{0x8001, a}, {0x8002, last}}}, {kIconGroup, {{0x8001, BuildNeIconGroup({DirEntry(last, 32, 9)})}}}};
    FileContents cd = ForFile(1);
    LoadIconsNE(cd, BuildNeFile(s).bytes, "a.dll");
    ASSERT_TRUE(cd.Errors.empty());
    EXPECT_EQ(cd.IconGroups[0].Images[0].Data, last);
    EXPECT_EQ(cd.IconGroups[0].Images[0].ResId, 9);
}

TEST(NeResources, AlignmentShiftScalesOffsets) {
    const Bytes image = IconDib(16, 4);
    for (auto [shift, offset, at] : {std::tuple<uint16_t, uint16_t, uint64_t>{4, 0x0123, 0x1230}, {16, 2, 0x20000}}) {
        NeLayout s;
        s.alignShift = shift;
        s.types = {{kIconGroup, {{0x8001, BuildNeIconGroup({DirEntry(image, 16, 1)})}}},
                   {kIcon, {{0x8001, image, offset}}}};
        const NeFile ne = BuildNeFile(s);
        ASSERT_EQ(ne.dataAt[1][0], at);
        FileContents cd = ForFile(1);
        LoadIconsNE(cd, ne.bytes, "a.exe");
    ASSERT_TRUE(cd.Errors.empty()) << shift;
        EXPECT_EQ(cd.IconGroups[0].Images[0].Data, image) << shift;
    }
}

namespace {

// Two groups whose resident-name table is the last thing in the file (the
// resources sit before the NE header), so cutting the file cuts the names.
NeLayout LibraryLayout(const std::vector<NeName>& names, bool endOfNames = true) {
    const Bytes a = IconDib(16, 1);
    NeLayout s;
    s.neOffset = 0x400;
    s.names = names;
    s.endOfNames = endOfNames;
    s.types = {{kIconGroup,
                {{0x8001, BuildNeIconGroup({DirEntry(a, 16, 1)}), 0x4},
                 {0x0040, BuildNeIconGroup({DirEntry(a, 16, 1)}), 0x6}}},
               {kIcon, {{0x8001, a, 0x8}}}};
    return s;
}
NeFile IconLibrary(const std::vector<NeName>& names, bool endOfNames = true) {
    return BuildNeFile(LibraryLayout(names, endOfNames));
}

std::vector<std::string> LibraryNames(const Bytes& file, const std::string& name, int groups = 2,
                                      bool expectDamage = false) {
    FileContents cd = ForFile(groups);
    LoadIconsNE(cd, file, "/lib/" + name);
    EXPECT_EQ(!cd.Errors.empty(), expectDamage);
    std::vector<std::string> out;
    for (const auto& g : cd.IconGroups) out.push_back(g.Name);
    return out;
}

using Names = std::vector<std::string>;

} // namespace

TEST(NeResources, IconLibraryNamesComeFromTheResidentNameTable) {
    const Bytes sunMoon = IconLibrary({{"SUN", 1}, {"MOON", 2}}).bytes;
    EXPECT_EQ(LibraryNames(sunMoon, "sky.icl"), (Names{"SUN", "MOON"}));
    EXPECT_EQ(LibraryNames(sunMoon, "SKY.ICL"), (Names{"SUN", "MOON"}));
    EXPECT_EQ(LibraryNames(sunMoon, "sky.dll"), (Names{"1", "sky 001"}));
    EXPECT_EQ(LibraryNames(IconLibrary({{"SUN", 1}}).bytes, "sky.icl"), (Names{"SUN", "sky 001"}));
    const std::string longName(255, 'L');
    EXPECT_EQ(LibraryNames(IconLibrary({{longName, 1}, {"X", 2}}).bytes, "s.icl")[0], longName.substr(0, 251));

    // A table cut short keeps the names read before the cut.
    const NeFile noEnd = IconLibrary({{"SUN", 1}, {"MOON", 2}}, false);
    const uint64_t moon = noEnd.residentNames + 1 + 6 + 2 + 1 + 3 + 2; // after MODULE and SUN
    for (uint64_t cut : {moon - 1, moon + 1, moon + 6}) {
        const Bytes part(noEnd.bytes.begin(), noEnd.bytes.begin() + long(cut));
        EXPECT_EQ(LibraryNames(part, "sky.icl"), (Names{cut < moon ? "1" : "SUN", "sky 001"})) << cut;
    }
    // More groups than the table holds: the extra ones fail and stay empty,
    // and nothing is renamed.
    EXPECT_EQ(LibraryNames(sunMoon, "sky.icl", 3, 1), (Names{"1", "sky 001", ""}));
}

// Linkers that leave the expected Windows version at 0 still make readable
// modules; library names are Windows-1252 and come back as UTF-8.
TEST(NeResources, UnstatedVersionAndWindows1252LibraryNames) {
    for (uint16_t version : {0x0000, 0x0001, 0x02FF, 0x0300}) {
        NeLayout withIcons = LibraryLayout({{"CAF\xC9", 1}, {"NA\xCFVE", 2}});
        withIcons.windowsVersion = version;
        const Bytes bytes = BuildNeFile(withIcons).bytes;
        const bool readable = version == 0 || version >= 0x0300;
        EXPECT_EQ(GetFileKindOfBytes("old.icl", bytes), readable ? FileKind::Ne : FileKind::NonExecutable) << version;
        if (readable) {
            EXPECT_EQ(LibraryNames(bytes, "old.icl"), (Names{"CAF\u00C9", "NA\u00CFVE"}));
        }
    }
}

TEST(NeResources, CursorGroupsKeepTheWholeResource) {
    const Bytes arrow = BuildNeCursorImage(5, 7, IconDib(32, 1));
    const Bytes png = BuildNeCursorImage(3, 4, BuildPng(24, 24, [](int, int) { return 0xFF00FF00u; }));
    NeLayout s;
    s.types = {{kCursor, {{0x8001, arrow}, {0x8002, png}}},
               {kCursorGroup,
                {{0x80C8, BuildNeCursorGroup({{32, 64, 1, 1, uint32_t(arrow.size()), 1}})},
                 {0x0005, BuildNeCursorGroup({{24, 48, 1, 32, uint32_t(png.size()), 2}})}}}};
    TempDir dir;
    const std::string path = dir.file("arrows.dll");
    ASSERT_TRUE(WriteFile(path, BuildNeFile(s).bytes));
    const auto doc = Document::Open(path);
    ASSERT_TRUE(doc->Load(RecordKind::Cursors).empty());
    const FileContents& cd = doc->Contents();
    const CursorImage& im = cd.CursorGroups[0].Images.at(0);
    EXPECT_EQ(cd.CursorGroups[0].Name, "200");
    EXPECT_EQ(im.ResId, 1);
    EXPECT_EQ(std::tuple(im.HotspotX, im.HotspotY, im.Width, im.Height, im.BitCount), std::tuple(5, 7, 32, 64, 1));
    EXPECT_EQ(im.Data, arrow);
    EXPECT_EQ(im.BytesInRes, arrow.size());
    EXPECT_TRUE(im.Handle());
    const CursorImage& p = cd.CursorGroups[1].Images.at(0);
    EXPECT_EQ(std::tuple(p.Width, p.Height), std::tuple(24, 48)); // from the PNG header
    EXPECT_TRUE(p.Handle());

    // Only the group type counts, never the plain cursor images.
    EXPECT_EQ(doc->Counts().cursorGroups, 2);
    NeLayout plain;
    plain.types = {{kCursor, {{0x8001, arrow}}}};
    EXPECT_EQ(CountNEResources(BuildNeFile(plain).bytes, false), 0);
}

TEST(NeResources, BitmapsDecodeOrShowThePlaceholder) {
    Bytes broken = BitmapDib(16, 16, 4);
    PatchU32(broken, 4, 0); // width 0: the decoder rejects it
    const Bytes good = BitmapDib(40, 20, 24); // last in the file: its 40 extra bytes are missing
    NeLayout s;
    s.types = {{kBitmap, {{0x8001, broken}, {0x0030, good}, {0x8003, {}, 0xFFFF}}}};
    FileContents cd = ForFile(3);
    LoadBitmapsNE(cd, BuildNeFile(s).bytes, "pics.exe");
    EXPECT_FALSE(cd.Errors.empty()); // the third lies past the end

    const BitmapRecord& fake = cd.Bitmaps[0];
    EXPECT_EQ(std::tuple(fake.PixelFormat, fake.Width, fake.Height), std::tuple(PixelFormat::Bits4, 16, 16));
    EXPECT_EQ(fake.Bitmap()->pixels, GwFakeBitmap().pixels);
    const BitmapRecord& real = cd.Bitmaps[1];
    EXPECT_EQ(real.Name, "pics 001");
    EXPECT_EQ(std::tuple(real.PixelFormat, real.Width, real.Height), std::tuple(PixelFormat::Bits24, 40, 20));
    EXPECT_EQ(real.Bitmap()->width, 40);
    EXPECT_EQ(std::tuple(cd.MaxBmpWidth, cd.MaxBmpHeight), std::tuple(40, 20));
    EXPECT_EQ(cd.Bitmaps[2].Name, "3");
    EXPECT_FALSE(cd.Bitmaps[2].Bitmap()->HasHandle());

    FileContents one = ForFile(1);
    LoadBitmapsNE(one, BuildNeFile(s).bytes, "pics.exe");
    EXPECT_TRUE(one.Errors.empty());
    EXPECT_EQ(std::tuple(one.MaxBmpWidth, one.MaxBmpHeight), std::tuple(16, 16)); // the placeholder's size
}

TEST(NeResources, CountsTheFirstTableOfTheType) {
    const Bytes bmp = BitmapDib(4, 4, 8);
    NeLayout s;
    s.windowsVersion = 0x0200; // only the classifier looks at it
    s.types = {{0x8005, {{0x8001, {1, 2, 3}}}},
               {kBitmap, {{0x8001, bmp}, {0x8002, bmp}, {0x8003, bmp}, {0x8004, bmp}, {0x8005, bmp}}},
               {kBitmap, {{0x8001, bmp}}}};
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("five.exe"), BuildNeFile(s).bytes));
    const Bytes five = ReadFile(dir.file("five.exe"));
    EXPECT_EQ(CountNEResources(five, true), 5);
    EXPECT_EQ(CountNEResources(five, false), 0);
    // The classifier refuses a module for Windows 2, so a document of it counts nothing.
    EXPECT_EQ(Document::Open(dir.file("five.exe"))->Counts().bitmaps, 0);

    auto countWith = [&](auto change) {
        NeLayout t = s;
        change(t);
        return CountNEResources(BuildNeFile(t).bytes, true);
    };
    EXPECT_EQ(countWith([](NeLayout& t) { t.noResources = true; }), 0);
    EXPECT_EQ(countWith([](NeLayout& t) { t.types[0].reserved = 1; }), 0); // ends the walk
    EXPECT_EQ(countWith([](NeLayout& t) { t.types[0].typeId = 0; }), 0);
    EXPECT_EQ(countWith([](NeLayout& t) { t.types[0].count = 0xFFFF; }), 0); // skips past the end
    EXPECT_EQ(countWith([](NeLayout& t) { t.relocationOffset = 0x20; }), 0);
    EXPECT_EQ(countWith([](NeLayout& t) { t.relocationOffset = 0; }), 5);
}

TEST(NeResourcesHostile, TruncationAtEveryLength) {
    NeLayout s = IconFixture().Layout(true);
    const Bytes cursor = BuildNeCursorImage(1, 2, IconDib(16, 1));
    s.types.push_back({kCursorGroup, {{0x8001, BuildNeCursorGroup({{16, 32, 1, 1, uint32_t(cursor.size()), 1}})}}});
    s.types.push_back({kCursor, {{0x8001, cursor}}});
    s.types.push_back({kBitmap, {{0x8001, BitmapDib(8, 8, 4)}}});
    s.names = {{"A", 1}, {"B", 2}};
    const Bytes file = BuildNeFile(s).bytes;
    for (size_t n = 0; n <= file.size(); ++n) {
        const Bytes part(file.begin(), file.begin() + long(n)); // its own allocation: overreads are caught
        FileContents cd = ForFile(2);
        LoadIconsNE(cd, part, "t.icl");
        LoadCursorsNE(cd, part, "t.icl");
        LoadBitmapsNE(cd, part, "t.icl");
        ExpectConsistent(cd.IconGroups);
        ExpectConsistent(cd.CursorGroups);
        EXPECT_LE(CountNEIconGroups(part), 2);
    }
}

TEST(NeResourcesHostile, ShiftsCountsAndSizesBeyondTheFile) {
    const Bytes image = IconDib(16, 4);
    auto load = [](const NeLayout& s) {
        FileContents cd = ForFile(1);
        LoadIconsNE(cd, BuildNeFile(s).bytes, "a.exe");
    EXPECT_FALSE(cd.Errors.empty());
        ExpectConsistent(cd.IconGroups);
        return cd.IconGroups[0];
    };
    for (uint16_t shift : {17, 24, 25, 32, 63, 64, 65535}) {
        NeLayout s;
        s.alignShift = shift;
        s.types = {{kIconGroup, {{0x8001, {}, 1}}}, {kIcon, {{0x8001, {}, 1}}}};
        EXPECT_EQ(load(s).Name, "1") << shift; // named before the data failed
        EXPECT_EQ(CountNEIconGroups(BuildNeFile(s).bytes), 1) << shift;
    }
    // A group claiming 65535 images keeps the two it holds.
    NeLayout many;
    many.types = {{kIcon, {{0x8001, image}}},
                  {kIconGroup, {{0x8001, BuildNeIconGroup({DirEntry(image, 16, 1), DirEntry(image, 16, 1)}, 0xFFFF)}}}};
    EXPECT_EQ(load(many).Images.size(), 2);

    // An image size past the end, an empty image table, a table whose count
    // runs past the end with no matching id before it.
    for (int variant = 0; variant < 3; ++variant) {
        NeIconDirEntry e = DirEntry(image, 16, 1);
        NeLayout s;
        s.types = {{kIconGroup, {{0x8001, {}}}}, {kIcon, {{0x8001, image}}}};
        if (variant == 0) e.bytesInRes = 0xFFFFFFFFu;
        if (variant == 1) s.types[1].resources.clear();
        if (variant == 2) {
            e.id = 0x8001;
            s.types[1].count = 0xFFFF;
        }
        s.types[0].resources[0].data = BuildNeIconGroup({e});
        EXPECT_TRUE(load(s).Images.empty()) << variant;
    }
    // Blocks that never reach type 0 end with the bytes.
    NeLayout endless;
    endless.types.assign(2000, NeTypeSpec{0x8005});
    endless.endOfTypes = false;
    NeFile ne = BuildNeFile(endless);
    ne.bytes.resize(ne.residentNames);
    EXPECT_EQ(CountNEIconGroups(ne.bytes), 0);

    // Every image of a group pointing at one big block: the load stops
    // copying long before the file's size times the number of images.
    const Bytes big(2 << 20, 0);
    NeLayout shared;
    shared.alignShift = 8;
    shared.types = {{kIcon, {{0x8001, big}}},
                    {kIconGroup, {{0x8001, BuildNeIconGroup(std::vector<NeIconDirEntry>(1000, DirEntry(big, 16, 1)))}}}};
    EXPECT_LT(load(shared).Images.size(), 100);
}
