#include <gtest/gtest.h>

#include <algorithm>

#include "formats/Document.h"
#include "formats/KindReader.h"
#include "formats/PeResources.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

PeResource Res(uint16_t type, ResourceKey name, Bytes data) { return {ResourceKey::Id(type), std::move(name), 0x0409, std::move(data)}; }

Bytes IconDib(int size, int bpp) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bitCount = bpp;
    return BuildDib(s);
}

Bytes CursorDib() {
    DibLayout s;
    s.width = 32;
    s.height = 32;
    s.bitCount = 1;
    s.transparent = [](int x, int) { return x >= 16; };
    return BuildDib(s);
}

Bytes BitmapDib(int w, int h, uint32_t bottomLeft) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = 24;
    s.icon = false;
    s.pixel = [=](int x, int y) { return (x == 0 && y == h - 1) ? bottomLeft : 0x00FFFFFFu; };
    return BuildDib(s);
}

// A PE file written to a temporary folder, opened as the program opens it.
struct PeFile {
    TempDir dir;
    std::string path;
    explicit PeFile(const PeLayout& layout) : path(dir.file("test.dll")) { WriteFile(path, BuildPe(layout).bytes); }
};

// The file's records of a kind as the program reads them, and the damage
// the read found, one description a line.
const FileContents& Loaded(const std::shared_ptr<Document>& doc, RecordKind kind, std::string* damage = nullptr) {
    for (const ReadError& e : doc->Load(kind))
        if (damage) *damage += e.Describe() + "\n";
    return doc->Contents();
}

// A group load into lists sized to a count other than the file's own.
struct SizedLoad {
    std::shared_ptr<Document> doc;
    FileContents cd;
};
SizedLoad IconsSizedTo(const std::string& path, int count) {
    SizedLoad load{Document::Open(path), {}};
    load.cd.IconGroupCount = count;
    if (ModuleOf(*load.doc, RecordKind::Icons)) LoadIconsPE(load.cd, *ModuleOf(*load.doc, RecordKind::Icons));
    return load;
}

void ExpectPrefix(ByteView data, const Bytes& prefix) {
    ASSERT_GE(data.size(), prefix.size());
    EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), data.begin()));
}

} // namespace

TEST(PeIcons, GroupsByNameAndIdWithTheirImages) {
    const Bytes small = IconDib(16, 4), large = IconDib(32, 8), third = IconDib(16, 8);
    PeLayout layout;
    layout.pe32Plus = true;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Id(32512),
            BuildIconGroup({{16, 16, 0, 0, 1, 8, uint32_t(third.size()) + 100, 3},   // states 100 bytes too many
                            {32, 32, 0, 0, 1, 8, 744, 9}})),                       // no RT_ICON 9
        Res(RT_GROUP_ICON, ResourceKey::Named("MAINICON"),
            BuildIconGroup({{16, 16, 16, 0, 1, 4, uint32_t(small.size()), 1},
                            {32, 32, 0, 0, 1, 8, uint32_t(large.size()), 2}})),
        Res(RT_ICON, ResourceKey::Id(1), small),
        Res(RT_ICON, ResourceKey::Id(2), large),
        Res(RT_ICON, ResourceKey::Id(3), third),
    };
    PeFile file(layout);
    const auto doc = Document::Open(file.path);
    std::string damage;
    const FileContents& cd = Loaded(doc, RecordKind::Icons, &damage);
    EXPECT_EQ(damage, "invalid at byte 1,024: resource 9 is not in the resource directory\n");
    ASSERT_EQ(cd.IconGroups.size(), 2u);

    const auto& main = cd.IconGroups[0];
    EXPECT_EQ(main.Name, "MAINICON");
    EXPECT_TRUE(main.Named);
    ASSERT_EQ(main.Images.size(), 2u);
    const IconImage& first = main.Images[0];
    EXPECT_EQ(first.ResId, 1);
    EXPECT_EQ(first.Width, 16);
    EXPECT_EQ(first.ColorCount, 16);
    EXPECT_EQ(first.BitCount, 4);
    EXPECT_EQ(first.ImageOffset, 0u);
    EXPECT_EQ(first.Data, small);
    ASSERT_TRUE(first.Handle());
    EXPECT_EQ(first.Handle()->width, 16);
    EXPECT_EQ(main.Images[1].Data, large);
    ASSERT_TRUE(main.Images[1].Handle());
    EXPECT_EQ(main.Images[1].Handle()->width, 32);

    const auto& byId = cd.IconGroups[1];
    EXPECT_EQ(byId.Name, "32512");
    EXPECT_EQ(byId.Named, 0);
    ASSERT_EQ(byId.Images.size(), 2u);
    // Data holds the stated size: the resource's bytes, then zeros; the
    // handle is made from the resource's real size.
    const IconImage& longer = byId.Images[0];
    EXPECT_EQ(longer.BytesInRes, third.size() + 100);
    ASSERT_EQ(longer.Data.size(), longer.BytesInRes);
    ExpectPrefix(longer.Data, third);
    EXPECT_EQ(std::count(longer.Data.begin() + third.size(), longer.Data.end(), 0), 100);
    EXPECT_TRUE(longer.Handle());
    // A missing image resource: no handle, BytesInRes zero bytes.
    const IconImage& missing = byId.Images[1];
    EXPECT_FALSE(missing.Handle());
    EXPECT_EQ(missing.Data, Bytes(744, 0));
    EXPECT_TRUE(missing.Missing);
    EXPECT_FALSE(longer.Missing);

    // A list sized for one group takes the first name only.
    const SizedLoad one = IconsSizedTo(file.path, 1);
    EXPECT_TRUE(one.cd.Errors.empty());
    ASSERT_EQ(one.cd.IconGroups.size(), 1u);
    EXPECT_EQ(one.cd.IconGroups[0].Name, "MAINICON");
    EXPECT_EQ(one.cd.IconGroups[0].Images.size(), 2u);
}

TEST(PeIcons, DamagedGroupsAndFailures) {
    const Bytes dib = IconDib(16, 4);
    Bytes overstated = BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(dib.size()), 1}});
    overstated[4] = 200; // states 200 entries, holds one
    Bytes huge = BuildIconGroup({{16, 16, 0, 0, 1, 4, 0xFFFFFFF0u, 1}, {16, 16, 0, 0, 1, 4, 0xFFFFFFF0u, 7}});
    PeLayout layout;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Id(1), overstated),
        Res(RT_GROUP_ICON, ResourceKey::Id(2), Bytes{0, 0, 1}), // shorter than its header
        Res(RT_GROUP_ICON, ResourceKey::Id(3), huge),
        Res(RT_ICON, ResourceKey::Id(1), dib),
    };
    PeFile file(layout);
    const auto doc = Document::Open(file.path);
    std::string damage;
    const FileContents& cd = Loaded(doc, RecordKind::Icons, &damage);
    EXPECT_EQ(damage, "invalid at byte 1,024: resource 7 is not in the resource directory\n");
    ASSERT_EQ(cd.IconGroups.size(), 3u);
    EXPECT_EQ(cd.IconGroups[0].Images.size(), 1u);
    EXPECT_EQ(cd.IconGroups[1].Images.size(), 0u);
    // A stated size far beyond the resource is not allocated: the image
    // takes the resource's own size (and a missing one nothing).
    const auto& hugeImages = cd.IconGroups[2].Images;
    ASSERT_EQ(hugeImages.size(), 2u);
    EXPECT_EQ(hugeImages[0].Data, dib);
    EXPECT_EQ(hugeImages[0].BytesInRes, dib.size());
    EXPECT_EQ(hugeImages[1].BytesInRes, 0u);
    EXPECT_TRUE(hugeImages[1].Data.empty());

    // More groups asked for than the file has: the groups read stay loaded,
    // and the one that could not be found is left out.
    const SizedLoad more = IconsSizedTo(file.path, 4);
    ASSERT_EQ(more.cd.Errors.size(), 1u);
    EXPECT_EQ(more.cd.Errors[0].kind, ReadErrorKind::Invalid);
    ASSERT_EQ(more.cd.IconGroups.size(), 3u);
    EXPECT_EQ(more.cd.IconGroups[0].Images.size(), 1u);

    // A file that is not there, or not an executable, holds no records and says why.
    const auto absent = Document::Open(file.dir.file("absent.dll"));
    EXPECT_TRUE(absent->LoadAll().size() == 1 && absent->Errors()[0].kind == ReadErrorKind::Io);
    const std::string notPe = file.dir.file("text.dll");
    WriteFile(notPe, Bytes(200, 'A'));
    const auto text = Document::Open(notPe);
    EXPECT_EQ(text->Kind(), FileKind::NonExecutable);
    EXPECT_TRUE(text->LoadAll().empty());
    EXPECT_TRUE(text->Contents().IconGroups.empty());
}

// A group the directory lists but whose data cannot be found is damage: it
// is left out, and the groups on either side of it are read.
TEST(PeIcons, GroupListedButNotFoundIsLeftOut) {
    const Bytes dib = IconDib(16, 4);
    PeLayout layout;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Named("MAINICON"), BuildIconGroup({})),
        Res(RT_GROUP_ICON, ResourceKey::Id(7), BuildIconGroup({{16, 16, 0, 0, 1, 4, 10, 1}})),
        Res(RT_GROUP_ICON, ResourceKey::Id(9), BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(dib.size()), 1}})),
        Res(RT_ICON, ResourceKey::Id(1), dib),
    };
    PeImage pe = BuildPe(layout);
    // Group 7's language entry becomes a directory: listed, but without data.
    // The type directory lists RT_ICON (3) before RT_GROUP_ICON (14).
    const uint32_t names = PeekU32(pe.bytes, DirEntryAt(pe, 0, 1) + 4) & 0x7FFFFFFFu;
    const uint32_t languages = PeekU32(pe.bytes, DirEntryAt(pe, names, 1) + 4) & 0x7FFFFFFFu;
    PatchU32(pe.bytes, DirEntryAt(pe, languages, 0) + 4, 0x80000000u | languages);
    TempDir dir;
    const std::string path = dir.file("broken.dll");
    WriteFile(path, pe.bytes);

    const auto doc = Document::Open(path);
    // Counted are the groups that can be read: the list the load fills.
    ASSERT_EQ(doc->Counts().iconGroups, 2);
    const std::vector<ReadError>& errors = doc->Load(RecordKind::Icons);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].kind, ReadErrorKind::Invalid);
    EXPECT_NE(errors[0].message.find("without a language entry"), std::string::npos) << errors[0].message;
    const FileContents& cd = doc->Contents();
    ASSERT_EQ(cd.IconGroups.size(), 2u);
    EXPECT_EQ(cd.IconGroups[0].Name, "MAINICON");
    EXPECT_EQ(cd.IconGroups[1].Name, "9");
    ASSERT_EQ(cd.IconGroups[1].Images.size(), 1u);
    EXPECT_EQ(cd.IconGroups[1].Images[0].Data, dib);
}

TEST(PeCursors, HotSpotsSizesFromTheImageAndWholeResources) {
    const Bytes dib = CursorDib();
    const Bytes arrow = BuildCursorResource(5, 7, dib);
    const Bytes png = BuildCursorResource(1, 2, BuildPng(48, 40, [](int, int) { return 0xFF00FF00u; }));
    PeLayout layout;
    layout.resources = {
        Res(RT_GROUP_CURSOR, ResourceKey::Id(100),
            BuildCursorGroup({{32, 64, 1, 1, uint32_t(arrow.size()), 1},
                              {0, 0, 1, 0, 12, 2},       // states nothing; the bitmap says 32 x 64, 1 bit
                              {32, 64, 1, 1, 300, 3},
                              {0, 0, 1, 32, 99, 4}})),   // no RT_CURSOR 4
        Res(RT_CURSOR, ResourceKey::Id(1), arrow),
        Res(RT_CURSOR, ResourceKey::Id(2), arrow),
        Res(RT_CURSOR, ResourceKey::Id(3), png),
    };
    PeFile file(layout);
    const auto doc = Document::Open(file.path);
    std::string damage;
    const FileContents& cd = Loaded(doc, RecordKind::Cursors, &damage);
    EXPECT_EQ(damage, "invalid at byte 1,024: resource 4 is not in the resource directory\n");
    const auto& g = cd.CursorGroups[0];
    EXPECT_EQ(g.Name, "100");
    ASSERT_EQ(g.Images.size(), 4u);

    for (int j : {0, 1}) {
        const CursorImage& im = g.Images[j];
        EXPECT_EQ(im.ResId, j + 1);
        EXPECT_EQ(im.Width, 32);
        EXPECT_EQ(im.Height, 64);
        EXPECT_EQ(im.BitCount, 1);
        EXPECT_EQ(im.HotspotX, 5);
        EXPECT_EQ(im.HotspotY, 7);
        EXPECT_EQ(im.Data, arrow);
        EXPECT_EQ(im.BytesInRes, arrow.size()); // the real size, whatever the entry says
        ASSERT_TRUE(im.Handle());
        EXPECT_EQ(im.Handle()->width, 32);
        EXPECT_EQ(im.Handle()->height, 32);
        EXPECT_FALSE(im.Handle()->isIcon);
    }

    const CursorImage& fromPng = g.Images[2];
    EXPECT_EQ(fromPng.Width, 48);
    EXPECT_EQ(fromPng.Height, 80);
    EXPECT_EQ(fromPng.HotspotY, 2);
    EXPECT_EQ(fromPng.Data, png);
    ASSERT_TRUE(fromPng.Handle());
    EXPECT_EQ(fromPng.Handle()->height, 40);

    const CursorImage& missing = g.Images[3];
    EXPECT_FALSE(missing.Handle());
    EXPECT_EQ(missing.Data, Bytes(99, 0));
    EXPECT_EQ(missing.BitCount, 32);
}

TEST(PeBitmaps, DecodedBitmapsTakeTheirEntriesInOrder) {
    PeLayout layout;
    layout.resources = {
        Res(RT_BITMAP, ResourceKey::Id(5), BitmapDib(20, 10, 0x00112233)),
        Res(RT_BITMAP, ResourceKey::Id(3), Bytes(30, 0xEE)), // does not decode
        Res(RT_BITMAP, ResourceKey::Named("LOGO"), BitmapDib(8, 40, 0x00A0B0C0)),
    };
    PeFile file(layout);
    const auto doc = Document::Open(file.path);
    std::string damage;
    const FileContents& cd = Loaded(doc, RecordKind::Bitmaps, &damage);
    EXPECT_EQ(damage, "");

    EXPECT_EQ(cd.Bitmaps[0].Name, "LOGO");
    EXPECT_TRUE(cd.Bitmaps[0].Named);
    EXPECT_EQ(cd.Bitmaps[0].Width, 8);
    EXPECT_EQ(cd.Bitmaps[0].Height, 40);
    EXPECT_EQ(cd.Bitmaps[0].PixelFormat, PixelFormat::Bits24);
    // The bottom-left pixel, in the 0x00BBGGRR layout.
    EXPECT_EQ(cd.Bitmaps[0].TransparentColor(), 0x00C0B0A0u);
    // Id 3 failed; id 5 took its entry.
    EXPECT_EQ(cd.Bitmaps[1].Name, "5");
    EXPECT_FALSE(cd.Bitmaps[1].Named);
    EXPECT_EQ(cd.Bitmaps[1].Width, 20);
    EXPECT_EQ(cd.Bitmaps[1].TransparentColor(), 0x00332211u);
    ASSERT_TRUE(cd.Bitmaps[1].Bitmap());
    EXPECT_EQ(cd.Bitmaps[1].Bitmap()->width, 20);
    EXPECT_TRUE(cd.Bitmaps[2].Name.empty());
    EXPECT_EQ(cd.MaxBmpWidth, 20);
    EXPECT_EQ(cd.MaxBmpHeight, 40);
}

TEST(PeLoaders, EveryTruncationLoadsSafely) {
    const Bytes cursor = BuildCursorResource(3, 4, CursorDib());
    const Bytes icon = IconDib(16, 4);
    PeLayout layout;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Named("APP"), BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(icon.size()), 1}})),
        Res(RT_ICON, ResourceKey::Id(1), icon),
        Res(RT_GROUP_CURSOR, ResourceKey::Id(2), BuildCursorGroup({{32, 64, 1, 1, uint32_t(cursor.size()), 1}})),
        Res(RT_CURSOR, ResourceKey::Id(1), cursor),
        Res(RT_BITMAP, ResourceKey::Id(1), BitmapDib(4, 4, 0)),
    };
    const Bytes full = BuildPe(layout).bytes;
    TempDir dir;
    const std::string path = dir.file("cut.dll");
    // Every byte is cut in ResourceModule's own test; here a stride over the
    // file, and the whole file last, exercise the loaders on top of it.
    std::vector<size_t> lengths;
    for (size_t n = 0; n < full.size(); n += 7) lengths.push_back(n);
    lengths.push_back(full.size());
    for (size_t n : lengths) {
        ASSERT_TRUE(WriteFile(path, Bytes(full.begin(), full.begin() + n)));
        const auto doc = Document::Open(path);
        const std::vector<ReadError>& errors = doc->LoadAll();
        for (const ReadError& e : errors) EXPECT_LE(e.offset, n);
        const FileContents& cd = doc->Contents();
        // What the file is counted to hold is what its loads read.
        EXPECT_EQ(size_t(doc->Counts().iconGroups), cd.IconGroups.size()) << n;
        EXPECT_EQ(size_t(doc->Counts().cursorGroups), cd.CursorGroups.size()) << n;
        EXPECT_EQ(doc->Counts().bitmaps, std::count_if(cd.Bitmaps.begin(), cd.Bitmaps.end(),
                                                       [](const BitmapRecord& b) { return IsFilled(b); }))
            << n;
        for (const auto& g : cd.IconGroups)
            for (const auto& im : g.Images) ASSERT_EQ(im.Data.size(), im.BytesInRes);
        for (const auto& g : cd.CursorGroups)
            for (const auto& im : g.Images) ASSERT_EQ(im.Data.size(), im.BytesInRes);
        if (n == full.size()) {
            EXPECT_TRUE(errors.empty());
            ASSERT_EQ(cd.IconGroups.size(), 1u);
            ASSERT_EQ(cd.CursorGroups.size(), 1u);
            ASSERT_EQ(cd.IconGroups[0].Images.size(), 1u);
            EXPECT_TRUE(cd.IconGroups[0].Images[0].Handle());
            ASSERT_EQ(cd.CursorGroups[0].Images.size(), 1u);
            EXPECT_TRUE(cd.CursorGroups[0].Images[0].Handle());
            EXPECT_EQ(cd.Bitmaps[0].Width, 4);
        }
    }
}

// A library cut short is counted by what is left of it, so that it does not
// promise groups it cannot show; a group whose data lies beyond the end does
// not keep a readable one after it out of the list.
TEST(PeLoaders, ALibraryCutShortCountsWhatIsLeft) {
    const Bytes icon = IconDib(16, 4);
    const Bytes group = BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(icon.size()), 1}});
    PeLayout layout;
    layout.resources = {Res(RT_GROUP_ICON, ResourceKey::Id(1), group), Res(RT_GROUP_ICON, ResourceKey::Id(2), group),
                        Res(RT_GROUP_ICON, ResourceKey::Id(3), group), Res(RT_ICON, ResourceKey::Id(1), icon),
                        Res(RT_BITMAP, ResourceKey::Id(1), BitmapDib(4, 4, 0)),
                        Res(RT_BITMAP, ResourceKey::Id(2), BitmapDib(8, 4, 0))};
    PeImage pe = BuildPe(layout);
    const auto whole = Document::OfBytes("whole.dll", pe.bytes);
    ASSERT_EQ(whole->Counts().iconGroups, 3);
    const auto dataOf = [&](uint16_t type, uint16_t id) {
        return size_t(ModuleOf(*whole, RecordKind::Icons)->Find(type, ResourceKey::Id(id))->data() - whole->Bytes().data());
    };

    // The groups' data come last: cut before them, the bitmaps are all that is left.
    const size_t cut = dataOf(RT_GROUP_ICON, 1);
    const auto half = Document::OfBytes("half.dll", Bytes(pe.bytes.begin(), pe.bytes.begin() + cut));
    EXPECT_EQ(half->Counts().iconGroups, 0);
    EXPECT_EQ(half->Counts().bitmaps, 2);
    ASSERT_TRUE(half->Counts().damage);
    EXPECT_EQ(half->Counts().damage->kind, ReadErrorKind::Truncated);
    half->LoadAll();
    EXPECT_TRUE(half->Contents().IconGroups.empty());
    ASSERT_EQ(half->Contents().Bitmaps.size(), 2u);
    EXPECT_EQ(half->Contents().Bitmaps[1].Width, 8);

    // Group 1's data entry moved beyond the end of the file: groups 2 and 3 are counted and read.
    const uint32_t rva = pe.rsrcRva + uint32_t(dataOf(RT_GROUP_ICON, 1) - pe.rsrcOffset);
    size_t entry = pe.rsrcOffset;
    while (PeekU32(pe.bytes, entry) != rva || PeekU32(pe.bytes, entry + 4) != group.size()) entry += 4;
    PatchU32(pe.bytes, entry, rva + 0x100000);
    const auto moved = Document::OfBytes("moved.dll", pe.bytes);
    EXPECT_EQ(moved->Counts().iconGroups, 2);
    const std::vector<ReadError>& errors = moved->Load(RecordKind::Icons);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].kind, ReadErrorKind::Invalid);
    ASSERT_EQ(moved->Contents().IconGroups.size(), 2u);
    EXPECT_EQ(moved->Contents().IconGroups[0].Name, "2");
    EXPECT_EQ(moved->Contents().IconGroups[1].Name, "3");
    EXPECT_EQ(moved->Contents().IconGroups[1].Images.size(), 1u);
}
