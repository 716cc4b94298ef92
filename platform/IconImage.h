#pragma once
// The decoded icon or cursor image: our stand-in for the platform's icon
// handle. DecodeIconImage turns the bytes of an icon or cursor image (a
// device-independent bitmap with its AND mask, or PNG data) into ARGB pixels
// plus the 1-bit mask at the desired size.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ByteReader.h"

namespace gw {

struct DecodedImage {
    int32_t width = 0;   // drawn size (the desired size, or the stored size for 0)
    int32_t height = 0;
    bool isIcon = true;  // false for cursors
    bool fromPng = false;
    bool hasAlpha = false;          // the colour pixels carry a real alpha channel
    uint16_t hotspotX = 0, hotspotY = 0; // cursors made from a resource with a hot-spot prefix
    std::vector<uint32_t> argb;     // width * height, top-down, straight (not premultiplied) alpha
    std::vector<uint8_t> mask;      // width * height, 1 = transparent (white in the AND mask)
    bool monochrome = false;        // stored as one doubled-height 1-bit bitmap without colour part
    int32_t storedWidth = 0, storedHeight = 0; // the image's own size before scaling
    uint16_t bitCount = 0;
};

// Handle 0 is a null pointer.
using Handle = std::shared_ptr<const DecodedImage>;

// The picture of an icon or cursor record: decoded from the record's image
// bytes the first time something draws, scales or converts it, then kept.
// Loading a file only says how the bytes will be decoded, so listing and
// writing never pay for pixels. A picture decided at load (none, or one
// decoded from bytes the record does not keep) is set instead.
class DeferredPicture {
public:
    // Decode the record's bytes later as an icon image (icon = true) or as a
    // cursor resource with its hot-spot prefix, at this size (0 = stored),
    // from at most the first length bytes.
    void Defer(bool icon, int width, int height, uint64_t length = UINT64_MAX);
    // The picture is already known (null: there is none).
    void Set(Handle picture);
    // Frees the picture; it is not decoded again.
    void Reset();
    // The picture, decoding bytes (the record's image bytes) on first use.
    const Handle& Get(ByteView bytes) const;
    // Whether the picture decodes, without keeping it when it was not
    // decoded yet: a check over many images then holds one picture at a time.
    bool Decodes(ByteView bytes) const;
    bool Pending() const { return m_pending; }

private:
    Handle Decode(ByteView bytes) const;

    mutable Handle m_picture;
    mutable bool m_pending = false;
    bool m_icon = true;
    int m_width = 0;
    int m_height = 0;
    uint64_t m_length = UINT64_MAX;
};

// Decodes one icon or cursor image. desiredWidth/desiredHeight 0 mean the
// stored size. With icon = true the bytes are the image alone; with
// icon = false they are a cursor resource: the hot-spot column and row
// (uint16 each) followed by the image. Returns a null handle when the bytes
// do not hold a decodable image or the pixels cannot be allocated.
Handle DecodeIconImage(ByteView data, bool icon, int desiredWidth = 0, int desiredHeight = 0);

} // namespace gw
