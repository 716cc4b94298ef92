#pragma once
// The resource directory of a PE file as it is stored: a tree of
// directories (type, name, language), name strings and data entries, all at
// offsets from the directory's root. One decoding of these parts serves the
// two ways Grabwell reads the tree: the resource module's lazy lookups,
// which pass over what is damaged and read on (platform/ResourceModule.h),
// and the whole read below, which a writer rebuilds a file from and which
// stops at the first fault. Every read is bounded by the view it is given.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/PeLayout.h"
#include "platform/ReadError.h"
#include "platform/ResourceKey.h"

namespace gw {

// One entry of a resource directory. The high bit of the name field marks a
// name string, the high bit of the target a sub-directory; both offsets are
// relative to the root.
struct DirectoryEntry {
    uint32_t name = 0;
    uint32_t target = 0;

    bool Named() const { return (name & pe_layout::kHighBit) != 0; }
    uint16_t Id() const { return uint16_t(name); }
    uint32_t NameOffset() const { return name & ~pe_layout::kHighBit; }
    bool IsDirectory() const { return (target & pe_layout::kHighBit) != 0; }
    uint32_t Offset() const { return target & ~pe_layout::kHighBit; }
};

// The number of entries the directory at offset states (named plus ids);
// nullopt when its 16-byte header is not inside tree.
std::optional<uint64_t> StatedEntries(ByteView tree, uint64_t offset);
// The i-th entry of the directory at offset (the caller has bounded i).
DirectoryEntry DirectoryEntryAt(ByteView tree, uint64_t offset, uint64_t i);
// The UTF-16 units of the name string at offset (a 16-bit count, then the
// units), as little-endian bytes; nullopt when it is not all inside tree.
std::optional<ByteView> NameUnitsAt(ByteView tree, uint64_t offset);
// The key an entry stands for: its id, or the name string's units.
ResourceKey KeyOf(const DirectoryEntry& entry, ByteView nameUnits);

// A data entry: where the data is in memory, its size and code page.
struct DataEntry {
    uint32_t rva = 0;
    uint32_t size = 0;
    uint32_t codePage = 0;
};
// The data entry at offset; nullopt when its 16 bytes are not inside tree.
std::optional<DataEntry> DataEntryAt(ByteView tree, uint64_t offset);

// One resource as a whole read found it: its data a view of the file's bytes.
struct ResourceInFile {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    ByteView data;
    uint64_t dataAt = 0; // where the data is in the file (0 for empty data)
    uint32_t codePage = 0;
};

struct WholeDirectoryRead {
    // In directory order: types, names, then languages, as stored.
    std::vector<ResourceInFile> entries;
    // The first fault found; the entries are then those read before it.
    std::optional<ReadError> error;
};

// Every resource of a PE file, as a writer must read a file it rewrites: the
// headers whole (ReadPeHeaders), then exactly three levels, each directory
// reached once, no two parts overlapping, every data inside the raw bytes
// of one section and of the file. Faults: headers cut short, a directory or
// name outside the resource section, a directory reached twice (a loop), a
// tree deeper or shallower than type/name/language, a language given by
// name, parts that overlap, data outside the file; names that would be
// copied beyond a few times the file's size are OverBudget. A file without
// resources reads as no entries.
WholeDirectoryRead ReadWholeResourceDirectory(ByteView file);

} // namespace gw
