#include "gui/QtImages.h"

namespace gw {

QImage ToQImage(const DecodedImage& icon) {
    if (icon.width <= 0 || icon.height <= 0 || icon.argb.size() != size_t(icon.width) * size_t(icon.height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(icon.argb.data()), icon.width, icon.height, icon.width * 4,
                  QImage::Format_ARGB32)
        .copy();
}

QImage ToQImage(const Bitmap& bitmap, std::optional<uint32_t> maskArgb) {
    if (!bitmap.HasHandle() || bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height)) return {};
    QImage out(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    const uint32_t maskRgb = maskArgb.value_or(0) & 0x00FFFFFFu;
    for (int y = 0; y < bitmap.height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t* row = bitmap.Row(y);
        for (int x = 0; x < bitmap.width; ++x) {
            const uint32_t rgb = row[x] & 0x00FFFFFFu;
            line[x] = maskArgb && rgb == maskRgb ? 0u : rgb | 0xFF000000u;
        }
    }
    return out;
}

QPixmap TilePixmap(const ListImage& image, int tile) {
    QImage out;
    if (image.icon) out = ToQImage(*image.icon);
    if (out.isNull())
        out = ToQImage(image.bitmap, image.masked ? std::optional<uint32_t>(image.maskArgb) : std::nullopt);
    if (out.isNull()) {
        out = QImage(tile, tile, QImage::Format_ARGB32);
        out.fill(Qt::transparent);
    }
    if (out.width() != tile || out.height() != tile)
        out = out.scaled(tile, tile, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(out);
}

} // namespace gw
