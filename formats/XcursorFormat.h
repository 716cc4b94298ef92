#pragma once
// The cursor file format of the Linux desktop (Xcursor): a header, a table
// of contents, then one image chunk per size and step, each with its nominal
// size, hot spot, delay and premultiplied ARGB pixels. Made here from static
// cursor groups and from animated cursors.
#include <cstdint>
#include <vector>

#include "formats/AniFile.h"
#include "formats/CurTypes.h"
#include "platform/ByteReader.h"

namespace gw {

struct XcursorImage {
    uint32_t nominal = 0; // the size the desktop asks for: the image's width
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t xhot = 0;
    uint32_t yhot = 0;
    uint32_t delayMs = 0; // animated cursors: how long this step shows
    std::vector<uint32_t> pixels; // premultiplied ARGB, top-down
};

// The largest side an Xcursor image may have.
constexpr uint32_t kMaxXcursorSide = 0x7FFF;

// An image as the desktop draws it: alpha from the image's own channel, or
// from its mask; a pixel the mask would invert on the screen (which this
// format cannot do) is drawn black, so a text cursor stays visible. Nullopt
// when the image does not decode.
std::optional<XcursorImage> XcursorImageOf(const CursorImage& image, uint32_t delayMs = 0);

// A static cursor: one image per width, the one with most colours.
std::vector<XcursorImage> XcursorImagesOf(const CursorGroup& group);
// An animated cursor: for every width its first frame has, every step's
// frame at that width, with the step's time in milliseconds.
std::vector<XcursorImage> XcursorImagesOf(const AnimatedCursor& animation);

Bytes WriteXcursor(const std::vector<XcursorImage>& images);

} // namespace gw
