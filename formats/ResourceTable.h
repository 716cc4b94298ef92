#pragma once
// Every resource of a program or library (PE32 and PE32+) or of a 32-bit
// compiled resource file, read whole into a table that can be changed and
// written back (formats/ResourceWriter.h): type, name, language and data of
// each, with the fields each container keeps beside them. A table read from
// damaged bytes comes with the damage, and the writers refuse such a file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/ReadError.h"
#include "platform/ResourceKey.h"

namespace gw {

// One resource with the fields its container keeps.
struct ResourceEntry {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    Bytes data;
    // Where the data was read from in the file (0 for a resource added or
    // changed since), so that damage in it is said at the file's offset.
    uint64_t dataAt = 0;
    // PE: the code page of the data entry.
    uint32_t codePage = 0;
    // Resource files: the entry header's fields.
    uint32_t dataVersion = 0;
    uint16_t memoryFlags = 0;
    uint32_t version = 0;
    uint32_t characteristics = 0;
    // Resource files: the entry's bytes as read (header, data and the padding
    // after them), written back as they are while stored is not empty. Every
    // change through the functions below clears it.
    Bytes stored;
};

enum class ResourceContainer : uint8_t { Pe, Res32 };

struct ResourceTable {
    ResourceContainer container = ResourceContainer::Pe;
    // In directory order (PE: types, names, then languages, as stored) or in
    // file order (resource files). Entries added later come last.
    std::vector<ResourceEntry> entries;
    // Resource files: the leading empty entry and any zero bytes after the
    // last entry, kept as read.
    Bytes leading;
    Bytes trailing;
};

struct ResourceTableRead {
    ResourceTable table;
    // The first damage found; the table then holds what was read before it.
    std::optional<ReadError> error;
};

// Reads every resource of a PE file: the whole read of its resource
// directory (ReadWholeResourceDirectory, platform/ResourceDirectory.h), each
// resource's data copied into the table so that it can change. Damage: what
// that read finds (headers cut short, a directory or name outside the
// resource section, a loop, a tree of the wrong depth, overlapping parts,
// data outside the file, names beyond the budget), and the same type, name
// and language twice. A file without resources reads as an empty table.
ResourceTableRead ReadPeResourceTable(ByteView file);
// Reads every entry of a 32-bit resource file (.res, .r32, .dcr). Damage: an
// entry header or data cut short, a header too short for its fields.
ResourceTableRead ReadResResourceTable(ByteView file);
// Either of the two, by the file's first bytes; an NE file, a 16-bit
// resource file or anything else is an Unsupported error.
ResourceTableRead ReadResourceTable(ByteView file);

// The entry of that type, name (KeyMatches) and language; null when none.
ResourceEntry* FindResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                            uint16_t language);
const ResourceEntry* FindResource(const ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                                  uint16_t language);

// Replaces the data of the resource of that type, name and language, keeping
// its other fields, or adds it at the end of the table when there is none.
// This is the one way a resource's data changes: icons, cursors, version
// information alike.
void ReplaceResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language,
                     Bytes data);
// Whether two tables hold the same resources: the same types, names,
// languages, code pages and data, in any order.
bool SameResources(const ResourceTable& a, const ResourceTable& b);

// A resource that is not in any file yet: code page 0 and the header fields
// a resource compiler gives a new entry (memory flags 0x1010 for images,
// 0x1030 for everything else).
ResourceEntry NewResource(const ResourceKey& type, const ResourceKey& name, uint16_t language, Bytes data);
// Removes it; false when there was none.
bool RemoveResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language);

} // namespace gw
