#pragma once
// The picture a listed row owns in the explorer's two picture lists. Row n of
// a scan always carries picture n, whatever failed while it was made, so the
// rows after a failure keep their own pictures.
#include <cstdint>
#include <string>

#include "platform/Bitmap.h"
#include "platform/IconImage.h"

namespace gw {

// The tile sizes of the two picture lists: the large-icon view and the
// small-icon, list and details views.
constexpr int kLargeTile = 32;
constexpr int kSmallTile = 16;

// The picture of one row in one of the two picture lists.
struct ListImage {
    // An icon, drawn with its own transparency and scaled to the tile.
    Handle icon;
    // Otherwise a bitmap of the tile's size; when masked, its pixels of the
    // mask colour (compared without alpha) are transparent, else it is opaque.
    Bitmap bitmap;
    bool masked = false;
    uint32_t maskArgb = 0;

    // Neither an icon nor a bitmap: an empty tile.
    bool Empty() const { return !icon && !bitmap.HasHandle(); }
};

enum class PictureKind : uint8_t {
    Images,     // the two list images below
    Associated, // the desktop's icon for the row's path (folders, resource files)
    AppIcon,    // the program's own icon
};

struct RowPicture {
    PictureKind kind = PictureKind::Images;
    ListImage large; // kLargeTile
    ListImage small; // kSmallTile
    std::string path; // Associated: the full path whose icon is shown

    static RowPicture OfIcon(Handle icon) {
        RowPicture p;
        p.large.icon = icon;
        p.small.icon = std::move(icon);
        return p;
    }
    static RowPicture OfPath(std::string path) {
        RowPicture p;
        p.kind = PictureKind::Associated;
        p.path = std::move(path);
        return p;
    }
    static RowPicture OfAppIcon() {
        RowPicture p;
        p.kind = PictureKind::AppIcon;
        return p;
    }
};

} // namespace gw
