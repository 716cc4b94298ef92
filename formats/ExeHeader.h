#pragma once
// The DOS header of an executable and the new header it points at: the one
// reader of "MZ" and of the NE header fields that the file-kind classifier and
// the NE resource reader both start from.
#include <cstdint>
#include <optional>

#include "platform/ByteReader.h"

namespace gw {

constexpr uint16_t kNeSignature = 0x454E; // "NE"
constexpr uint16_t kPeSignature16 = 0x4550; // "PE" (the low half of "PE\0\0")

struct ExeHeader {
    uint64_t newHeader = 0;  // file offset of the new header
    uint16_t signature = 0;  // its first two bytes: kNeSignature, kPeSignature16, or anything else
    // NE headers only (0 otherwise): the resource and resident-name tables,
    // relative to newHeader, and the expected Windows version.
    uint16_t resourceTable = 0;
    uint16_t residentNames = 0;
    uint16_t windowsVersion = 0;

    // An NE header whose resource table is not empty: the resource table and
    // the resident-name table that follows it are at different offsets.
    bool HasNeResources() const { return signature == kNeSignature && resourceTable != residentNames; }
};

// The DOS header checks (64 bytes, "MZ", a relocation-table offset of 0 or at
// least 0x40) and the new header, which must be readable in full (64 bytes).
// nullopt when any of them fails.
std::optional<ExeHeader> ReadExeHeader(ByteView file);

} // namespace gw
