#include "formats/XcursorFormat.h"

#include <algorithm>
#include <map>
#include <optional>

namespace gw {

namespace {

constexpr uint32_t kMagic = 0x72756358;        // "Xcur"
constexpr uint32_t kFileHeaderSize = 16;
constexpr uint32_t kFileVersion = 0x00010000;
constexpr uint32_t kTocEntrySize = 12;
constexpr uint32_t kImageType = 0xFFFD0002;
constexpr uint32_t kImageHeaderSize = 36;
constexpr uint32_t kImageVersion = 1;

uint32_t Premultiplied(uint32_t argb, uint32_t alpha) {
    const auto channel = [&](int shift) { return ((argb >> shift) & 0xFF) * alpha / 255; };
    return alpha << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
}

void Put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// The image of a frame at a width: the one with most colours.
const CursorImage* ImageAtWidth(const CursorGroup& group, uint32_t width) {
    const CursorImage* best = nullptr;
    for (const CursorImage& im : group.Images)
        if (!im.Missing && im.Width == width && (!best || im.BitCount > best->BitCount)) best = &im;
    return best;
}

} // namespace

std::optional<XcursorImage> XcursorImageOf(const CursorImage& image, uint32_t delayMs) {
    if (image.Missing) return std::nullopt;
    const Handle& decoded = image.Handle();
    if (!decoded || decoded->width <= 0 || decoded->height <= 0 || uint32_t(decoded->width) > kMaxXcursorSide ||
        uint32_t(decoded->height) > kMaxXcursorSide)
        return std::nullopt;
    XcursorImage out;
    out.width = uint32_t(decoded->width);
    out.height = uint32_t(decoded->height);
    out.nominal = out.width;
    out.xhot = std::min<uint32_t>(image.HotspotX, out.width - 1);
    out.yhot = std::min<uint32_t>(image.HotspotY, out.height - 1);
    out.delayMs = delayMs;
    out.pixels.resize(size_t(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const uint32_t argb = i < decoded->argb.size() ? decoded->argb[i] : 0;
        const bool masked = i < decoded->mask.size() && decoded->mask[i] != 0;
        uint32_t alpha = decoded->hasAlpha ? argb >> 24 : 255;
        if (masked && !decoded->hasAlpha) {
            // Transparent, or inverted where the colour is not black.
            const bool inverts = (argb & 0x00FFFFFF) != 0;
            out.pixels[i] = inverts ? 0xFF000000u : 0;
            continue;
        }
        if (masked) alpha = 0;
        out.pixels[i] = Premultiplied(argb, alpha);
    }
    return out;
}

std::vector<XcursorImage> XcursorImagesOf(const CursorGroup& group) {
    std::map<uint32_t, const CursorImage*> byWidth;
    for (const CursorImage& im : group.Images)
        if (const CursorImage* best = ImageAtWidth(group, im.Width)) byWidth[im.Width] = best;
    std::vector<XcursorImage> out;
    for (const auto& [width, im] : byWidth)
        if (auto image = XcursorImageOf(*im)) out.push_back(std::move(*image));
    return out;
}

std::vector<XcursorImage> XcursorImagesOf(const AnimatedCursor& animation) {
    std::vector<XcursorImage> out;
    const AnimationFrame* first = FirstStepFrame(animation);
    if (!first) return out;
    std::vector<uint32_t> widths;
    for (const CursorImage& im : first->Images.Images)
        if (std::find(widths.begin(), widths.end(), im.Width) == widths.end()) widths.push_back(im.Width);
    std::sort(widths.begin(), widths.end());
    for (uint32_t width : widths) {
        for (size_t s = 0; s < animation.StepFrames.size(); ++s) {
            const CursorGroup& frame = animation.Frames[animation.StepFrames[s]].Images;
            const CursorImage* im = ImageAtWidth(frame, width);
            if (!im) continue; // a frame without this size: the others still animate
            if (auto image = XcursorImageOf(*im, JiffiesToMs(animation.StepRates[s]))) {
                image->nominal = width;
                out.push_back(std::move(*image));
            }
        }
    }
    return out;
}

Bytes WriteXcursor(const std::vector<XcursorImage>& images) {
    Bytes out;
    Put32(out, kMagic);
    Put32(out, kFileHeaderSize);
    Put32(out, kFileVersion);
    Put32(out, uint32_t(images.size()));
    uint64_t position = kFileHeaderSize + uint64_t(kTocEntrySize) * images.size();
    for (const XcursorImage& im : images) {
        Put32(out, kImageType);
        Put32(out, im.nominal);
        Put32(out, uint32_t(position));
        position += kImageHeaderSize + 4ull * im.pixels.size();
    }
    for (const XcursorImage& im : images) {
        for (uint32_t v : {kImageHeaderSize, kImageType, im.nominal, kImageVersion, im.width, im.height, im.xhot,
                           im.yhot, im.delayMs})
            Put32(out, v);
        for (uint32_t p : im.pixels) Put32(out, p);
    }
    return out;
}

} // namespace gw
