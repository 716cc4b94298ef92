#pragma once
// The record of one bitmap.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/SharedBytes.h"

namespace gw {

// The picture of a bitmap record: decoded from its resource bytes the first
// time something draws, scales or writes it, then kept. A load takes the
// size and pixel format from the bitmap's header alone. A picture decided at
// load is set instead.
class DeferredBitmap {
public:
    // Decode these bytes of a bitmap resource (a DIB without file header)
    // later; with takeBottomLeft the record's transparent colour is the
    // colour of its bottom-left pixel.
    void Defer(SharedBytes resource, bool takeBottomLeft);
    void Set(std::shared_ptr<Bitmap> bitmap);
    const std::shared_ptr<Bitmap>& Get() const;
    bool TakesBottomLeft() const { return m_takeBottomLeft; }
    bool Pending() const { return m_pending; }

private:
    mutable std::shared_ptr<Bitmap> m_bitmap = std::make_shared<Bitmap>();
    mutable bool m_pending = false;
    bool m_takeBottomLeft = false;
    SharedBytes m_resource;
};

// One bitmap of a file: its name, size and format, and its picture (TAdvBmp).
struct BitmapRecord {
    std::string Name;
    bool Named = false; // Name is a resource name or made from the file's name, not an id (IsNamed)
    int32_t Width = 0;
    int32_t Height = 0;
    gw::PixelFormat PixelFormat = PixelFormat::Device;
    DeferredBitmap Picture; // owned
    // The language (LANGID) of the resource shown, and every language the
    // file holds it in, ascending; 0 and empty where the file tells none.
    uint16_t Language = 0;
    std::vector<uint16_t> Languages;

    // The decoded bitmap (never null; without a handle when there is none).
    const std::shared_ptr<gw::Bitmap>& Bitmap() const { return Picture.Get(); }
    // The colour of the bottom-left pixel for PE bitmaps, 0 for the others.
    TColor TransparentColor() const;
};

} // namespace gw
