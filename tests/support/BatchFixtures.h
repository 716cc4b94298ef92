#pragma once
// Containers for the batch tests: the same icon groups, cursor group and
// bitmaps in a PE file, an NE file and resource files of both layouts, and
// the bytes the wizard must write for them.
#include <cstdint>
#include <string>

#include "platform/ByteReader.h"

namespace gw::test {

struct BatchImages {
    Bytes icon4;    // 16 x 16, 4 bits, its right half transparent
    Bytes icon8;    // 32 x 32, 8 bits
    Bytes icon24;   // 16 x 16, 24 bits
    Bytes cursor1;  // 32 x 32, 1 bit, its right half transparent
    Bytes bitmap24; // 12 x 6 bitmap, 24 bits
    Bytes bitmap8;  // 20 x 10 bitmap, 8 bits
};
const BatchImages& TheBatchImages();

// A bitmap resource (a DIB without file header) of w x h pixels at bits per
// pixel, the batch tests' bitmaps are made of.
Bytes BitmapDib(int w, int h, int bits);

// Hot spot of the cursor image.
constexpr uint16_t kBatchHotX = 5, kBatchHotY = 7;

// Every container holds, in this order:
//   icon group 0 (named "../../x"): icon4, icon8; icon group 1: icon24;
//   cursor group 0: cursor1;
//   bitmap 0: bitmap24; bitmap 1: bitmap8.
Bytes BuildBatchPe();
Bytes BuildBatchNe();
Bytes BuildBatchRes32();
Bytes BuildBatchRes16();

// A single-image .ico file as the wizard writes it for an image of a group
// (colour count 0; planes 1 from executables, 0 from resource files, whose
// reader leaves them unset).
Bytes ExpectedIco(const Bytes& image, uint8_t width, uint8_t height, uint16_t planes, uint16_t bitCount);
// A single-image .cur file for the cursor image (hot-spot prefix left out).
Bytes ExpectedCur(const Bytes& image, uint8_t width, uint8_t height);

} // namespace gw::test
