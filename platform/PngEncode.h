#pragma once
// PNG output: decoded icon and cursor images as 8-bit RGBA PNG files, for
// file-manager thumbnails and for extracting images as pictures any program
// opens.
#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/IconImage.h"

namespace gw {

// A PNG file of width x height pixels given as straight-alpha 0xAARRGGBB
// values, top-down. Empty when the sizes are not positive, argb does not hold
// width x height pixels, or the encoder fails.
Bytes EncodePng(int32_t width, int32_t height, const std::vector<uint32_t>& argb);

// An icon or cursor image as a PNG file: its own alpha when its pixels carry
// one, otherwise opaque where its mask is clear and clear where it is set.
Bytes IconImagePng(const DecodedImage& image);

} // namespace gw
