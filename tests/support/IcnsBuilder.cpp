#include "tests/support/IcnsBuilder.h"

#include "tests/support/Builders.h"

namespace gw::test {

namespace {
void PutBig32(Bytes& out, uint32_t v) {
    for (int shift : {24, 16, 8, 0}) out.push_back(uint8_t(v >> shift));
}
} // namespace

Bytes BuildIcns(const std::vector<std::pair<std::string, Bytes>>& elements) {
    Bytes out = {'i', 'c', 'n', 's', 0, 0, 0, 0};
    for (const auto& [type, data] : elements) {
        out.insert(out.end(), type.begin(), type.end());
        PutBig32(out, uint32_t(data.size() + 8));
        out.insert(out.end(), data.begin(), data.end());
    }
    const uint32_t size = uint32_t(out.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(size >> (24 - 8 * i));
    return out;
}

Bytes PackPlanes(const std::vector<Bytes>& planes) {
    Bytes out;
    for (const Bytes& plane : planes) {
        for (size_t at = 0; at < plane.size();) {
            size_t run = 1;
            while (at + run < plane.size() && run < 130 && plane[at + run] == plane[at]) ++run;
            if (run >= 3) {
                out.push_back(uint8_t(run + 125));
                out.push_back(plane[at]);
                at += run;
                continue;
            }
            // Copied bytes up to the next run of three.
            size_t end = at;
            while (end < plane.size() && end - at < 128 &&
                   !(end + 2 < plane.size() && plane[end] == plane[end + 1] && plane[end] == plane[end + 2]))
                ++end;
            out.push_back(uint8_t(end - at - 1));
            out.insert(out.end(), plane.begin() + long(at), plane.begin() + long(end));
            at = end;
        }
    }
    return out;
}

std::vector<Bytes> ArgbPlanes(int w, int h, const std::function<uint32_t(int x, int y)>& argb) {
    std::vector<Bytes> planes(4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = argb(x, y);
            for (int c = 0; c < 4; ++c) planes[size_t(c)].push_back(uint8_t(p >> (24 - 8 * c)));
        }
    return planes;
}

Bytes SampleIconFamily() {
    const auto pixel = [](int x, int y) {
        const uint32_t alpha = (x + y) % 5 == 0 ? 0 : x < 8 ? 0xFF : uint32_t(x * 16);
        return alpha << 24 | uint32_t(x * 15) << 16 | uint32_t(y * 15) << 8 | uint32_t((x * y) & 0xFF);
    };
    Bytes mono(64);
    for (size_t i = 0; i < 32; ++i) mono[i] = uint8_t(0xA5 ^ i);       // the image: a pattern
    for (size_t i = 32; i < 64; ++i) mono[i] = i % 4 ? 0xFF : 0x3C;    // its mask: mostly opaque
    Bytes four(128), eight(256);
    for (size_t i = 0; i < four.size(); ++i) four[i] = uint8_t(i * 7);
    for (size_t i = 0; i < eight.size(); ++i) eight[i] = uint8_t(i);
    std::vector<Bytes> argb = ArgbPlanes(16, 16, pixel);
    const Bytes alpha = argb[0];
    argb.erase(argb.begin());
    Bytes packedArgb = {'A', 'R', 'G', 'B'};
    const Bytes planes = PackPlanes(ArgbPlanes(16, 16, pixel));
    packedArgb.insert(packedArgb.end(), planes.begin(), planes.end());
    return BuildIcns({{"TOC ", Bytes(8, 0)},
                      {"ics#", mono},
                      {"ics4", four},
                      {"ics8", eight},
                      {"is32", PackPlanes(argb)},
                      {"s8mk", alpha},
                      {"ic04", packedArgb},
                      {"ic07", BuildPng(128, 128, [](int x, int y) { return 0x80000000u | uint32_t(x << 8 | y); })},
                      {"name", Bytes{'s', 'a', 'm', 'p', 'l', 'e'}}});
}

} // namespace gw::test
