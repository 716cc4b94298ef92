#pragma once
// Icon family files (.icns): the icon of a macOS application in many sizes.
// The file is "icns" and its length (big-endian), then elements, each a
// four-character type, its length (the 8 header bytes included) and data.
// The images: 1-, 4- and 8-bit ones of the classic palettes (ICN#, icl4,
// icl8 and their small, mini and huge kinds) with the 1-bit mask beside
// them; 24-bit run-length packed ones (is32, il32, ih32, it32) with their
// 8-bit masks (s8mk, l8mk, h8mk, t8mk); run-length packed ARGB ones (ic04,
// ic05, icsb, sb24, icsB, SB24); and PNG or JPEG 2000 ones (icp4 to ic14,
// the retina kinds among them). A family reads as one icon group: each image
// in file order, a PNG kept as it is, the others as 32-bit icon images (or
// PNG from 256 pixels a side), so that it is drawn and written as any icon
// group is.
#include <memory>
#include <string>

#include "formats/IcoTypes.h"
#include "formats/KindReader.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

// Whether the bytes start as an icon family does ("icns").
bool LooksLikeIconFamily(const std::string& path, ByteView bytes);

// How many images the family holds, from the element headers alone, and
// the damage the walk over them found.
ReadResult<int> CountIconFamilyImages(ByteView file);

// Every image of the family, in file order. An element that is damaged or
// that is not read (an unknown image encoding) is left out, with the first
// such damage reported; the others are kept.
ReadResult<IconGroup> ParseIconFamily(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

// The kind table's reader of icon families.
std::unique_ptr<KindReader> OpenIconFamily(const OpenedFile& file);

} // namespace gw
