// The bitmap windows' previews: a 4096 x 4096 bitmap shrunk to 64 x 64.
#include <benchmark/benchmark.h>

#include "formats/Rescaler.h"

namespace {

constexpr int kSourceSide = 4096;
constexpr int kPreviewSide = 64;

gw::Bitmap Source(gw::PixelFormat format) {
    gw::Bitmap b;
    b.pixelFormat = format;
    b.SetSize(kSourceSide, kSourceSide);
    for (int y = 0; y < kSourceSide; ++y)
        for (int x = 0; x < kSourceSide; ++x)
            b.SetPixel(x, y, uint32_t(x + y) << 24 | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t(x ^ y));
    return b;
}

void BM_Rescale4096To64(benchmark::State& state) {
    const auto format = gw::PixelFormat(state.range(0));
    gw::Bitmap src = Source(format);
    for (auto _ : state) {
        gw::Bitmap dst;
        dst.width = kPreviewSide;
        dst.height = kPreviewSide;
        benchmark::DoNotOptimize(gw::Rescale(src, dst));
        benchmark::DoNotOptimize(dst.pixels.data());
    }
    state.SetLabel(std::string(gw::PixelFormatText(format)) + " bits");
}

} // namespace

BENCHMARK(BM_Rescale4096To64)
    ->ArgName("format")
    ->Arg(int(gw::PixelFormat::Bits32))
    ->Arg(int(gw::PixelFormat::Bits24))
    ->Unit(benchmark::kMillisecond);
