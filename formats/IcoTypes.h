#pragma once
// Records of icon groups and their images, as every window and writer sees them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/IconImage.h"
#include "platform/SharedBytes.h"

namespace gw {

// An icon directory's width or height byte as drawn: 0 stands for 256.
constexpr uint32_t DrawnSide(uint8_t stored) { return stored ? stored : 256u; }

// One image of an icon group: its directory entry and its bytes (TAdvIconImage).
struct IconImage {
    uint16_t ResId = 0;
    uint8_t Width = 0;  // 0 means 256
    uint8_t Height = 0;
    uint8_t ColorCount = 0;
    uint8_t Reserved = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t BytesInRes = 0;
    uint32_t ImageOffset = 0;
    SharedBytes Data; // the image bytes exactly as stored (BytesInRes of them once loaded)
    // The image resource the entry names is not in the file: Data is then a
    // zero-filled block of the stated size (PE) or nothing (.res).
    bool Missing = false;
    DeferredPicture Picture; // how Data is drawn, decoded on first use

    // The decoded image (at the entry's size); null when it does not decode.
    const gw::Handle& Handle() const { return Picture.Get(Data); }
    // Whether it decodes, keeping no picture that was not decoded already.
    bool Decodes() const { return Picture.Decodes(Data); }
};

// An icon group: its name as the file gives it and its images (TAdvIconGroupList).
// A group of images as a file names it: an icon group (IconGroup) or a
// cursor group (CursorGroup, formats/CurTypes.h). The two image types stay
// apart: an icon entry stores its sides in a byte (0 for 256) and its
// bitmap alone, a cursor entry the doubled height of its bitmap and, in a
// resource, the hot spot before it.
template <class Image>
struct ImageGroup {
    std::string Name;
    bool Named = false; // Name is a resource name or made from the file's name, not an id (IsNamed)
    std::vector<Image> Images;
    // The language (LANGID) of the resource shown, and every language the
    // file holds it in, ascending; 0 and empty where the file tells none.
    uint16_t Language = 0;
    std::vector<uint16_t> Languages;
};

using IconGroup = ImageGroup<IconImage>;

} // namespace gw
