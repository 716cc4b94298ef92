#pragma once
// Our stand-in for the platform's icon extraction from executables: the
// number of icon groups a file holds and the picture of its first group.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/FileContents.h"

namespace gw {

enum class FirstIconKind {
    NotIconKind, // the file is of no kind that can hold icons (the platform's handle 1)
    NoIcon,      // it can hold icons but holds none (handle 0)
    Icon,        // the first group's picture
};

struct FirstIcon {
    FirstIconKind kind = FirstIconKind::NotIconKind;
    Handle icon; // set for FirstIconKind::Icon
};

// The picture of the first icon group, drawn at size x size from the group's
// best image for that size.
FirstIcon ExtractFirstIcon(const std::string& path, int size);
// The same for a file already opened, so that a folder scan opens and
// classifies each file once. Only the first group is read and only the
// chosen image is decoded.
class Document;
FirstIcon ExtractFirstIcon(const Document& file, int size);

// One image of a group as the choice sees it: its pixel size and colour depth.
struct ImageChoice {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};
// The choices of a group's images: the drawn width and height and the bit count.
std::vector<ImageChoice> ChoicesOf(const IconGroup& group);

// The index of the image that best fits a square of the given size: the
// closest size (a larger image before a smaller one at the same distance),
// then the deepest colour up to the display depth. -1 for no images.
int BestImageFor(const std::vector<ImageChoice>& images, int size);

// The index of the image a picture of size pixels across is best made from,
// judged by the width it is drawn at: the narrowest image at least size wide
// (scaled down to it, so the picture is as large as asked); when every image
// is narrower, the widest (drawn as it is, never scaled up). Among equal
// widths the most colours, then the first. -1 for no images.
int LargestImageWithin(const std::vector<ImageChoice>& images, int size);

// The picture at size x size of the best image for that size; when it does
// not decode (or bytesOf has no bytes for it), the next best, and so on.
// Null when none decodes.
Handle BestPictureOf(std::vector<ImageChoice> choices, int size,
                     const std::function<std::optional<ByteView>(size_t)>& bytesOf);
// The same over a loaded group, its missing images left out.
Handle GroupPicture(const IconGroup& group, int size);

} // namespace gw
