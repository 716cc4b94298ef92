#include "pictures/IconHash.h"

#include <algorithm>
#include <cmath>

#include "formats/IconFormat.h"
#include "platform/Md5.h"

namespace gw {

namespace {

// The image a file's icon is known by: in the first group holding an image
// that is in the file, the largest present image (drawn area), then the
// deepest, then the first.
struct Chosen {
    const IconGroup* group = nullptr;
    const IconImage* image = nullptr;
};

Chosen ChooseIcon(const std::vector<IconGroup>& groups) {
    for (const IconGroup& g : groups) {
        Chosen best;
        uint64_t bestArea = 0;
        for (const IconImage& im : g.Images) {
            if (im.Missing) continue;
            const uint64_t area = uint64_t(DrawnSide(im.Width)) * DrawnSide(im.Height);
            if (!best.image || area > bestArea || (area == bestArea && im.BitCount > best.image->BitCount)) {
                best = {&g, &im};
                bestArea = area;
            }
        }
        if (best.image) return best;
    }
    return {};
}

// Resampling of an 8-bit grey picture with a Lanczos filter of three lobes,
// computed exactly as Pillow's Image.resize does for an "L" image, so that
// the hash equals the one Python programs compute with it: weights in
// double, normalised to sum 1, then scaled to 22 fraction bits (32 - 8 - 2)
// and rounded half away from zero; each output sample starts at half a unit
// and is shifted down and clipped to 0..255. Every floating-point step is
// Pillow's, in its order (a reciprocal multiplied, truncating casts), since
// a last-bit difference in a weight could move a sample by one.
constexpr int kPrecisionBits = 32 - 8 - 2;
constexpr double kLanczosSupport = 3.0;

double Sinc(double x) {
    if (x == 0.0) return 1.0;
    x *= 3.14159265358979323846;
    return std::sin(x) / x;
}

double Lanczos(double x) {
    if (-3.0 <= x && x < 3.0) return Sinc(x) * Sinc(x / 3);
    return 0.0;
}

// For each output position, the first input sample it reads and its fixed
// point weights.
struct Taps {
    int first = 0;
    std::vector<int32_t> weights;
};

std::vector<Taps> LanczosTaps(int inSize, int outSize) {
    const double scale = double(inSize) / outSize;
    const double filterScale = std::max(scale, 1.0);
    const double support = kLanczosSupport * filterScale;
    const double step = 1.0 / filterScale;
    std::vector<Taps> out(static_cast<size_t>(outSize));
    for (int xx = 0; xx < outSize; ++xx) {
        const double center = (xx + 0.5) * scale;
        int xmin = int(center - support + 0.5);
        if (xmin < 0) xmin = 0;
        int xmax = int(center + support + 0.5);
        if (xmax > inSize) xmax = inSize;
        const int count = std::max(xmax - xmin, 0);
        std::vector<double> w(static_cast<size_t>(count));
        double sum = 0.0;
        for (int x = 0; x < count; ++x) {
            w[size_t(x)] = Lanczos((x + xmin - center + 0.5) * step);
            sum += w[size_t(x)];
        }
        Taps& t = out[size_t(xx)];
        t.first = xmin;
        t.weights.resize(size_t(count));
        for (int x = 0; x < count; ++x) {
            const double k = sum != 0.0 ? w[size_t(x)] / sum : w[size_t(x)];
            t.weights[size_t(x)] = k < 0 ? int32_t(-0.5 + k * (1 << kPrecisionBits))
                                         : int32_t(0.5 + k * (1 << kPrecisionBits));
        }
    }
    return out;
}

uint8_t Clip8(int64_t sum) {
    const int64_t v = sum >> kPrecisionBits; // an arithmetic shift: floor
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

// An 8-bit grey picture, row by row.
struct Grey {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Grey ResampleHorizontal(const Grey& in, int outWidth) {
    const std::vector<Taps> taps = LanczosTaps(in.width, outWidth);
    Grey out{outWidth, in.height, std::vector<uint8_t>(size_t(outWidth) * size_t(in.height))};
    for (int y = 0; y < in.height; ++y)
        for (int xx = 0; xx < outWidth; ++xx) {
            const Taps& t = taps[size_t(xx)];
            int64_t sum = int64_t(1) << (kPrecisionBits - 1);
            for (size_t k = 0; k < t.weights.size(); ++k) sum += int64_t(in.At(t.first + int(k), y)) * t.weights[k];
            out.pixels[size_t(y) * size_t(outWidth) + size_t(xx)] = Clip8(sum);
        }
    return out;
}

Grey ResampleVertical(const Grey& in, int outHeight) {
    const std::vector<Taps> taps = LanczosTaps(in.height, outHeight);
    Grey out{in.width, outHeight, std::vector<uint8_t>(size_t(in.width) * size_t(outHeight))};
    for (int yy = 0; yy < outHeight; ++yy)
        for (int x = 0; x < in.width; ++x) {
            const Taps& t = taps[size_t(yy)];
            int64_t sum = int64_t(1) << (kPrecisionBits - 1);
            for (size_t k = 0; k < t.weights.size(); ++k) sum += int64_t(in.At(x, t.first + int(k))) * t.weights[k];
            out.pixels[size_t(yy) * size_t(in.width) + size_t(x)] = Clip8(sum);
        }
    return out;
}

constexpr int kHashWidth = 9, kHashHeight = 8;

bool Fits(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           uint64_t(width) * uint64_t(height) == argb.size();
}

} // namespace

std::array<uint8_t, 72> DifferenceHashPicture(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
    std::array<uint8_t, 72> out{};
    if (!Fits(width, height, argb)) return out;
    Grey grey{width, height, std::vector<uint8_t>(argb.size())};
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint32_t r = (argb[i] >> 16) & 0xFF, g = (argb[i] >> 8) & 0xFF, b = argb[i] & 0xFF;
        grey.pixels[i] = uint8_t((r * 19595 + g * 38470 + b * 7471 + 0x8000) >> 16);
    }
    // The horizontal pass runs over every row (Pillow's only over those the
    // vertical pass reads, which are the same values).
    if (grey.width != kHashWidth) grey = ResampleHorizontal(grey, kHashWidth);
    if (grey.height != kHashHeight) grey = ResampleVertical(grey, kHashHeight);
    std::copy(grey.pixels.begin(), grey.pixels.end(), out.begin());
    return out;
}

uint64_t DifferenceHash(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
    if (!Fits(width, height, argb)) return 0;
    const std::array<uint8_t, 72> grey = DifferenceHashPicture(width, height, argb);
    uint64_t hash = 0;
    for (int y = 0; y < kHashHeight; ++y)
        for (int x = 0; x + 1 < kHashWidth; ++x)
            hash = (hash << 1) | (grey[size_t(y * kHashWidth + x)] > grey[size_t(y * kHashWidth + x + 1)] ? 1 : 0);
    return hash;
}

std::string DifferenceHashHex(uint64_t hash) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) out[size_t(i)] = kDigits[hash & 0xF];
    return out;
}

std::optional<IconHash> IconHashOf(Document& doc) {
    doc.Load(RecordKind::Icons);
    const Chosen chosen = ChooseIcon(doc.Contents().IconGroups);
    if (!chosen.image) return std::nullopt;
    IconHash out;
    out.rawMd5 = Md5Hex(chosen.image->Data);
    out.icoMd5 = Md5Hex(WriteIconGroup(WithoutMissingImages(*chosen.group)));
    const Handle& picture = chosen.image->Handle();
    if (picture && Fits(picture->width, picture->height, picture->argb))
        out.dhash = DifferenceHashHex(DifferenceHash(picture->width, picture->height, picture->argb));
    return out;
}

} // namespace gw
