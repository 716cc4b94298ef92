#include "pictures/IconExtract.h"
#include "pictures/FirstPeGroup.h"

#include <climits>
#include <cstdlib>

#include "formats/FileContents.h"
#include "formats/GroupDirectory.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/Document.h"
#include "formats/FileKinds.h"
#include "platform/Display.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

// An icon file, or a file that holds objects of its own (not a resource
// file, whose icons have no first one the desktop shows).
bool CanHoldIcons(const FileCounts& c) {
    const FileKindRow& row = RowOf(c.kind);
    return row.listing == FileListing::Holder || (row.listing == FileListing::Alone && row.holds == RecordKind::Icons);
}

// A 32-bit executable: read the first group's directory and decode only the
// image chosen from it, through the resource module.
std::optional<Handle> FirstPeIcon(const ResourceModule& module, int size) {
    const std::optional<FirstGroupImages> group = FirstPeGroupImages(module);
    if (!group) return std::nullopt;
    return BestPictureOf(ChoicesOf(group->directory), size, [&](size_t i) { return group->bytes[i]; });
}

// The first group of a file without a resource directory, read alone by
// the reader of its kind.
IconGroup FirstGroupOf(const Document& file) {
    FileContents contents;
    contents.IconGroupCount = 1;
    contents.IconGroups.resize(1);
    RowOf(file.Kind()).open(OpenedFile{file.Path(), file.Bytes(), file.Owner()})->Read(RecordKind::Icons, std::nullopt,
                                                                                      contents);
    return contents.IconGroups.empty() ? IconGroup{} : std::move(contents.IconGroups[0]);
}

} // namespace

std::vector<ImageChoice> ChoicesOf(const IconGroup& group) {
    std::vector<ImageChoice> out;
    for (const auto& im : group.Images) out.push_back({int(DrawnSide(im.Width)), int(DrawnSide(im.Height)), im.BitCount});
    return out;
}

std::optional<FirstGroupImages> FirstPeGroupImages(const ResourceModule& module) {
    const auto groups = module.Table(RT_GROUP_ICON);
    if (groups.Names().empty()) return std::nullopt;
    const auto group = groups.Find(groups.Names().front());
    if (!group) return std::nullopt;
    FirstGroupImages out;
    out.directory.Images.resize(HeldGroupCount(*group));
    const auto images = module.Table(RT_ICON);
    for (size_t j = 0; j < out.directory.Images.size(); ++j) {
        ByteReader entry = GroupEntryReader(*group, j);
        ReadIconGroupEntry(out.directory.Images[j], entry);
        out.bytes.push_back(images.Find(ResourceKey::Id(out.directory.Images[j].ResId)));
    }
    return out;
}

int BestImageFor(const std::vector<ImageChoice>& images, int size) {
    int best = -1;
    long bestDistance = LONG_MAX;
    int bestDepthScore = -1;
    bool bestLarger = false;
    const int depth = Display::Depth();
    for (size_t i = 0; i < images.size(); ++i) {
        const ImageChoice& im = images[i];
        const long distance = std::labs(long(im.width) - size) + std::labs(long(im.height) - size);
        const bool larger = im.width >= size;
        // Colour depths above the display's count below every depth that fits.
        const int depthScore = im.bitCount <= depth ? im.bitCount + 64 : 64 - std::min(im.bitCount, 64);
        const bool better = distance < bestDistance ||
                            (distance == bestDistance && larger && !bestLarger) ||
                            (distance == bestDistance && larger == bestLarger && depthScore > bestDepthScore);
        if (better) {
            best = int(i);
            bestDistance = distance;
            bestDepthScore = depthScore;
            bestLarger = larger;
        }
    }
    return best;
}

int LargestImageWithin(const std::vector<ImageChoice>& images, int size) {
    int best = -1;
    for (size_t i = 0; i < images.size(); ++i) {
        const ImageChoice& im = images[i];
        if (best < 0) {
            best = int(i);
            continue;
        }
        const ImageChoice& b = images[size_t(best)];
        const bool covers = im.width >= size, bestCovers = b.width >= size;
        bool better;
        if (im.width == b.width)
            better = im.bitCount > b.bitCount;
        else if (covers != bestCovers)
            better = covers;
        else // both cover the size: the narrower; both smaller: the wider
            better = covers ? im.width < b.width : im.width > b.width;
        if (better) best = int(i);
    }
    return best;
}

Handle BestPictureOf(std::vector<ImageChoice> choices, int size,
                     const std::function<std::optional<ByteView>(size_t)>& bytesOf) {
    std::vector<size_t> index(choices.size());
    for (size_t i = 0; i < index.size(); ++i) index[i] = i;
    // The best image first; when it does not decode, the next best.
    while (!choices.empty()) {
        const int best = BestImageFor(choices, size);
        if (const std::optional<ByteView> bytes = bytesOf(index[size_t(best)]))
            if (Handle h = DecodeIconImage(*bytes, true, size, size)) return h;
        choices.erase(choices.begin() + best);
        index.erase(index.begin() + best);
    }
    return nullptr;
}

Handle GroupPicture(const IconGroup& group, int size) {
    return BestPictureOf(ChoicesOf(group), size, [&](size_t i) -> std::optional<ByteView> {
        const IconImage& im = group.Images[i];
        if (im.Missing || im.Data.empty()) return std::nullopt;
        return im.Data.view();
    });
}

FirstIcon ExtractFirstIcon(const std::string& path, int size) { return ExtractFirstIcon(*Document::Open(path), size); }

FirstIcon ExtractFirstIcon(const Document& file, int size) {
    FirstIcon out;
    const FileCounts& counts = file.Counts();
    if (!CanHoldIcons(counts)) return out;
    out.kind = FirstIconKind::NoIcon;
    if (counts.iconGroups < 1) return out;
    Handle icon;
    if (const ResourceModule* module = ModuleOf(file, RecordKind::Icons)) {
        // Only the chosen image of a 32-bit module is decoded; a
        // language-neutral library's icons may come from its resource file.
        if (auto pe = FirstPeIcon(*module, size)) icon = std::move(*pe);
    } else {
        icon = GroupPicture(FirstGroupOf(file), size);
    }
    if (!icon) return out;
    out.kind = FirstIconKind::Icon;
    out.icon = std::move(icon);
    return out;
}

} // namespace gw
