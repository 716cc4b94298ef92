#include "platform/ColorQuantizer.h"

#include <algorithm>
#include <cmath>

namespace gw {
namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFF;
constexpr uint32_t kCacheValid = 0x80000000u;

// Up to this many distinct colours the median cut works on the exact colours;
// beyond it on a 5-5-5 histogram, which bounds memory and time for photos.
constexpr size_t kMaxExactColours = 65536;
constexpr int kCellBits = 5;
constexpr size_t kCellCount = size_t(1) << (3 * kCellBits);
constexpr int kCellShift = 8 - kCellBits;

inline uint32_t Rgb(uint32_t argb) { return argb & kRgbMask; }
inline int Channel(uint32_t rgb, int c) { return int((rgb >> (16 - 8 * c)) & 0xFF); } // 0 red, 1 green, 2 blue

inline uint32_t CellOf(uint32_t rgb) {
    return ((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x03E0) | ((rgb >> 3) & 0x001F);
}
inline int CellChannel(uint32_t cell, int c) { return int((cell >> (2 - c) * kCellBits) & 0x1F); }

inline uint32_t HashColour(uint32_t rgb, int bits) { return (rgb * 0x9E3779B1u) >> (32 - bits); }

// Counts distinct colours in an open-addressing table; refuses to hold more
// than its limit so that a photo cannot make it grow without bound.
class ColourCounter {
public:
    explicit ColourCounter(size_t limit) : m_limit(limit) { Resize(10); }

    // False once the colour would be one more than the limit.
    bool Add(uint32_t rgb, uint64_t n) {
        size_t slot = Find(rgb);
        if (m_keys[slot] == kEmpty) {
            if (m_size == m_limit) return false;
            if (2 * (m_size + 1) > m_keys.size()) {
                Resize(m_bits + 1);
                slot = Find(rgb);
            }
            m_keys[slot] = rgb;
            ++m_size;
        }
        m_counts[slot] += n;
        return true;
    }
    size_t size() const { return m_size; }
    bool Contains(uint32_t rgb) const { return m_keys[Find(rgb)] == rgb; }
    template <class F> void ForEach(F&& f) const {
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (m_keys[i] != kEmpty) f(m_keys[i], m_counts[i]);
    }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu; // never an RGB value

    size_t Find(uint32_t rgb) const {
        const size_t mask = m_keys.size() - 1;
        size_t slot = HashColour(rgb, m_bits);
        while (m_keys[slot] != kEmpty && m_keys[slot] != rgb) slot = (slot + 1) & mask;
        return slot;
    }
    void Resize(int bits) {
        std::vector<uint32_t> keys(size_t(1) << bits, kEmpty);
        std::vector<uint64_t> counts(keys.size(), 0);
        keys.swap(m_keys);
        counts.swap(m_counts);
        m_bits = bits;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == kEmpty) continue;
            const size_t slot = Find(keys[i]);
            m_keys[slot] = keys[i];
            m_counts[slot] = counts[i];
        }
    }

    size_t m_limit;
    size_t m_size = 0;
    int m_bits = 0;
    std::vector<uint32_t> m_keys;
    std::vector<uint64_t> m_counts;
};

// Counts the colours run by run (neighbouring pixels are mostly equal).
// False when the image has more than kMaxExactColours distinct colours.
bool CountColours(std::span<const uint32_t> pixels, ColourCounter& counter) {
    size_t i = 0;
    while (i < pixels.size()) {
        const uint32_t rgb = Rgb(pixels[i]);
        size_t run = 1;
        while (i + run < pixels.size() && Rgb(pixels[i + run]) == rgb) ++run;
        if (!counter.Add(rgb, run)) return false;
        i += run;
    }
    return true;
}

// A group of pixels of (nearly) one colour: the unit the median cut sorts.
struct ColourBin {
    uint64_t count = 0;
    uint64_t sum[3] = {};
    double mean[3] = {};
};

void FinishBin(ColourBin& bin) {
    for (int c = 0; c < 3; ++c) bin.mean[c] = double(bin.sum[c]) / double(bin.count);
}

std::vector<ColourBin> BinsFromCounter(const ColourCounter& counter, std::optional<uint32_t> skip) {
    std::vector<ColourBin> bins;
    bins.reserve(counter.size());
    counter.ForEach([&](uint32_t rgb, uint64_t count) {
        if (skip && rgb == *skip) return;
        ColourBin bin;
        bin.count = count;
        for (int c = 0; c < 3; ++c) bin.sum[c] = uint64_t(Channel(rgb, c)) * count;
        FinishBin(bin);
        bins.push_back(bin);
    });
    return bins;
}

// A 5-5-5 histogram that keeps the exact channel sums, so a cell's colour is
// the mean of its pixels rather than the cell's centre.
std::vector<ColourBin> BinsFromCells(std::span<const uint32_t> pixels, std::optional<uint32_t> skip,
                                     bool& skipFound) {
    std::vector<ColourBin> cells(kCellCount);
    skipFound = false;
    for (const uint32_t argb : pixels) {
        const uint32_t rgb = Rgb(argb);
        if (skip && rgb == *skip) {
            skipFound = true;
            continue;
        }
        ColourBin& cell = cells[CellOf(rgb)];
        ++cell.count;
        for (int c = 0; c < 3; ++c) cell.sum[c] += uint64_t(Channel(rgb, c));
    }
    std::vector<ColourBin> bins;
    for (ColourBin& cell : cells) {
        if (cell.count == 0) continue;
        FinishBin(cell);
        bins.push_back(cell);
    }
    return bins;
}

struct Box {
    size_t begin = 0, end = 0;
    double error = 0; // pixel-weighted squared distance of the bins from the box mean
    int axis = 0;     // the channel of largest spread, along which the box is cut
};

Box MakeBox(const std::vector<ColourBin>& bins, size_t begin, size_t end) {
    Box box{begin, end, 0, 0};
    double n = 0, mean[3] = {};
    for (size_t i = begin; i < end; ++i) {
        n += double(bins[i].count);
        for (int c = 0; c < 3; ++c) mean[c] += double(bins[i].sum[c]);
    }
    for (double& m : mean) m /= n;
    double spread[3] = {};
    for (size_t i = begin; i < end; ++i)
        for (int c = 0; c < 3; ++c) {
            const double d = bins[i].mean[c] - mean[c];
            spread[c] += double(bins[i].count) * d * d;
        }
    box.error = spread[0] + spread[1] + spread[2];
    box.axis = int(std::max_element(spread, spread + 3) - spread);
    return box;
}

// Cuts the box at the pixel-weighted median of its widest channel; both
// halves keep at least one bin.
size_t SplitPoint(std::vector<ColourBin>& bins, const Box& box) {
    const int axis = box.axis;
    std::sort(bins.begin() + ptrdiff_t(box.begin), bins.begin() + ptrdiff_t(box.end),
              [axis](const ColourBin& a, const ColourBin& b) { return a.mean[axis] < b.mean[axis]; });
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i) total += bins[i].count;
    uint64_t seen = 0;
    size_t split = box.begin;
    while (split < box.end - 1) {
        seen += bins[split++].count;
        if (2 * seen >= total) break;
    }
    return split;
}

uint32_t MeanColour(const std::vector<ColourBin>& bins, const Box& box) {
    uint64_t n = 0, sum[3] = {};
    for (size_t i = box.begin; i < box.end; ++i) {
        n += bins[i].count;
        for (int c = 0; c < 3; ++c) sum[c] += bins[i].sum[c];
    }
    uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c) rgb |= uint32_t((sum[c] + n / 2) / n) << (16 - 8 * c);
    return rgb;
}

std::vector<uint32_t> MedianCut(std::vector<ColourBin>& bins, size_t target) {
    std::vector<uint32_t> palette;
    if (bins.empty() || target == 0) return palette;
    std::vector<Box> boxes{MakeBox(bins, 0, bins.size())};
    while (boxes.size() < target) {
        size_t worst = boxes.size();
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            if (worst == boxes.size() || boxes[b].error > boxes[worst].error) worst = b;
        }
        if (worst == boxes.size()) break; // every box is a single bin
        const Box box = boxes[worst];
        const size_t split = SplitPoint(bins, box);
        boxes[worst] = MakeBox(bins, box.begin, split);
        boxes.push_back(MakeBox(bins, split, box.end));
    }
    for (const Box& box : boxes) palette.push_back(MeanColour(bins, box));
    return palette;
}

void SortUnique(std::vector<uint32_t>& palette) {
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
}

} // namespace

std::vector<uint32_t> BuildPalette(std::span<const uint32_t> pixels, size_t maxColors,
                                   std::optional<uint32_t> keepExact) {
    maxColors = std::clamp<size_t>(maxColors, 1, kMaxPaletteSize);
    std::optional<uint32_t> keep;
    if (keepExact) keep = Rgb(*keepExact);

    ColourCounter counter(kMaxExactColours);
    const bool counted = CountColours(pixels, counter);
    std::vector<uint32_t> palette;
    if (counted && counter.size() <= maxColors) {
        counter.ForEach([&](uint32_t rgb, uint64_t) { palette.push_back(rgb); });
        SortUnique(palette);
        return palette;
    }

    // Too many colours: the kept colour takes one entry of its own and the
    // rest of the pixels share the others.
    bool keepFound = false;
    std::vector<ColourBin> bins;
    if (counted) {
        keepFound = keep && counter.Contains(*keep);
        bins = BinsFromCounter(counter, keep);
    } else {
        bins = BinsFromCells(pixels, keep, keepFound);
    }
    palette = MedianCut(bins, maxColors - (keepFound ? 1 : 0));
    if (keepFound) palette.push_back(*keep);
    SortUnique(palette);
    return palette;
}

PaletteMapper::PaletteMapper(std::span<const uint32_t> palette) : m_cells(kCellCount) {
    const size_t n = std::min(palette.size(), kMaxPaletteSize);
    for (size_t i = 0; i < n; ++i) m_palette.push_back(Rgb(palette[i]));
}

uint8_t PaletteMapper::IndexOf(uint32_t argb) {
    if (m_palette.empty()) return 0;
    const uint32_t rgb = Rgb(argb);
    const uint32_t slot = HashColour(rgb, kCacheBits);
    if (m_cacheKey[slot] == (rgb | kCacheValid)) return m_cacheIndex[slot];
    const uint8_t index = Nearest(rgb);
    m_cacheKey[slot] = rgb | kCacheValid;
    m_cacheIndex[slot] = index;
    return index;
}

uint8_t PaletteMapper::Nearest(uint32_t rgb) {
    const Candidates& cands = CandidatesOf(CellOf(rgb));
    uint8_t best = m_pool[cands.start];
    int bestDistance = -1;
    for (uint32_t k = cands.start; k < cands.start + cands.count; ++k) {
        const uint32_t entry = m_palette[m_pool[k]];
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = Channel(rgb, c) - Channel(entry, c);
            distance += d * d;
        }
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = m_pool[k];
        }
    }
    return best;
}

// The entries that can be nearest to some colour of the cell: every entry
// whose nearest point of the cell is no farther than the best guaranteed
// distance (the smallest, over all entries, of the distance to the cell's
// farthest corner). The search over these is therefore exact.
const PaletteMapper::Candidates& PaletteMapper::CandidatesOf(uint32_t cell) {
    Candidates& cands = m_cells[cell];
    if (cands.known) return cands;
    int lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
        lo[c] = CellChannel(cell, c) << kCellShift;
        hi[c] = lo[c] + (1 << kCellShift) - 1;
    }
    int bound = -1;
    for (const uint32_t entry : m_palette) {
        int farthest = 0;
        for (int c = 0; c < 3; ++c) {
            const int v = Channel(entry, c);
            const int d = std::max(std::abs(v - lo[c]), std::abs(v - hi[c]));
            farthest += d * d;
        }
        if (bound < 0 || farthest < bound) bound = farthest;
    }
    cands.start = uint32_t(m_pool.size());
    for (size_t i = 0; i < m_palette.size(); ++i) {
        int nearest = 0;
        for (int c = 0; c < 3; ++c) {
            const int v = Channel(m_palette[i], c);
            const int d = v < lo[c] ? lo[c] - v : (v > hi[c] ? v - hi[c] : 0);
            nearest += d * d;
        }
        if (nearest <= bound) m_pool.push_back(uint8_t(i));
    }
    cands.count = uint16_t(m_pool.size() - cands.start);
    cands.known = true;
    return cands;
}

} // namespace gw
