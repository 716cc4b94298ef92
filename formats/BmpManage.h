#pragma once
// Bitmaps: the .bmp reader and its loader, decoding of bitmap
// resources, the bitmap list the resource readers fill, the NE byte-count
// rule and the placeholder bitmap.
#include <string>
#include <vector>

#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// The .bmp reader into the first entry of contents.Bitmaps (named fileName,
// extension included); a file that does not decode leaves the entry as it
// was and notes the damage in contents.
void LoadBmpFile(FileContents& contents, ByteView file, const std::string& fileName);

// The .bmp reader itself: the bitmap record, or the damage.
ReadResult<BitmapRecord> ParseBmpFile(ByteView file);

// Decodes a bitmap resource (a DIB without file header) by giving it the
// 14-byte file header. Returns a bitmap without a handle when it does not decode.
Bitmap DecodeBitmapResource(ByteView resource);

// Whether a bitmap record takes the colour of its bottom-left pixel as its
// transparent colour. The PE reader does; the readers of NE and resource
// files leave it 0, as the system has always done for them.
enum class BitmapTransparency : uint8_t { BottomLeftPixel, None };

// The bitmap loop of the PE and resource-file readers. Each bitmap resource,
// in the order the container lists them, is offered to the next entry of the
// list: it takes the entry (name, size, format, and its bytes to decode when
// drawn) when its header says it decodes; one that does not is skipped and
// the next one takes that entry, name included.
class BitmapListFiller {
public:
    // With an owner that keeps the container's bytes alive, the bitmaps keep
    // views of their resources; without one, copies.
    BitmapListFiller(FileContents& contents, BitmapTransparency transparency, std::shared_ptr<const void> owner)
        : m_contents(contents), m_transparency(transparency), m_owner(std::move(owner)) {}

    bool Full() const { return m_next >= m_contents.Bitmaps.size(); }
    // False when the resource did not decode (or the list is full).
    bool Offer(const std::string& name, bool isNamed, ByteView resource);

private:
    FileContents& m_contents;
    BitmapTransparency m_transparency;
    std::shared_ptr<const void> m_owner;
    size_t m_next = 0;
};

// The number of bytes an NE bitmap resource is taken as, from its 40-byte
// info header: header size + colour table + height x row size + 40.
// Returns 0 when the header cannot be read.
uint64_t NeBitmapByteCount(ByteView header);

// The placeholder shown for an NE bitmap that does not decode: the 16 x 16,
// 8 bits per pixel bitmap "GWFAKE" shipped with the program.
const Bitmap& GwFakeBitmap();
Bytes GwFakeBmpFile();

} // namespace gw
