#pragma once
// The fixed sizes and marks of a PE file's headers and of its resource
// directory (and the id mark of a 32-bit resource file's entries): shared by
// the resource module that reads them and by the resource table's reader
// and writer.
#include <cstdint>

namespace gw::pe_layout {

constexpr uint16_t kDosMagic = 0x5A4D;        // "MZ"
constexpr uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint64_t kLfanewOffset = 0x3C;      // where the DOS header keeps the PE header's offset
constexpr uint64_t kFileHeaderSize = 20;      // after the 4-byte signature
constexpr uint64_t kSectionEntrySize = 40;
constexpr uint64_t kDataDirectorySize = 8;

// In a resource directory entry: the name field's high bit marks a name
// string, the target's a sub-directory.
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kDirectoryEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;
// In a 32-bit resource file's entry header: an id (rather than a name) follows.
constexpr uint16_t kRes32IdMarker = 0xFFFF;

} // namespace gw::pe_layout
