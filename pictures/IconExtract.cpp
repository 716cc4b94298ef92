#include "pictures/IconExtract.h"

#include <climits>
#include <cstdlib>

#include "formats/FileContents.h"
#include "formats/GroupDirectory.h"
#include "formats/IconManage.h"
#include "platform/Display.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

bool CanHoldIcons(const FileCounts& c) {
    return c.kind == ContainerKind::IconFile || c.kind == ContainerKind::NEFile || c.kind == ContainerKind::PEFile;
}

// The choices of a group directory: the entries' width and height bytes (0
// means 256) and bit counts.
std::vector<ImageChoice> ChoicesOf(const TAdvIconGroupList& group) {
    std::vector<ImageChoice> out;
    for (const auto& im : group.Images)
        out.push_back({im.Width ? im.Width : 256, im.Height ? im.Height : 256, im.BitCount});
    return out;
}

Handle Decode(ByteView bytes, int size) {
    return CreateIconFromResourceEx(bytes, true, kIconVersion, size, size, 0);
}

// A 32-bit executable: read the first group's directory and decode only the
// image chosen from it, through the resource module.
std::optional<Handle> FirstPeIcon(const std::string& path, int size) {
    const auto module = ResourceModule::Open(path);
    if (!module) return std::nullopt;
    const auto groups = module->Table(RT_GROUP_ICON);
    if (groups.Names().empty()) return std::nullopt;
    const auto group = groups.Find(groups.Names().front());
    if (!group) return std::nullopt;
    TAdvIconGroupList directory;
    directory.Images.resize(HeldGroupCount(*group));
    for (size_t j = 0; j < directory.Images.size(); ++j) {
        ByteReader entry = GroupEntryReader(*group, j);
        ReadIconGroupEntry(directory.Images[j], entry);
    }
    std::vector<ImageChoice> choices = ChoicesOf(directory);
    std::vector<uint16_t> ids;
    for (const TAdvIconImage& im : directory.Images) ids.push_back(im.ResId);
    const auto images = module->Table(RT_ICON);
    // The best image first; when it does not decode, the next best.
    while (!choices.empty()) {
        const int best = BestImageFor(choices, size);
        if (const auto bytes = images.Find(ResName::Id(ids[size_t(best)]))) {
            if (Handle h = Decode(*bytes, size)) return h;
        }
        choices.erase(choices.begin() + best);
        ids.erase(ids.begin() + best);
    }
    return Handle{};
}

} // namespace

int ExtractIconCount(const std::string& path) {
    const FileCounts c = CountFile(path);
    return CanHoldIcons(c) ? c.iconGroups : 0;
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

FirstIcon ExtractFirstIcon(const std::string& path, int size) { return ExtractFirstIcon(path, CountFile(path), size); }

FirstIcon ExtractFirstIcon(const std::string& path, const FileCounts& counts, int size) {
    FirstIcon out;
    if (!CanHoldIcons(counts)) return out;
    out.kind = FirstIconKind::NoIcon;
    if (counts.iconGroups < 1) return out;
    Handle icon;
    if (counts.kind == ContainerKind::PEFile) {
        if (auto pe = FirstPeIcon(path, size)) icon = std::move(*pe);
    } else {
        FileContents contents;
        contents.IconGroupCount = 1;
        LoadIcons(contents, path, counts.fileKind);
        auto& images = contents.IconGroups[0].Images;
        std::vector<ImageChoice> choices = ChoicesOf(contents.IconGroups[0]);
        while (!icon && !choices.empty()) {
            const int best = BestImageFor(choices, size);
            icon = Decode(images[size_t(best)].Data, size);
            choices.erase(choices.begin() + best);
            images.erase(images.begin() + best);
        }
    }
    if (!icon) return out;
    out.kind = FirstIconKind::Icon;
    out.icon = std::move(icon);
    return out;
}

} // namespace gw
