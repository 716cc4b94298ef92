#pragma once
// Every image of every icon group, then of every cursor group, of what a
// file holds: the walk that the wizard's per-file extraction and
// grabwell-cli's extract share, each naming and writing the images its own way.
#include <cstddef>
#include <functional>
#include <string>

#include "formats/FileContents.h"
#include "formats/IconFormat.h"

namespace gw {

struct GroupImage {
    size_t group = 0; // the group's index in its list
    size_t image = 0; // the image's index in its group
    const std::string* groupName = nullptr;
    const IconImage* icon = nullptr;     // exactly one of these two is set
    const CursorImage* cursor = nullptr;

    // ".ico" or ".cur".
    const char* Extension() const { return icon ? ".ico" : ".cur"; }
    // The image bytes were loaded (there is something to write as it is).
    bool HasData() const;
    // The image resource the group names is not in the file.
    bool Missing() const { return icon ? icon->Missing : cursor->Missing; }
    // It decoded into a picture (it can be converted to a bitmap).
    bool Decodes() const;
    // The image as its own one-image .ico or .cur file.
    Bytes AsImageFile(CursorDataForm form) const;
    // The image drawn on the key colour as a .bmp file; empty when it has no picture.
    Bytes AsBitmapFile() const;
    // The image as a .png file: a PNG-compressed image as stored, any other
    // with its alpha (from the mask when it has none); empty when it has no picture.
    Bytes AsPngFile(CursorDataForm form) const;
};

// Calls visit for each image of the icon groups (when icons) and then of the
// cursor groups (when cursors), in list order; false from visit ends the walk
// and is returned.
bool ForEachGroupImage(const FileContents& contents, bool icons, bool cursors,
                       const std::function<bool(const GroupImage&)>& visit);

} // namespace gw
