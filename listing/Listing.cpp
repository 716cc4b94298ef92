#include "listing/Listing.h"

#include <memory>

#include "listing/ExplorerState.h"
#include "listing/Scanners.h"
#include "formats/FileKind.h"
#include "formats/NeResources.h"
#include "formats/ResFile.h"
#include "platform/FileIo.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

int CountInExecutable(ByteView bytes, TFileKind kind, const Listing& listing) {
    if (kind == fkPEFile) {
        const std::unique_ptr<ResourceModule> module = ResourceModule::FromBytes(bytes);
        return module ? module->Count(ListingResourceType(listing)) : 0;
    }
    if (kind == fkNEFile) {
        switch (listing.objects) {
        case ObjectKind::Icons: return CountNEIconGroups(bytes);
        case ObjectKind::Bitmaps: return CountNEResourcesOfBytes(bytes, true);
        case ObjectKind::Cursors: return CountNEResourcesOfBytes(bytes, false);
        }
    }
    return 0;
}

} // namespace

Listing ListingOf(const ExplorerState& state) {
    Listing listing;
    if (state.CatBitmaps)
        listing.objects = ObjectKind::Bitmaps;
    else if (state.CatCursors)
        listing.objects = ObjectKind::Cursors;
    listing.resources = state.CatResources != 0;
    return listing;
}

std::string ListingName(const Listing& listing) {
    std::string name;
    switch (listing.objects) {
    case ObjectKind::Icons: name = "Icon"; break;
    case ObjectKind::Bitmaps: name = "Bitmap"; break;
    case ObjectKind::Cursors: name = "Static Cursor"; break;
    }
    return name + (listing.resources ? " Resources" : " Files");
}

bool ListingTakesExtension(const Listing& listing, const std::string& lowerExt) {
    if (listing.resources) return AcceptsResourceFile(lowerExt, ListingResourceType(listing));
    return !ContainerTypeText(lowerExt, listing.objects == ObjectKind::Icons).empty();
}

uint16_t ListingResourceType(const Listing& listing) {
    switch (listing.objects) {
    case ObjectKind::Icons: return RT_GROUP_ICON;
    case ObjectKind::Bitmaps: return RT_BITMAP;
    case ObjectKind::Cursors: return RT_GROUP_CURSOR;
    }
    return RT_GROUP_ICON;
}

ListingCount CountForListing(const std::string& path, const Listing& listing) {
    ListingCount result;
    // Opening a FIFO or a device could block or read without end.
    if (!IsRegularFile(path)) return result;
    MappedFile file;
    if (!file.Open(path)) return result;
    const ByteView bytes = file.bytes();
    if (listing.resources) {
        result.count = CountResEntries(bytes, ListingResourceType(listing));
        return result;
    }
    result.fileKind = GetFileKindOfBytes(path, bytes);
    result.count = CountInExecutable(bytes, result.fileKind, listing);
    return result;
}

} // namespace gw
