#include "tests/support/ResBuilder.h"

#include "tests/support/Builders.h"
#include "tests/support/GroupBuilder.h"

namespace gw::test {

namespace {

void PadTo4(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}

void PutKey32(Bytes& b, const ResKey& key) {
    if (key.isId) {
        PutU16(b, 0xFFFF);
        PutU16(b, key.id);
        return;
    }
    for (uint16_t unit : Utf16Units(key.name)) PutU16(b, unit);
    PutU16(b, 0);
}

void PutKey16(Bytes& b, const ResKey& key) {
    if (key.isId) {
        PutU8(b, 0xFF);
        PutU16(b, key.id);
        return;
    }
    b.insert(b.end(), key.name.begin(), key.name.end());
    PutU8(b, 0);
}

} // namespace

Bytes Res32LeadingEntry() {
    Bytes b;
    PutU32(b, 0);
    PutU32(b, 32);
    PutU16(b, 0xFFFF);
    PutU16(b, 0);
    PutU16(b, 0xFFFF);
    PutU16(b, 0);
    b.resize(32, 0);
    return b;
}

Bytes BuildRes32Entry(const ResItem& item) {
    Bytes b;
    PutU32(b, uint32_t(item.data.size()));
    PutU32(b, 0); // header size, patched below
    PutKey32(b, item.type);
    PutKey32(b, item.name);
    PadTo4(b);
    PutU32(b, 0);                // data version
    PutU16(b, item.memoryFlags);
    PutU16(b, item.language);
    PutU32(b, 0);                // version
    PutU32(b, 0);                // characteristics
    PatchU32(b, 4, uint32_t(b.size()));
    b.insert(b.end(), item.data.begin(), item.data.end());
    PadTo4(b);
    return b;
}

Bytes BuildRes32(const std::vector<ResItem>& items) {
    Bytes b = Res32LeadingEntry();
    for (const ResItem& item : items) {
        const Bytes e = BuildRes32Entry(item);
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

Bytes Res16Entry(const ResItem& item) {
    Bytes b;
    PutKey16(b, item.type);
    PutKey16(b, item.name);
    PutU16(b, item.memoryFlags);
    PutU32(b, uint32_t(item.data.size()));
    b.insert(b.end(), item.data.begin(), item.data.end());
    return b;
}

Bytes BuildRes16(const std::vector<ResItem>& items) {
    Bytes b;
    for (const ResItem& item : items) {
        const Bytes e = Res16Entry(item);
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

Bytes BuildIconGroupRes(const std::vector<GroupEntry>& entries, int statedCount) {
    std::vector<IconGroupEntry> icons;
    for (const GroupEntry& e : entries)
        icons.push_back({uint8_t(e.width), uint8_t(e.height), 0, 0, e.planes, e.bitCount, e.bytesInRes, e.id});
    return BuildIconGroup(icons, statedCount);
}

Bytes BuildCursorGroupRes(const std::vector<GroupEntry>& entries, int statedCount) {
    std::vector<CursorGroupEntry> cursors;
    for (const GroupEntry& e : entries)
        cursors.push_back({e.width, e.height, e.planes, e.bitCount, e.bytesInRes, e.id});
    return BuildCursorGroup(cursors, statedCount);
}

Bytes CursorImageRes(uint16_t hotspotX, uint16_t hotspotY, const Bytes& image) {
    return BuildCursorResource(hotspotX, hotspotY, image);
}

} // namespace gw::test
