// Saving a large bitmap of varied colours in every pixel format: the indexed
// formats include building the palette and mapping every pixel to it.
#include <benchmark/benchmark.h>

#include "platform/BmpCodec.h"

namespace {

constexpr int kSide = 2048;

// Smooth gradients crossed by a fine pattern: about a million distinct colours.
const gw::Bitmap& VariedBitmap() {
    static const gw::Bitmap bitmap = [] {
        gw::Bitmap b;
        b.SetSize(kSide, kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                b.SetPixel(x, y, 0xFF000000u | uint32_t(x / 8) << 16 | uint32_t(y / 8) << 8 | uint32_t((x ^ y) & 0xFF));
        return b;
    }();
    return bitmap;
}

void BM_EncodeBmp(benchmark::State& state) {
    const auto format = gw::PixelFormat(state.range(0));
    const gw::Bitmap& bitmap = VariedBitmap();
    for (auto _ : state) benchmark::DoNotOptimize(gw::EncodeBmp(bitmap, format));
    state.SetLabel(std::string(gw::PixelFormatText(format)) + " bits");
    state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}

} // namespace

BENCHMARK(BM_EncodeBmp)
    ->ArgName("format")
    ->DenseRange(int(gw::PixelFormat::Bits1), int(gw::PixelFormat::Bits32))
    ->Unit(benchmark::kMillisecond);
