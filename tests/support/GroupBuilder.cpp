#include "tests/support/GroupBuilder.h"

namespace gw::test {

Bytes BuildIconGroup(const std::vector<IconGroupEntry>& entries, int statedCount) {
    Bytes b;
    PutU16(b, 0);
    PutU16(b, 1);
    PutU16(b, uint16_t(statedCount < 0 ? int(entries.size()) : statedCount));
    for (const IconGroupEntry& e : entries) {
        PutU8(b, e.width);
        PutU8(b, e.height);
        PutU8(b, e.colorCount);
        PutU8(b, e.reserved);
        PutU16(b, e.planes);
        PutU16(b, e.bitCount);
        PutU32(b, e.bytesInRes);
        PutU16(b, e.id);
    }
    return b;
}

Bytes BuildCursorGroup(const std::vector<CursorGroupEntry>& entries, int statedCount) {
    Bytes b;
    PutU16(b, 0);
    PutU16(b, 2);
    PutU16(b, uint16_t(statedCount < 0 ? int(entries.size()) : statedCount));
    for (const CursorGroupEntry& e : entries) {
        PutU16(b, e.width);
        PutU16(b, e.height);
        PutU16(b, e.planes);
        PutU16(b, e.bitCount);
        PutU32(b, e.bytesInRes);
        PutU16(b, e.id);
    }
    return b;
}

Bytes BuildCursorResource(uint16_t hotX, uint16_t hotY, const Bytes& image) {
    Bytes b;
    PutU16(b, hotX);
    PutU16(b, hotY);
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

} // namespace gw::test
