// PNG decoding: the direct decoder for the common, whole PNG images of icons,
// and libpng for everything else.
#include "platform/PngDecode.h"

#include <libdeflate.h>
#include <png.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Bitmap.h"
#include "platform/LoadBudget.h"

namespace gw {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate expands at most about 1032 times and the smallest PNG pixel is one
// bit, so valid data cannot describe more pixels than this per byte; a PNG
// claiming more is refused before its pixels are allocated.
constexpr uint64_t kDeflateMaxRatio = 1032;
constexpr uint64_t kPngMaxPixelsPerByte = kDeflateMaxRatio * 8;
constexpr uint64_t kPngSlackPixels = 65536;

bool SizeAllowed(uint32_t width, uint32_t height, size_t byteCount) {
    const uint64_t pixels = uint64_t(width) * height;
    return pixels <= kMaxPixels && pixels <= kPngMaxPixelsPerByte * byteCount + kPngSlackPixels;
}

uint32_t Argb(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

// ---- libpng ----

struct PngSource {
    ByteView data;
    size_t pos = 0;
};

void PngReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->data.size() - source->pos) png_error(png, "truncated");
    std::memcpy(out, source->data.data() + source->pos, length);
    source->pos += length;
}

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct RgbaRows {
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[]> rgba; // not zero-filled: libpng writes every row it reads
    std::vector<png_bytep> rows;
};

// libpng reports errors by jumping back to the setjmp here. Nothing with a
// destructor is created in this frame after it: the output lives in the
// caller's RgbaRows.
bool ReadPngRgba(png_structp png, png_infop info, PngSource& source, bool drawBudget, RgbaRows& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &source, PngReadFromMemory);
    png_set_user_limits(png, kMaxDimension, kMaxDimension);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    if (!SizeAllowed(out.width, out.height, source.data.size())) return false;
    if (drawBudget && !SpendLoadBudget(uint64_t(out.width) * out.height * 4)) return false;
    // Stored rows the whole file could not inflate to (interlacing only adds
    // to them): libpng would run out of data and fail, so it fails here,
    // before the pixels are allocated.
    const uint64_t storedRows = (uint64_t(png_get_rowbytes(png, info)) + 1) * out.height;
    if (storedRows > kDeflateMaxRatio * source.data.size() + kDeflateMaxRatio) return false;

    png_set_expand(png);       // palette and low-depth grey to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER); // only where no alpha exists
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = size_t(out.width) * 4;
    if (png_get_rowbytes(png, info) != rowBytes) return false;

    out.rgba.reset(new uint8_t[rowBytes * out.height]);
    out.rows.resize(out.height);
    for (uint32_t y = 0; y < out.height; ++y) out.rows[y] = out.rgba.get() + size_t(y) * rowBytes;
    png_read_image(png, out.rows.data());
    return true;
}

// ---- the direct decoder ----

constexpr uint32_t ChunkName(const char (&name)[5]) {
    return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
           (uint32_t(uint8_t(name[2])) << 8) | uint8_t(name[3]);
}
constexpr uint32_t kIhdr = ChunkName("IHDR");
constexpr uint32_t kPlte = ChunkName("PLTE");
constexpr uint32_t kTrns = ChunkName("tRNS");
constexpr uint32_t kIdat = ChunkName("IDAT");
// libpng refuses any chunk but image data longer than this (its default
// limit on the memory one chunk may take).
constexpr uint32_t kLongestChunk = 8000000;
constexpr size_t kChunkFrame = 12; // length, name, CRC

enum ColorType : uint8_t { kGray = 0, kRgb = 2, kPalette = 3, kGrayAlpha = 4, kRgba = 6 };

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

unsigned Channels(uint8_t colorType) {
    switch (colorType) {
    case kGray: case kPalette: return 1;
    case kGrayAlpha: return 2;
    case kRgb: return 3;
    default: return 4;
    }
}

bool ValidDepth(uint8_t colorType, uint8_t depth) {
    switch (colorType) {
    case kGray: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb: case kGrayAlpha: case kRgba: return depth == 8 || depth == 16;
    default: return false;
    }
}

// What the chunks up to the end of the image data say.
struct Layout {
    uint32_t width = 0, height = 0;
    uint8_t depth = 0, colorType = 0;
    std::array<uint32_t, 256> palette{}; // ARGB, tRNS alpha applied
    unsigned paletteSize = 0;
    bool keyed = false; // a tRNS colour of a grey or RGB image
    uint16_t keyGray = 0, keyRed = 0, keyGreen = 0, keyBlue = 0;
    std::vector<ByteView> data; // the IDAT chunks' bytes, in order
};

bool ReadHeader(const uint8_t* d, Layout& layout) {
    layout.width = Be32(d);
    layout.height = Be32(d + 4);
    layout.depth = d[8];
    layout.colorType = d[9];
    const uint8_t compression = d[10], filter = d[11], interlace = d[12];
    return layout.width > 0 && layout.height > 0 && layout.width <= uint32_t(kMaxDimension) &&
           layout.height <= uint32_t(kMaxDimension) && ValidDepth(layout.colorType, layout.depth) &&
           compression == 0 && filter == 0 && interlace == 0;
}

bool ReadPalette(const uint8_t* d, uint32_t length, Layout& layout) {
    if (layout.colorType != kPalette || length == 0 || length % 3 != 0 || length / 3 > (1u << layout.depth))
        return false;
    layout.paletteSize = length / 3;
    for (unsigned i = 0; i < layout.paletteSize; ++i)
        layout.palette[i] = Argb(d[3 * i], d[3 * i + 1], d[3 * i + 2], 0xFF);
    return true;
}

bool ReadTransparency(const uint8_t* d, uint32_t length, Layout& layout) {
    switch (layout.colorType) {
    case kPalette:
        if (length == 0 || length > layout.paletteSize) return false;
        for (unsigned i = 0; i < length; ++i) layout.palette[i] = (layout.palette[i] & 0x00FFFFFFu) | uint32_t(d[i]) << 24;
        return true;
    case kGray:
        if (length != 2) return false;
        layout.keyed = true;
        layout.keyGray = Be16(d);
        return true;
    case kRgb:
        if (length != 6) return false;
        layout.keyed = true;
        layout.keyRed = Be16(d);
        layout.keyGreen = Be16(d + 2);
        layout.keyBlue = Be16(d + 4);
        return true;
    default:
        return false;
    }
}

// Walks the chunks up to the end of the image data, as libpng reads them
// before the pixels; false for anything the direct decoder leaves to
// libpng: a bad CRC, a name that is not four letters, an over-long chunk,
// a critical chunk out of place or unknown, an unusual palette or tRNS.
// What follows the image data is not read, as libpng does not read it.
bool ReadChunks(ByteView bytes, Layout& layout) {
    size_t pos = sizeof kPngSignature;
    bool header = false, palette = false, transparency = false, inData = false;
    for (;;) {
        if (bytes.size() - pos < 8) return inData;
        const uint8_t* chunk = bytes.data() + pos;
        const uint32_t length = Be32(chunk);
        const uint32_t name = Be32(chunk + 4);
        if (inData && name != kIdat) return true;
        if (length > kLongestChunk) return false;
        for (int i = 4; i < 8; ++i)
            if (!IsLetter(chunk[i])) return false;
        if (bytes.size() - pos < kChunkFrame + size_t(length)) return false;
        const uint8_t* d = chunk + 8;
        if (libdeflate_crc32(0, chunk + 4, size_t(length) + 4) != Be32(d + length)) return false;
        pos += kChunkFrame + length;
        if (!header) {
            if (name != kIhdr || length != 13 || !ReadHeader(d, layout)) return false;
            header = true;
            continue;
        }
        if (name == kIdat) {
            if (layout.colorType == kPalette && !palette) return false;
            inData = true;
            layout.data.emplace_back(d, length);
        } else if (name == kPlte) {
            if (palette || transparency || !ReadPalette(d, length, layout)) return false;
            palette = true;
        } else if (name == kTrns) {
            if (transparency || (layout.colorType == kPalette && !palette) || !ReadTransparency(d, length, layout))
                return false;
            transparency = true;
        } else if (!(chunk[4] & 0x20)) {
            return false; // a second IHDR, IEND before the data, or an unknown critical chunk
        }
    }
}

// ---- row filters ----

uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int pa = std::abs(int(b) - int(c));
    const int pb = std::abs(int(a) - int(c));
    const int pc = std::abs(int(a) + int(b) - 2 * int(c));
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

#if defined(__SSE2__)
// Paeth over 4-byte pixels, the four bytes of a pixel predicted at once in
// 16-bit lanes: the prediction depends on the pixel to the left, so pixels
// go one at a time, but not bytes.
void PaethRow4(uint8_t* row, const uint8_t* prev, size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi16(-1);
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = zero, c = zero;
    for (size_t i = 0; i + 4 <= n; i += 4) {
        uint32_t above = 0, filtered = 0;
        std::memcpy(&above, prev + i, 4);
        std::memcpy(&filtered, row + i, 4);
        const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(above)), zero);
        const __m128i x = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(filtered)), zero);
        const __m128i towardA = _mm_sub_epi16(b, c); // p - a
        const __m128i towardB = _mm_sub_epi16(a, c); // p - b
        const __m128i towardC = _mm_add_epi16(towardA, towardB);
        const __m128i pa = _mm_max_epi16(towardA, _mm_sub_epi16(zero, towardA));
        const __m128i pb = _mm_max_epi16(towardB, _mm_sub_epi16(zero, towardB));
        const __m128i pc = _mm_max_epi16(towardC, _mm_sub_epi16(zero, towardC));
        const __m128i useA = _mm_andnot_si128(_mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), ones);
        const __m128i useB = _mm_andnot_si128(_mm_or_si128(useA, _mm_cmpgt_epi16(pb, pc)), ones);
        const __m128i useC = _mm_andnot_si128(_mm_or_si128(useA, useB), ones);
        const __m128i predicted = _mm_or_si128(_mm_or_si128(_mm_and_si128(useA, a), _mm_and_si128(useB, b)),
                                               _mm_and_si128(useC, c));
        const __m128i value = _mm_and_si128(_mm_add_epi16(x, predicted), low);
        const uint32_t out = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(value, value)));
        std::memcpy(row + i, &out, 4);
        a = value;
        c = b;
    }
}
#endif

// Undoes one row's filter in place; prev is the row above, already undone
// (zeros above the first row). bpp: bytes per complete pixel, at least 1.
template <size_t Bpp>
void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n) {
    switch (filter) {
    case 1:
        for (size_t i = Bpp; i < n; ++i) row[i] = uint8_t(row[i] + row[i - Bpp]);
        break;
    case 2:
        for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + prev[i]);
        break;
    case 3:
        for (size_t i = 0; i < Bpp && i < n; ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
        for (size_t i = Bpp; i < n; ++i) row[i] = uint8_t(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
        break;
    case 4:
#if defined(__SSE2__)
        if constexpr (Bpp == 4) {
            PaethRow4(row, prev, n);
            break;
        }
#endif
        for (size_t i = 0; i < Bpp && i < n; ++i) row[i] = uint8_t(row[i] + prev[i]);
        for (size_t i = Bpp; i < n; ++i) row[i] = uint8_t(row[i] + Paeth(row[i - Bpp], prev[i], prev[i - Bpp]));
        break;
    default:
        break;
    }
}

using UnfilterFn = void (*)(uint8_t, uint8_t*, const uint8_t*, size_t);

UnfilterFn UnfilterFor(size_t bpp) {
    switch (bpp) {
    case 1: return Unfilter<1>;
    case 2: return Unfilter<2>;
    case 3: return Unfilter<3>;
    case 4: return Unfilter<4>;
    case 6: return Unfilter<6>;
    default: return Unfilter<8>;
    }
}

// ---- rows to ARGB ----

// A sample of depth bits (1, 2 or 4) at index x of a packed row.
unsigned PackedSample(const uint8_t* row, uint32_t x, unsigned depth) {
    const unsigned perByte = 8 / depth;
    const unsigned shift = 8 - depth * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << depth) - 1);
}

// Converts one unfiltered row; false when a palette index lies outside the
// palette (left to libpng).
bool ConvertRow(const Layout& l, const uint8_t* row, uint32_t* out) {
    const uint32_t w = l.width;
    const bool wide = l.depth == 16;
    const size_t step = wide ? 2 : 1; // bytes per sample; the high byte comes first
    switch (l.colorType) {
    case kRgba:
        for (uint32_t x = 0; x < w; ++x, row += 4 * step) out[x] = Argb(row[0], row[step], row[2 * step], row[3 * step]);
        return true;
    case kGrayAlpha:
        for (uint32_t x = 0; x < w; ++x, row += 2 * step) out[x] = Argb(row[0], row[0], row[0], row[step]);
        return true;
    case kRgb:
        for (uint32_t x = 0; x < w; ++x, row += 3 * step) {
            bool clear = false;
            if (l.keyed) {
                clear = wide ? Be16(row) == l.keyRed && Be16(row + 2) == l.keyGreen && Be16(row + 4) == l.keyBlue
                             : row[0] == (l.keyRed & 0xFF) && row[1] == (l.keyGreen & 0xFF) && row[2] == (l.keyBlue & 0xFF);
            }
            out[x] = Argb(row[0], row[step], row[2 * step], clear ? 0 : 0xFF);
        }
        return true;
    case kGray:
        if (l.depth >= 8) {
            for (uint32_t x = 0; x < w; ++x, row += step) {
                const bool clear = l.keyed && (wide ? Be16(row) == l.keyGray : row[0] == (l.keyGray & 0xFF));
                out[x] = Argb(row[0], row[0], row[0], clear ? 0 : 0xFF);
            }
        } else {
            const unsigned top = (1u << l.depth) - 1;
            const unsigned scale = 255 / top;
            for (uint32_t x = 0; x < w; ++x) {
                const unsigned v = PackedSample(row, x, l.depth);
                const uint8_t g = uint8_t(v * scale);
                out[x] = Argb(g, g, g, l.keyed && v == (l.keyGray & top) ? 0 : 0xFF);
            }
        }
        return true;
    case kPalette:
        for (uint32_t x = 0; x < w; ++x) {
            const unsigned index = l.depth == 8 ? row[x] : PackedSample(row, x, l.depth);
            if (index >= l.paletteSize) return false;
            out[x] = l.palette[index];
        }
        return true;
    default:
        return false;
    }
}

libdeflate_decompressor* Decompressor() {
    struct Holder {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ~Holder() { libdeflate_free_decompressor(d); }
    };
    thread_local Holder holder;
    return holder.d;
}

constexpr uint8_t kZlibDeflate32K = 0x78; // method 8, window 32 KiB

// Inflates the image data into rows of stride bytes (filter byte first);
// false unless the zlib stream fills them exactly, ends exactly at the end of
// the data, and its checksum holds. Only a 32 KiB window is taken: libpng
// honours a smaller declared window, which the one-call inflate does not.
bool Inflate(const std::vector<ByteView>& data, size_t expected, uint8_t* out) {
    ByteView stream;
    std::vector<uint8_t> joined;
    if (data.size() == 1) {
        stream = data[0];
    } else {
        size_t total = 0;
        for (const ByteView& part : data) total += part.size();
        joined.reserve(total);
        for (const ByteView& part : data) joined.insert(joined.end(), part.begin(), part.end());
        stream = ByteView(joined.data(), joined.size());
    }
    if (stream.empty() || stream[0] != kZlibDeflate32K) return false;
    libdeflate_decompressor* decompressor = Decompressor();
    if (!decompressor) return false;
    size_t in = 0, produced = 0;
    const libdeflate_result r =
        libdeflate_zlib_decompress_ex(decompressor, stream.data(), stream.size(), out, expected, &in, &produced);
    return r == LIBDEFLATE_SUCCESS && in == stream.size() && produced == expected;
}

// The image data inflated into its filtered rows, each led by its filter type.
struct InflatedRows {
    Layout layout;
    std::unique_ptr<uint8_t[]> rows;
    size_t bitsPerPixel = 0;
    size_t rowBytes = 0;
    size_t stride = 0;
};

// Everything of the direct decode that can fail: the chunks, the size, the
// budget, the inflate and the filter types. What is left (undoing the
// filters, and the palette lookup) cannot fail but for a palette index.
bool InflateDirect(ByteView bytes, InflatedRows& out, bool& budgetSpent) {
    budgetSpent = false;
    Layout& layout = out.layout;
    if (!IsPng(bytes) || !ReadChunks(bytes, layout)) return false;
    if (!SizeAllowed(layout.width, layout.height, bytes.size())) return false;

    out.bitsPerPixel = size_t(Channels(layout.colorType)) * layout.depth;
    out.rowBytes = (size_t(layout.width) * out.bitsPerPixel + 7) / 8;
    out.stride = out.rowBytes + 1;
    const size_t expected = out.stride * layout.height;
    size_t dataBytes = 0;
    for (const ByteView& part : layout.data) dataBytes += part.size();
    // More rows than the data could inflate to: libpng says what is wrong.
    if (expected > kDeflateMaxRatio * dataBytes + kDeflateMaxRatio) return false;

    if (!SpendLoadBudget(uint64_t(layout.width) * layout.height * 4)) return false;
    budgetSpent = true;
    // Not zero-filled: the inflate writes every byte before it is read.
    out.rows.reset(new uint8_t[expected]);
    if (!Inflate(layout.data, expected, out.rows.get())) return false;
    for (uint32_t y = 0; y < layout.height; ++y)
        if (out.rows[size_t(y) * out.stride] > 4) return false; // libpng refuses an unknown filter
    return true;
}

bool UnfilterAndConvert(InflatedRows& in, PngPixels& out) {
    const Layout& layout = in.layout;
    const std::vector<uint8_t> zeros(in.rowBytes, 0);
    const UnfilterFn unfilter = UnfilterFor(std::max<size_t>(1, in.bitsPerPixel / 8));
    out.width = layout.width;
    out.height = layout.height;
    out.argb.resize(size_t(layout.width) * layout.height);
    const uint8_t* prev = zeros.data();
    for (uint32_t y = 0; y < layout.height; ++y) {
        uint8_t* row = in.rows.get() + size_t(y) * in.stride;
        unfilter(row[0], row + 1, prev, in.rowBytes);
        if (!ConvertRow(layout, row + 1, out.argb.data() + size_t(y) * layout.width)) return false;
        prev = row + 1;
    }
    return true;
}

} // namespace

bool IsPng(ByteView bytes) {
    return bytes.size() >= sizeof kPngSignature && std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
}

namespace png_detail {

DirectResult DecodeDirect(ByteView bytes, PngPixels& out, bool& budgetSpent) {
    InflatedRows rows;
    if (!InflateDirect(bytes, rows, budgetSpent) || !UnfilterAndConvert(rows, out)) return DirectResult::Unhandled;
    return DirectResult::Decoded;
}

bool DecodeWithLibpng(ByteView bytes, PngPixels& out, bool drawBudget) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    PngSource source{bytes, 0};
    RgbaRows pixels;
    const bool ok = info && ReadPngRgba(png, info, source, drawBudget, pixels);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok) return false;
    out.width = pixels.width;
    out.height = pixels.height;
    const size_t count = size_t(pixels.width) * pixels.height;
    out.argb.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &pixels.rgba[i * 4];
        out.argb[i] = Argb(p[0], p[1], p[2], p[3]);
    }
    return true;
}

} // namespace png_detail

bool DecodePng(ByteView bytes, PngPixels& out) {
    bool budgetSpent = false;
    if (png_detail::DecodeDirect(bytes, out, budgetSpent) == png_detail::DirectResult::Decoded) return true;
    return png_detail::DecodeWithLibpng(bytes, out, !budgetSpent);
}

bool PngDecodes(ByteView bytes, uint32_t& width, uint32_t& height) {
    InflatedRows rows;
    bool budgetSpent = false;
    PngPixels pixels;
    if (InflateDirect(bytes, rows, budgetSpent)) {
        // Only a palette image can still fail: on an index beyond its palette.
        if (rows.layout.colorType != kPalette || UnfilterAndConvert(rows, pixels)) {
            width = rows.layout.width;
            height = rows.layout.height;
            return true;
        }
    }
    if (!png_detail::DecodeWithLibpng(bytes, pixels, !budgetSpent)) return false;
    width = pixels.width;
    height = pixels.height;
    return true;
}


} // namespace gw
