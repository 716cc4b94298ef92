#include "tests/support/BatchFixtures.h"

#include "formats/ResTypes.h"
#include "tests/support/Builders.h"
#include "tests/support/NeBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"

namespace gw::test {

namespace {

constexpr const char* kHostileName = "../../x";
constexpr uint16_t kNeId = 0x8000; // NE resource ids carry the high bit

Bytes IconDib(int size, int bits, bool rightHalfTransparent) {
    DibLayout d;
    d.width = d.height = size;
    d.bitCount = bits;
    if (bits > 8) d.pixel = [](int x, int y) { return uint32_t(0x102030 + x * 0x10 + y * 0x1000); };
    if (rightHalfTransparent) {
        // Transparent pixels carry colour 0, as icon editors write them
        // (AND 1 over a non-zero colour would invert the screen instead).
        d.transparent = [size](int x, int) { return x >= size / 2; };
        d.pixel = [size](int x, int y) { return x >= size / 2 ? 0u : uint32_t(x + y); };
    }
    return BuildDib(d);
}


struct IconPart {
    const Bytes* image;
    uint8_t size;
    uint8_t colorCount;
    uint16_t bitCount;
    uint16_t id;
};

std::vector<IconPart> Group0() {
    const BatchImages& im = TheBatchImages();
    // Colour counts 0 throughout: the 16-bit resource layout the builder writes has none.
    return {{&im.icon4, 16, 0, 4, 1}, {&im.icon8, 32, 0, 8, 2}};
}
std::vector<IconPart> Group1() { return {{&TheBatchImages().icon24, 16, 0, 24, 3}}; }

template <class Entry>
std::vector<Entry> GroupEntries(const std::vector<IconPart>& parts) {
    std::vector<Entry> entries;
    for (const IconPart& p : parts) {
        Entry e;
        e.width = p.size;
        e.height = p.size;
        e.colorCount = p.colorCount;
        e.planes = 1;
        e.bitCount = p.bitCount;
        e.bytesInRes = uint32_t(p.image->size());
        e.id = p.id;
        entries.push_back(e);
    }
    return entries;
}

std::vector<GroupEntry> ResGroupEntries(const std::vector<IconPart>& parts) {
    std::vector<GroupEntry> entries;
    for (const IconPart& p : parts)
        entries.push_back({p.size, p.size, 1, p.bitCount, uint32_t(p.image->size()), p.id});
    return entries;
}

Bytes CursorResource() { return BuildCursorResource(kBatchHotX, kBatchHotY, TheBatchImages().cursor1); }

} // namespace

Bytes BitmapDib(int w, int h, int bits) {
    DibLayout d;
    d.width = w;
    d.height = h;
    d.bitCount = bits;
    d.icon = false;
    if (bits > 8) d.pixel = [](int x, int y) { return uint32_t(0x405060 + x * 0x3 + y * 0x300); };
    return BuildDib(d);
}

const BatchImages& TheBatchImages() {
    static const BatchImages images{
        IconDib(16, 4, true),   IconDib(32, 8, false),  IconDib(16, 24, false),
        [] {
            DibLayout d;
            d.width = d.height = 32;
            d.bitCount = 1;
            d.palette = {0x000000, 0xFFFFFF};
            d.pixel = [](int x, int y) { return x >= 16 ? 0u : uint32_t((x + y) & 1); };
            d.transparent = [](int x, int) { return x >= 16; };
            return BuildDib(d);
        }(),
        BitmapDib(12, 6, 24), BitmapDib(20, 10, 8),
    };
    return images;
}

Bytes BuildBatchPe() {
    const BatchImages& im = TheBatchImages();
    auto res = [](uint16_t type, ResourceKey name, Bytes data) {
        return PeResource{ResourceKey::Id(type), std::move(name), 0x0409, std::move(data)};
    };
    PeLayout layout;
    layout.resources = {
        res(RT_ICON, ResourceKey::Id(1), im.icon4),
        res(RT_ICON, ResourceKey::Id(2), im.icon8),
        res(RT_ICON, ResourceKey::Id(3), im.icon24),
        // Named entries come first in the directory: the hostile name is group 0.
        res(RT_GROUP_ICON, ResourceKey::Named(kHostileName), BuildIconGroup(GroupEntries<IconGroupEntry>(Group0()))),
        res(RT_GROUP_ICON, ResourceKey::Id(7), BuildIconGroup(GroupEntries<IconGroupEntry>(Group1()))),
        res(RT_CURSOR, ResourceKey::Id(1), CursorResource()),
        res(RT_GROUP_CURSOR, ResourceKey::Id(100),
            BuildCursorGroup({{32, 64, 1, 1, uint32_t(CursorResource().size()), 1}})),
        res(RT_BITMAP, ResourceKey::Named("LOGO"), im.bitmap24),
        res(RT_BITMAP, ResourceKey::Id(1), im.bitmap8),
    };
    return BuildPe(layout).bytes;
}

Bytes BuildBatchNe() {
    const BatchImages& im = TheBatchImages();
    const Bytes cursor = BuildNeCursorImage(kBatchHotX, kBatchHotY, im.cursor1);
    NeLayout s;
    s.types = {
        {kNeId | RT_ICON, {{kNeId | 1, im.icon4}, {kNeId | 2, im.icon8}, {kNeId | 3, im.icon24}}},
        {kNeId | RT_GROUP_ICON,
         {{kNeId | 10, BuildNeIconGroup(GroupEntries<NeIconDirEntry>(Group0()))},
          {kNeId | 11, BuildNeIconGroup(GroupEntries<NeIconDirEntry>(Group1()))}}},
        // Bitmaps are not last: an NE bitmap is read 40 bytes past its rows.
        {kNeId | RT_BITMAP, {{kNeId | 1, im.bitmap24}, {kNeId | 2, im.bitmap8}}},
        {kNeId | RT_CURSOR, {{kNeId | 1, cursor}}},
        {kNeId | RT_GROUP_CURSOR, {{kNeId | 100, BuildNeCursorGroup({{32, 64, 1, 1, uint32_t(cursor.size()), 1}})}}},
    };
    return BuildNeFile(s).bytes;
}

namespace {
std::vector<ResItem> ResItems() {
    const BatchImages& im = TheBatchImages();
    const Bytes cursor = CursorImageRes(kBatchHotX, kBatchHotY, im.cursor1);
    return {
        {RT_ICON, 1, im.icon4},
        {RT_ICON, 2, im.icon8},
        {RT_ICON, 3, im.icon24},
        {RT_GROUP_ICON, kHostileName, BuildIconGroupRes(ResGroupEntries(Group0()))},
        {RT_GROUP_ICON, 7, BuildIconGroupRes(ResGroupEntries(Group1()))},
        {RT_CURSOR, 1, cursor},
        {RT_GROUP_CURSOR, 100, BuildCursorGroupRes({{32, 64, 1, 1, uint32_t(cursor.size()), 1}})},
        {RT_BITMAP, "LOGO", im.bitmap24},
        {RT_BITMAP, 1, im.bitmap8},
    };
}
} // namespace

Bytes BuildBatchRes32() { return BuildRes32(ResItems()); }
Bytes BuildBatchRes16() { return BuildRes16(ResItems()); }

Bytes ExpectedIco(const Bytes& image, uint8_t width, uint8_t height, uint16_t planes, uint16_t bitCount) {
    Bytes out;
    PutU16(out, 0);
    PutU16(out, 1);
    PutU16(out, 1);
    PutU8(out, width);
    PutU8(out, height);
    PutU8(out, 0); // colour count
    PutU8(out, 0);
    PutU16(out, planes);
    PutU16(out, bitCount);
    PutU32(out, uint32_t(image.size()));
    PutU32(out, 22);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

Bytes ExpectedCur(const Bytes& image, uint8_t width, uint8_t height) {
    Bytes out;
    PutU16(out, 0);
    PutU16(out, 2);
    PutU16(out, 1);
    PutU8(out, width);
    PutU8(out, height);
    PutU8(out, 0);
    PutU8(out, 0);
    PutU16(out, kBatchHotX);
    PutU16(out, kBatchHotY);
    PutU32(out, uint32_t(image.size()));
    PutU32(out, 22);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace gw::test
