#include "managers/core/IconManager.h"

#include "platform/LanguageName.h"

#include <algorithm>

#include "formats/FileContents.h"
#include "formats/IconFormat.h"
#include "pictures/Thumbnail.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr int32_t kMinRowImage = 32;
constexpr int32_t kRowExtra = 4;
constexpr int32_t kLabelGap = 10;


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

int32_t ManagerRowHeight(int32_t pictureHeight) { return std::max(pictureHeight, kMinRowImage) + kRowExtra; }

ManagerLayout IconManagerLayout(const IconGroup& group) {
    std::vector<int32_t> widths;
    widths.reserve(group.Images.size());
    for (const IconImage& im : group.Images) widths.push_back(int32_t(DrawnSide(im.Width)));
    return ManagerLayoutOf(widths);
}

int32_t ManagerLabelWidth(const ManagerLayout& layout, int32_t textWidth) {
    return std::max(layout.rowWidth - layout.maxWidth - kLabelGap, std::max(textWidth, 0));
}

int32_t ManagerRowWidth(const ManagerLayout& layout, int32_t textWidth) {
    return std::max(layout.rowWidth, layout.maxWidth + kLabelGap + ManagerLabelWidth(layout, textWidth));
}

std::string IconRowLabel(const IconImage& im, ManagerMode mode) {
    // An icon file's stored colour count is 0 from 256 colours up: the bit
    // count tells the deeper formats.
    const std::string colors = mode == ManagerMode::File && im.ColorCount ? std::to_string(im.ColorCount) + " Colors"
                               : mode == ManagerMode::File && im.BitCount <= 8 ? std::string("256 Colors")
                                                                               : ColorsText(im.BitCount);
    return std::to_string(DrawnSide(im.Width)) + " X " + std::to_string(DrawnSide(im.Height)) + "\n" + colors;
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

std::string IconSheetFormat(const IconImage& im) {
    return ImageFormatText(DrawnSide(im.Width), DrawnSide(im.Height), im.BitCount);
}

namespace {

std::string SizeText(uint64_t bytes) { return ThousandsText(bytes) + " " + CountNoun(bytes, "byte"); }

// The lines of a group's formats other than the shown one, and the total size.
template <class Group, class FormatOf>
void AddOtherFormats(ManagerProperties& p, const Group& group, FormatOf formatOf, const char* heading) {
    uint64_t total = 0;
    size_t lines = 0;
    for (const auto& im : group.Images) {
        total += im.BytesInRes;
        const std::string format = formatOf(im);
        if (format == p.format) continue;
        if (lines < kMaxOtherFormatLines)
            p.otherLines.push_back(format);
        else if (lines == kMaxOtherFormatLines)
            p.otherLines.push_back("---- plus others");
        ++lines;
    }
    if (!p.otherLines.empty()) p.heading = heading;
    p.totalImages = std::to_string(group.Images.size());
    p.totalSize = SizeText(total);
}

} // namespace

namespace {

template <class Group>
std::string LanguageText(const Group& group) {
    if (!TellsLanguage(group)) return {};
    std::string text = LanguageName(group.Language);
    std::string others;
    for (uint16_t language : group.Languages)
        if (language != group.Language) others += (others.empty() ? "" : "; ") + LanguageName(language);
    return others.empty() ? text : text + " (also held in " + others + ")";
}

} // namespace

ManagerProperties IconPropertiesOf(const IconGroup& group, size_t image, SheetSource source,
                                   const std::string& base, const std::string& fileName) {
    ManagerProperties p;
    const bool wholeGroup = source == SheetSource::Workdesk;
    if (wholeGroup) image = 0;
    p.name = wholeGroup ? base : ManagerImageName(base, image);
    if (!wholeGroup && image < group.Images.size()) {
        p.format = IconSheetFormat(group.Images[image]);
        p.size = SizeText(group.Images[image].BytesInRes);
    }
    p.fileName = fileName;
    AddOtherFormats(p, group, IconSheetFormat, wholeGroup ? "Formats" : "Other Formats:");
    p.language = LanguageText(group);
    return p;
}

ManagerLayout CursorManagerLayout(const CursorGroup& group) {
    std::vector<int32_t> widths;
    widths.reserve(group.Images.size());
    for (const CursorImage& im : group.Images) widths.push_back(im.Width);
    return ManagerLayoutOf(widths);
}

std::string CursorRowLabel(const CursorImage& im) {
    return std::to_string(im.Width) + " X " + std::to_string(im.Height / 2) + "\n" + ColorsText(im.BitCount);
}

std::string CursorSheetFormat(const CursorImage& im) { return ImageFormatText(im.Width, im.Height / 2u, im.BitCount); }

ManagerProperties CursorPropertiesOf(const CursorGroup& group, size_t image, SheetSource source,
                                     const std::string& base, const std::string& fileName) {
    ManagerProperties p;
    if (source == SheetSource::Workdesk) image = 0;
    p.name = source == SheetSource::FileManager       ? group.Name
             : source == SheetSource::WorkdeskManager ? ManagerImageName(base, image)
                                                      : base;
    if (image < group.Images.size()) {
        const CursorImage& im = group.Images[image];
        p.format = CursorSheetFormat(im);
        if (source != SheetSource::Workdesk) p.hotSpot = "HotSpot [" + std::to_string(im.HotspotX) + "," + std::to_string(im.HotspotY) + "]";
        p.size = SizeText(im.BytesInRes);
    }
    p.fileName = fileName;
    AddOtherFormats(p, group, CursorSheetFormat, "Other Formats:");
    p.language = LanguageText(group);
    return p;
}

uint32_t AnimationStepDelayMs(const AnimatedCursor& animation, size_t step) {
    if (step >= animation.StepRates.size()) return 0;
    return JiffiesToMs(std::max<uint32_t>(animation.StepRates[step], 1));
}

std::string AnimationStepText(const AnimatedCursor& animation, size_t step) {
    if (step >= animation.StepFrames.size() || step >= animation.StepRates.size()) return {};
    return "Step " + std::to_string(step + 1) + " of " + std::to_string(animation.StepFrames.size()) + ", frame " +
           std::to_string(animation.StepFrames[step]) + ", " + std::to_string(JiffiesToMs(animation.StepRates[step])) +
           " ms";
}

std::optional<size_t> AnimationPreviewImage(const CursorGroup& frame) { return LargestDecodedImage(frame); }

std::vector<std::string> AnimationPropertyLines(const AnimatedCursor& animation) {
    std::vector<std::string> lines;
    lines.push_back("Frames: " + std::to_string(animation.Frames.size()));
    lines.push_back("Steps: " + std::to_string(animation.StepFrames.size()));
    lines.push_back("Default rate: " + std::to_string(JiffiesToMs(animation.DefaultRate)) + " ms");
    if (!animation.Title.empty()) lines.push_back("Title: " + animation.Title);
    if (!animation.Artist.empty()) lines.push_back("Artist: " + animation.Artist);
    const size_t steps = std::min(animation.StepFrames.size(), animation.StepRates.size());
    for (size_t s = 0; s < steps; ++s)
        lines.push_back("Step " + std::to_string(s + 1) + ": frame " + std::to_string(animation.StepFrames[s]) + ", " +
                        std::to_string(JiffiesToMs(animation.StepRates[s])) + " ms");
    for (size_t k = 0; k < animation.Frames.size(); ++k) {
        const AnimationFrame& frame = animation.Frames[k];
        std::string line = "Frame " + std::to_string(k) + ":";
        if (frame.Images.Images.empty()) line += " no images";
        for (size_t j = 0; j < frame.Images.Images.size(); ++j) {
            const CursorImage& im = frame.Images.Images[j];
            line += (j == 0 ? " " : "; ") + std::to_string(im.Width) + " X " + std::to_string(im.Height / 2);
            // Icon frames have no hot spot.
            if (frame.IsCursor)
                line += " hot spot [" + std::to_string(im.HotspotX) + "," + std::to_string(im.HotspotY) + "]";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string ViewerFileName(const Document& file) { return file.FileName(); }

} // namespace gw
