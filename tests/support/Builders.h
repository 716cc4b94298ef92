#pragma once
// Byte builders for test fixtures: each makes exactly the bytes of a file or
// resource that a test case needs, so no opaque binaries are committed.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/Display.h"

namespace gw::test {

// A device-independent bitmap with a 40-byte info header.
struct DibLayout {
    int width = 16;
    int height = 16;          // the image height (doubled in the header when icon = true)
    int bitCount = 4;
    bool icon = true;         // icon/cursor form: doubled height and a 1-bit AND mask after the colour rows
    bool topDown = false;     // negative height (bitmaps only)
    uint32_t compression = 0; // 0 = BI_RGB, 3 = BI_BITFIELDS (masks follow the header)
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    uint32_t colorsUsed = 0;  // written into the header; the palette size follows it when non-zero
    std::vector<uint32_t> palette; // 0x00RRGGBB; default: a ramp of 2^bitCount colours
    // Colour of a pixel: a palette index for 1/4/8 bits, the raw pixel value for 16/24/32 bits.
    std::function<uint32_t(int x, int y)> pixel = [](int x, int y) { return uint32_t(x + y); };
    // AND-mask bit (true = transparent).
    std::function<bool(int x, int y)> transparent = [](int, int) { return false; };
};
Bytes BuildDib(const DibLayout& layout);
// An icon image of size x size pixels at bits per pixel, the default pattern.
Bytes BuildIconDib(int size, int bits);

// A .bmp file: the 14-byte file header (with correct size and bits offset) and the DIB.
Bytes BuildBmpFile(const Bytes& dib);

struct IcoEntry {
    Bytes data;
    uint8_t width = 16, height = 16, colorCount = 0, reserved = 0;
    uint16_t planesOrHotX = 1, bitCountOrHotY = 4;
};
// An .ico (type 1) or .cur (type 2) file with the entries' data laid out after the directory.
Bytes BuildIcoFile(const std::vector<IcoEntry>& entries, uint16_t type = 1);

// A PNG image of w x h pixels from 0xAARRGGBB values (via libpng).
Bytes BuildPng(int w, int h, const std::function<uint32_t(int x, int y)>& argb);

// Writes bytes to a file, creating it; throws nothing, returns false on failure.
// UTF-8 (well-formed, as tests write it) to UTF-16 code units.
std::vector<uint16_t> Utf16Units(const std::string& utf8);

bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// A fresh, empty temporary folder removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
private:
    std::string m_path;
};

// The screen's colour depth set for one test and put back after it.
class DisplayDepth {
public:
    explicit DisplayDepth(int depth) : m_old(Display::Depth()) { Display::SetDepth(depth); }
    ~DisplayDepth() { Display::SetDepth(m_old); }

private:
    int m_old;
};

} // namespace gw::test
