// Decoding measurements: every image of a many-image icon file, and large
// bitmap files.
#include <benchmark/benchmark.h>

#include "platform/BmpCodec.h"
#include "platform/IconImage.h"
#include "tests/support/Builders.h"

namespace {

using namespace gw;
using namespace gw::test;

// An icon file of 16, 24, 32, 48, 64 and 256 pixel images at 4, 8 and 32
// bits, plus a 256-pixel PNG image.
Bytes ManyImageIcon() {
    std::vector<IcoEntry> entries;
    for (int bits : {4, 8, 32}) {
        for (int size : {16, 24, 32, 48, 64, 256}) {
            DibLayout s;
            s.width = s.height = size;
            s.bitCount = bits;
            s.pixel = [bits](int x, int y) {
                return bits == 32 ? uint32_t(0x80000000u | (x * 0x10203u + y * 0x30201u)) : uint32_t(x ^ y);
            };
            s.transparent = [](int x, int y) { return (x + y) % 7 == 0; };
            IcoEntry e;
            e.data = BuildDib(s);
            e.width = e.height = uint8_t(size);
            e.bitCountOrHotY = uint16_t(bits);
            entries.push_back(std::move(e));
        }
    }
    IcoEntry png;
    png.data = BuildPng(256, 256, [](int x, int y) {
        return uint32_t((x * y) & 0xFF) << 24 | uint32_t(x << 16 | y << 8);
    });
    png.width = png.height = 0;
    png.bitCountOrHotY = 32;
    entries.push_back(std::move(png));
    return BuildIcoFile(entries);
}

// Walks the icon directory and decodes every image at the given size.
void DecodeIconFile(benchmark::State& state, int desired) {
    static const Bytes file = ManyImageIcon();
    const ByteView bytes(file);
    const uint16_t count = PeekU16(bytes, 4);
    for (auto _ : state) {
        for (uint16_t i = 0; i < count; ++i) {
            const uint64_t entry = 6 + 16ull * i;
            const uint32_t size = PeekU32(bytes, entry + 8);
            const uint32_t offset = PeekU32(bytes, entry + 12);
            if (!InBounds(offset, size, bytes.size())) continue;
            Handle h = DecodeIconImage(bytes.subspan(offset, size), true, desired, desired);
            benchmark::DoNotOptimize(h);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_DecodeIconFileImages(benchmark::State& state) { DecodeIconFile(state, 0); }
void BM_DecodeIconFileImagesAt32(benchmark::State& state) { DecodeIconFile(state, 32); }

Bytes LargeBmp(int bits) {
    DibLayout s;
    s.width = s.height = 4096;
    s.bitCount = bits;
    s.icon = false;
    s.pixel = [bits](int x, int y) {
        return bits == 8 ? uint32_t((x ^ y) & 0xFF) : uint32_t(x * 0x10203u + y * 0x30201u);
    };
    return BuildBmpFile(BuildDib(s));
}

void DecodeLargeBmp(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        Bitmap b = DecodeBmp(file);
        benchmark::DoNotOptimize(b.pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_DecodeBmp4096x4096x24(benchmark::State& state) {
    static const Bytes file = LargeBmp(24);
    DecodeLargeBmp(state, file);
}
void BM_DecodeBmp4096x4096x8(benchmark::State& state) {
    static const Bytes file = LargeBmp(8);
    DecodeLargeBmp(state, file);
}
void BM_DecodeBmp4096x4096x32(benchmark::State& state) {
    static const Bytes file = LargeBmp(32);
    DecodeLargeBmp(state, file);
}

} // namespace

BENCHMARK(BM_DecodeIconFileImages)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeIconFileImagesAt32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBmp4096x4096x24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp4096x4096x8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp4096x4096x32)->Unit(benchmark::kMillisecond);
