#include "formats/IconFormat.h"

#include <algorithm>

namespace gw {
namespace {

constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kEntrySize = 16;

void PutHeader(Bytes& out, uint16_t type, uint16_t count) {
    PutU16(out, 0);
    PutU16(out, type);
    PutU16(out, count);
}

// Appends exactly size bytes of data starting at skip; a block shorter than
// that (a damaged image) is padded with zeros so the directory stays true.
void PutBlock(Bytes& out, ByteView data, uint64_t skip, uint32_t size) {
    const uint64_t have = data.size() > skip ? data.size() - skip : 0;
    const uint64_t take = std::min<uint64_t>(have, size);
    if (take) out.insert(out.end(), data.begin() + ptrdiff_t(skip), data.begin() + ptrdiff_t(skip + take));
    out.resize(out.size() + (size - take), 0);
}

struct CursorBlock {
    uint64_t skip;
    uint32_t size;
};

CursorBlock CursorBlockOf(const CursorImage& im, CursorDataForm form) {
    if (form == CursorDataForm::CurFile) return {0, im.BytesInRes};
    return {kHotspotPrefix, im.BytesInRes >= kHotspotPrefix ? im.BytesInRes - kHotspotPrefix : 0};
}

void PutCursorEntry(Bytes& out, const CursorImage& im, uint32_t size, uint32_t offset) {
    PutU8(out, uint8_t(im.Width));
    PutU8(out, uint8_t(im.Height / 2));
    PutU8(out, 0);
    PutU8(out, 0);
    PutU16(out, im.HotspotX);
    PutU16(out, im.HotspotY);
    PutU32(out, size);
    PutU32(out, offset);
}

void PutIconEntry(Bytes& out, const IconImage& im, uint32_t offset) {
    PutU8(out, im.Width);
    PutU8(out, im.Height);
    PutU8(out, im.ColorCount);
    PutU8(out, im.Reserved);
    PutU16(out, im.Planes);
    PutU16(out, im.BitCount);
    PutU32(out, im.BytesInRes);
    PutU32(out, offset);
}

} // namespace

namespace {

template <class Group>
Group KeepPresent(const Group& group) {
    Group out;
    out.Name = group.Name;
    out.Named = group.Named;
    for (const auto& im : group.Images)
        if (!im.Missing) out.Images.push_back(im);
    return out;
}

} // namespace

IconGroup WithoutMissingImages(const IconGroup& group) { return KeepPresent(group); }
CursorGroup WithoutMissingImages(const CursorGroup& group) { return KeepPresent(group); }

Bytes WriteIconGroup(const IconGroup& group) {
    Bytes out;
    const auto& images = group.Images;
    PutHeader(out, 1, uint16_t(images.size()));
    uint32_t offset = kHeaderSize + kEntrySize * uint32_t(images.size());
    for (const auto& im : images) {
        PutIconEntry(out, im, offset);
        offset += im.BytesInRes;
    }
    for (const auto& im : images) PutBlock(out, im.Data, 0, im.BytesInRes);
    return out;
}

Bytes WriteIconImage(const IconImage& image) {
    Bytes out;
    PutHeader(out, 1, 1);
    PutIconEntry(out, image, kHeaderSize + kEntrySize);
    PutBlock(out, image.Data, 0, image.BytesInRes);
    return out;
}

Bytes WriteCursorGroup(const CursorGroup& group, CursorDataForm form) {
    Bytes out;
    const auto& images = group.Images;
    PutHeader(out, 2, uint16_t(images.size()));
    uint32_t offset = kHeaderSize + kEntrySize * uint32_t(images.size());
    for (const auto& im : images) {
        const CursorBlock b = CursorBlockOf(im, form);
        PutCursorEntry(out, im, b.size, offset);
        offset += b.size;
    }
    for (const auto& im : images) {
        const CursorBlock b = CursorBlockOf(im, form);
        PutBlock(out, im.Data, b.skip, b.size);
    }
    return out;
}

Bytes WriteCursorImage(const CursorImage& image, CursorDataForm form) {
    Bytes out;
    PutHeader(out, 2, 1);
    const CursorBlock b = CursorBlockOf(image, form);
    PutCursorEntry(out, image, b.size, kHeaderSize + kEntrySize);
    PutBlock(out, image.Data, b.skip, b.size);
    return out;
}

bool IsPngData(ByteView bytes) {
    static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return bytes.size() >= 8 && std::equal(kSig, kSig + 8, bytes.begin());
}

void ReadIconEntryHead(IconImage& im, ByteReader& r) {
    im.Width = r.u8();
    im.Height = r.u8();
    im.ColorCount = r.u8();
    im.Reserved = r.u8();
    im.Planes = r.u16();
    im.BitCount = r.u16();
    im.BytesInRes = r.u32();
}

void ApplyCursorImageSize(CursorImage& im, ByteView image) {
    constexpr uint64_t kPngHeaderSize = 24;   // signature + IHDR length, type, width, height
    constexpr uint64_t kInfoHeaderMinSize = 16; // through the bit count of an info header
    constexpr uint32_t kCoreHeaderSize = 12;
    auto be32 = [&](size_t off) {
        return (uint32_t(image[off]) << 24) | (uint32_t(image[off + 1]) << 16) | (uint32_t(image[off + 2]) << 8) |
               uint32_t(image[off + 3]);
    };
    uint64_t width = 0, height = 0;
    uint16_t bitCount = im.BitCount;
    if (image.size() >= kPngHeaderSize && IsPngData(image)) {
        width = be32(16);
        height = uint64_t(be32(20)) * 2;
    } else if (image.size() >= kInfoHeaderMinSize && PeekU32(image, 0) == kCoreHeaderSize) {
        width = PeekU16(image, 4);
        height = PeekU16(image, 6);
        bitCount = PeekU16(image, 10);
    } else if (image.size() >= kInfoHeaderMinSize) {
        const int32_t w = int32_t(PeekU32(image, 4));
        const int32_t h = int32_t(PeekU32(image, 8));
        width = w > 0 ? uint64_t(w) : 0;
        height = h > 0 ? uint64_t(h) : 0;
        bitCount = PeekU16(image, 14);
    }
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return;
    im.Width = uint16_t(width);
    im.Height = uint16_t(height);
    im.BitCount = bitCount;
}

} // namespace gw

namespace gw {

std::string ColorText(uint16_t bitCount) {
    if (bitCount == 0) return "256";
    if (bitCount < 64) return std::to_string(uint64_t(1) << bitCount);
    return "2^" + std::to_string(bitCount);
}

std::string FormatLabel(uint32_t width, uint32_t height, uint16_t bitCount) {
    return std::to_string(width) + " X " + std::to_string(height) + " " + ColorText(bitCount) + " Colors";
}

std::string ColorsText(uint16_t bitCount) {
    constexpr uint16_t kMostIndexedBits = 8;
    if (bitCount > kMostIndexedBits) return std::to_string(bitCount) + " Bit";
    return ColorText(bitCount) + " Colors";
}

std::string ImageFormatText(uint32_t width, uint32_t height, uint16_t bitCount) {
    return std::to_string(width) + " X " + std::to_string(height) + " " + ColorsText(bitCount);
}

void PutIconInfoHeader(Bytes& dib, uint32_t width, uint32_t height, uint16_t bits, uint32_t imageSize) {
    PutU32(dib, 40);
    PutU32(dib, width);
    PutU32(dib, 2 * height);
    PutU16(dib, 1);
    PutU16(dib, bits);
    PutU32(dib, 0);
    PutU32(dib, imageSize);
    for (int i = 0; i < 4; ++i) PutU32(dib, 0);
}

void PutAndMask(Bytes& dib, uint32_t width, uint32_t height, const std::vector<uint32_t>& argb) {
    const uint32_t maskRow = (width + 31) / 32 * 4;
    for (uint32_t y = height; y-- > 0;) {
        Bytes row(maskRow, 0);
        for (uint32_t x = 0; x < width; ++x)
            if ((argb[size_t(y) * width + x] >> 24) == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        dib.insert(dib.end(), row.begin(), row.end());
    }
}

// A 32-bit icon image: the info header, the BGRA rows bottom-up, then the
// AND mask.
Bytes IconDibFromArgb(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb) {
    Bytes dib;
    PutIconInfoHeader(dib, width, height, 32, width * height * 4);
    for (uint32_t y = height; y-- > 0;)
        for (uint32_t x = 0; x < width; ++x) PutU32(dib, argb[size_t(y) * width + x]);
    PutAndMask(dib, width, height, argb);
    return dib;
}

} // namespace gw
