#include "fuzz/Seeds.h"

#include "tests/support/AniBuilder.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/DibVariantBuilder.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/IcnsBuilder.h"
#include "tests/support/MuiBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/PngBuilder.h"
#include "tests/support/ShellLinkBuilder.h"
#include "tests/support/VersionBuilder.h"

namespace gw::fuzz {

using namespace gw::test;

namespace {

Bytes Dib(int size, int bpp, bool icon) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bitCount = bpp;
    s.icon = icon;
    s.pixel = [bpp](int x, int y) { return bpp >= 16 ? uint32_t(x * 0x10203 + y * 0x30201) : uint32_t(x + y); };
    s.transparent = [](int x, int y) { return x < y; };
    return BuildDib(s);
}

Bytes BitFieldsDib() {
    DibLayout s;
    s.width = 7;
    s.height = 5;
    s.bitCount = 16;
    s.icon = false;
    s.compression = 3;
    s.redMask = 0xF800;
    s.greenMask = 0x07E0;
    s.blueMask = 0x001F;
    s.pixel = [](int x, int y) { return uint32_t(x * 2000 + y * 77); };
    return BuildDib(s);
}

IcoEntry Entry(const Bytes& data, uint8_t w, uint16_t a, uint16_t b) {
    IcoEntry e;
    e.data = data;
    e.width = w;
    e.height = w;
    e.planesOrHotX = a;
    e.bitCountOrHotY = b;
    return e;
}

} // namespace

std::map<std::string, std::vector<Bytes>> SeedInputs() {
    const Bytes png = BuildPng(24, 24, [](int x, int y) { return uint32_t((x * 10) << 24 | (y * 10)); });
    const Bytes ico = BuildIcoFile({Entry(Dib(16, 4, true), 16, 1, 4), Entry(Dib(16, 8, true), 16, 1, 8),
                                    Entry(Dib(8, 32, true), 8, 1, 32), Entry(png, 24, 1, 32)});
    const Bytes icoMono = BuildIcoFile({Entry(Dib(16, 1, true), 16, 1, 1), Entry(Dib(8, 24, true), 8, 1, 24)});
    const Bytes cur = BuildIcoFile({Entry(Dib(16, 1, true), 16, 5, 7), Entry(Dib(8, 4, true), 8, 1, 2)}, 2);
    std::vector<Bytes> bmps = {BuildBmpFile(Dib(9, 1, false)),  BuildBmpFile(Dib(9, 4, false)),
                               BuildBmpFile(Dib(9, 8, false)),  BuildBmpFile(Dib(9, 24, false)),
                               BuildBmpFile(Dib(9, 32, false)), BuildBmpFile(BitFieldsDib()),
                               BuildBmpFile(WithCoreHeader(Dib(9, 8, false))),
                               BuildBmpFile(WithHeaderVersion(Dib(9, 32, false), 124, 0xFF000000u)),
                               BuildBmpFile(BuildRleDib(8, 4, 8, {0, 0xFF0000, 0xFF00},
                                                        {3, 1, 0, 0, 0, 3, 1, 2, 0, 0, 2, 2, 1, 0, 0, 1})),
                               BuildBmpFile(BuildRleDib(8, 4, 4, {0, 0xFF0000, 0xFF00},
                                                        {4, 0x12, 0, 0, 0, 4, 0x12, 0x21, 0, 0, 0, 1}))};
    const Bytes pe = BuildBatchPe(), ne = BuildBatchNe(), res32 = BuildBatchRes32(), res16 = BuildBatchRes16();

    std::map<std::string, std::vector<Bytes>> seeds;
    seeds["filekind"] = {ico, cur, pe, ne};
    seeds["ico"] = {ico, icoMono};
    seeds["cur"] = {cur};
    {
        AniLayout ani;
        ani.frames = {cur, cur};
        ani.sequence = std::vector<uint32_t>{0, 1, 0};
        ani.rates = std::vector<uint32_t>{5, 10, 15};
        ani.title = "seed";
        seeds["ani"] = {BuildAni(ani)};
    }
    seeds["bmp"] = bmps;
    for (const Bytes& d : {Dib(16, 4, true), Dib(16, 1, true), Dib(8, 32, true), Dib(8, 24, true), png}) {
        Bytes asIcon = {0, 1};
        asIcon.insert(asIcon.end(), d.begin(), d.end());
        Bytes asCursor = {16, 0, 5, 0, 7, 0};
        asCursor.insert(asCursor.end(), d.begin(), d.end());
        seeds["icon_image"].push_back(asIcon);
        seeds["icon_image"].push_back(asCursor);
    }
    {
        // PNG images of every colour type, one with a palette and tRNS, one
        // split over IDAT chunks; the first byte asks for CRCs made right.
        for (const auto& [type, depth] : {std::pair<uint8_t, uint8_t>{6, 8}, {4, 8}, {2, 16}, {0, 1}, {3, 4}}) {
            test::PngLayout l;
            l.colorType = type;
            l.depth = depth;
            l.rows.resize(test::PngRowBytes(l) * l.height);
            for (size_t i = 0; i < l.rows.size(); ++i) l.rows[i] = uint8_t(i * 37);
            l.filters = {0, 1, 2, 3, 4, 4, 3, 1};
            if (type == 3) {
                l.palette.assign(16 * 3, 0x40);
                l.transparency = Bytes{0, 0x80};
            }
            l.dataParts = type == 6 ? 2 : 1;
            Bytes seed = {1};
            const Bytes built = test::BuildRawPng(l);
            seed.insert(seed.end(), built.begin(), built.end());
            seeds["png"].push_back(seed);
        }
        Bytes seed = {0};
        seed.insert(seed.end(), png.begin(), png.end());
        seeds["png"].push_back(seed);
    }
    seeds["ne"] = {ne};
    seeds["pe"] = {pe};
    seeds["res"] = {res32, res16};
    seeds["extract_icon"] = {pe, ne, ico};
    // The opened file's first byte picks the extension: .ico .cur .bmp .dll .res .icl.
    for (const auto& [pick, file] : {std::pair{0, ico}, std::pair{1, cur}, std::pair{2, bmps[1]}, std::pair{3, pe},
                                     std::pair{4, res32}, std::pair{4, res16}, std::pair{5, ne}}) {
        Bytes seed = {uint8_t(pick)};
        seed.insert(seed.end(), file.begin(), file.end());
        seeds["opened"].push_back(seed);
    }
    seeds["version"] = {BuildVersionBlock(SampleVersionTree(true), true),
                        BuildVersionBlock(SampleVersionTree(false), false)};
    {
        // A MUI resource alone, and a library holding it and an icon group
        // in two languages.
        const Bytes mui = test::BuildMuiResource();
        const Bytes image = Dib(16, 4, true);
        const Bytes group = BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(image.size()), 1}});
        test::PeLayout layout;
        layout.resources = {{ResourceKey::Named("MUI"), ResourceKey::Id(1), 0x0409, mui},
                            {ResourceKey::Id(14), ResourceKey::Id(1), 0x0407, group},
                            {ResourceKey::Id(14), ResourceKey::Id(1), 0x0409, group},
                            {ResourceKey::Id(3), ResourceKey::Id(1), 0x0409, image}};
        seeds["mui"] = {mui, test::BuildPe(layout).bytes};
    }
    {
        // Programs with named and numbered resources in two languages, with
        // and without a resource directory, and a resource file.
        test::PeLayout named;
        named.resources = {{ResourceKey::Named("DATA"), ResourceKey::Named("b"), 0x0407, {1, 2, 3}},
                           {ResourceKey::Named("DATA"), ResourceKey::Named("B"), 0x0409, {4}},
                           {ResourceKey::Id(6), ResourceKey::Id(1), 0, Bytes(40, 7)}};
        test::PeLayout plus = named;
        plus.pe32Plus = true;
        test::PeLayout none;
        none.resourceDirectory = false;
        seeds["rewrite"] = {pe, res32, test::BuildPe(named).bytes, test::BuildPe(plus).bytes,
                            test::BuildPe(none).bytes};
    }
    seeds["roundtrip"] = {ico, icoMono, cur, bmps[1], bmps[4], bmps[5]};
    {
        // Shortcuts: Unicode and 8-bit, network share, Wine's items, blocks only.
        const ShellLinkLayout net = NetworkShellLink("\\\\server\\share", "dir\\a.exe", true);
        ShellLinkLayout wine;
        wine.idList = std::vector<Bytes>{MyComputerItem(), VolumeItem("C:\\", 0x23),
                                         WineFileEntryItem("users", "users", true),
                                         WineFileEntryItem("?.txt", "\u0444.txt")};
        wine.iconLocation = "%SystemRoot%\\system32\\shell32.dll";
        ShellLinkLayout blocks;
        blocks.environmentTarget = "%windir%\\notepad.exe";
        blocks.iconEnvironmentPath = "%windir%\\notepad.exe";
        blocks.darwinId = "descriptor";
        blocks.environmentAnsiOnly = true;
        seeds["lnk"] = {BuildShellLink(SampleShellLink()).bytes, BuildShellLink(SampleAnsiShellLink()).bytes,
                        BuildShellLink(net).bytes, BuildShellLink(wine).bytes, BuildShellLink(blocks).bytes};
    }
    {
        // Icon families: every way of storing an image, and a 128-pixel packed one.
        const auto pixel = [](int x, int y) { return uint32_t(x * 2) << 16 | uint32_t(y * 2) << 8 | 0x40; };
        std::vector<Bytes> planes = test::ArgbPlanes(128, 128, pixel);
        planes.erase(planes.begin());
        Bytes it32(4, 0);
        const Bytes packed = test::PackPlanes(planes);
        it32.insert(it32.end(), packed.begin(), packed.end());
        seeds["icns"] = {test::SampleIconFamily(), test::BuildIcns({{"it32", it32}, {"t8mk", Bytes(128 * 128, 0x80)}})};
    }
    // The thumbnailer's first byte picks the size: 16, 32, 48, 256.
    uint8_t pick = 0;
    for (const Bytes& file : {pe, ne, ico, cur, res32}) {
        Bytes seed = {pick++};
        seed.insert(seed.end(), file.begin(), file.end());
        seeds["thumbnail"].push_back(seed);
    }

    return seeds;
}

} // namespace gw::fuzz
