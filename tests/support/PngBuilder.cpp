#include "tests/support/PngBuilder.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace gw::test {
namespace {

void PutBe32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(Bytes& out, const std::string& name, const Bytes& data) {
    PutBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

unsigned BitsPerPixel(const PngLayout& l) {
    const unsigned channels = l.colorType == 2 ? 3 : l.colorType == 4 ? 2 : l.colorType == 6 ? 4 : 1;
    return channels * l.depth;
}

uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The filtered rows, each led by its filter type.
Bytes FilterRows(const PngLayout& l) {
    const size_t n = PngRowBytes(l);
    const size_t bpp = std::max(1u, BitsPerPixel(l) / 8);
    const Bytes zeros(n, 0);
    Bytes out;
    for (uint32_t y = 0; y < l.height; ++y) {
        const uint8_t* row = l.rows.data() + y * n;
        const uint8_t* up = y ? row - n : zeros.data();
        const uint8_t filter = y < l.filters.size() ? l.filters[y] : 0;
        out.push_back(filter);
        for (size_t i = 0; i < n; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0, b = up[i], c = i >= bpp ? up[i - bpp] : 0;
            int predicted = 0;
            switch (filter) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: predicted = PaethPredictor(a, b, c); break;
            default: break;
            }
            out.push_back(uint8_t(row[i] - predicted));
        }
    }
    return out;
}

Bytes ZlibStream(const Bytes& raw, uint8_t windowBits) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(libdeflate_alloc_compressor(6),
                                                                               libdeflate_free_compressor);
    Bytes out(libdeflate_zlib_compress_bound(c.get(), raw.size()));
    out.resize(libdeflate_zlib_compress(c.get(), raw.data(), raw.size(), out.data(), out.size()));
    // A smaller declared window: the header's CINFO, with FCHECK made right.
    out[0] = uint8_t(((windowBits - 8) << 4) | 8);
    out[1] = uint8_t(out[1] & 0xE0);
    out[1] = uint8_t(out[1] + (31 - (out[0] * 256 + out[1]) % 31) % 31);
    return out;
}

} // namespace

size_t PngRowBytes(const PngLayout& l) { return (size_t(l.width) * BitsPerPixel(l) + 7) / 8; }

Bytes BuildRawPng(const PngLayout& l) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBe32(header, l.width);
    PutBe32(header, l.height);
    header.insert(header.end(), {l.depth, l.colorType, 0, 0, l.interlace});
    PutChunk(out, "IHDR", header);
    for (const auto& [name, data] : l.extraChunks) PutChunk(out, name, data);
    if (!l.palette.empty()) PutChunk(out, "PLTE", l.palette);
    if (l.transparency) PutChunk(out, "tRNS", *l.transparency);
    Bytes stream = ZlibStream(FilterRows(l), l.windowBits);
    stream.insert(stream.end(), l.trailingData.begin(), l.trailingData.end());
    const size_t parts = std::max<size_t>(1, l.dataParts);
    const size_t each = stream.size() / parts;
    for (size_t i = 0; i < parts; ++i) {
        const size_t from = i * each, to = i + 1 == parts ? stream.size() : from + each;
        PutChunk(out, "IDAT", Bytes(stream.begin() + long(from), stream.begin() + long(to)));
    }
    PutChunk(out, "IEND", {});
    return out;
}

void FixPngChunkCrc(Bytes& png, size_t offset) {
    const uint32_t length = uint32_t(png[offset]) << 24 | uint32_t(png[offset + 1]) << 16 |
                            uint32_t(png[offset + 2]) << 8 | png[offset + 3];
    const uint32_t crc = libdeflate_crc32(0, png.data() + offset + 4, size_t(length) + 4);
    for (int i = 0; i < 4; ++i) png[offset + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
}

} // namespace gw::test
