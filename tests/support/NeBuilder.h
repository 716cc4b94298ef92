#pragma once
// Builder of 16-bit (NE) executables: DOS header, NE header, a resource table
// with type blocks in any order, resource data at offsets in alignment units,
// and the resident-name table. Also the group and cursor resources the
// readers look for.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ByteReader.h"
#include "tests/support/GroupBuilder.h"

namespace gw::test {

struct NeResourceSpec {
    NeResourceSpec(uint16_t id, Bytes data, std::optional<uint16_t> offset = std::nullopt,
                   std::optional<uint16_t> length = std::nullopt)
        : id(id), data(std::move(data)), offset(offset), length(length) {}

    uint16_t id = 0x8001; // high bit: numeric id; otherwise the offset of a name string
    Bytes data;
    // Offset in alignment units; unset places the data after what comes before.
    std::optional<uint16_t> offset;
    // Length in alignment units; unset: the data's size rounded up.
    std::optional<uint16_t> length;
};

struct NeTypeSpec {
    NeTypeSpec(uint16_t typeId, std::vector<NeResourceSpec> resources = {})
        : typeId(typeId), resources(std::move(resources)) {}

    uint16_t typeId = 0;
    std::vector<NeResourceSpec> resources;
    std::optional<uint16_t> count; // the count written; unset: resources.size()
    uint32_t reserved = 0;
};

struct NeName {
    std::string text;
    uint16_t ordinal = 0;
};

struct NeLayout {
    uint32_t neOffset = 0x80;
    uint16_t relocationOffset = 0x40;
    uint16_t windowsVersion = 0x030A;
    uint16_t alignShift = 4;
    std::vector<NeTypeSpec> types; // in table order
    bool endOfTypes = true;        // the type id 0 that closes the table
    std::string moduleName = "MODULE";
    std::vector<NeName> names;     // the names after the module name
    bool endOfNames = true;        // the length byte 0 that closes the names
    bool noResources = false;      // resource table offset = resident-name table offset
};

struct NeFile {
    Bytes bytes;
    uint64_t resourceTable = 0; // file offset of the alignment shift
    uint64_t residentNames = 0; // file offset of the module name's length byte
    std::vector<std::vector<uint64_t>> dataAt; // file offset of each resource, by block
};
NeFile BuildNeFile(const NeLayout& layout);

// Group resources and cursor images are laid out as in every container.
using NeIconDirEntry = IconGroupEntry;
using NeCursorDirEntry = CursorGroupEntry;
inline Bytes BuildNeIconGroup(const std::vector<NeIconDirEntry>& entries, uint16_t count) {
    return BuildIconGroup(entries, count);
}
inline Bytes BuildNeIconGroup(const std::vector<NeIconDirEntry>& entries) { return BuildIconGroup(entries); }
inline Bytes BuildNeCursorGroup(const std::vector<NeCursorDirEntry>& entries) { return BuildCursorGroup(entries); }
inline Bytes BuildNeCursorImage(uint16_t hotX, uint16_t hotY, const Bytes& image) {
    return BuildCursorResource(hotX, hotY, image);
}

} // namespace gw::test
