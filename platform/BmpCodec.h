#pragma once
// BMP decoding and encoding: the bitmap object's own loader and saver.
// One DIB decoder serves .bmp files, bitmap resources (a DIB without file
// header) and the colour and mask parts of icon and cursor images.
#include <string>

#include "platform/Bitmap.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

// The decoder's reasons that name a kind of damage: the pixels run past the
// bytes, and a picture beyond kMaxDimension or kMaxPixels.
inline constexpr const char* kBmpTruncatedText = "Bitmap data is truncated";
inline constexpr const char* kBmpTooLargeText = "Bitmap image is too large";

// Decodes a BMP stream: the 14-byte file header (only its "BM" type is
// checked) followed by a device-independent bitmap. Every header version
// (core 12, info 40, V2 52, V3 56, V4 108, V5 124), bottom-up and top-down
// rows, 1/4/8/16/24/32 bits, RLE4, RLE8 and bit fields. On failure returns a
// bitmap without a handle and, when error is given, says why.
Bitmap DecodeBmp(ByteView stream, std::string* error = nullptr);
// The same, saying what kind of damage stopped it (the offset is 0: the
// caller knows where the stream sits).
Bitmap DecodeBmp(ByteView stream, ReadError* error);

// The same for a DIB without the file header (a bitmap resource).
Bitmap DecodeDib(ByteView dib, std::string* error = nullptr);

// The 14-byte file header the system puts in front of a bitmap resource:
// "BM" and zeros.
Bytes BmpFileHeaderForResource();

// Encodes a complete .bmp file in the given pixel format. Device takes the
// display depth (Display::Depth()); Custom is written as 24 bits, or as
// 32 bits with its alpha when the bitmap has an alpha mask. Indexed
// formats get a palette built from the pixels: exact when the colours fit,
// otherwise quantised, always keeping KeyColor exact when it occurs.
Bytes EncodeBmp(const Bitmap& bitmap, PixelFormat format);
inline Bytes EncodeBmp(const Bitmap& bitmap) { return EncodeBmp(bitmap, bitmap.pixelFormat); }

} // namespace gw
