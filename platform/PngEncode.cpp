#include "platform/PngEncode.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace gw {

namespace {

// PNG's own limit on a side, and far beyond any icon.
constexpr int32_t kMaxSide = 1 << 20;

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Writes the rows with libpng; false when it reports an error.
bool WriteRows(png_structp png, png_infop info, Bytes& out, int32_t width, int32_t height,
               std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

} // namespace

Bytes EncodePng(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        argb.size() != size_t(width) * size_t(height))
        return {};
    std::vector<uint8_t> rgba(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint32_t p = argb[i];
        rgba[4 * i] = uint8_t(p >> 16);
        rgba[4 * i + 1] = uint8_t(p >> 8);
        rgba[4 * i + 2] = uint8_t(p);
        rgba[4 * i + 3] = uint8_t(p >> 24);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) rows[size_t(y)] = rgba.data() + size_t(y) * size_t(width) * 4;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return {};
    png_infop info = png_create_info_struct(png);
    Bytes out;
    const bool ok = info && WriteRows(png, info, out, width, height, rows);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return ok ? out : Bytes{};
}

Bytes IconImagePng(const DecodedImage& image) {
    const size_t n = size_t(std::max(image.width, 0)) * size_t(std::max(image.height, 0));
    if (image.hasAlpha || image.mask.size() != n) return EncodePng(image.width, image.height, image.argb);
    std::vector<uint32_t> argb = image.argb;
    if (argb.size() != n) return {};
    for (size_t i = 0; i < n; ++i) argb[i] = (argb[i] & 0x00FFFFFFu) | (image.mask[i] ? 0u : 0xFF000000u);
    return EncodePng(image.width, image.height, argb);
}

} // namespace gw
