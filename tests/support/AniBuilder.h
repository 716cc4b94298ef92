#pragma once
// Builds animated cursor files (RIFF "ACON"): the header chunk, optional
// rate and sequence chunks, the frame list and the INFO texts, each chunk
// padded to an even size. Counts and flags can be made to lie.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

struct AniLayout {
    std::vector<Bytes> frames;                 // each a whole .cur or .ico file
    std::optional<uint32_t> statedFrames;      // unset: frames.size()
    std::optional<uint32_t> statedSteps;       // unset: the sequence's length, else frames.size()
    uint32_t defaultRate = 10;                 // jiffies
    uint32_t width = 32, height = 32, bitCount = 32;
    bool iconFrames = true;                    // flag 1
    std::optional<std::vector<uint32_t>> rates; // a "rate" chunk
    std::optional<std::vector<uint32_t>> sequence; // a "seq " chunk, and flag 2
    std::string title, artist;                 // INAM, IART (written with their zero)
};

Bytes BuildAni(const AniLayout& layout);

} // namespace gw::test
