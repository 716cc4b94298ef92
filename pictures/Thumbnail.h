#pragma once
// The list pictures the explorer draws itself: bitmap thumbnails and the
// opaque pictures of cursors.
#include <cstdint>
#include <optional>

#include "formats/CurTypes.h"
#include "pictures/RowPicture.h"
#include "platform/Bitmap.h"
#include "platform/IconImage.h"

namespace gw {

// Draws source into target, whose width and height the caller has set, and
// returns the mask colour (0xAARRGGBB): the source's bottom-left pixel, which
// also fills the whole target first. A source that fits is drawn unscaled in
// the middle; otherwise it is stretched into the centred rectangle of the
// smaller width and the smaller height, without keeping its aspect ratio.
// The stretch does not change source. A target that cannot hold the picture
// is left filled with the mask colour.
uint32_t MakeThumbnail(Bitmap& source, Bitmap& target);

// A strip of square glyphs is shown by its first glyph: when the width is a
// whole multiple of the height, the bitmap is cut to its left square.
void CropToFirstGlyph(Bitmap& bitmap);

// Draws an icon or cursor image stretched to size x size (nearest pixel)
// over an opaque white bitmap, as it looks drawn on a fresh bitmap.
Bitmap DrawIconOpaque(const DecodedImage& icon, int size);

// The image of a cursor group the platform would load for a cursor of the
// given size: the decoded image closest to it, the first of equals. -1 when
// no image decoded.
int BestCursorImage(const CursorGroup& group, int size);

// The widest image of an icon or cursor group that is in the file and
// decodes, the first of equals: the picture that stands for the whole group.
// Nullopt when none does.
template <class Group>
std::optional<size_t> LargestDecodedImage(const Group& group) {
    std::optional<size_t> best;
    int bestWidth = 0;
    for (size_t j = 0; j < group.Images.size(); ++j) {
        const auto& im = group.Images[j];
        if (im.Missing || !im.Handle() || im.Handle()->width <= bestWidth) continue;
        best = j;
        bestWidth = im.Handle()->width;
    }
    return best;
}

// The pictures of a listed row, as the scanners make them and the explorer
// makes them again for the rows in view.
class Document;
// A bitmap at both tile sizes, its mask colour transparent.
RowPicture BitmapThumbnails(Bitmap& source);
// A cursor as the list shows it: a cursor of the large tile's size keeps its
// transparency there; every other picture is drawn onto an opaque bitmap.
// Empty for a null cursor.
RowPicture CursorPictures(const Handle& cursor);
// The image a cursor group's row is pictured by: its image for the large
// tile; null when no image draws.
const CursorImage* RowImage(const CursorGroup& group);
// The image the first animation's first step frame is pictured by; null
// when it has no image that draws.
const CursorImage* AnimationRowImage(Document& file);

} // namespace gw
