#pragma once
// The core's pictures as Qt images: decoded icon and cursor images, bitmaps,
// and the tiles of the picture lists.
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <optional>

#include "pictures/RowPicture.h"
#include "platform/Bitmap.h"
#include "platform/IconImage.h"

namespace gw {

// An icon or cursor image with its own transparency; a null image when it has
// no pixels.
QImage ToQImage(const DecodedImage& icon);

// A bitmap, opaque; with a mask colour (compared without alpha), its pixels
// of that colour are transparent. A null image when it holds no picture.
QImage ToQImage(const Bitmap& bitmap, std::optional<uint32_t> maskArgb = std::nullopt);

// One picture of one list: the icon scaled to the tile, or the bitmap with
// its mask colour made transparent, or an empty tile.
QPixmap TilePixmap(const ListImage& image, int tile);

} // namespace gw
