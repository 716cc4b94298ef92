// Windows cursors made into a Linux cursor theme, checked by loading every
// written file with the desktop's own cursor library (libXcursor, opened at
// run time): sizes, hot spots, frame counts and delays.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

#include "batch/core/CursorTheme.h"
#include "formats/ResTypes.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// libXcursor's own records (Xcursor.h), declared here so the test needs
// only the library itself.
struct XcursorImageRec {
    unsigned int version, size, width, height, xhot, yhot, delay;
    unsigned int* pixels;
};
struct XcursorImagesRec {
    int nimage;
    XcursorImageRec** images;
    char* name;
};

struct Xcursor {
    void* library = dlopen("libXcursor.so.1", RTLD_NOW);
    using Load = XcursorImagesRec* (*)(const char*, int);
    using Destroy = void (*)(XcursorImagesRec*);
    Load load = library ? reinterpret_cast<Load>(dlsym(library, "XcursorFilenameLoadImages")) : nullptr;
    Destroy destroy = library ? reinterpret_cast<Destroy>(dlsym(library, "XcursorImagesDestroy")) : nullptr;
    ~Xcursor() {
        if (library) dlclose(library);
    }

    struct Image {
        unsigned width, height, xhot, yhot, delay;
        unsigned firstPixel;
    };
    // Every image libXcursor loads from the file at the size asked for.
    std::vector<Image> Images(const std::string& path, int size) const {
        std::vector<Image> out;
        XcursorImagesRec* images = load(path.c_str(), size);
        if (!images) return out;
        for (int i = 0; i < images->nimage; ++i) {
            const XcursorImageRec* im = images->images[i];
            out.push_back({im->width, im->height, im->xhot, im->yhot, im->delay, im->pixels[0]});
        }
        destroy(images);
        return out;
    }
};

Bytes CursorFile(std::vector<std::pair<int, std::pair<uint16_t, uint16_t>>> images) {
    std::vector<IcoEntry> entries;
    for (const auto& [side, hot] : images) {
        DibLayout s;
        s.width = s.height = side;
        s.bitCount = 32;
        s.pixel = [](int, int) { return 0xFF336699u; };
        entries.push_back({BuildDib(s), uint8_t(side), uint8_t(side), 0, 0, hot.first, hot.second});
    }
    return BuildIcoFile(entries, 2);
}

} // namespace

TEST(CursorTheme, ATheme3CursorsOneAnimatedLoadsInLibXcursor) {
    const Xcursor xcursor;
    ASSERT_TRUE(xcursor.load && xcursor.destroy) << "libXcursor.so.1 is needed: " << dlerror();
    TempDir in, out;
    // A scheme folder: an arrow in two sizes, a busy animation and a text
    // cursor whose roles come from install.inf, plus one it does not name.
    ASSERT_TRUE(WriteFile(in.file("Normal.cur"), CursorFile({{32, {3, 4}}, {48, {5, 6}}})));
    ASSERT_TRUE(WriteFile(in.file("beam.cur"), CursorFile({{32, {15, 16}}})));
    ASSERT_TRUE(WriteFile(in.file("extra.cur"), CursorFile({{32, {0, 0}}})));
    AniLayout busy;
    busy.frames = {CursorFile({{32, {16, 16}}}), CursorFile({{32, {16, 16}}})};
    busy.sequence = std::vector<uint32_t>{0, 1, 0};
    busy.rates = std::vector<uint32_t>{6, 12, 30};
    ASSERT_TRUE(WriteFile(in.file("Busy.ani"), BuildAni(busy)));
    const std::string inf =
        "[Scheme.Reg]\r\n"
        "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"%10%\\%CUR_DIR%\\%pointer%,,,"
        "%10%\\%CUR_DIR%\\%busy%,,%10%\\%CUR_DIR%\\%text%\"\r\n"
        "[Strings]\r\nCUR_DIR = \"Cursors\\Test\"\r\nSCHEME_NAME = \"Test\"\r\n"
        "pointer = \"Normal.cur\"\r\nbusy = \"Busy.ani\"\r\ntext = \"beam.cur\"\r\n";
    ASSERT_TRUE(WriteFile(in.file("install.inf"), Bytes(inf.begin(), inf.end())));

    const CursorThemeResult result = WriteCursorTheme({{in.path()}, out.path(), "Test"});
    ASSERT_TRUE(result.ok) << result.error;
    const std::string cursors = out.file("cursors");
    EXPECT_TRUE(fs::exists(out.file("index.theme")));
    for (const char* name : {"default", "wait", "text", "extra"}) EXPECT_TRUE(fs::is_regular_file(cursors + "/" + name)) << name;
    EXPECT_EQ(fs::read_symlink(cursors + "/left_ptr"), "default");
    EXPECT_EQ(fs::read_symlink(cursors + "/watch"), "wait");
    EXPECT_EQ(fs::read_symlink(cursors + "/xterm"), "text");

    // Every size the source has, each with its own hot spot.
    const auto arrow32 = xcursor.Images(cursors + "/default", 32);
    ASSERT_EQ(arrow32.size(), 1u);
    EXPECT_EQ(arrow32[0].width, 32u);
    EXPECT_EQ(arrow32[0].xhot, 3u);
    EXPECT_EQ(arrow32[0].yhot, 4u);
    EXPECT_EQ(arrow32[0].firstPixel, 0xFF336699u);
    const auto arrow48 = xcursor.Images(cursors + "/left_ptr", 48);
    ASSERT_EQ(arrow48.size(), 1u);
    EXPECT_EQ(arrow48[0].width, 48u);
    EXPECT_EQ(arrow48[0].xhot, 5u);
    // The animation: every step, with its delay in milliseconds.
    const auto wait = xcursor.Images(cursors + "/wait", 32);
    ASSERT_EQ(wait.size(), 3u);
    EXPECT_EQ(wait[0].delay, 100u);
    EXPECT_EQ(wait[1].delay, 200u);
    EXPECT_EQ(wait[2].delay, 500u);
    EXPECT_EQ(wait[1].xhot, 16u);

    // Without an install.inf a library's cursors take their roles from their
    // resource ids.
    PeLayout lib;
    const Bytes image = BuildCursorResource(7, 8, [] {
        DibLayout s;
        s.width = s.height = 32;
        s.bitCount = 32;
        return BuildDib(s);
    }());
    lib.resources = {{ResourceKey::Id(RT_CURSOR), ResourceKey::Id(1), 0x0409, image},
                     {ResourceKey::Id(RT_GROUP_CURSOR), ResourceKey::Id(32649), 0x0409,
                      BuildCursorGroup({{32, 64, 1, 32, uint32_t(image.size()), 1}})}};
    TempDir libDir, libOut;
    ASSERT_TRUE(WriteFile(libDir.file("user.dll"), BuildPe(lib).bytes));
    const CursorThemeResult fromLibrary = WriteCursorTheme({{libDir.file("user.dll")}, libOut.path(), ""});
    ASSERT_TRUE(fromLibrary.ok) << fromLibrary.error;
    EXPECT_EQ(fromLibrary.cursors, std::vector<std::string>{"pointer"});
    const auto hand = xcursor.Images(libOut.file("cursors/hand2"), 32);
    ASSERT_EQ(hand.size(), 1u);
    EXPECT_EQ(hand[0].xhot, 7u);
    EXPECT_EQ(hand[0].yhot, 8u);

    // Nothing drawable: nothing written, and said.
    TempDir empty, nowhere;
    EXPECT_FALSE(WriteCursorTheme({{empty.path()}, nowhere.file("theme"), ""}).ok);
    EXPECT_FALSE(fs::exists(nowhere.file("theme")));
}

TEST(CursorTheme, RolesFromNamesIdsAndInstallInf) {
    EXPECT_EQ(RoleOfName("Text Select"), CursorRole::IBeam);
    EXPECT_EQ(RoleOfName("ibeam"), CursorRole::IBeam);
    EXPECT_EQ(RoleOfName("xterm"), CursorRole::IBeam);
    EXPECT_EQ(RoleOfName("Busy"), CursorRole::Wait);
    EXPECT_FALSE(RoleOfName("my cursor"));
    EXPECT_EQ(RoleOfName("32513"), CursorRole::IBeam); // a cursor saved from a library under its id
    EXPECT_FALSE(RoleOfName("99999"));
    EXPECT_EQ(RoleOfResourceId(32514), CursorRole::Wait);
    EXPECT_FALSE(RoleOfResourceId(32647));
    // The per-role registry lines of an .inf, and %strings% that nest.
    const auto roles = RolesOfInstallInf(
        "[Wreg]\nHKCU,\"Control Panel\\Cursors\",Hand,0x00020000,\"%10%\\%CUR_DIR%\\%link%\"\n"
        "[Strings]\nCUR_DIR=\"Cursors\\%NAME%\"\nNAME=\"X\"\nlink=\"Link.ANI\"\n");
    ASSERT_EQ(roles.size(), 1u);
    EXPECT_EQ(roles[0].first, "link.ani");
    EXPECT_EQ(roles[0].second, CursorRole::Hand);
    EXPECT_TRUE(RolesOfInstallInf("[Strings]\nx=%x%\n").empty());
}
