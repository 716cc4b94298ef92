#pragma once
// Group resources (icon groups, type 14, and cursor groups, type 12) as
// every container stores them: a 6-byte header whose last field is the image
// count, then one 14-byte entry per image that names its image resource by id.
// Containers differ only in how far they believe a stated count; each policy
// is a named function here or beside its reader.
#include <cstdint>

#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"
#include "platform/ByteReader.h"

namespace gw {

constexpr uint64_t kGroupHeaderSize = 6;
constexpr uint64_t kGroupEntrySize = 14;
constexpr uint64_t kGroupCountOffset = 4;

// The image count a group header states; 0 when the header is cut short.
uint16_t StatedGroupCount(ByteView group);

// The PE and resource-file policy: the stated count, believed only as far
// as the group's own bytes hold whole entries.
uint16_t HeldGroupCount(ByteView group);

// A reader at entry j of a group's bytes.
ByteReader GroupEntryReader(ByteView group, uint64_t j);

// A 14-byte icon group entry: the 12-byte head an .ico entry has too, then
// the image resource's id instead of a file offset.
void ReadIconGroupEntry(IconImage& im, ByteReader& r);

// A 14-byte cursor group entry: Width and Height (uint16 each), the planes
// (which the record has no field for), BitCount, BytesInRes and ResId.
void ReadCursorGroupEntry(CursorImage& im, ByteReader& r);

} // namespace gw
