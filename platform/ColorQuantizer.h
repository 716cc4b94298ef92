#pragma once
// Palettes for indexed bitmaps: built from the pixels (exact when the distinct
// colours fit, median cut otherwise) and a fast nearest-colour mapping from a
// pixel to its palette index. Colours are compared on red, green and blue;
// the alpha byte plays no part (indexed formats have none).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gw {

// Largest palette an indexed bitmap holds (8 bits per pixel).
constexpr size_t kMaxPaletteSize = 256;

// A palette of at most maxColors entries (0x00RRGGBB, sorted, no duplicates)
// for pixels given as 0xAARRGGBB. When the distinct colours number at most
// maxColors the palette is exactly those colours; otherwise it is quantised by
// median cut, and keepExact, when it occurs in the pixels, is kept as an entry
// of its own. maxColors is clamped to 1..kMaxPaletteSize.
std::vector<uint32_t> BuildPalette(std::span<const uint32_t> pixels, size_t maxColors,
                                   std::optional<uint32_t> keepExact = std::nullopt);

// Maps colours to the index of the nearest palette entry (squared RGB
// distance). A pixel whose colour is in the palette maps to that entry.
// Each 5-5-5 cell of the colour cube keeps, once asked for, the few entries
// that can be nearest to some colour inside it, and a small cache remembers
// recent colours, so mapping a large image costs a few comparisons a pixel.
class PaletteMapper {
public:
    explicit PaletteMapper(std::span<const uint32_t> palette); // at most kMaxPaletteSize entries used
    uint8_t IndexOf(uint32_t argb);

private:
    static constexpr int kCacheBits = 12;
    struct Candidates {
        uint32_t start = 0;
        uint16_t count = 0;
        bool known = false;
    };
    const Candidates& CandidatesOf(uint32_t cell);
    uint8_t Nearest(uint32_t rgb);

    std::vector<uint32_t> m_palette; // 0x00RRGGBB
    std::vector<Candidates> m_cells; // one per 5-5-5 cell
    std::vector<uint8_t> m_pool;     // candidate indices of every cell computed so far
    std::array<uint32_t, size_t(1) << kCacheBits> m_cacheKey{}; // rgb | kCacheValid, 0 = empty
    std::array<uint8_t, size_t(1) << kCacheBits> m_cacheIndex{};
};

} // namespace gw
