#include "managers/core/IconManager.h"

#include <algorithm>

#include "formats/FileContents.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "listing/CommonData.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr int32_t kMinRowImage = 32;
constexpr int32_t kRowExtra = 4;
constexpr int32_t kLabelGap = 10;

uint32_t DrawnSide(uint8_t stored) { return stored ? stored : 256u; }

} // namespace

ManagerLayout ManagerLayoutOf(const std::vector<int32_t>& widths) {
    ManagerLayout layout;
    for (int32_t w : widths) layout.maxWidth = std::max(layout.maxWidth, w);
    layout.maxWidth = std::max(layout.maxWidth, kMinRowImage);
    layout.rowHeight = layout.maxWidth + kRowExtra;
    const int64_t all = int64_t(widths.size()) * layout.rowHeight + kRowExtra;
    if (all < kManagerListHeight) {
        layout.listHeight = kManagerListHeight;
        layout.rowWidth = kManagerRowWidth;
        layout.scrollStep = 0;
    } else {
        // Whole rows only; at least one, however tall.
        const int32_t rows = std::max<int32_t>((kManagerListHeight - kRowExtra) / layout.rowHeight, 1);
        layout.listHeight = rows * layout.rowHeight + kRowExtra;
        layout.rowWidth = kManagerNarrowRowWidth;
        layout.scrollStep = layout.rowHeight;
    }
    return layout;
}

ManagerLayout IconManagerLayout(const TAdvIconGroupList& group) {
    std::vector<int32_t> widths;
    widths.reserve(group.Images.size());
    for (const TAdvIconImage& im : group.Images) widths.push_back(int32_t(DrawnSide(im.Width)));
    return ManagerLayoutOf(widths);
}

int32_t ManagerLabelWidth(const ManagerLayout& layout, int32_t textWidth) {
    return std::max(layout.rowWidth - layout.maxWidth - kLabelGap, std::max(textWidth, 0));
}

int32_t ManagerRowWidth(const ManagerLayout& layout, int32_t textWidth) {
    return std::max(layout.rowWidth, layout.maxWidth + kLabelGap + ManagerLabelWidth(layout, textWidth));
}

std::string IconRowLabel(const TAdvIconImage& im, ManagerMode mode) {
    const std::string colors = mode == ManagerMode::File ? (im.ColorCount ? std::to_string(im.ColorCount) : "256")
                                                         : ColorText(im.BitCount);
    return std::to_string(DrawnSide(im.Width)) + " X " + std::to_string(DrawnSide(im.Height)) + "\n" + colors +
           " Colors";
}

std::string ThousandsText(uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string ManagerImageName(const std::string& base, size_t j) { return base + "_" + std::to_string(j); }

std::string IconSheetFormat(const TAdvIconImage& im) {
    return FormatLabel(DrawnSide(im.Width), DrawnSide(im.Height), im.BitCount);
}

IconProperties IconPropertiesOf(const TAdvIconGroupList& group, size_t image, int source, const std::string& base,
                                const std::string& fileName) {
    IconProperties p;
    const bool wholeGroup = source == 3;
    if (wholeGroup) image = 0;
    p.name = wholeGroup ? base : ManagerImageName(base, image);
    const bool has = image < group.Images.size();
    if (!wholeGroup && has) {
        p.format = IconSheetFormat(group.Images[image]);
        p.size = ThousandsText(group.Images[image].BytesInRes) + " bytes";
    }
    p.fileName = fileName;
    p.totalImages = std::to_string(group.Images.size());
    uint64_t total = 0;
    size_t lines = 0;
    for (const TAdvIconImage& im : group.Images) {
        total += im.BytesInRes;
        const std::string format = IconSheetFormat(im);
        if (format == p.format) continue;
        if (lines < kMaxOtherFormatLines)
            p.otherLines.push_back(format);
        else if (lines == kMaxOtherFormatLines)
            p.otherLines.push_back("---- plus others");
        ++lines;
    }
    if (!p.otherLines.empty()) p.heading = wholeGroup ? "Formats" : "Other Formats:";
    p.totalSize = ThousandsText(total) + " bytes";
    return p;
}

void OpenIconManagerFile(CommonData& common, FileContents& contents) {
    contents = FileContents{};
    common.IconName = NameBeforeFirstDot(common.SelFileName);
    common.IconGroupIndex = 0;
    contents.IconGroupCount = 1;
    (void)LoadIcons(contents, common.SelFilePath, fkIconFile);
}

} // namespace gw
