// Runs grabwell-thumbnailer on fixture files of every kind and checks the
// PNG pictures it writes, and that it writes nothing when there is no picture.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "formats/ResTypes.h"
#include "platform/IconImage.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/Builders.h"
#include "tests/support/NeBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

RunResult Thumbnailer(const std::string& args) {
    return RunCommand(std::string(GRABWELL_THUMBNAILER) + " " + args + " 2>/dev/null");
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs the thumbnailer at a size and decodes what it wrote (null when it
// wrote nothing or the output is no image).
Handle ThumbnailOf(const std::string& input, int size, const std::string& output, int* status = nullptr) {
    std::error_code ec;
    fs::remove(output, ec);
    const RunResult r = Thumbnailer("-s " + std::to_string(size) + " " + Quote(input) + " " + Quote(output));
    if (status) *status = r.status;
    if (r.status != 0 || !fs::exists(output)) return nullptr;
    const Bytes png = ReadFile(output);
    return DecodeIconImage(png, true);
}

Bytes IconDib(int w, int h, int bits, uint32_t pixel = 1) {
    DibLayout d;
    d.width = w;
    d.height = h;
    d.bitCount = bits;
    d.pixel = [pixel](int, int) { return pixel; };
    return BuildDib(d);
}

IconGroupEntry GroupEntryOf(const Bytes& image, uint8_t size, uint16_t bits, uint16_t id) {
    return {size, size, 0, 0, 1, bits, uint32_t(image.size()), id};
}

// A library whose first group (named, so first in directory order) holds
// 16x16 4-bit, 32x32 8-bit, 32x32 32-bit (half-transparent red), 48x48 8-bit
// and a 256x256 PNG; a second group holds only a 64x64 image.
struct IconLibrary {
    Bytes i16 = IconDib(16, 16, 4), i32 = IconDib(32, 32, 8), i32deep = IconDib(32, 32, 32, 0x80FF0000u),
          i48 = IconDib(48, 48, 8), i64 = IconDib(64, 64, 8);
    // Bytes after the end chunk tell a copy from a picture encoded again.
    Bytes png = [] {
        Bytes b = BuildPng(256, 256, [](int x, int y) { return 0xFF000000u | uint32_t(x << 8) | uint32_t(y); });
        b.insert(b.end(), {'s', 't', 'o', 'r', 'e', 'd'});
        return b;
    }();
    Bytes Pe() const {
        PeLayout layout;
        layout.pe32Plus = true;
        layout.resources = {
            {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup({GroupEntryOf(i64, 64, 8, 6)})},
            {ResourceKey::Id(RT_GROUP_ICON),
             ResourceKey::Named("MAINICON"),
             0x0409,
             BuildIconGroup({GroupEntryOf(i16, 16, 4, 1), GroupEntryOf(i32, 32, 8, 2), GroupEntryOf(i48, 48, 8, 3),
                             GroupEntryOf(png, 0, 32, 4), GroupEntryOf(i32deep, 32, 32, 5)})},
        };
        const Bytes* images[] = {&i16, &i32, &i48, &png, &i32deep, &i64};
        for (uint16_t id = 1; id <= 6; ++id)
            layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id), 0x0409, *images[id - 1]});
        return BuildPe(layout).bytes;
    }
};

} // namespace

TEST(Thumbnailer, ExecutableGivesItsFirstIconAsLargeAsAskedFromTheSmallestImageThatCoversIt) {
    const IconLibrary lib;
    TempDir dir;
    // File managers hand over downloads under any name: found by content.
    const std::string exe = dir.file("download"), out = dir.file("thumb.png");
    ASSERT_TRUE(WriteFile(exe, lib.Pe()));

    Handle t = ThumbnailOf(exe, 48, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 48);
    EXPECT_EQ(t->height, 48);
    EXPECT_NE(ReadFile(out), lib.png);
    EXPECT_TRUE(t->hasAlpha || !t->mask.empty());

    // The PNG image is written as stored, at its size and at any larger one.
    for (int size : {256, 300, 4096}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(ThumbnailOf(exe, size, out));
        EXPECT_EQ(ReadFile(out), lib.png);
    }
    // Between sizes: the smallest image that covers the size, scaled down to
    // it, so a file manager gets the size it asked for.
    t = ThumbnailOf(exe, 24, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 24);
    EXPECT_EQ(t->height, 24);
    t = ThumbnailOf(exe, 128, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 128);
    EXPECT_TRUE(t->hasAlpha); // the 256 picture scaled down, not the 8-bit 48 scaled up
    // Of the two 32x32 images the 32-bit one, with its own alpha.
    t = ThumbnailOf(exe, 32, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 32);
    EXPECT_EQ(t->argb[0], 0x80FF0000u);
    // Only bigger images: the smallest of them scaled down.
    t = ThumbnailOf(exe, 10, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 10);
    EXPECT_EQ(t->height, 10);
    // The default size is 128: the 256 picture scaled down.
    fs::remove(out);
    ASSERT_EQ(Thumbnailer(Quote(exe) + " " + Quote(out)).status, 0);
    t = DecodeIconImage(ReadFile(out), true);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 128);
}

TEST(Thumbnailer, IconCursorNeAndResourceFilesUnderAnyName) {
    TempDir dir;
    const std::string out = dir.file("out.png");
    const Bytes i16 = IconDib(16, 16, 4), i32 = IconDib(32, 32, 8), i64 = IconDib(64, 64, 32, 0xFF00FF00u);

    // An icon file of one 64x64 image, named like no icon file: scaled down.
    const std::string ico = dir.file("picture.bin");
    ASSERT_TRUE(WriteFile(ico, BuildIcoFile({{i64, 64, 64, 0, 0, 1, 32}})));
    Handle t = ThumbnailOf(ico, 32, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 32);
    EXPECT_EQ(t->height, 32);
    EXPECT_EQ(t->argb[0], 0xFF00FF00u);
    // A wide image keeps its aspect.
    const std::string wide = dir.file("wide.ico");
    ASSERT_TRUE(WriteFile(wide, BuildIcoFile({{IconDib(64, 32, 8), 64, 32, 0, 0, 1, 8}})));
    t = ThumbnailOf(wide, 16, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 16);
    EXPECT_EQ(t->height, 8);

    // A cursor file: its first cursor, not scaled up.
    const std::string cur = dir.file("arrow.cur");
    ASSERT_TRUE(WriteFile(cur, BuildIcoFile({{IconDib(32, 32, 1), 32, 32, 0, 0, 5, 7}, {i64, 64, 64, 0, 0, 1, 2}}, 2)));
    t = ThumbnailOf(cur, 24, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 24);
    t = ThumbnailOf(cur, 96, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 64);
    EXPECT_EQ(t->height, 64);
    // An animated cursor: the first step's frame, here the second frame's 64-pixel image.
    AniLayout ani;
    ani.frames = {ReadFile(cur), BuildIcoFile({{i64, 64, 64, 0, 0, 1, 2}}, 2)};
    ani.sequence = std::vector<uint32_t>{1, 0};
    const std::string busy = dir.file("busy.tmp");
    ASSERT_TRUE(WriteFile(busy, BuildAni(ani)));
    t = ThumbnailOf(busy, 64, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 64);
    EXPECT_EQ(t->argb[0], 0xFF00FF00u);

    // A 16-bit icon library.
    NeLayout ne;
    ne.types = {{0x8003, {{0x8001, i16}, {0x8002, i32}}},
                {0x800E, {{0x8001, BuildNeIconGroup({GroupEntryOf(i16, 16, 4, 1), GroupEntryOf(i32, 32, 8, 2)})}}}};
    const std::string icl = dir.file("icons.icl");
    ASSERT_TRUE(WriteFile(icl, BuildNeFile(ne).bytes));
    t = ThumbnailOf(icl, 24, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 24);
    t = ThumbnailOf(icl, 64, out);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 32);

    // Resource files: the 32-bit layout by content, the 16-bit one by name.
    auto entry = [](const Bytes& image, uint16_t size, uint16_t bits, uint16_t id) {
        return GroupEntry{size, size, 1, bits, uint32_t(image.size()), id};
    };
    const std::vector<ResItem> items = {
        {RT_ICON, 1, i16},
        {RT_ICON, 2, i64},
        {RT_GROUP_ICON, "MAIN", BuildIconGroupRes({entry(i16, 16, 4, 1), entry(i64, 64, 32, 2)})}};
    const std::string res32 = dir.file("resources"), res16 = dir.file("old.r16");
    ASSERT_TRUE(WriteFile(res32, BuildRes32(items)));
    ASSERT_TRUE(WriteFile(res16, BuildRes16(items)));
    for (const std::string& res : {res32, res16}) {
        SCOPED_TRACE(res);
        t = ThumbnailOf(res, 16, out);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->width, 16);
        t = ThumbnailOf(res, 48, out);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->width, 48);
        t = ThumbnailOf(res, 128, out);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->width, 64);
        EXPECT_EQ(t->argb[0], 0xFF00FF00u);
    }
}

TEST(Thumbnailer, NothingWrittenWithoutAPicture) {
    const IconLibrary lib;
    TempDir dir;
    const std::string out = dir.file("thumb.png");
    auto expectNothing = [&](const std::string& name, const Bytes& bytes) {
        SCOPED_TRACE(name);
        const std::string in = dir.file(name);
        ASSERT_TRUE(WriteFile(in, bytes));
        int status = -1;
        EXPECT_FALSE(ThumbnailOf(in, 128, out, &status));
        EXPECT_EQ(status, 1);
        EXPECT_FALSE(fs::exists(out));
        fs::remove(in);
    };
    // An executable without icons.
    PeLayout noIcons;
    noIcons.resources = {{ResourceKey::Id(RT_BITMAP), ResourceKey::Id(1), 0x0409, BuildDib(DibLayout{})}};
    expectNothing("plain.exe", BuildPe(noIcons).bytes);
    // Cut short so that no image of the first group is in the file.
    const Bytes pe = lib.Pe();
    expectNothing("cut.exe", Bytes(pe.begin(), pe.begin() + 0x500));
    expectNothing("cut.dll", Bytes(pe.begin(), pe.begin() + 40));
    // An icon file whose one image is cut short, and one whose image is not one.
    const Bytes ico = BuildIcoFile({{lib.i48, 48, 48, 0, 0, 1, 8}});
    expectNothing("cut.ico", Bytes(ico.begin(), ico.begin() + 100));
    expectNothing("junk.ico", BuildIcoFile({{Bytes(300, 0x41), 48, 48, 0, 0, 1, 8}}));
    expectNothing("empty.ico", {});
    expectNothing("notes.txt", Bytes(200, 'x'));
    expectNothing("dos", [] { Bytes b(128, 0); b[0] = 'M'; b[1] = 'Z'; return b; }());
    EXPECT_EQ(Thumbnailer(Quote(dir.file("absent.exe")) + " " + Quote(out)).status, 1);
    // Nothing but the inputs ever written: no temporary files left behind.
    EXPECT_TRUE(fs::is_empty(dir.path()));

    // Usage.
    const std::string exe = Quote(dir.file("a.exe")), png = Quote(out);
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), pe));
    for (const std::string& args : {"-s 0 " + exe + " " + png, "-s 4097 " + exe + " " + png,
                                    "-s 12x " + exe + " " + png, "-x " + exe + " " + png, exe,
                                    exe + " " + png + " extra", exe + " " + png + " -s"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Thumbnailer(args).status, 2);
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(Thumbnailer("-s16 " + exe + " " + png).status, 0);
    const RunResult version = Thumbnailer("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("grabwell-thumbnailer ") + GRABWELL_VERSION + "\n");
    EXPECT_EQ(Thumbnailer("--help").status, 0);
}
