#pragma once
// Builds PE32 and PE32+ files that carry a resource directory, laid out as
// resource compilers and linkers write them: DOS header, PE header, optional
// header, a section table with a code section and a .rsrc section whose RVA
// differs from its file offset, then the three-level directory (named entries
// first, then ids ascending), the data entries, the name strings and the data.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/ResourceModule.h"

namespace gw::test {

struct PeResource {
    ResName type;
    ResName name;
    uint16_t language = 0x0409;
    Bytes data;
};

struct PeSpec {
    bool pe32Plus = false;           // optional header magic 0x20B instead of 0x10B
    uint32_t rsrcRva = 0x3000;       // the section's file offset is 0x400
    uint32_t numberOfRvaAndSizes = 16;
    bool resourceDirectory = true;   // false: data directory 2 stays empty
    std::vector<PeResource> resources;
};

struct PeImage {
    Bytes bytes;
    uint32_t sectionTable = 0;  // file offset of the section table
    uint32_t rsrcOffset = 0;    // file offset of the resource directory root
    uint32_t rsrcRva = 0;
    uint32_t dataDirectory = 0; // file offset of data directory 2 (RVA, size)
};

PeImage BuildPe(const PeSpec& spec);

// A file offset inside the resource directory: entry i of the directory at
// dirOffset (relative to the root), as tests that damage a directory need it.
inline uint32_t DirEntryAt(const PeImage& pe, uint32_t dirOffset, uint32_t i) {
    return pe.rsrcOffset + dirOffset + 16 + 8 * i;
}

// Group resources: the 6-byte header (type 1 icons, 2 cursors) and 14-byte entries.
struct IconGroupEntry {
    uint8_t width = 16, height = 16, colorCount = 0, reserved = 0;
    uint16_t planes = 1, bitCount = 4;
    uint32_t bytesInRes = 0;
    uint16_t id = 1;
};
Bytes BuildIconGroup(const std::vector<IconGroupEntry>& entries);

struct CursorGroupEntry {
    uint16_t width = 32, height = 64, planes = 1, bitCount = 1;
    uint32_t bytesInRes = 0;
    uint16_t id = 1;
};
Bytes BuildCursorGroup(const std::vector<CursorGroupEntry>& entries);

// An RT_CURSOR resource: the hot-spot column and row, then the image.
Bytes BuildCursorResource(uint16_t hotX, uint16_t hotY, const Bytes& image);

} // namespace gw::test
