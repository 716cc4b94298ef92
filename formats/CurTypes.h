#pragma once
// Records of cursor groups and their images.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/IcoTypes.h"
#include "platform/ByteReader.h"
#include "platform/IconImage.h"
#include "platform/SharedBytes.h"

namespace gw {

// One image of a cursor group, with its hot spot (TAdvCursorImage).
struct CursorImage {
    uint16_t ResId = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;   // the stored bitmap height: twice the cursor's height
    uint16_t BitCount = 0;
    // Widened to 32 bits so that an image of more than 65,535 bytes is never
    // cut short when it is written back.
    uint32_t BytesInRes = 0;
    uint16_t HotspotX = 0;
    uint16_t HotspotY = 0;
    // For a .cur file the bitmap alone; for a cursor resource the whole
    // resource, hot-spot prefix included.
    SharedBytes Data;
    bool Missing = false; // the image resource the entry names is not in the file
    DeferredPicture Picture; // how Data is drawn, decoded on first use

    // The decoded image (at half the stored height); null when it does not decode.
    const gw::Handle& Handle() const { return Picture.Get(Data); }
    // Whether it decodes, keeping no picture that was not decoded already.
    bool Decodes() const { return Picture.Decodes(Data); }
};

// A cursor group: its name and its images (TAdvCursorGroupList).
using CursorGroup = ImageGroup<CursorImage>;

} // namespace gw
