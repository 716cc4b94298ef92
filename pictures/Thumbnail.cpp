#include "pictures/Thumbnail.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "formats/AniFile.h"
#include "formats/Document.h"
#include "formats/Rescaler.h"

namespace gw {
namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

bool Fits(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

// Copies source to target with its top-left corner at (x, y); the caller has
// made sure it lies inside.
void Blit(const Bitmap& source, Bitmap& target, int32_t x, int32_t y) {
    for (int32_t row = 0; row < source.height; ++row)
        std::copy_n(source.Row(row), size_t(source.width), target.Row(y + row) + x);
}

uint32_t Blend(uint32_t argb, uint32_t background) {
    const uint32_t alpha = argb >> 24;
    if (alpha == 0xFF) return argb;
    if (alpha == 0) return background;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t fg = (argb >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
        out |= ((fg * alpha + bg * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

} // namespace

uint32_t MakeThumbnail(Bitmap& source, Bitmap& target) {
    const bool sourceOk = source.HasHandle() && source.pixels.size() == size_t(source.width) * size_t(source.height);
    const uint32_t mask = sourceOk ? source.Pixel(0, source.height - 1) : 0xFF000000u;
    if (!Fits(target.width, target.height)) return mask;
    target.pixels.assign(size_t(target.width) * size_t(target.height), mask);
    if (!sourceOk) return mask;

    if (target.width >= source.width && target.height >= source.height) {
        Blit(source, target, (target.width - source.width) / 2, (target.height - source.height) / 2);
        return mask;
    }
    Bitmap stretched;
    stretched.width = std::min(source.width, target.width);
    stretched.height = std::min(source.height, target.height);
    stretched.pixelFormat = target.pixelFormat;
    if (Rescale(source, stretched, true))
        Blit(stretched, target, (target.width - stretched.width) / 2, (target.height - stretched.height) / 2);
    return mask;
}

void CropToFirstGlyph(Bitmap& bitmap) {
    if (!bitmap.HasHandle() || bitmap.width % bitmap.height != 0 || bitmap.width == bitmap.height) return;
    if (bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height)) return;
    const int32_t side = bitmap.height;
    std::vector<uint32_t> square(size_t(side) * size_t(side));
    for (int32_t y = 0; y < side; ++y) std::copy_n(bitmap.Row(y), size_t(side), square.begin() + ptrdiff_t(y) * side);
    bitmap.width = side;
    bitmap.pixels = std::move(square);
}

Bitmap DrawIconOpaque(const DecodedImage& icon, int size) {
    Bitmap out;
    out.pixelFormat = PixelFormat::Device;
    if (!Fits(size, size)) return out;
    out.SetSize(size, size, kOpaqueWhite);
    if (icon.width <= 0 || icon.height <= 0 || icon.argb.size() != size_t(icon.width) * size_t(icon.height))
        return out;
    for (int y = 0; y < size; ++y) {
        // Pixel centres, as a stretch draw samples them.
        const size_t sy = size_t((int64_t(2 * y + 1) * icon.height) / (2 * int64_t(size)));
        for (int x = 0; x < size; ++x) {
            const size_t sx = size_t((int64_t(2 * x + 1) * icon.width) / (2 * int64_t(size)));
            out.SetPixel(x, y, Blend(icon.argb[sy * size_t(icon.width) + sx], kOpaqueWhite));
        }
    }
    return out;
}

int BestCursorImage(const CursorGroup& group, int size) {
    int best = -1;
    long bestDistance = LONG_MAX;
    for (size_t i = 0; i < group.Images.size(); ++i) {
        const Handle& h = group.Images[i].Handle();
        if (!h) continue;
        const long distance = std::labs(long(h->storedWidth) - size) + std::labs(long(h->storedHeight) - size);
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return best;
}

RowPicture BitmapThumbnails(Bitmap& source) {
    RowPicture picture;
    for (auto [image, tile] : {std::pair{&picture.large, kLargeTile}, std::pair{&picture.small, kSmallTile}}) {
        image->bitmap.width = tile;
        image->bitmap.height = tile;
        image->bitmap.pixelFormat = source.pixelFormat;
        image->bitmap.palette = source.palette;
        image->maskArgb = MakeThumbnail(source, image->bitmap);
        image->masked = true;
    }
    return picture;
}

RowPicture CursorPictures(const Handle& cursor) {
    RowPicture picture;
    if (!cursor) return picture;
    if (cursor->width == kLargeTile && cursor->height == kLargeTile)
        picture.large.icon = cursor;
    else
        picture.large.bitmap = DrawIconOpaque(*cursor, kLargeTile);
    picture.small.bitmap = DrawIconOpaque(*cursor, kSmallTile);
    return picture;
}

const CursorImage* RowImage(const CursorGroup& group) {
    const int best = BestCursorImage(group, kLargeTile);
    return best < 0 ? nullptr : &group.Images[size_t(best)];
}

const CursorImage* AnimationRowImage(Document& file) {
    file.Load(RecordKind::Animations);
    const std::vector<AnimatedCursor>& animations = file.Contents().Animations;
    const AnimationFrame* first = animations.empty() ? nullptr : FirstStepFrame(animations.front());
    return first ? RowImage(first->Images) : nullptr;
}

} // namespace gw
