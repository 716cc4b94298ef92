#pragma once
// Group resources as every container stores them (the 6-byte header and
// 14-byte entries), and cursor image resources (hot-spot prefix + image).
#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

struct IconGroupEntry {
    uint8_t width = 16, height = 16, colorCount = 0, reserved = 0;
    uint16_t planes = 1, bitCount = 4;
    uint32_t bytesInRes = 0;
    uint16_t id = 1;
};
// An icon group; statedCount < 0 states the number of entries.
Bytes BuildIconGroup(const std::vector<IconGroupEntry>& entries, int statedCount = -1);

struct CursorGroupEntry {
    uint16_t width = 32, height = 64, planes = 1, bitCount = 1;
    uint32_t bytesInRes = 0;
    uint16_t id = 1;
};
// A cursor group; statedCount < 0 states the number of entries.
Bytes BuildCursorGroup(const std::vector<CursorGroupEntry>& entries, int statedCount = -1);

// A cursor image resource: the hot-spot column and row, then the image.
Bytes BuildCursorResource(uint16_t hotX, uint16_t hotY, const Bytes& image);

} // namespace gw::test
