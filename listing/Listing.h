#pragma once
// The listings the wizard works on ("Icon Files" ... "Static Cursor
// Resources", and "Animated Cursor Resources"): which files each takes in a
// sub-folder and what it counts in them. The listed folder itself comes from
// the explorer's own scan.
#include <cstdint>
#include <string>

#include "formats/ResTypes.h"
#include "listing/Categories.h"

namespace gw {

class Document;

struct ExplorerState;

struct Listing {
    ObjectKind objects = ObjectKind::Icons;
    // "Resources" listing (compiled resource files), else "Files". The
    // animated cursor listing takes both and ignores it.
    bool resources = false;
};

// The listing of the explorer's display category: its objects, and whether
// it lists resource files.
Listing ListingOf(const ExplorerState& state);

// The category that lists what the listing takes ("Files" or "Resources" of
// its objects; "Animated Cursor Resources" for animated cursors).
Category CategoryOf(const Listing& listing);

// The explorer's text of the listing, e.g. "Icon Files", "Static Cursor Resources".
std::string ListingName(const Listing& listing);

// True when the listing takes a file with this extension (LowerExtension
// form): the executables and libraries of the explorer's "Files" scanners
// (".icl" and ".cpl" for icons only) or its resource files (".dcr" for
// bitmaps only).
bool ListingTakesExtension(const Listing& listing, const std::string& lowerExt);

// The resource type a listing counts: 14 group icon, 2 bitmap, 12 group
// cursor, 21 animated cursor (animated icons, 22, are counted with them).
uint16_t ListingResourceType(const Listing& listing);

struct ListingCount {
    int count = 0; // objects of the listing's kind; below 1: the file is passed over
};

// Classifies the file and counts the objects the listing extracts from it:
// icon groups of an executable, bitmaps or cursor groups of a PE or NE file,
// or entries of one type in a resource file; animated cursors and icons of
// either. Reads only the headers and
// directories it needs. The extension is not checked here.
ListingCount CountForListing(const Document& file, const Listing& listing);

} // namespace gw
