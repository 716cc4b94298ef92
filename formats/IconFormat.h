#pragma once
// The .ico and .cur file layouts as every writer builds them, and the size
// fields read from a cursor image's own bitmap header.
#include <cstdint>
#include <string>

#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"

namespace gw {

// The group without its missing images (those whose image resource is not
// in the file), so that a file written from it never holds blocks of zeros
// or empty entries in their place.
IconGroup WithoutMissingImages(const IconGroup& group);
CursorGroup WithoutMissingImages(const CursorGroup& group);

// A whole icon group: header, one 16-byte entry per image, then the image
// data in group order (image j at 6 + 16 x count + the sizes before it).
Bytes WriteIconGroup(const IconGroup& group);
// One image: count 1, offset 22.
Bytes WriteIconImage(const IconImage& image);
// A 32-bit icon image of ARGB pixels (width * height, top-down): the info
// header (its height doubled for the mask), the BGRA rows bottom-up, then
// the AND mask (set where a pixel is fully transparent), each row padded to
// 4 bytes.
Bytes IconDibFromArgb(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb);
// The parts every icon image is built of: the 40-byte info header (its
// height doubled for the mask, bits a pixel, no compression), and the AND
// mask's rows, bottom-up and padded to 4 bytes, set where a pixel of argb
// (width * height, top-down) is fully transparent.
void PutIconInfoHeader(Bytes& dib, uint32_t width, uint32_t height, uint16_t bits, uint32_t imageSize);
void PutAndMask(Bytes& dib, uint32_t width, uint32_t height, const std::vector<uint32_t>& argb);

// Where a cursor image's Data came from: a cursor resource (the 4-byte
// hot-spot prefix before the bitmap) or a .cur file (the bitmap alone).
enum class CursorDataForm { Resource, CurFile };
// The bytes of that prefix: the hot spot's column and row, 16 bits each.
constexpr uint32_t kHotspotPrefix = 4;

// A whole cursor group (type 2): width byte = low byte of Width, height byte
// = Height / 2, hot spot in the entry; the prefix of resource images dropped.
Bytes WriteCursorGroup(const CursorGroup& group, CursorDataForm form);
// One cursor image: count 1, offset 22.
Bytes WriteCursorImage(const CursorImage& image, CursorDataForm form);

// Takes a cursor image's width, stored (doubled) height and bit count from
// its own image bytes (the bitmap after any hot-spot prefix): the info
// header's int32 width and height and uint16 bit count, the core header's
// uint16 fields, or a PNG's IHDR width and twice its height. Resource
// compilers disagree on the height a cursor group entry states, so the image
// is the authority. Values that are 0, negative or beyond 16 bits leave the
// record's own.
void ApplyCursorImageSize(CursorImage& im, ByteView image);

// The first 12 bytes of an .ico directory entry or of a group entry, as
// every container stores them: Width, Height, ColorCount, Reserved, Planes,
// BitCount and BytesInRes, read in that order.
void ReadIconEntryHead(IconImage& im, ByteReader& r);

// True when the bytes begin with the PNG signature.
bool IsPngData(ByteView bytes);

} // namespace gw

namespace gw {

// The colour text of an image: "256" for bit count 0, else 2 to the power of
// the bit count in decimal (exact up to 2^63).
std::string ColorText(uint16_t bitCount);
// Width " X " height " " colours " Colors": the "format" info --json gives.
std::string FormatLabel(uint32_t width, uint32_t height, uint16_t bitCount);

// What the windows say of an image's colours: up to 8 bits a pixel the
// colours there are ("16 Colors"; "256 Colors" for bit count 0), above that
// the bits, as the bitmap formats are named ("16 Bit", "24 Bit", "32 Bit").
std::string ColorsText(uint16_t bitCount);
// Width " X " height " " ColorsText: "32 X 32 16 Colors", "256 X 256 32 Bit".
std::string ImageFormatText(uint32_t width, uint32_t height, uint16_t bitCount);

} // namespace gw
