#pragma once
// Fingerprints of a file's icon, for finding the same icon in many files:
// the MD5 of its stored image bytes, the MD5 of the .ico file Save writes for
// its group, and a 64-bit difference hash of its picture that survives
// re-encoding and small changes of colour depth.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/Document.h"
#include "formats/IcoTypes.h"
#include "platform/IconImage.h"

namespace gw {

// Every field is lower-case hexadecimal.
struct IconHash {
    std::string rawMd5; // MD5 of the chosen image's bytes as stored (IconImage::Data)
    std::string icoMd5; // MD5 of the chosen group's .ico, byte for byte as Save writes it
    std::string dhash;  // 16 digits: the chosen image's difference hash; empty when it does not decode
};

// The icon a file is known by: its first icon group that holds an image that
// is in the file, and that group's largest such image (largest drawn width x
// height, then the deepest bit count, then the first). Loads the icon groups
// when they are not loaded yet. None when no icon group holds an image that
// is in the file.
//   rawMd5: MD5 of that image's Data.
//   icoMd5: MD5 of WriteIconGroup of the group without its missing images
//           (GroupSaveFile's bytes, which the workdesk's Save writes).
//   dhash:  DifferenceHash of the decoded image (its Handle()); empty when
//           the image does not decode.
std::optional<IconHash> IconHashOf(Document& doc);

// The difference hash of straight-alpha 0xAARRGGBB pixels, top row first:
// alpha is ignored; each pixel's luma is (R*19595 + G*38470 + B*7471 +
// 0x8000) >> 16; the grey picture is resampled to 9 x 8 with a Lanczos
// (a = 3) filter in 8-bit fixed point (a horizontal pass, rounded and
// clipped to 0..255, then a vertical one; a pass whose size does not change
// is skipped; downscaling widens the filter by the scale); then, row by row
// from the top, each bit says whether a pixel is brighter than its right
// neighbour, the first pair being the most significant bit. Bit for bit the
// hash Python programs compute with Pillow: Image.convert("L") then
// resize((9, 8), Image.LANCZOS). Returns 0 for an empty picture, a side above
// kMaxDimension or a pixel count that is not width x height.
uint64_t DifferenceHash(int32_t width, int32_t height, const std::vector<uint32_t>& argb);
// The same as 16 lower-case hexadecimal digits.
std::string DifferenceHashHex(uint64_t hash);

// The grey picture of 9 x 8 bytes the hash compares (row by row), for tests.
std::array<uint8_t, 72> DifferenceHashPicture(int32_t width, int32_t height, const std::vector<uint32_t>& argb);

} // namespace gw
