#pragma once
// A bitmap shrunk into a tile of at most 64 x 64 pixels: the Bitmap
// Workdesk's thumbnails and the picture of Bitmap Properties follow the same
// rule, so it lives below both.
#include <cstdint>

#include "platform/Bitmap.h"

namespace gw {

// The largest thumbnail side; smaller when every bitmap of the file is smaller.
constexpr int32_t kBitmapThumbSide = 64;

struct ThumbSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The thumbnail tile of a load: each side the largest bitmap's, at most 64
// and at least 1.
ThumbSize BitmapTileSize(int32_t maxWidth, int32_t maxHeight);

// The size a bitmap is shrunk to in a tile: both sides divided by the larger
// of ceil(w / tileW) and ceil(h / tileH) (at least 1), each side at least 1.
ThumbSize BitmapThumbSize(int32_t width, int32_t height, ThumbSize tile);

// A bitmap's thumbnail: shrunk by the area-averaging rescaler, and the
// colour of its bottom-left pixel, which the list shows as transparent.
struct BitmapThumb {
    Bitmap picture; // without a handle when the bitmap does not decode
    TColor transparentColor = 0;
};
BitmapThumb MakeBitmapThumb(const Bitmap& bitmap, ThumbSize tile);

} // namespace gw
