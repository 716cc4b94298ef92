#pragma once
// Files for the explorer's tests: icon, cursor and bitmap files, and PE, NE
// and resource files holding a chosen number of icon groups, bitmaps and
// cursor groups, each with pictures that decode. Header-only so that the
// core and the GUI test programs can both use it.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ResTypes.h"
#include "tests/support/Builders.h"
#include "tests/support/NeBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"

namespace gw::test {

struct Contents {
    int iconGroups = 0;
    int bitmaps = 0;
    int cursorGroups = 0;
};

// An icon image of size x size whose colour tells which file it is from; its
// four left columns are transparent.
inline Bytes ExplorerIconDib(int size, uint32_t colour, int bitCount = 24) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bitCount = bitCount;
    s.pixel = [colour](int, int) { return colour; };
    s.transparent = [](int x, int) { return x < 4; };
    return BuildDib(s);
}

inline Bytes ExplorerBitmapDib(int w, int h, uint32_t colour, uint32_t bottomLeft) {
    DibLayout s;
    s.width = w;
    s.height = h;
    s.bitCount = 24;
    s.icon = false;
    s.pixel = [=](int x, int y) { return x == 0 && y == h - 1 ? bottomLeft : colour; };
    return BuildDib(s);
}

inline Bytes IcoFileOf(int size = 16, uint32_t colour = 0x0000FF) {
    IcoEntry e;
    e.data = ExplorerIconDib(size, colour);
    e.width = e.height = uint8_t(size);
    e.bitCountOrHotY = 24;
    return BuildIcoFile({e});
}

inline Bytes CurFileOf(int size, uint32_t colour = 0x00FF00) {
    IcoEntry e;
    e.data = ExplorerIconDib(size, colour);
    e.width = e.height = uint8_t(size);
    e.planesOrHotX = 1; // the hot spot
    e.bitCountOrHotY = 1;
    return BuildIcoFile({e}, 2);
}

inline Bytes BmpFileOf(int w, int h, uint32_t colour = 0x3366CC, uint32_t bottomLeft = 0xFF00FF) {
    return BuildBmpFile(ExplorerBitmapDib(w, h, colour, bottomLeft));
}

inline Bytes PeFileOf(const Contents& c) {
    PeLayout layout;
    auto add = [&](uint16_t type, uint16_t id, Bytes data) {
        layout.resources.push_back({ResourceKey::Id(type), ResourceKey::Id(id), 0x0409, std::move(data)});
    };
    for (int i = 0; i < c.iconGroups; ++i) {
        const Bytes image = ExplorerIconDib(32, 0x0000FF);
        IconGroupEntry e;
        e.width = e.height = 32;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = uint16_t(100 + i);
        add(RT_GROUP_ICON, uint16_t(1 + i), BuildIconGroup({e}));
        add(RT_ICON, e.id, image);
    }
    for (int i = 0; i < c.bitmaps; ++i) add(RT_BITMAP, uint16_t(1 + i), ExplorerBitmapDib(8, 8, 0x112233, 0));
    for (int i = 0; i < c.cursorGroups; ++i) {
        const Bytes resource = BuildCursorResource(1, 1, ExplorerIconDib(32, 0x00FF00));
        CursorGroupEntry e;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(resource.size());
        e.id = uint16_t(200 + i);
        add(RT_GROUP_CURSOR, uint16_t(1 + i), BuildCursorGroup({e}));
        add(RT_CURSOR, e.id, resource);
    }
    return BuildPe(layout).bytes;
}

inline Bytes NeFileOf(const Contents& c) {
    constexpr uint16_t kNeCursor = 0x8001, kNeBitmap = 0x8002, kNeIcon = 0x8003;
    constexpr uint16_t kNeCursorGroup = 0x800C, kNeIconGroup = 0x800E;
    NeLayout layout;
    NeTypeSpec groups{kNeIconGroup, {}}, icons{kNeIcon, {}}, bitmaps{kNeBitmap, {}};
    NeTypeSpec cursorGroups{kNeCursorGroup, {}}, cursors{kNeCursor, {}};
    for (int i = 0; i < c.iconGroups; ++i) {
        const Bytes image = ExplorerIconDib(32, 0xFF0000);
        NeIconDirEntry e;
        e.width = e.height = 32;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = uint16_t(1 + i);
        groups.resources.push_back({uint16_t(0x8001 + i), BuildNeIconGroup({e})});
        icons.resources.push_back({uint16_t(0x8001 + i), image});
    }
    for (int i = 0; i < c.bitmaps; ++i)
        bitmaps.resources.push_back({uint16_t(0x8001 + i), ExplorerBitmapDib(8, 8, 0x445566, 0)});
    for (int i = 0; i < c.cursorGroups; ++i) {
        const Bytes image = BuildNeCursorImage(0, 0, ExplorerIconDib(32, 0x00FF00));
        NeCursorDirEntry e;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = uint16_t(1 + i);
        cursorGroups.resources.push_back({uint16_t(0x8001 + i), BuildNeCursorGroup({e})});
        cursors.resources.push_back({uint16_t(0x8001 + i), image});
    }
    for (NeTypeSpec* t : {&groups, &icons, &bitmaps, &cursorGroups, &cursors})
        if (!t->resources.empty()) layout.types.push_back(*t);
    return BuildNeFile(layout).bytes;
}

// A resource file in the 32-bit or the 16-bit layout.
inline Bytes ResFileOf(const Contents& c, bool is32 = true) {
    std::vector<ResItem> items;
    for (int i = 0; i < c.iconGroups; ++i) {
        const Bytes image = ExplorerIconDib(32, 0x0000FF);
        GroupEntry e;
        e.width = e.height = 32;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = uint16_t(100 + i);
        items.push_back({ResKey(RT_ICON), ResKey(e.id), image});
        items.push_back({ResKey(RT_GROUP_ICON), ResKey(uint16_t(1 + i)), BuildIconGroupRes({e})});
    }
    for (int i = 0; i < c.bitmaps; ++i)
        items.push_back({ResKey(RT_BITMAP), ResKey(uint16_t(1 + i)), ExplorerBitmapDib(8, 8, 0x778899, 0)});
    for (int i = 0; i < c.cursorGroups; ++i) {
        const Bytes image = CursorImageRes(0, 0, ExplorerIconDib(32, 0x00FF00));
        GroupEntry e;
        e.width = 32;
        e.height = 64;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = uint16_t(200 + i);
        items.push_back({ResKey(RT_CURSOR), ResKey(e.id), image});
        items.push_back({ResKey(RT_GROUP_CURSOR), ResKey(uint16_t(1 + i)), BuildCursorGroupRes({e})});
    }
    return is32 ? BuildRes32(items) : BuildRes16(items);
}

} // namespace gw::test
