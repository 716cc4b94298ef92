#pragma once
// The display categories of the explorer's "Display:" box: their texts, the
// category flags each sets and the scanner each runs. The two animated
// cursor entries come last, so the numbers of the nine before them stand.
#include <cstdint>
#include <span>
#include <string_view>

#include "listing/ExplorerState.h"

namespace gw {

enum class ScannerId : uint8_t {
    ReadIcons,
    ReadFiles,
    ReadResources,
    ReadBitmaps,
    ReadCursorBitmapFiles,
    ReadCursors,
    ReadAnimatedCursors,
    ReadAnimatedCursorResources,
};

struct Category {
    const char* text;
    uint8_t catIcons, catBitmaps, catCursors, catFiles, catResources;
    ScannerId scanner;
    uint16_t resType; // ReadResources: the resource type counted (2, 12 or 14)
    bool isBitmap;    // ReadCursorBitmapFiles: bitmaps (true) or cursor groups
    uint8_t catAnimated = 0; // animated cursors (catCursors is set too)
};

// The entries in the order of the box.
std::span<const Category> Categories();

// The first entry whose text equals text exactly; null when none does. The
// dispatch goes by the box's text, not by its index.
const Category* FindCategory(std::string_view text);

void ApplyCategoryFlags(ExplorerState& state, const Category& category);

// The "Files" and "Resources" scanners clear the status text and let the
// window repaint before they start; the image-file scanners do not.
bool ClearsStatusFirst(ScannerId scanner);

} // namespace gw
