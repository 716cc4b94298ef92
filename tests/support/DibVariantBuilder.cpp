#include "tests/support/DibVariantBuilder.h"

namespace gw::test {
namespace {

constexpr uint32_t kInfoSize = 40;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kAlphaBitfields = 6;

// Colour-table entries a 40-byte DIB carries.
uint32_t PaletteEntries(const Bytes& dib) {
    const uint16_t bits = PeekU16(dib, 14);
    const uint32_t used = PeekU32(dib, 32);
    if (bits > 8) return used;
    return used ? used : (1u << bits);
}

} // namespace

Bytes WithCoreHeader(const Bytes& infoDib) {
    const uint16_t bits = PeekU16(infoDib, 14);
    Bytes b;
    PutU32(b, 12);
    PutU16(b, uint16_t(PeekU32(infoDib, 4)));
    PutU16(b, uint16_t(PeekU32(infoDib, 8)));
    PutU16(b, 1);
    PutU16(b, bits);
    const uint32_t entries = PaletteEntries(infoDib);
    const uint32_t coreEntries = bits <= 8 ? (1u << bits) : 0;
    for (uint32_t i = 0; i < coreEntries; ++i) {
        const uint32_t c = i < entries ? PeekU32(infoDib, kInfoSize + 4 * i) : 0;
        for (int k = 0; k < 3; ++k) b.push_back(uint8_t(c >> (8 * k)));
    }
    b.insert(b.end(), infoDib.begin() + kInfoSize + 4 * entries, infoDib.end());
    return b;
}

Bytes WithHeaderVersion(const Bytes& infoDib, uint32_t headerSize, uint32_t alphaMask) {
    const bool bitfields = PeekU32(infoDib, 16) == kBitfields;
    Bytes b(infoDib.begin(), infoDib.begin() + kInfoSize);
    PatchU32(b, 0, headerSize);
    for (uint32_t i = 0; i < 3; ++i) PutU32(b, bitfields ? PeekU32(infoDib, kInfoSize + 4 * i) : 0);
    if (headerSize >= 56) PutU32(b, alphaMask);
    b.resize(headerSize, 0);
    b.insert(b.end(), infoDib.begin() + kInfoSize + (bitfields ? 12 : 0), infoDib.end());
    return b;
}

Bytes WithAlphaBitfields(const Bytes& infoDib, uint32_t alphaMask) {
    Bytes b(infoDib.begin(), infoDib.begin() + kInfoSize + 12);
    PatchU32(b, 16, kAlphaBitfields);
    PutU32(b, alphaMask);
    b.insert(b.end(), infoDib.begin() + kInfoSize + 12, infoDib.end());
    return b;
}

Bytes BuildRleDib(int width, int height, int bitCount, const std::vector<uint32_t>& palette, const Bytes& rle) {
    Bytes b;
    PutU32(b, kInfoSize);
    PutI32(b, width);
    PutI32(b, height);
    PutU16(b, 1);
    PutU16(b, uint16_t(bitCount));
    PutU32(b, bitCount == 8 ? 1 : 2);
    PutU32(b, uint32_t(rle.size()));
    PutI32(b, 0);
    PutI32(b, 0);
    PutU32(b, uint32_t(palette.size()));
    PutU32(b, 0);
    for (uint32_t c : palette) PutU32(b, c);
    b.insert(b.end(), rle.begin(), rle.end());
    return b;
}

} // namespace gw::test
