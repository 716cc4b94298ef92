#pragma once
// The fixed sizes and marks of a PE resource directory and of a 32-bit
// resource file's entries, shared by the resource table's reader and writer.
#include <cstdint>

namespace gw::resource_layout {

// In a directory entry: the name field's high bit marks a name string, the
// target's a sub-directory.
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kDirectoryEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;
// In a resource file's entry header: an id (rather than a name) follows.
constexpr uint16_t kRes32IdMarker = 0xFFFF;

} // namespace gw::resource_layout
