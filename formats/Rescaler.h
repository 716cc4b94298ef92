#pragma once
// Resizes one bitmap into another by area averaging, one axis at a time, for
// the fixed-size previews of the bitmap windows.
#include "platform/Bitmap.h"

namespace gw {

// Resizes src into dst, whose width and height the caller has set
// (dst.width, dst.height); Rescale (re)allocates dst's pixels.
// stretch = true: a plain stretch draw (nearest neighbour); dst keeps its
// pixel format. Otherwise the area-averaging resampler: a source that is
// neither 24 nor 32 bits is first converted to 32 bits (src changes), and dst
// takes the source's pixel format; at equal sizes dst becomes a copy of src.
// Returns false, leaving both untouched, when a size is not positive or
// exceeds kMaxDimension / kMaxPixels (the intermediate bitmap of dst's width
// and src's height included), or when src's pixels do not match its size.
bool Rescale(Bitmap& src, Bitmap& dst, bool stretch = false);

} // namespace gw
