#pragma once
// Icon and cursor images turned into bitmaps: the picture every converting
// command writes, drawn on the key colour in the pixel format the image's
// bit count asks for.
#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/ByteReader.h"
#include "platform/IconImage.h"

namespace gw {

// Paints an icon or cursor image onto a bitmap of the image's size whose
// transparent pixels take the background colour; the bottom-left pixel always
// takes it. Semi-transparent pixels are blended over the background.
// The Cursor Workdesk draws a cursor the same way but leaves the bottom-left
// pixel as drawn (markBottomLeft = false).
Bitmap IconToBitmap(const DecodedImage& icon, TColor background, bool markBottomLeft = true);

// The pixel format a converted icon or cursor image is saved in, by its bit
// count: 1 to 4 bits -> 4 bits, 8 -> 8 bits, anything else -> device.
PixelFormat PixelFormatForBitCount(uint16_t bitCount);

// An icon or cursor image as a .bmp file: drawn on KeyColor, in the pixel
// format its bit count asks for. Empty when the image has no pixels.
Bytes IconImageAsBmp(const DecodedImage& image, uint16_t bitCount, bool markBottomLeft = true);

} // namespace gw
