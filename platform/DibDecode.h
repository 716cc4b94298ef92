#pragma once
// The one device-independent-bitmap decoder behind the bitmap object's
// loader (BmpCodec) and the icon image (DecodedImage). A DIB is decoded either as
// a bitmap, or as the colour part of an icon or cursor image: then the header
// height counts the colour rows and the AND-mask rows, and the 1-bit AND mask
// follows the colour rows.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ReadError.h"
#include "platform/ByteReader.h"

namespace gw::dib {

enum class DibRole : uint8_t {
    Bitmap,    // a .bmp file or a bitmap resource
    IconImage, // an icon or cursor image: doubled height, AND mask after the colour rows
};

// RLE images may not claim more pixels than this many per byte of RLE data
// (plus a fixed allowance), so a tiny hostile file cannot make a huge
// allocation. A legitimate run writes at most 255 pixels per 2 bytes.
constexpr uint64_t kRleMaxPixelsPerByte = 4096;
constexpr uint64_t kRleSlackPixels = 65536;

struct DibImage {
    // The colour pixels, top-down. In the bitmap role alpha is 0xFF for every
    // format but Bits32 and a custom format with an alpha mask
    // (bitmap.bitFieldAlpha); in the icon role a 32-bit image keeps its
    // stored alpha whatever its pixel format.
    Bitmap bitmap;
    uint16_t bitCount = 0;
    // The pixels' alpha is stored data (the fourth byte or the alpha mask),
    // not the 0xFF filled in for formats without alpha. Only 32-bit images
    // and, in the bitmap role, custom 16-bit ones have it.
    bool hasAlphaChannel = false;
    // Icon role only. Palette index of every pixel for 1, 4 and 8 bits
    // (top-down, width * height), and the AND mask (1 = transparent; rows
    // missing at the end of the data are opaque).
    std::vector<uint8_t> indices;
    std::vector<uint8_t> andMask;
    bool andMaskComplete = false;
};

// Decodes a DIB (header, bit-field masks, colour table, bits). bitsOffset is
// the position of the colour bits inside dib as a file header gave it; 0
// means "right after the colour table", and an offset inside the header or
// past the data is ignored the same way. On failure returns false and, when
// error is given, a short reason.
bool DecodeDibImage(ByteView dib, DibRole role, uint64_t bitsOffset, DibImage& out,
                    ReadError* error);

// What a decode would give without decoding: the size and pixel format, and
// whether it succeeds. It checks what the decoder checks, and draws the
// pixels it would decode from the load budget, so that a load that probes
// its bitmaps lists exactly those a decoding load would have decoded.
struct DibProbe {
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format = PixelFormat::Device;
};
bool ProbeDibImage(ByteView dib, DibRole role, uint64_t bitsOffset, DibProbe& out, ReadError* error = nullptr);

} // namespace gw::dib
