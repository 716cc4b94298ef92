#pragma once
// Builds the MUI resource of a language-neutral library (type "MUI", id 1)
// as the platform's tools lay it out: the 132-byte fixed part, padded to 8,
// then each listed part on a multiple of 8.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

struct MuiLayout {
    uint32_t fileType = 0x11; // a system file's language-neutral main file
    uint32_t fallbackLocation = 1;
    std::vector<std::string> mainTypeNames = {"MUI"};
    std::vector<uint32_t> mainTypeIds = {3, 14, 16, 24};
    std::vector<uint32_t> muiTypeIds = {6};
    std::string language;              // empty for a main file
    std::string fallbackLanguage = "en-US";
};

// The resource's bytes; its size field states their number.
Bytes BuildMuiResource(const MuiLayout& layout = {});

// The byte of the (offset, size) pair of part i (0 main type names ... 5
// fallback language) in the resource, for tests that damage one.
constexpr uint32_t MuiSpanAt(uint32_t part) { return 84 + 8 * part; }

} // namespace gw::test
