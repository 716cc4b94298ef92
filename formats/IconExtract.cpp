#include "formats/IconExtract.h"

#include <climits>
#include <cstdlib>

#include "formats/FileContents.h"
#include "formats/IconManage.h"
#include "platform/Display.h"

namespace gw {

int ExtractIconCount(const std::string& path) {
    const FileCounts c = CountFile(path);
    switch (c.kind) {
    case ContainerKind::IconFile:
    case ContainerKind::NEFile:
    case ContainerKind::PEFile: return c.iconGroups;
    default: return 0;
    }
}

int BestImageFor(const TAdvIconGroupList& group, int size) {
    int best = -1;
    long bestDistance = LONG_MAX;
    int bestDepthScore = -1;
    bool bestLarger = false;
    const int depth = Display::Depth();
    for (size_t i = 0; i < group.Images.size(); ++i) {
        const auto& im = group.Images[i];
        if (!im.Handle) continue;
        const int w = im.Handle->storedWidth, h = im.Handle->storedHeight;
        const long distance = std::labs(long(w) - size) + std::labs(long(h) - size);
        const bool larger = w >= size;
        const int bits = im.Handle->bitCount ? im.Handle->bitCount : im.BitCount;
        // Colour depths above the display's count below every depth that fits.
        const int depthScore = bits <= depth ? bits + 64 : 64 - bits;
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

FirstIcon ExtractFirstIcon(const std::string& path, int size) {
    FirstIcon out;
    const FileCounts c = CountFile(path);
    if (c.kind != ContainerKind::IconFile && c.kind != ContainerKind::NEFile && c.kind != ContainerKind::PEFile)
        return out;
    out.kind = FirstIconKind::NoIcon;
    if (c.iconGroups < 1) return out;
    CommonData cd;
    cd.SelFilePath = path;
    cd.IconGroupCount = 1;
    cd.IconGroups.resize(1);
    LoadIcons(cd, path, c.fileKind);
    const int best = BestImageFor(cd.IconGroups[0], size);
    if (best < 0) return out;
    const auto& im = cd.IconGroups[0].Images[size_t(best)];
    Handle h = CreateIconFromResourceEx(im.Data, true, kIconVersion, size, size, 0);
    if (!h) return out;
    out.kind = FirstIconKind::Icon;
    out.icon = std::move(h);
    return out;
}

} // namespace gw
