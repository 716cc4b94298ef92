#include "platform/DibDecode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "platform/BmpCodec.h"
#include "platform/LoadBudget.h"

namespace gw::dib {
namespace {

// Header sizes of the DIB header versions.
constexpr uint32_t kCoreHeaderSize = 12;  // 16-bit width and height, RGB triples
constexpr uint32_t kInfoHeaderSize = 40;  // masks follow the header with bit fields
constexpr uint32_t kV2HeaderSize = 52;    // + red, green and blue masks
constexpr uint32_t kV3HeaderSize = 56;    // + alpha mask
// V4 (108) and V5 (124) add colour-space data, which does not change pixels.

// Compression codes.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// Indexed pixels look up a palette of 256 slots; slots past the stored
// colour table are black, so a bad index reads a defined colour.
constexpr size_t kPaletteSlots = 256;
constexpr uint32_t kPaddingColor = 0xFF000000u;

// A channel mask with at most this many values gets a lookup table.
constexpr uint32_t kMaxChannelTable = 65536;

constexpr uint32_t kStandardRed = 0x00FF0000u, kStandardGreen = 0x0000FF00u, kStandardBlue = 0x000000FFu;
constexpr uint32_t kFourthByte = 0xFF000000u;

const char* const kInvalid = "Bitmap image is not valid";
const char* const kTruncated = kBmpTruncatedText;
const char* const kTooLarge = kBmpTooLargeText;

struct DibHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0; // as stored: negative means top-down rows
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    bool core = false;        // colour-table entries are 3 bytes
    bool headerMasks = false; // red, green and blue masks are part of the header
    bool headerAlpha = false; // so is the alpha mask
    std::array<uint32_t, 4> masks{}; // red, green, blue, alpha
};

// Everything the pixel loops need, worked out from the header and the data.
struct DibLayout {
    int32_t width = 0;
    int32_t height = 0; // colour rows (half the header height for icon images)
    bool topDown = false;
    PixelFormat format = PixelFormat::Device;
    std::array<uint32_t, 4> masks{}; // effective masks for 16 and 32 bits
    bool keepAlpha = false;           // 32 bits: alpha comes from masks[3]
    uint64_t paletteOffset = 0;
    uint32_t paletteEntries = 0;
    uint32_t paletteEntrySize = 4;
    uint64_t bitsOffset = 0;
    uint64_t stride = 0;
};

// Says why the decode failed, with the kind of damage; the offset is left to
// the caller, who knows where the bitmap sits in its file.
bool Fail(ReadError* error, ReadErrorKind kind, std::string message) {
    if (error) *error = ReadError{kind, 0, std::move(message)};
    return false;
}

// ---- header versions ----

void ReadCoreHeader(ByteReader& r, DibHeader& h) {
    h.core = true;
    h.width = r.u16();
    h.height = r.u16();
    r.skip(2); // planes
    h.bitCount = r.u16();
}

void ReadInfoHeader(ByteReader& r, DibHeader& h) {
    h.width = r.i32();
    h.height = r.i32();
    r.skip(2); // planes
    h.bitCount = r.u16();
    h.compression = r.u32();
    r.skip(12); // image size, horizontal and vertical resolution
    h.colorsUsed = r.u32();
    r.skip(4); // colours important
}

void ReadV2Masks(ByteReader& r, DibHeader& h) {
    h.masks[0] = r.u32();
    h.masks[1] = r.u32();
    h.masks[2] = r.u32();
    h.headerMasks = true;
}

void ReadV3AlphaMask(ByteReader& r, DibHeader& h) {
    h.masks[3] = r.u32();
    h.headerAlpha = true;
}

// Core headers are 12 bytes; every later version starts with the 40-byte
// info header and appends fields, so any size of 40 or more reads as the
// newest version it covers.
bool ReadHeader(ByteView dib, DibHeader& h, ReadError* error) {
    if (dib.size() < 4) return Fail(error, ReadErrorKind::Truncated, kTruncated);
    h.headerSize = PeekU32(dib, 0);
    if (h.headerSize != kCoreHeaderSize && h.headerSize < kInfoHeaderSize) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    if (!InBounds(0, h.headerSize, dib.size())) return Fail(error, ReadErrorKind::Truncated, kTruncated);
    ByteReader r(dib, 4);
    if (h.headerSize == kCoreHeaderSize) {
        ReadCoreHeader(r, h);
        return true;
    }
    ReadInfoHeader(r, h);
    if (h.headerSize >= kV2HeaderSize) ReadV2Masks(r, h);
    if (h.headerSize >= kV3HeaderSize) ReadV3AlphaMask(r, h);
    return true;
}

// ---- validation and layout ----

bool IsRle(uint32_t compression) { return compression == kBiRle8 || compression == kBiRle4; }
bool IsBitfields(uint32_t compression) {
    return compression == kBiBitfields || compression == kBiAlphaBitfields;
}

bool CheckDepthAndCompression(const DibHeader& h, DibRole role, ReadError* error) {
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Fail(error, ReadErrorKind::Unsupported, "Unsupported bit depth " + std::to_string(h.bitCount));
    }
    const uint32_t c = h.compression;
    const bool supported = c == kBiRgb || IsBitfields(c) || (role == DibRole::Bitmap && IsRle(c));
    if (!supported) return Fail(error, ReadErrorKind::Unsupported, "Unsupported compression " + std::to_string(c));
    if (c == kBiRle8 && h.bitCount != 8) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    if (c == kBiRle4 && h.bitCount != 4) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    if (IsBitfields(c) && h.bitCount != 16 && h.bitCount != 32) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    return true;
}

bool CheckDimensions(const DibHeader& h, DibRole role, DibLayout& l, ReadError* error) {
    int64_t height = h.height;
    if (role == DibRole::IconImage) {
        // Colour rows and mask rows share the header height; icon images
        // are always stored bottom-up.
        if (height <= 0) return Fail(error, ReadErrorKind::Invalid, kInvalid);
        height /= 2;
    }
    l.topDown = height < 0;
    if (l.topDown && IsRle(h.compression)) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    const int64_t rows = l.topDown ? -height : height;
    if (h.width < 1 || rows < 1) return Fail(error, ReadErrorKind::Invalid, kInvalid);
    if (h.width > kMaxDimension || rows > kMaxDimension) return Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    if (uint64_t(h.width) * uint64_t(rows) > kMaxPixels) return Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    l.width = int32_t(h.width);
    l.height = int32_t(rows);
    l.stride = ((uint64_t(l.width) * h.bitCount + 31) / 32) * 4;
    return true;
}

// Masks of a 40-byte header follow it: three, or four with alpha bit fields.
uint32_t MaskBytesAfterHeader(const DibHeader& h) {
    if (!IsBitfields(h.compression) || h.headerMasks) return 0;
    return h.compression == kBiAlphaBitfields ? 16 : 12;
}

bool ReadMasks(ByteView dib, const DibHeader& h, DibLayout& l, ReadError* error) {
    std::array<uint32_t, 4> m = h.masks;
    const uint32_t after = MaskBytesAfterHeader(h);
    if (after) {
        if (!InBounds(h.headerSize, after, dib.size())) return Fail(error, ReadErrorKind::Truncated, kTruncated);
        for (uint32_t i = 0; i < after / 4; ++i) m[i] = PeekU32(dib, h.headerSize + 4 * i);
    }
    if (!IsBitfields(h.compression)) {
        if (h.bitCount == 16) m = {0x7C00, 0x03E0, 0x001F, 0};
        if (h.bitCount == 32) m = {kStandardRed, kStandardGreen, kStandardBlue, kFourthByte};
    }
    if (h.bitCount == 16) {
        // Bits above the 16 stored ones read as zero.
        for (uint32_t& mask : m) mask &= 0xFFFF;
    }
    l.masks = m;
    return true;
}

bool IsStandard32(const std::array<uint32_t, 4>& m) {
    return m[0] == kStandardRed && m[1] == kStandardGreen && m[2] == kStandardBlue;
}

PixelFormat FormatOf(uint16_t bitCount, const std::array<uint32_t, 4>& m) {
    switch (bitCount) {
    case 1: return PixelFormat::Bits1;
    case 4: return PixelFormat::Bits4;
    case 8: return PixelFormat::Bits8;
    case 24: return PixelFormat::Bits24;
    case 16:
        // The 15- and 16-bit formats have no alpha; a layout with an alpha
        // mask is a custom one.
        if (m[3] != 0) return PixelFormat::Custom;
        if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F) return PixelFormat::Bits15;
        if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F) return PixelFormat::Bits16;
        return PixelFormat::Custom;
    case 32: return IsStandard32(m) ? PixelFormat::Bits32 : PixelFormat::Custom;
    default: return PixelFormat::Custom;
    }
}

// The alpha of a 32-bit image: the alpha mask when one is given, else the
// fourth byte when the colour channels leave it free (plain BGRX or the
// standard masks). A bitmap keeps alpha in its 32-bit format and in a custom
// format with an alpha mask (16 or 32 bits), which is then saved as 32 bits;
// an icon image keeps it in any 32-bit form, as it decides transparency from
// it.
void ChooseAlpha(const DibHeader& h, DibRole role, DibLayout& l) {
    const bool customBitmap = role == DibRole::Bitmap && l.format == PixelFormat::Custom;
    if (h.bitCount == 32) {
        if (l.masks[3] == 0 && IsStandard32(l.masks)) l.masks[3] = kFourthByte;
        const bool alphaKept = role == DibRole::IconImage || l.format == PixelFormat::Bits32 || customBitmap;
        l.keepAlpha = l.masks[3] != 0 && alphaKept;
    } else {
        l.keepAlpha = h.bitCount == 16 && l.masks[3] != 0 && customBitmap;
    }
    if (!l.keepAlpha) l.masks[3] = 0;
}

// Colours used 0 means the full 2^bits table for indexed images; a count
// larger than the depth allows, or than the bytes there, is clamped. Images
// of more than 8 bits may carry an (unused) table that the bits follow.
void LocatePalette(ByteView dib, const DibHeader& h, DibLayout& l) {
    l.paletteOffset = uint64_t(h.headerSize) + MaskBytesAfterHeader(h);
    l.paletteEntrySize = h.core ? 3 : 4;
    uint64_t entries = h.colorsUsed;
    if (h.bitCount <= 8) {
        const uint64_t full = uint64_t(1) << h.bitCount;
        entries = (h.core || entries == 0) ? full : std::min(entries, full);
    } else if (h.core) {
        entries = 0;
    }
    const uint64_t available =
        l.paletteOffset <= dib.size() ? (dib.size() - l.paletteOffset) / l.paletteEntrySize : 0;
    l.paletteEntries = uint32_t(std::min(entries, available));
}

void LocateBits(ByteView dib, const DibHeader& h, uint64_t requested, DibLayout& l) {
    l.bitsOffset = l.paletteOffset + uint64_t(l.paletteEntries) * l.paletteEntrySize;
    // A file header's offset is honoured when it points past the header and
    // inside the data: real files may leave a gap before the bits.
    if (requested != 0 && requested >= h.headerSize && requested < dib.size()) l.bitsOffset = requested;
}

// ---- pixels ----

// Reads one channel through its mask and scales it to 8 bits. Any mask is
// accepted: zero reads as 0, and non-contiguous or overlapping masks scale
// against the largest value the mask can hold.
class ChannelReader {
public:
    explicit ChannelReader(uint32_t mask) : m_mask(mask) {
        if (mask == 0) return;
        m_shift = std::countr_zero(mask);
        m_max = mask >> m_shift;
        if (m_max < kMaxChannelTable) {
            m_table.resize(size_t(m_max) + 1);
            for (uint32_t v = 0; v <= m_max; ++v) m_table[v] = Scale(v);
        }
    }
    uint32_t operator()(uint32_t pixel) const {
        if (m_mask == 0) return 0;
        const uint32_t v = (pixel & m_mask) >> m_shift;
        return m_table.empty() ? Scale(v) : m_table[v];
    }

private:
    uint8_t Scale(uint32_t v) const { return uint8_t((uint64_t(v) * 255 + m_max / 2) / m_max); }

    uint32_t m_mask = 0;
    int m_shift = 0;
    uint32_t m_max = 0;
    std::vector<uint8_t> m_table;
};

struct MaskedPixels {
    explicit MaskedPixels(const std::array<uint32_t, 4>& m)
        : red(m[0]), green(m[1]), blue(m[2]), alpha(m[3]), hasAlpha(m[3] != 0) {}
    uint32_t Argb(uint32_t p) const {
        const uint32_t a = hasAlpha ? alpha(p) : 0xFF;
        return (a << 24) | (red(p) << 16) | (green(p) << 8) | blue(p);
    }
    ChannelReader red, green, blue, alpha;
    bool hasAlpha;
};

void UnpackIndices(const uint8_t* src, int32_t width, uint16_t bitCount, uint8_t* out) {
    switch (bitCount) {
    case 1:
        for (int32_t x = 0; x < width; ++x) out[x] = uint8_t((src[x >> 3] >> (7 - (x & 7))) & 1);
        break;
    case 4:
        for (int32_t x = 0; x < width; ++x) out[x] = uint8_t((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
        break;
    default:
        std::memcpy(out, src, size_t(width));
        break;
    }
}

std::vector<uint32_t> ReadPalette(ByteView dib, const DibLayout& l) {
    std::vector<uint32_t> palette;
    palette.reserve(l.paletteEntries);
    for (uint32_t i = 0; i < l.paletteEntries; ++i) {
        const uint64_t at = l.paletteOffset + uint64_t(i) * l.paletteEntrySize;
        const uint32_t bgr = uint32_t(dib[at]) | (uint32_t(dib[at + 1]) << 8) | (uint32_t(dib[at + 2]) << 16);
        palette.push_back(0xFF000000u | bgr);
    }
    return palette;
}

std::array<uint32_t, kPaletteSlots> PaddedPalette(const std::vector<uint32_t>& palette) {
    std::array<uint32_t, kPaletteSlots> slots;
    slots.fill(kPaddingColor);
    std::copy_n(palette.begin(), std::min(palette.size(), kPaletteSlots), slots.begin());
    return slots;
}

void MapIndices(const uint8_t* indices, int32_t width, const std::array<uint32_t, kPaletteSlots>& slots,
                uint32_t* out) {
    for (int32_t x = 0; x < width; ++x) out[x] = slots[indices[x]];
}

// Source row of output row y.
const uint8_t* SourceRow(ByteView dib, const DibLayout& l, int32_t y) {
    const uint64_t row = l.topDown ? uint64_t(y) : uint64_t(l.height - 1 - y);
    return dib.data() + l.bitsOffset + row * l.stride;
}

void DecodeIndexedRows(ByteView dib, const DibLayout& l, uint16_t bitCount, DibImage& out) {
    const auto slots = PaddedPalette(out.bitmap.palette);
    std::vector<uint8_t> rowIndices(size_t(l.width));
    for (int32_t y = 0; y < l.height; ++y) {
        UnpackIndices(SourceRow(dib, l, y), l.width, bitCount, rowIndices.data());
        MapIndices(rowIndices.data(), l.width, slots, out.bitmap.Row(y));
        if (!out.indices.empty())
            std::copy(rowIndices.begin(), rowIndices.end(), out.indices.begin() + ptrdiff_t(y) * l.width);
    }
}

void Decode16Rows(ByteView dib, const DibLayout& l, DibImage& out) {
    const MaskedPixels masked(l.masks);
    for (int32_t y = 0; y < l.height; ++y) {
        const uint8_t* src = SourceRow(dib, l, y);
        uint32_t* dst = out.bitmap.Row(y);
        for (int32_t x = 0; x < l.width; ++x) dst[x] = masked.Argb(uint32_t(src[2 * x] | (src[2 * x + 1] << 8)));
    }
}

void Decode24Rows(ByteView dib, const DibLayout& l, DibImage& out) {
    for (int32_t y = 0; y < l.height; ++y) {
        const uint8_t* src = SourceRow(dib, l, y);
        uint32_t* dst = out.bitmap.Row(y);
        for (int32_t x = 0; x < l.width; ++x, src += 3)
            dst[x] = 0xFF000000u | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
    }
}

void Decode32Rows(ByteView dib, const DibLayout& l, DibImage& out) {
    const bool plainBgra = IsStandard32(l.masks) && (l.masks[3] == kFourthByte || l.masks[3] == 0);
    const MaskedPixels masked(l.masks);
    for (int32_t y = 0; y < l.height; ++y) {
        const uint8_t* src = SourceRow(dib, l, y);
        uint32_t* dst = out.bitmap.Row(y);
        if (plainBgra) {
            // Stored B, G, R, A bytes are 0xAARRGGBB read little-endian.
            const uint32_t forceAlpha = l.masks[3] ? 0 : 0xFF000000u;
            for (int32_t x = 0; x < l.width; ++x, src += 4)
                dst[x] = (uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) |
                          (uint32_t(src[3]) << 24)) | forceAlpha;
            continue;
        }
        for (int32_t x = 0; x < l.width; ++x, src += 4)
            dst[x] = masked.Argb(uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) |
                                 (uint32_t(src[3]) << 24));
    }
}

// Draws the decoded image's pixels from the load budget.
bool SpendPixels(const DibLayout& l) {
    return SpendLoadBudget(uint64_t(l.width) * uint64_t(l.height) * sizeof(uint32_t));
}

bool DecodeUncompressed(ByteView dib, const DibLayout& l, uint16_t bitCount, bool keepIndices, DibImage& out,
                        ReadError* error) {
    if (!InBounds(l.bitsOffset, l.stride * uint64_t(l.height), dib.size())) return Fail(error, ReadErrorKind::Truncated, kTruncated);
    if (!SpendPixels(l)) return Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    out.bitmap.SetSize(l.width, l.height);
    if (keepIndices && bitCount <= 8) out.indices.resize(size_t(l.width) * size_t(l.height));
    switch (bitCount) {
    case 16: Decode16Rows(dib, l, out); break;
    case 24: Decode24Rows(dib, l, out); break;
    case 32: Decode32Rows(dib, l, out); break;
    default: DecodeIndexedRows(dib, l, bitCount, out); break;
    }
    return true;
}

// Run-length data: runs of one index, absolute runs (padded to 16 bits),
// end of line, end of bitmap and delta moves. Rows run bottom-up. Pixels no
// run paints keep index 0, as in a zero-filled device-independent bitmap;
// pixels past the right edge are dropped. Decoding ends at the end of the
// data, leaving a partial image.
class RleDecoder {
public:
    RleDecoder(ByteView data, bool rle4, int32_t width, int32_t height, std::vector<uint8_t>& indices)
        : m_reader(data), m_rle4(rle4), m_width(width), m_height(height), m_indices(indices) {}

    void Run() {
        while (m_y < m_height && m_reader.has(2)) {
            const uint8_t count = m_reader.u8();
            const uint8_t value = m_reader.u8();
            if (count > 0) {
                EncodedRun(count, value);
                continue;
            }
            switch (value) {
            case 0: m_x = 0; ++m_y; break;
            case 1: return;
            case 2:
                if (!m_reader.has(2)) return;
                m_x += m_reader.u8();
                m_y += m_reader.u8();
                break;
            default: AbsoluteRun(value); break;
            }
        }
    }

private:
    void Put(uint8_t index) {
        if (m_x < m_width && m_y < m_height)
            m_indices[size_t(m_height - 1 - m_y) * size_t(m_width) + size_t(m_x)] = index;
        ++m_x;
    }
    uint8_t Nibble(uint8_t pair, uint32_t i) const { return (i & 1) ? (pair & 0xF) : (pair >> 4); }

    void EncodedRun(uint32_t count, uint8_t value) {
        for (uint32_t i = 0; i < count; ++i) Put(m_rle4 ? Nibble(value, i) : value);
    }

    void AbsoluteRun(uint32_t count) {
        const uint64_t bytes = m_rle4 ? (count + 1) / 2 : count;
        const ByteView run = m_reader.view(std::min(bytes, m_reader.remaining()));
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = m_rle4 ? i / 2 : i;
            if (at >= run.size()) return;
            Put(m_rle4 ? Nibble(run[at], i) : run[at]);
        }
        if (bytes & 1) m_reader.skip(std::min<uint64_t>(1, m_reader.remaining()));
    }

    ByteReader m_reader;
    bool m_rle4;
    int64_t m_x = 0;
    int64_t m_y = 0; // rows counted from the bottom
    int32_t m_width;
    int32_t m_height;
    std::vector<uint8_t>& m_indices;
};

bool DecodeRleImage(ByteView dib, const DibLayout& l, const DibHeader& h, DibImage& out, ReadError* error) {
    const ByteView data = l.bitsOffset <= dib.size() ? dib.subspan(size_t(l.bitsOffset)) : ByteView{};
    const uint64_t pixels = uint64_t(l.width) * uint64_t(l.height);
    if (pixels > kRleMaxPixelsPerByte * data.size() + kRleSlackPixels) return Fail(error, ReadErrorKind::Truncated, kTruncated);
    if (!SpendPixels(l)) return Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    std::vector<uint8_t> indices(size_t(pixels), 0);
    RleDecoder(data, h.compression == kBiRle4, l.width, l.height, indices).Run();
    out.bitmap.SetSize(l.width, l.height);
    const auto slots = PaddedPalette(out.bitmap.palette);
    for (int32_t y = 0; y < l.height; ++y)
        MapIndices(indices.data() + size_t(y) * size_t(l.width), l.width, slots, out.bitmap.Row(y));
    return true;
}

// The 1-bit AND mask after the colour rows of an icon image, bottom-up.
// Rows missing at the end of the data stay opaque.
void ReadAndMask(ByteView dib, const DibLayout& l, DibImage& out) {
    const uint64_t offset = l.bitsOffset + l.stride * uint64_t(l.height);
    const uint64_t stride = ((uint64_t(l.width) + 31) / 32) * 4;
    const uint64_t rowsThere = offset <= dib.size() ? (dib.size() - offset) / stride : 0;
    const int32_t rows = int32_t(std::min<uint64_t>(rowsThere, uint64_t(l.height)));
    out.andMask.assign(size_t(l.width) * size_t(l.height), 0);
    out.andMaskComplete = rows == l.height;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t y = l.height - 1 - i;
        UnpackIndices(dib.data() + offset + uint64_t(i) * stride, l.width, 1,
                      out.andMask.data() + size_t(y) * size_t(l.width));
    }
}

// The header checks and the layout every decode starts from.
bool Prepare(ByteView dib, DibRole role, uint64_t bitsOffset, DibHeader& h, DibLayout& l, ReadError* error) {
    if (!ReadHeader(dib, h, error)) return false;
    if (!CheckDepthAndCompression(h, role, error)) return false;
    if (!CheckDimensions(h, role, l, error)) return false;
    if (!ReadMasks(dib, h, l, error)) return false;
    l.format = FormatOf(h.bitCount, l.masks);
    ChooseAlpha(h, role, l);
    LocatePalette(dib, h, l);
    LocateBits(dib, h, bitsOffset, l);
    return true;
}

bool Decode(ByteView dib, DibRole role, uint64_t bitsOffset, DibImage& out, ReadError* error) {
    DibHeader h;
    DibLayout l;
    if (!Prepare(dib, role, bitsOffset, h, l, error)) return false;

    out = DibImage{};
    out.bitCount = h.bitCount;
    out.bitmap.pixelFormat = l.format;
    if (h.bitCount <= 8) out.bitmap.palette = ReadPalette(dib, l);
    if (IsRle(h.compression)) return DecodeRleImage(dib, l, h, out, error);

    const bool iconImage = role == DibRole::IconImage;
    out.hasAlphaChannel = l.keepAlpha;
    out.bitmap.bitFieldAlpha = l.keepAlpha && l.format == PixelFormat::Custom;
    if (!DecodeUncompressed(dib, l, h.bitCount, iconImage, out, error)) return false;
    if (iconImage) ReadAndMask(dib, l, out);
    return true;
}

} // namespace

bool ProbeDibImage(ByteView dib, DibRole role, uint64_t bitsOffset, DibProbe& out, ReadError* error) {
    DibHeader h;
    DibLayout l;
    if (!Prepare(dib, role, bitsOffset, h, l, error)) return false;
    // The checks the pixel loops start with, in the same order.
    if (IsRle(h.compression)) {
        const uint64_t data = l.bitsOffset <= dib.size() ? dib.size() - l.bitsOffset : 0;
        if (uint64_t(l.width) * uint64_t(l.height) > kRleMaxPixelsPerByte * data + kRleSlackPixels)
            return Fail(error, ReadErrorKind::Truncated, kTruncated);
    } else if (!InBounds(l.bitsOffset, l.stride * uint64_t(l.height), dib.size())) {
        return Fail(error, ReadErrorKind::Truncated, kTruncated);
    }
    if (!SpendPixels(l)) return Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    out.width = l.width;
    out.height = l.height;
    out.format = l.format;
    return true;
}

bool DecodeDibImage(ByteView dib, DibRole role, uint64_t bitsOffset, DibImage& out, ReadError* error) {
    try {
        if (Decode(dib, role, bitsOffset, out, error)) return true;
    } catch (const std::bad_alloc&) {
        Fail(error, ReadErrorKind::Unsupported, kTooLarge);
    }
    out = DibImage{};
    return false;
}

} // namespace gw::dib
