#pragma once
// PNG data of icon and cursor images, decoded to straight-alpha ARGB.
//
// Two decoders give the same pixels and the same verdicts. libpng reads every
// PNG and decides on every unusual or damaged one. In front of it, a direct
// decoder takes the PNG images icons are made of: non-interlaced, every
// chunk's CRC right, one zlib stream across the IDAT chunks that inflates to
// exactly the image's rows. It inflates that stream in one call (libdeflate)
// and undoes the row filters itself, several times faster than libpng's
// row-by-row streaming. Whatever it is not sure libpng would read the same
// way it hands on untouched, so the verdicts stay libpng's.
#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"

namespace gw {

struct PngPixels {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb; // width * height, top row first, straight alpha
};

// Whether the bytes start with the PNG signature.
bool IsPng(ByteView bytes);

// Decodes PNG data: palette and grey expanded, 16-bit samples cut to their
// high byte, a tRNS colour made transparent, opaque where there is no alpha.
// The pixels draw from the load budget (LoadBudget.h). False, with out
// unspecified, when the data does not decode or describes a picture larger
// than kMaxDimension or kMaxPixels, or than its bytes could hold.
bool DecodePng(ByteView bytes, PngPixels& out);

// Whether DecodePng decodes the data, and the picture's size, drawing the
// same budget. Where the direct decoder takes the data, the stream is
// inflated and every check made, but the row filters are not undone: they
// cannot fail.
bool PngDecodes(ByteView bytes, uint32_t& width, uint32_t& height);

namespace png_detail {

enum class DirectResult { Decoded, Unhandled };

// The direct decoder alone: Unhandled for anything it leaves to libpng.
// budgetSpent says whether it drew the picture's pixels from the load budget
// (then libpng must not draw them again).
DirectResult DecodeDirect(ByteView bytes, PngPixels& out, bool& budgetSpent);
// libpng alone; drawBudget false when the pixels were already drawn.
bool DecodeWithLibpng(ByteView bytes, PngPixels& out, bool drawBudget = true);

} // namespace png_detail
} // namespace gw
