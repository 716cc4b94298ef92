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
#include "tests/support/GroupBuilder.h"

namespace gw::test {

struct PeResource {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0x0409;
    Bytes data;
};

struct PeLayout {
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

PeImage BuildPe(const PeLayout& layout);

// A file offset inside the resource directory: entry i of the directory at
// dirOffset (relative to the root), as tests that damage a directory need it.
inline uint32_t DirEntryAt(const PeImage& pe, uint32_t dirOffset, uint32_t i) {
    return pe.rsrcOffset + dirOffset + 16 + 8 * i;
}

} // namespace gw::test
