#pragma once
// Builds compiled resource files in the 32-bit layout (the empty 32-byte
// leading entry, then entries with their headers and data padded to a
// multiple of 4) and in the 16-bit layout (type, name, flags, size, data),
// plus the group and cursor-image resources they carry.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

// A resource type or name: a number, or a string (written as 16-bit
// characters in the 32-bit layout, 8-bit characters in the 16-bit one).
struct ResKey {
    ResKey(uint16_t number) : isId(true), id(number) {}
    ResKey(const char* text) : name(text) {}
    ResKey(std::string text) : name(std::move(text)) {}
    bool isId = false;
    uint16_t id = 0;
    std::string name;
};

struct ResItem {
    ResKey type;
    ResKey name;
    Bytes data;
    uint16_t memoryFlags = 0x1030;
    uint16_t language = 0x0409; // the 32-bit layout only
};

// The 32 bytes that mark the 32-bit layout.
Bytes Res32LeadingEntry();
// One 32-bit entry: header (padded to 4), data, padding to 4.
Bytes BuildRes32Entry(const ResItem& item);
// The leading entry followed by the items.
Bytes BuildRes32(const std::vector<ResItem>& items);

// One 16-bit entry, and a file of them from offset 0.
Bytes Res16Entry(const ResItem& item);
Bytes BuildRes16(const std::vector<ResItem>& items);

// One 14-byte entry of an icon or cursor group resource.
struct GroupEntry {
    uint16_t width = 16;  // one byte in icon groups
    uint16_t height = 16; // one byte in icon groups; cursor groups state the doubled height
    uint16_t planes = 1;
    uint16_t bitCount = 4;
    uint32_t bytesInRes = 0;
    uint16_t id = 1;
};
// The 6-byte header (type 1 = icon, 2 = cursor) and the entries; statedCount
// < 0 writes the real number of entries.
Bytes BuildIconGroupRes(const std::vector<GroupEntry>& entries, int statedCount = -1);
Bytes BuildCursorGroupRes(const std::vector<GroupEntry>& entries, int statedCount = -1);

// A cursor image resource: hot-spot column and row, then the image.
Bytes CursorImageRes(uint16_t hotspotX, uint16_t hotspotY, const Bytes& image);

} // namespace gw::test
