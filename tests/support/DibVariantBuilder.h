#pragma once
// DIB header variants for decoder tests, made from a DIB with a 40-byte info
// header (as BuildDib makes it): the core header, the longer header versions,
// and run-length encoded images.
#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

// The same image with a 12-byte core header: 16-bit width and height, and
// 3-byte colour-table entries (2^bits of them for indexed images).
Bytes WithCoreHeader(const Bytes& infoDib);

// The same image with a header of 52 (V2), 56 (V3), 108 (V4) or 124 (V5)
// bytes. Bit-field masks that followed the 40-byte header move into it;
// V3 and later carry alphaMask.
Bytes WithHeaderVersion(const Bytes& infoDib, uint32_t headerSize, uint32_t alphaMask = 0);

// The same bit-field image (40-byte header, three masks after it) as alpha
// bit fields (compression 6): alphaMask follows the three masks.
Bytes WithAlphaBitfields(const Bytes& infoDib, uint32_t alphaMask);

// An RLE8 (bitCount 8) or RLE4 (bitCount 4) bitmap with a 40-byte header,
// the given palette (0x00RRGGBB) and run-length data.
Bytes BuildRleDib(int width, int height, int bitCount, const std::vector<uint32_t>& palette, const Bytes& rle);

} // namespace gw::test
