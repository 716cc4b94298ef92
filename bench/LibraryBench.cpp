// Listing, counting and extracting a library: what the explorer, info and
// the wizard pay per file, on a library of 300 icon groups (three images
// each), 40 cursor groups and 40 bitmaps written to a temporary folder.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "batch/core/Extraction.h"
#include "formats/Document.h"
#include "formats/ResTypes.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

namespace {

using namespace gw;
using namespace gw::test;

constexpr int kGroups = 300;
constexpr int kCursorGroups = 40;
constexpr int kBitmaps = 40;

Bytes Dib(int side, int bits, bool icon) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = bits;
    s.icon = icon;
    s.pixel = [](int x, int y) { return uint32_t(0xFF000000u | (x * 0x10203u + y * 0x30201u)); };
    return BuildDib(s);
}

PeResource Res(uint16_t type, uint16_t id, Bytes data) {
    return {ResourceKey::Id(type), ResourceKey::Id(id), 0x0409, std::move(data)};
}

// The library, written once for every benchmark of this file.
const std::string& LibraryPath() {
    static const std::string path = [] {
        PeLayout layout;
        layout.pe32Plus = true;
        const Bytes images[3] = {Dib(16, 32, true), Dib(32, 32, true), Dib(48, 32, true)};
        uint16_t nextImage = 1;
        for (int g = 0; g < kGroups; ++g) {
            std::vector<IconGroupEntry> entries;
            for (const Bytes& image : images) {
                const uint8_t side = uint8_t(image == images[0] ? 16 : image == images[1] ? 32 : 48);
                entries.push_back({side, side, 0, 0, 1, 32, uint32_t(image.size()), nextImage});
                layout.resources.push_back(Res(RT_ICON, nextImage++, image));
            }
            layout.resources.push_back(Res(RT_GROUP_ICON, uint16_t(g + 1), BuildIconGroup(entries)));
        }
        const Bytes cursor = BuildCursorResource(3, 4, Dib(32, 1, true));
        for (int c = 0; c < kCursorGroups; ++c) {
            layout.resources.push_back(Res(RT_CURSOR, uint16_t(c + 1), cursor));
            layout.resources.push_back(
                Res(RT_GROUP_CURSOR, uint16_t(c + 1), BuildCursorGroup({{32, 64, 1, 1, uint32_t(cursor.size()), uint16_t(c + 1)}})));
        }
        for (int b = 0; b < kBitmaps; ++b) layout.resources.push_back(Res(RT_BITMAP, uint16_t(b + 1), Dib(64, 24, false)));
        const std::string file = (std::filesystem::temp_directory_path() / "grabwell-bench-library.dll").string();
        WriteFile(file, BuildPe(layout).bytes);
        return file;
    }();
    return path;
}

// What the explorer's counters read: the headers and the resource directory.
void BM_CountLibrary(benchmark::State& state) {
    const std::string& path = LibraryPath();
    for (auto _ : state) benchmark::DoNotOptimize(Document::Open(path)->Counts());
}
BENCHMARK(BM_CountLibrary)->Unit(benchmark::kMicrosecond);

// What info lists: every group's directory and every bitmap's header, no pixels.
void BM_ListLibrary(benchmark::State& state) {
    const std::string& path = LibraryPath();
    for (auto _ : state) benchmark::DoNotOptimize(Document::Open(path)->LoadAll());
}
BENCHMARK(BM_ListLibrary)->Unit(benchmark::kMicrosecond);

// Listing and drawing every icon image, as a window that shows them all.
void BM_ListAndDrawLibrary(benchmark::State& state) {
    const std::string& path = LibraryPath();
    for (auto _ : state) {
        const auto file = Document::Open(path);
        file->Load(RecordKind::Icons);
        for (const auto& g : file->Contents().IconGroups)
            for (const auto& im : g.Images) benchmark::DoNotOptimize(im.Handle().get());
    }
}
BENCHMARK(BM_ListAndDrawLibrary)->Unit(benchmark::kMillisecond);

// The wizard's per-file extraction: 900 one-image .ico files into an empty folder.
void BM_ExtractLibraryIcons(benchmark::State& state) {
    const std::string& path = LibraryPath();
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "grabwell-bench-out";
    Listing listing;
    OutputChoice choice;
    choice.asIcons = true;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        state.ResumeTiming();
        ActionFlags flags;
        BatchWriter writer(out.string(), flags, nullptr, CollisionMode::AutoRename);
        ExtractOneFile(*Document::Open(path), listing, kGroups, choice, writer);
    }
    std::filesystem::remove_all(out);
}
BENCHMARK(BM_ExtractLibraryIcons)->Unit(benchmark::kMillisecond);

} // namespace
