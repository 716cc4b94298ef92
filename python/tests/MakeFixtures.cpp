// Writes the files the Python module's tests read into the folder given as
// the only argument, made by the same builders as the C++ tests: an icon,
// cursor, bitmap and animated cursor file, the batch tests' PE, NE and
// resource containers, a library holding an animated cursor, one of 600 icon
// groups, an icon whose image does not decode, a bitmap cut short inside a
// library, and damaged copies of several of them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "formats/ResTypes.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ShellLinkBuilder.h"
#include "tests/support/WinePrefixBuilder.h"

namespace gw::test {
namespace {

Bytes IconDib(int size, int bits) {
    DibLayout d;
    d.width = d.height = size;
    d.bitCount = bits;
    // The lower right quarter is see-through; its pixels carry colour 0.
    const auto clear = [size](int x, int y) { return x >= size / 2 && y >= size / 2; };
    d.transparent = clear;
    if (bits == 32) {
        // A real alpha channel: a ramp from clear at the left to opaque at the right.
        d.pixel = [size](int x, int y) {
            return (uint32_t(x * 255 / (size - 1)) << 24) | uint32_t(0x2040A0 + y * 0x10000 + x);
        };
    } else if (bits > 8) {
        d.pixel = [clear](int x, int y) { return clear(x, y) ? 0u : uint32_t(0x102030 + x * 0x10 + y * 0x1000); };
    } else {
        d.pixel = [clear, bits](int x, int y) { return clear(x, y) ? 0u : uint32_t((x + y) % (1 << bits)); };
    }
    return BuildDib(d);
}

Bytes Png(int size) {
    return BuildPng(size, size, [size](int x, int y) {
        return (uint32_t(255 - (x * 255 / size)) << 24) | uint32_t((x << 16) | (y << 8) | ((x + y) & 0xFF));
    });
}

IcoEntry Entry(Bytes data, uint8_t side, uint16_t planesOrHotX, uint16_t bitCountOrHotY) {
    IcoEntry e;
    e.data = std::move(data);
    e.width = e.height = side;
    e.planesOrHotX = planesOrHotX;
    e.bitCountOrHotY = bitCountOrHotY;
    return e;
}

Bytes Icons() {
    return BuildIcoFile({Entry(IconDib(16, 4), 16, 1, 4), Entry(IconDib(32, 32), 32, 1, 32),
                         Entry(Png(48), 48, 1, 32), Entry(Png(256), 0, 1, 32)});
}

Bytes Cursor(uint16_t hotX, uint16_t hotY) {
    return BuildIcoFile({Entry(IconDib(32, 1), 32, hotX, hotY), Entry(IconDib(16, 32), 16, 2, 3)}, 2);
}

Bytes Bitmap(int w, int h, int bits) { return BuildBmpFile(BitmapDib(w, h, bits)); }

Bytes Animation() {
    AniLayout a;
    a.frames = {Cursor(5, 7), Cursor(9, 11)};
    a.sequence = std::vector<uint32_t>{0, 1, 0};
    a.rates = std::vector<uint32_t>{6, 12, 30};
    a.title = "Walking";
    a.artist = "Grabwell tests";
    return BuildAni(a);
}

// A library with a named icon group and an animated cursor resource.
Bytes AnimatedLibrary() {
    const Bytes dib = IconDib(32, 8);
    PeLayout layout;
    layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0409, dib});
    layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named("MAIN"), 0x0409,
                                BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(dib.size()), 1}})});
    layout.resources.push_back({ResourceKey::Id(RT_ANICURSOR), ResourceKey::Named("BUSY"), 0x0409, Animation()});
    return BuildPe(layout).bytes;
}

// A library whose one bitmap has a whole header but only half its pixels.
Bytes HalfBitmapLibrary() {
    DibLayout d;
    d.width = 16;
    d.height = 16;
    d.bitCount = 24;
    d.icon = false;
    Bytes dib = BuildDib(d);
    dib.resize(40 + 16 * 16 * 3 / 2);
    PeLayout layout;
    layout.resources.push_back({ResourceKey::Id(RT_BITMAP), ResourceKey::Named("HALF"), 0x0409, dib});
    return BuildPe(layout).bytes;
}

// A library of many icon groups over a few images, so that reading them
// takes a while.
Bytes ManyGroupsLibrary() {
    const Bytes image = IconDib(16, 4);
    PeLayout layout;
    std::vector<IconGroupEntry> entries;
    for (uint16_t id = 1; id <= 4; ++id) {
        layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id), 0x0409, image});
        entries.push_back({16, 16, 0, 0, 1, 4, uint32_t(image.size()), id});
    }
    for (uint16_t k = 1; k <= 600; ++k)
        layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(k), 0x0409, BuildIconGroup(entries)});
    return BuildPe(layout).bytes;
}

// A library whose icon group is held in German (a 16-pixel image) and in
// English (32 pixels), and whose bitmap is neutral.
Bytes LanguagesLibrary() {
    const Bytes small = IconDib(16, 4), large = IconDib(32, 8);
    PeLayout layout;
    layout.resources = {
        {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0407, BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(small.size()), 1}})},
        {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(large.size()), 2}})},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0407, small},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(2), 0x0409, large},
        {ResourceKey::Id(RT_BITMAP), ResourceKey::Id(7), 0, BitmapDib(4, 4, 24)}};
    return BuildPe(layout).bytes;
}

Bytes Cut(Bytes bytes, size_t keep) {
    bytes.resize(std::min(bytes.size(), keep));
    return bytes;
}

} // namespace
} // namespace gw::test

int main(int argc, char** argv) {
    using namespace gw::test;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    const gw::Bytes icons = Icons(), pe = BuildBatchPe(), bmp = Bitmap(12, 6, 24), ani = Animation();
    // An icon file whose second image is 120 bytes that are no picture.
    const gw::Bytes garbage = BuildIcoFile({Entry(IconDib(16, 4), 16, 1, 4), Entry(gw::Bytes(120, 0xEE), 32, 1, 8)});
    const std::pair<const char*, gw::Bytes> files[] = {
        {"icons.ico", icons},
        {"pointer.cur", Cursor(5, 7)},
        {"picture.bmp", bmp},
        {"indexed.bmp", Bitmap(20, 10, 8)},
        {"walk.ani", ani},
        {"library.dll", pe},
        {"old.exe", BuildBatchNe()},
        {"pics.res", BuildBatchRes32()},
        {"old.r16", BuildBatchRes16()},
        {"animated.dll", AnimatedLibrary()},
        {"garbage.ico", garbage},
        {"halfbitmap.dll", HalfBitmapLibrary()},
        {"many.dll", ManyGroupsLibrary()},
        {"languages.dll", LanguagesLibrary()},
        {"cut.ico", Cut(icons, icons.size() / 3)},
        {"cut.dll", Cut(pe, pe.size() * 2 / 3)},
        {"cut.bmp", Cut(bmp, bmp.size() - 20)},
        {"cut.ani", Cut(ani, ani.size() / 2)},
    };
    for (const auto& [name, bytes] : files) {
        if (!WriteFile(out + "/" + name, bytes)) {
            std::fprintf(stderr, "cannot write %s/%s\n", out.c_str(), name);
            return 1;
        }
    }
    // A Wine prefix with a program and a shortcut to it that shows the
    // program's second icon group.
    WinePrefixLayout prefix;
    prefix.folders = {"Program Files/App", "users/Public/Desktop"};
    ShellLinkLayout link = LocalShellLink("C:\\Program Files\\App\\app.exe");
    link.arguments = "-x \"a b\"";
    link.iconLocation = "%ProgramFiles%\\app\\APP.exe";
    link.iconIndex = 1;
    if (!BuildWinePrefix(out + "/prefix", prefix) || !WriteFile(out + "/prefix/drive_c/Program Files/App/app.exe", pe) ||
        !WriteFile(out + "/prefix/drive_c/users/Public/Desktop/App.lnk", BuildShellLink(link).bytes)) {
        std::fprintf(stderr, "cannot write the prefix in %s\n", out.c_str());
        return 1;
    }
    return 0;
}
