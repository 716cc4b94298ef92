#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "formats/Document.h"
#include "formats/CursorManage.h"
#include "formats/IconManage.h"
#include "formats/PeResources.h"
#include "formats/ResTypes.h"
#include "platform/BmpCodec.h"
#include "platform/LoadBudget.h"
#include "platform/ResourceModule.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

// One 256x256 32-bit icon image: about 264 KB of data, 256 KB decoded.
Bytes LargeIconDib() {
    DibLayout s;
    s.width = 256;
    s.height = 256;
    s.bitCount = 32;
    s.pixel = [](int x, int y) { return 0xFF000000u | uint32_t(x * 256 + y); };
    return BuildDib(s);
}

// An .ico or .cur file whose count entries all name the one image after the
// directory.
Bytes FileOfSharedImage(const Bytes& image, uint16_t count, uint16_t type) {
    Bytes file;
    auto u16 = [&](uint32_t v) { file.push_back(uint8_t(v)); file.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    u16(0);
    u16(type);
    u16(count);
    const uint32_t offset = 6 + 16u * count;
    for (uint16_t i = 0; i < count; ++i) {
        file.push_back(0); // 256 wide
        file.push_back(0); // 256 high
        file.push_back(0);
        file.push_back(0);
        u16(1);
        u16(32);
        u32(uint32_t(image.size()));
        u32(offset);
    }
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

uint64_t BudgetFor(uint64_t fileSize) { return kLoadBudgetBaseBytes + kLoadBudgetPerFileByte * fileSize; }
uint64_t BudgetFor(const Bytes& file) { return BudgetFor(file.size()); }

// A library holding one icon group of count entries that all name the one
// image (asked for at size x size, 0 for its own size), with its groups loaded.
struct LoadedLibrary {
    uint64_t fileSize = 0;
    bool opened = false;
    FileContents cd;
};

LoadedLibrary LoadSharedImageLibrary(const Bytes& image, uint8_t size, size_t count) {
    IconGroupEntry entry;
    entry.width = entry.height = size;
    entry.bitCount = 32;
    entry.bytesInRes = uint32_t(image.size());
    entry.id = 1;
    PeLayout layout;
    layout.resources = {
        {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup(std::vector<IconGroupEntry>(count, entry))},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0409, image},
    };
    const PeImage pe = BuildPe(layout);
    LoadedLibrary library;
    library.fileSize = pe.bytes.size();
    const auto module = ResourceModule::FromBytes(pe.bytes);
    if (!module) return library;
    library.opened = true;
    library.cd.IconGroupCount = 1;
    LoadIconsPE(library.cd, *module);
    return library;
}

template <class Images>
uint64_t DataBytes(const Images& images) {
    return std::accumulate(images.begin(), images.end(), uint64_t(0),
                           [](uint64_t sum, const auto& im) { return sum + im.Data.size(); });
}

} // namespace

// Directory entries that all name the same large image would cost their
// count times its size; the load stops where its budget ends, as at a
// damaged entry, and the next load starts afresh.
TEST(LoadBudget, SharedImageEntriesEndTheIconAndCursorFileReads) {
    const Bytes image = LargeIconDib();
    const uint16_t count = 2000; // ~530 MB of copies without a budget
    const Bytes ico = FileOfSharedImage(image, count, 1);

    // Read without an owner, the images are copies, which the budget limits.
    const ReadResult<IconGroup> icons = ParseIconFile(ico);
    ASSERT_TRUE(icons.error);
    EXPECT_EQ(icons.error->kind, ReadErrorKind::OverBudget);
    const auto& group = icons.records;
    EXPECT_GT(group.Images.size(), 0u);
    EXPECT_LT(group.Images.size(), count);
    EXPECT_LE(DataBytes(group.Images), BudgetFor(ico));
    for (const auto& im : group.Images) {
        EXPECT_EQ(im.Data, image);
        EXPECT_TRUE(im.Handle());
    }

    const Bytes cur = FileOfSharedImage(image, count, 2);
    const ReadResult<CursorGroup> cursors = ParseCursorFile(cur);
    ASSERT_TRUE(cursors.error);
    EXPECT_EQ(cursors.error->kind, ReadErrorKind::OverBudget);
    EXPECT_LT(cursors.records.Images.size(), count);
    EXPECT_LE(DataBytes(cursors.records.Images), BudgetFor(cur));

    // Read as a document, the images are views of the file's bytes: no
    // copies, so every entry is read.
    const auto viewed = Document::OfBytes("bomb.ico", ico);
    EXPECT_TRUE(viewed->Load(RecordKind::Icons).empty());
    EXPECT_EQ(viewed->Contents().IconGroups[0].Images.size(), count);

    // The budget went with the load: an honest file of the same image in
    // distinct copies reads whole.
    const ReadResult<IconGroup> honest =
        ParseIconFile(BuildIcoFile({{image, 0, 0, 0, 0, 1, 32}, {image, 0, 0, 0, 0, 1, 32}}));
    EXPECT_FALSE(honest.error);
    EXPECT_EQ(honest.records.Images.size(), 2u);
    EXPECT_TRUE(SpendLoadBudget(uint64_t(1) << 40));
}

// A group resource of a library whose entries all name one large image is
// cut where the budget ends; the images kept are whole, and each decodes
// when it is drawn.
TEST(LoadBudget, SharedImageEntriesCutALibraryGroup) {
    const Bytes image = LargeIconDib();
    const size_t count = 1000;
    const LoadedLibrary library = LoadSharedImageLibrary(image, 0, count);
    ASSERT_TRUE(library.opened);
    ASSERT_EQ(library.cd.Errors.size(), 1u);
    EXPECT_EQ(library.cd.Errors[0].kind, ReadErrorKind::OverBudget);
    const auto& group = library.cd.IconGroups[0];
    EXPECT_GT(group.Images.size(), 0u);
    EXPECT_LT(group.Images.size(), count);
    EXPECT_LE(DataBytes(group.Images), BudgetFor(library.fileSize));
    for (size_t i = 0; i < group.Images.size(); ++i) {
        EXPECT_EQ(group.Images[i].Data, image);
        EXPECT_TRUE(group.Images[i].Picture.Pending()) << i; // the load decoded nothing
    }
    EXPECT_TRUE(group.Images.back().Handle());
}

// Entries that ask for a tiny image at a large size cost nothing while the
// file loads: each picture is scaled when it is drawn, and one that is never
// drawn never costs its pixels.
TEST(LoadBudget, ScaledImagesCostNothingUntilDrawn) {
    DibLayout s;
    s.width = 1;
    s.height = 1;
    s.bitCount = 32;
    const Bytes tiny = BuildDib(s);
    const size_t count = 2000; // ~520 MB of pixels without a budget
    const LoadedLibrary library = LoadSharedImageLibrary(tiny, 255, count);
    ASSERT_TRUE(library.opened);
    EXPECT_TRUE(library.cd.Errors.empty());
    const auto& images = library.cd.IconGroups[0].Images;
    ASSERT_EQ(images.size(), count);
    EXPECT_TRUE(std::all_of(images.begin(), images.end(), [](const auto& im) { return im.Picture.Pending(); }));
    ASSERT_TRUE(images.back().Handle());
    EXPECT_EQ(images.back().Handle()->width, 255);
    EXPECT_EQ(images.back().Data, tiny);
}

// Decoders draw their pixels from the budget in place: once it is spent an
// image no longer decodes; a budget inside it adds nothing; after the load
// the same image decodes again.
TEST(LoadBudget, DecodedPixelsDrawFromTheLoadBudget) {
    DibLayout s;
    s.width = 1024;
    s.height = 1024;
    s.bitCount = 8;
    s.icon = false;
    const Bytes dib = BuildDib(s);
    const uint64_t perDecode = 1024 * 1024 * 4;
    {
        const LoadBudget budget(0);
        for (uint64_t spent = 0; spent + perDecode <= kLoadBudgetBaseBytes; spent += perDecode)
            ASSERT_TRUE(DecodeDib(dib).HasHandle()) << spent;
        EXPECT_FALSE(DecodeDib(dib).HasHandle());
        {
            const LoadBudget inner(uint64_t(1) << 30);
            EXPECT_FALSE(DecodeDib(dib).HasHandle());
        }
    }
    EXPECT_TRUE(DecodeDib(dib).HasHandle());
}
