#include "listing/Listing.h"

#include "listing/ExplorerState.h"
#include "listing/Scanners.h"
#include "formats/Document.h"
#include "formats/FileKinds.h"

namespace gw {

Listing ListingOf(const ExplorerState& state) {
    Listing listing;
    listing.objects = ObjectsOf(state.Category);
    listing.resources = ListsResourceFiles(state.Category);
    return listing;
}

Category CategoryOf(const Listing& listing) {
    switch (listing.objects) {
    case ObjectKind::Icons: return listing.resources ? Category::IconResources : Category::IconFiles;
    case ObjectKind::Bitmaps: return listing.resources ? Category::BitmapResources : Category::BitmapFiles;
    case ObjectKind::Cursors: return listing.resources ? Category::StaticCursorResources : Category::StaticCursorFiles;
    case ObjectKind::AnimatedCursors: return Category::AnimatedCursorResources;
    }
    return Category::IconFiles;
}

std::string ListingName(const Listing& listing) { return CategoryName(CategoryOf(listing)); }

bool ListingTakesExtension(const Listing& listing, const std::string& lowerExt) {
    if (listing.objects == ObjectKind::AnimatedCursors)
        return AcceptsResourceFile(lowerExt, RT_ANICURSOR) || !ContainerTypeText(lowerExt, true).empty();
    if (listing.resources) return AcceptsResourceFile(lowerExt, ListingResourceType(listing));
    return !ContainerTypeText(lowerExt, listing.objects == ObjectKind::Icons).empty();
}

uint16_t ListingResourceType(const Listing& listing) {
    switch (listing.objects) {
    case ObjectKind::Icons: return RT_GROUP_ICON;
    case ObjectKind::Bitmaps: return RT_BITMAP;
    case ObjectKind::Cursors: return RT_GROUP_CURSOR;
    case ObjectKind::AnimatedCursors: return RT_ANICURSOR;
    }
    return RT_GROUP_ICON;
}

ListingCount CountForListing(const Document& file, const Listing& listing) {
    ListingCount result;
    const FileCounts& c = file.Counts();
    const FileListing listed = RowOf(c.kind).listing;
    if (listing.objects == ObjectKind::AnimatedCursors) {
        const bool holds = listed == FileListing::Holder || listed == FileListing::Resources;
        result.count = holds ? c.animations : 0;
        return result;
    }
    if (listed != (listing.resources ? FileListing::Resources : FileListing::Holder)) return result;
    switch (listing.objects) {
    case ObjectKind::Icons: result.count = c.iconGroups; break;
    case ObjectKind::Bitmaps: result.count = c.bitmaps; break;
    case ObjectKind::Cursors: result.count = c.cursorGroups; break;
    case ObjectKind::AnimatedCursors: break;
    }
    return result;
}

} // namespace gw
