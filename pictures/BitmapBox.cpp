#include "pictures/BitmapBox.h"

#include <algorithm>

#include "formats/Rescaler.h"

namespace gw {

ThumbSize BitmapTileSize(int32_t maxWidth, int32_t maxHeight) {
    return {std::clamp(maxWidth, 1, kBitmapThumbSide), std::clamp(maxHeight, 1, kBitmapThumbSide)};
}

ThumbSize BitmapThumbSize(int32_t width, int32_t height, ThumbSize tile) {
    const int64_t w = std::max(width, 1), h = std::max(height, 1);
    const int64_t tw = std::max(tile.width, 1), th = std::max(tile.height, 1);
    const int64_t f = std::max({(w + tw - 1) / tw, (h + th - 1) / th, int64_t(1)});
    return {int32_t(std::max<int64_t>(w / f, 1)), int32_t(std::max<int64_t>(h / f, 1))};
}

BitmapThumb MakeBitmapThumb(const Bitmap& bitmap, ThumbSize tile) {
    BitmapThumb thumb;
    if (!bitmap.HasHandle()) return thumb;
    const ThumbSize size = BitmapThumbSize(bitmap.width, bitmap.height, tile);
    Bitmap work = bitmap; // the rescaler may convert its source
    thumb.picture.width = size.width;
    thumb.picture.height = size.height;
    if (!Rescale(work, thumb.picture)) {
        thumb.picture = Bitmap{};
        return thumb;
    }
    thumb.transparentColor = ColorFromArgb(thumb.picture.Pixel(0, thumb.picture.height - 1));
    return thumb;
}

} // namespace gw
