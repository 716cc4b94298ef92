#include "tests/support/Builders.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gw::test {

Bytes BuildIconDib(int size, int bits) {
    DibLayout d;
    d.width = d.height = size;
    d.bitCount = bits;
    return BuildDib(d);
}

Bytes BuildDib(const DibLayout& s) {
    Bytes b;
    const int headerHeight = s.icon ? s.height * 2 : (s.topDown ? -s.height : s.height);
    std::vector<uint32_t> palette = s.palette;
    if (s.bitCount <= 8 && palette.empty()) {
        const int n = s.colorsUsed ? int(s.colorsUsed) : (1 << s.bitCount);
        for (int i = 0; i < n; ++i) {
            const uint32_t v = uint32_t(i * 255 / std::max(1, (1 << s.bitCount) - 1)) & 0xFF;
            palette.push_back((v << 16) | (uint32_t(255 - v) << 8) | uint32_t((i * 37) & 0xFF));
        }
    }
    PutU32(b, 40);
    PutI32(b, s.width);
    PutI32(b, headerHeight);
    PutU16(b, 1);
    PutU16(b, uint16_t(s.bitCount));
    PutU32(b, s.compression);
    PutU32(b, 0); // image size
    PutI32(b, 0);
    PutI32(b, 0);
    PutU32(b, s.colorsUsed);
    PutU32(b, 0);
    if (s.compression == 3) {
        PutU32(b, s.redMask);
        PutU32(b, s.greenMask);
        PutU32(b, s.blueMask);
    }
    for (uint32_t c : palette) PutU32(b, c & 0x00FFFFFF);

    const size_t stride = ((size_t(s.width) * size_t(s.bitCount) + 31) / 32) * 4;
    auto rowOrder = [&](int i) { return (s.topDown && !s.icon) ? i : s.height - 1 - i; };
    for (int i = 0; i < s.height; ++i) {
        const int y = rowOrder(i);
        Bytes row(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = s.pixel(x, y);
            switch (s.bitCount) {
            case 1: if (v & 1) row[x / 8] |= uint8_t(0x80 >> (x % 8)); break;
            case 4: row[x / 2] |= uint8_t((v & 0xF) << ((x % 2) ? 0 : 4)); break;
            case 8: row[x] = uint8_t(v); break;
            case 16: row[x * 2] = uint8_t(v); row[x * 2 + 1] = uint8_t(v >> 8); break;
            case 24: for (int k = 0; k < 3; ++k) row[x * 3 + k] = uint8_t(v >> (8 * k)); break;
            case 32: for (int k = 0; k < 4; ++k) row[x * 4 + k] = uint8_t(v >> (8 * k)); break;
            default: break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    if (s.icon) {
        const size_t maskStride = ((size_t(s.width) + 31) / 32) * 4;
        for (int i = 0; i < s.height; ++i) {
            const int y = s.height - 1 - i;
            Bytes row(maskStride, 0);
            for (int x = 0; x < s.width; ++x)
                if (s.transparent(x, y)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    return b;
}

Bytes BuildBmpFile(const Bytes& dib) {
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    PutU32(b, uint32_t(14 + dib.size()));
    PutU16(b, 0);
    PutU16(b, 0);
    // Bits offset: header size + masks + palette, from the DIB header.
    const uint32_t headerSize = PeekU32(dib, 0);
    uint32_t offset = 14 + headerSize;
    if (headerSize >= 40) {
        const uint16_t bpp = PeekU16(dib, 14);
        const uint32_t compression = PeekU32(dib, 16);
        uint32_t used = PeekU32(dib, 32);
        if (headerSize == 40 && compression == 3) offset += 12;
        if (bpp <= 8) offset += 4 * (used ? used : (1u << bpp));
    } else if (headerSize == 12) {
        const uint16_t bpp = PeekU16(dib, 10);
        if (bpp <= 8) offset += 3 * (1u << bpp);
    }
    PutU32(b, offset);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes BuildIcoFile(const std::vector<IcoEntry>& entries, uint16_t type) {
    Bytes b;
    PutU16(b, 0);
    PutU16(b, type);
    PutU16(b, uint16_t(entries.size()));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const auto& e : entries) {
        PutU8(b, e.width);
        PutU8(b, e.height);
        PutU8(b, e.colorCount);
        PutU8(b, e.reserved);
        PutU16(b, e.planesOrHotX);
        PutU16(b, e.bitCountOrHotY);
        PutU32(b, uint32_t(e.data.size()));
        PutU32(b, offset);
        offset += uint32_t(e.data.size());
    }
    for (const auto& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
    return b;
}

namespace {
void PngWrite(png_structp png, png_bytep data, png_size_t len) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + len);
}
void PngFlush(png_structp) {}
} // namespace

Bytes BuildPng(int w, int h, const std::function<uint32_t(int x, int y)>& argb) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t v = argb(x, y);
            row[x * 4 + 0] = uint8_t(v >> 16);
            row[x * 4 + 1] = uint8_t(v >> 8);
            row[x * 4 + 2] = uint8_t(v);
            row[x * 4 + 3] = uint8_t(v >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "grabwell-test-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) m_path = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

std::vector<uint16_t> Utf16Units(const std::string& s) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i < s.size();) {
        const uint8_t c = uint8_t(s[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xF0) { cp = c & 0x07; len = 4; }
        else if (c >= 0xE0) { cp = c & 0x0F; len = 3; }
        else if (c >= 0xC0) { cp = c & 0x1F; len = 2; }
        for (size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (uint8_t(s[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(uint16_t(0xD800 + (cp >> 10)));
            out.push_back(uint16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(uint16_t(cp));
        }
    }
    return out;
}

} // namespace gw::test
