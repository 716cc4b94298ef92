#pragma once
// PNG files built chunk by chunk: any colour type and depth, any row filter,
// tRNS and palette as given, the image data split over several IDAT chunks,
// extra chunks, a declared zlib window. The decoder tests build exactly the
// unusual files they need with it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

struct PngLayout {
    uint32_t width = 8;
    uint32_t height = 8;
    uint8_t depth = 8;
    uint8_t colorType = 6;   // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    uint8_t interlace = 0;   // written as given; the rows are always laid out plainly
    Bytes rows;              // unfiltered, (width * bits per pixel + 7) / 8 bytes per row
    Bytes filters;           // one filter type per row, applied (0-4); empty: none; others written as given
    Bytes palette;           // PLTE bytes (r, g, b ...), written when not empty
    std::optional<Bytes> transparency; // tRNS bytes
    size_t dataParts = 1;    // IDAT chunks the zlib stream is split over
    uint8_t windowBits = 15; // the window the zlib header declares (8-15)
    Bytes trailingData;      // bytes after the zlib stream, in the last IDAT
    // Chunks (name, data) written after IHDR (before PLTE and IDAT).
    std::vector<std::pair<std::string, Bytes>> extraChunks;
};

// Bytes per row of a layout.
size_t PngRowBytes(const PngLayout& layout);
Bytes BuildRawPng(const PngLayout& layout);
// Sets the CRC of the chunk at offset (its length field) right.
void FixPngChunkCrc(Bytes& png, size_t offset);

} // namespace gw::test
