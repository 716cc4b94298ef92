#include "workdesks/core/IconDesk.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "formats/FileContents.h"
#include "formats/FileKind.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "formats/ResFile.h"
#include "listing/CommonData.h"
#include "listing/ExplorerState.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr uint16_t kBitsOf256Colors = 8;
constexpr uint32_t kSpecificExtra = 10;  // the tile's side beyond the format's width
constexpr uint32_t kSpecificBaselineAt = 8; // the baseline's row beyond the format's width
constexpr int64_t kStripExtraHeight = 10;

uint32_t DrawnSize(uint8_t stored) { return stored ? stored : 256u; }

// The colour count the by-format order compares: 2^bits, 1 for 0 bits, and
// 0 for 256 or more; bitsFromLabel reads the label's own colour text, in
// which 0 bits stand for 256 colours.
uint32_t SortColorCount(uint16_t bits, bool bitsFromLabel) {
    if (bitsFromLabel && bits == 0) return 0;
    if (bits >= kBitsOf256Colors) return 0;
    return uint32_t(1) << bits;
}

} // namespace

std::vector<IconFormat> IconFormatsOf(const std::vector<TAdvIconGroupList>& groups) {
    std::vector<IconFormat> formats;
    std::unordered_set<std::string> seen;
    for (const auto& group : groups) {
        for (const auto& im : group.Images) {
            std::string label = FormatLabel(im.Width, im.Height, im.BitCount);
            if (!seen.insert(label).second) continue;
            formats.push_back({im.Width, im.Height, im.BitCount, std::move(label)});
        }
    }
    return formats;
}

bool SameColorText(uint16_t a, uint16_t b) {
    auto canonical = [](uint16_t bits) { return bits == 0 ? kBitsOf256Colors : bits; };
    return canonical(a) == canonical(b);
}

int SpecificImageOf(const TAdvIconGroupList& group, const IconFormat& format) {
    int found = -1;
    for (size_t i = 0; i < group.Images.size(); ++i) {
        const TAdvIconImage& im = group.Images[i];
        if (im.Width == format.width && SameColorText(im.BitCount, format.bitCount)) found = int(i);
    }
    return found;
}

bool HasSortFormat(const TAdvIconGroupList& group, const IconFormat& format) {
    const uint32_t wanted = SortColorCount(format.bitCount, true);
    return std::any_of(group.Images.begin(), group.Images.end(), [&](const TAdvIconImage& im) {
        return im.Width == format.width && im.Height == format.width && SortColorCount(im.BitCount, false) == wanted;
    });
}

int CompareDeskNames(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - ('a' - 'A'));
        if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - ('a' - 'A'));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareIconGroups(const TAdvIconGroupList& a, const TAdvIconGroupList& b, DeskSortMode mode,
                      const IconFormat* format) {
    switch (mode) {
    case DeskSortMode::ByImageCount:
        if (a.ImageCount != b.ImageCount) return a.ImageCount < b.ImageCount ? -1 : 1;
        break;
    case DeskSortMode::ByFormat:
        if (format) {
            const bool hasA = HasSortFormat(a, *format), hasB = HasSortFormat(b, *format);
            if (hasA != hasB) return hasA ? -1 : 1;
        }
        break;
    case DeskSortMode::ByName: break;
    }
    return CompareDeskNames(a.Name, b.Name);
}

TileSize SpecificTileSize(const IconFormat& format) {
    const int64_t side = int64_t(format.DrawnWidth()) + kSpecificExtra;
    return {side, side};
}

int64_t SpecificBaseline(const IconFormat& format) { return int64_t(format.DrawnWidth()) + kSpecificBaselineAt; }

TileSize RawStripSize(const std::vector<TAdvIconGroupList>& groups) {
    int64_t maxCount = 0, maxSumW = 0, maxH = 0;
    for (const auto& group : groups) {
        int64_t sumW = 0;
        for (const auto& im : group.Images) {
            sumW += DrawnSize(im.Width);
            maxH = std::max<int64_t>(maxH, DrawnSize(im.Height));
        }
        maxSumW = std::max(maxSumW, sumW);
        maxCount = std::max<int64_t>(maxCount, int64_t(group.Images.size()));
    }
    const int64_t width = maxSumW + kStripGap * maxCount;
    const int64_t height = maxH + kStripExtraHeight;
    return {std::min(width, kMaxStripWidth), std::min(height, kMaxStripHeight)};
}

std::vector<int64_t> RawStripPositions(const TAdvIconGroupList& group, int64_t stripWidth) {
    std::vector<int64_t> positions;
    int64_t x = kStripLeft;
    for (const auto& im : group.Images) {
        if (x >= stripWidth) break;
        positions.push_back(x);
        x += int64_t(DrawnSize(im.Width)) + kStripGap;
    }
    return positions;
}

IconDeskOpening OpenIconDesk(const ExplorerState& explorer, CommonData& common, FileContents& contents) {
    IconDeskOpening opening;
    contents = FileContents{};
    if (!explorer.SelectedItem) {
        opening.failed = true;
        return opening;
    }
    const ListRow& row = *explorer.SelectedItem;
    common.SelFileName = LowerAscii(row.caption);
    common.SelFilePath = JoinPath(explorer.CurrentDir, row.caption);
    int32_t count = 0;
    const auto [end, ec] = std::from_chars(row.countText.data(), row.countText.data() + row.countText.size(), count);
    if (ec != std::errc() || end != row.countText.data() + row.countText.size() || count < 0) count = 0;
    contents.IconGroupCount = count;
    const TFileKind kind = GetFileKind(common.SelFilePath);
    opening.fileText = common.SelFileName + " - " + std::to_string(count) + " Icons";
    opening.kindText = kind == fkIconFile || kind == fkPEFile || kind == fkNEFile ? FileKindText(kind)
                                                                                   : FileKindText(fkNonExecutable);
    if (common.ExecutableSource)
        opening.failed = LoadIcons(contents, common.SelFilePath, kind) != 0;
    else if (common.ResourceSource)
        LoadResIcons(contents, common.SelFilePath);
    return opening;
}

} // namespace gw
