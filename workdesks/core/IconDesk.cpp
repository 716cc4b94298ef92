#include "workdesks/core/IconDesk.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "formats/FileKind.h"
#include "formats/IconFormat.h"
#include "formats/Document.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr uint16_t kBitsOf256Colors = 8;
constexpr uint32_t kSpecificExtra = 10;  // the tile's side beyond the format's width
constexpr uint32_t kSpecificBaselineAt = 8; // the baseline's row beyond the format's width
constexpr int64_t kStripExtraHeight = 10;

// The colour count the by-format order compares: 2^bits, 1 for 0 bits, and
// 0 for 256 or more; bitsFromLabel reads the label's own colour text, in
// which 0 bits stand for 256 colours.
uint32_t SortColorCount(uint16_t bits, bool bitsFromLabel) {
    if (bitsFromLabel && bits == 0) return 0;
    if (bits >= kBitsOf256Colors) return 0;
    return uint32_t(1) << bits;
}

} // namespace

DeskImage DeskImageOf(const IconImage& im) {
    return {im.Width, im.Height, DrawnSide(im.Width), DrawnSide(im.Height), im.BitCount};
}

DeskImage DeskImageOf(const CursorImage& im) {
    const uint32_t shownHeight = im.Height / 2u;
    return {im.Width, shownHeight, im.Width, shownHeight, im.BitCount};
}

template <class Group>
std::vector<DeskFormat> DeskFormatsOf(const std::vector<Group>& groups) {
    std::vector<DeskFormat> formats;
    std::unordered_set<std::string> seen;
    for (const auto& group : groups) {
        for (const auto& im : group.Images) {
            const DeskImage d = DeskImageOf(im);
            // A 256-pixel icon image (stored as 0) is labelled 256, as the managers label it.
            std::string label = ImageFormatText(d.drawnWidth, d.drawnHeight, d.bitCount);
            if (!seen.insert(label).second) continue;
            formats.push_back({d.width, d.height, d.bitCount, std::move(label), d.drawnWidth});
        }
    }
    return formats;
}

bool SameColorText(uint16_t a, uint16_t b) {
    auto canonical = [](uint16_t bits) { return bits == 0 ? kBitsOf256Colors : bits; };
    return canonical(a) == canonical(b);
}

template <class Group>
int SpecificImageOf(const Group& group, const DeskFormat& format) {
    int found = -1;
    for (size_t i = 0; i < group.Images.size(); ++i) {
        const DeskImage d = DeskImageOf(group.Images[i]);
        if (d.width == format.width && SameColorText(d.bitCount, format.bitCount)) found = int(i);
    }
    return found;
}

template <class Group>
bool HasSortFormat(const Group& group, const DeskFormat& format) {
    const uint32_t wanted = SortColorCount(format.bitCount, true);
    return std::any_of(group.Images.begin(), group.Images.end(), [&](const auto& im) {
        const DeskImage d = DeskImageOf(im);
        return d.width == format.width && d.height == format.width && SortColorCount(d.bitCount, false) == wanted;
    });
}

namespace {

bool IsNumberName(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

int CompareNumberNames(const std::string& a, const std::string& b) {
    const bool numberA = IsNumberName(a), numberB = IsNumberName(b);
    if (numberA != numberB) return numberA ? -1 : 1;
    if (!numberA) return 0;
    // Without leading zeros the shorter is the smaller, and equal lengths
    // compare digit by digit: values of any length.
    const size_t za = std::min(a.find_first_not_of('0'), a.size()), zb = std::min(b.find_first_not_of('0'), b.size());
    const size_t la = a.size() - za, lb = b.size() - zb;
    if (la != lb) return la < lb ? -1 : 1;
    const int c = a.compare(za, la, b, zb, lb);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareDeskNames(const std::string& a, const std::string& b) {
    if (const int c = CompareNumberNames(a, b)) return c;
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

template <class Group>
int CompareDeskGroups(const Group& a, const Group& b, DeskSortMode mode, const DeskFormat* format) {
    switch (mode) {
    case DeskSortMode::ByImageCount:
        if (a.Images.size() != b.Images.size()) return a.Images.size() < b.Images.size() ? -1 : 1;
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

TileSize SpecificTileSize(const DeskFormat& format) {
    const int64_t side = int64_t(format.drawnWidth) + kSpecificExtra;
    return {side, side};
}

int64_t SpecificBaseline(const DeskFormat& format) { return int64_t(format.drawnWidth) + kSpecificBaselineAt; }

template <class Group>
TileSize RawStripSize(const std::vector<Group>& groups) {
    int64_t maxCount = 0, maxSumW = 0, maxH = 0;
    for (const auto& group : groups) {
        int64_t sumW = 0;
        for (const auto& im : group.Images) {
            const DeskImage d = DeskImageOf(im);
            sumW += d.drawnWidth;
            maxH = std::max<int64_t>(maxH, d.drawnHeight);
        }
        maxSumW = std::max(maxSumW, sumW);
        maxCount = std::max<int64_t>(maxCount, int64_t(group.Images.size()));
    }
    const int64_t width = maxSumW + kStripGap * maxCount;
    const int64_t height = maxH + kStripExtraHeight;
    return {std::min(width, kMaxStripWidth), std::min(height, kMaxStripHeight)};
}

template <class Group>
std::vector<int64_t> RawStripPositions(const Group& group, int64_t stripWidth) {
    std::vector<int64_t> positions;
    int64_t x = kStripLeft;
    for (const auto& im : group.Images) {
        if (x >= stripWidth) break;
        positions.push_back(x);
        x += int64_t(DeskImageOf(im).drawnWidth) + kStripGap;
    }
    return positions;
}

// The two kinds of record the workdesks show.
template std::vector<DeskFormat> DeskFormatsOf(const std::vector<IconGroup>&);
template int SpecificImageOf(const IconGroup&, const DeskFormat&);
template bool HasSortFormat(const IconGroup&, const DeskFormat&);
template int CompareDeskGroups(const IconGroup&, const IconGroup&, DeskSortMode, const DeskFormat*);
template TileSize RawStripSize(const std::vector<IconGroup>&);
template std::vector<int64_t> RawStripPositions(const IconGroup&, int64_t);
template std::vector<DeskFormat> DeskFormatsOf(const std::vector<CursorGroup>&);
template int SpecificImageOf(const CursorGroup&, const DeskFormat&);
template bool HasSortFormat(const CursorGroup&, const DeskFormat&);
template int CompareDeskGroups(const CursorGroup&, const CursorGroup&, DeskSortMode, const DeskFormat*);
template TileSize RawStripSize(const std::vector<CursorGroup>&);
template std::vector<int64_t> RawStripPositions(const CursorGroup&, int64_t);

DeskOpening OpenDesk(Document& file, RecordKind kind) {
    DeskOpening opening;
    const FileCounts& counts = file.Counts();
    const auto [count, noun] = kind == RecordKind::Icons     ? std::pair{counts.iconGroups, "Icon"}
                               : kind == RecordKind::Cursors ? std::pair{counts.cursorGroups, "Cursor"}
                                                             : std::pair{counts.bitmaps, "Bitmap"};
    opening.fileText = file.FileName() + " - " + CountText(uint64_t(std::max(count, 0)), noun);
    // The Cursor Workdesk lists the animated cursors after the static ones.
    if (kind == RecordKind::Cursors && counts.animations > 0)
        opening.fileText += ", " + std::to_string(counts.animations) + " Animated";
    const FileKind fileKind = counts.kind;
    const std::string deskText = DeskKindText(fileKind);
    if (fileKind == FileKind::Icon && kind == RecordKind::Bitmaps)
        opening.kindText = "";
    else
        opening.kindText = deskText.empty() ? DeskKindText(FileKind::NonExecutable) : deskText;
    file.Load(kind);
    return opening;
}

} // namespace gw
