#include "formats/GroupDirectory.h"

#include <algorithm>

#include "formats/IconFormat.h"

namespace gw {

uint16_t StatedGroupCount(ByteView group) {
    return group.size() < kGroupHeaderSize ? 0 : PeekU16(group, kGroupCountOffset);
}

uint16_t HeldGroupCount(ByteView group) {
    if (group.size() < kGroupHeaderSize) return 0;
    const uint64_t held = (group.size() - kGroupHeaderSize) / kGroupEntrySize;
    return uint16_t(std::min<uint64_t>(StatedGroupCount(group), held));
}

ByteReader GroupEntryReader(ByteView group, uint64_t j) {
    return ByteReader(group, std::min<uint64_t>(kGroupHeaderSize + j * kGroupEntrySize, group.size()));
}

void ReadIconGroupEntry(IconImage& im, ByteReader& r) {
    ReadIconEntryHead(im, r);
    im.ResId = r.u16();
}

void ReadCursorGroupEntry(CursorImage& im, ByteReader& r) {
    im.Width = r.u16();
    im.Height = r.u16();
    r.u16(); // planes
    im.BitCount = r.u16();
    im.BytesInRes = r.u32();
    im.ResId = r.u16();
}

} // namespace gw
