// Grabwell's API as another program sees it: tools/check-api.sh installs the
// build's "dev" component into a scratch prefix, builds examples/list-icons
// and examples/set-icon out of the source tree against it and a one-line
// program from pkg-config's flags, and sets the icon of a library made by the
// builders with set-icon; list-icons then runs here on libraries made by the
// builders.
#include <gtest/gtest.h>

#include "batch/core/SetIcon.h"
#include "formats/Document.h"
#include "pictures/IconExtract.h"
#include "platform/LanguageName.h"
#include "platform/PngEncode.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

PeResource Res(uint16_t type, ResourceKey name, Bytes data) { return {ResourceKey::Id(type), std::move(name), 0x0409, std::move(data)}; }

Bytes IconDib(int size, int bitCount) {
    DibLayout dib;
    dib.width = dib.height = size;
    dib.bitCount = bitCount;
    dib.transparent = [](int x, int y) { return x < 2 && y < 2; };
    return BuildDib(dib);
}

// A library of two icon groups: "MAINICON" (16 and 32 pixels) and id 7
// (48 pixels), whose image resource is left out when damaged.
Bytes TwoGroupLibrary(bool damaged) {
    const Bytes small = IconDib(16, 4), large = IconDib(32, 8), big = IconDib(48, 8);
    PeLayout layout;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Named("MAINICON"),
            BuildIconGroup({{16, 16, 16, 0, 1, 4, uint32_t(small.size()), 1},
                            {32, 32, 0, 0, 1, 8, uint32_t(large.size()), 2}})),
        Res(RT_GROUP_ICON, ResourceKey::Id(7), BuildIconGroup({{48, 48, 0, 0, 1, 8, uint32_t(big.size()), 3}})),
        Res(RT_ICON, ResourceKey::Id(1), small),
        Res(RT_ICON, ResourceKey::Id(2), large),
    };
    if (!damaged) layout.resources.push_back(Res(RT_ICON, ResourceKey::Id(3), big));
    return BuildPe(layout).bytes;
}

} // namespace

TEST(Install, ExampleBuildsAgainstInstalledApi) {
#ifndef GRABWELL_API_CHECK
    GTEST_SKIP() << "the installed API is checked in the plain build, not under sanitizers or the fuzzer";
#else
    const std::string scratch = GRABWELL_API_SCRATCH;
    TempDir dir;
    const std::string library = dir.file("app.dll"), png = dir.file("first.png"), ico = dir.file("new.ico");
    ASSERT_TRUE(WriteFile(library, TwoGroupLibrary(false)));
    const Bytes png48 = BuildPng(48, 48, [](int x, int y) { return 0xFF000000u | uint32_t(x << 16 | y); });
    ASSERT_TRUE(WriteFile(ico, BuildIcoFile({{IconDib(24, 8), 24, 24, 0, 0, 1, 8}, {png48, 48, 48, 0, 0, 1, 32}})));
    const RunResult built = RunCommand(Quoted(GRABWELL_API_CHECK) + " " + Quoted(GRABWELL_API_BUILD) + " " +
                                       Quoted(scratch) + " " + Quoted(library) + " " + Quoted(ico) + " 2>&1");
    ASSERT_EQ(built.status, 0) << built.out;
    const std::string example = Quoted(scratch + "/example/list-icons");

    // set-icon, on the installed library, wrote what the build's own
    // SetProgramGroup writes, and said what it changed: MAINICON's two
    // images (ids 1 and 2) replaced by the two of the .ico.
    SetGroupRequest request;
    request.program = library;
    request.imageFile = ico;
    request.output = dir.file("by-the-build.dll");
    const SetGroupOutcome own = SetProgramGroup(request);
    ASSERT_TRUE(own.ok) << own.error;
    const std::string changed = scratch + "/set-icon/app.dll";
    EXPECT_EQ(ReadFile(changed), ReadFile(request.output));
    const Bytes report = ReadFile(scratch + "/set-icon/report.txt");
    EXPECT_EQ(std::string(report.begin(), report.end()),
              changed + ": icon group MAINICON\n"
                        "  language " + LanguageName(0x0409) + "\n"
                        "  2 images (ids 1, 2), 2 old images removed\n"
                        "  " + std::to_string(own.sizeBefore) + " -> " + std::to_string(own.sizeAfter) + " bytes\n");
    EXPECT_EQ(ReadFile(library), TwoGroupLibrary(false)); // the program itself is left as it is
    const RunResult relisted = RunCommand(example + " " + Quoted(changed) + " 2>&1");
    EXPECT_EQ(relisted.status, 0) << relisted.out;
    EXPECT_EQ(relisted.out, changed + ": PE File, 2 icon groups\n"
                                      "MAINICON\n"
                                      "  24x24, 8 bits\n"
                                      "  48x48, 32 bits\n"
                                      "7 (id)\n"
                                      "  48x48, 8 bits\n");

    // A whole library: its groups in directory order (named first), each
    // image's size and depth, nothing on standard error, exit status 0.
    const RunResult listed = RunCommand(example + " " + Quoted(library) + " " + Quoted(png) + " 2>&1");
    EXPECT_EQ(listed.status, 0) << listed.out;
    EXPECT_EQ(listed.out, library + ": PE File, 2 icon groups\n"
                                    "MAINICON\n"
                                    "  16x16, 4 bits\n"
                                    "  32x32, 8 bits\n"
                                    "7 (id)\n"
                                    "  48x48, 8 bits\n");
    // The first icon at 32 pixels, byte for byte what the build's own
    // library makes of it, and a PNG an image tool reads.
    const std::shared_ptr<Document> doc = Document::Open(library);
    const FirstIcon first = ExtractFirstIcon(*doc, 32);
    ASSERT_EQ(first.kind, FirstIconKind::Icon);
    const Bytes written = ReadFile(png);
    EXPECT_EQ(written, IconImagePng(*first.icon));
    if (RunCommand("command -v identify >/dev/null").status == 0) {
        const RunResult identified = RunCommand("identify -format '%m %w %h %[channels]' " + Quoted(png) + " 2>&1");
        EXPECT_EQ(identified.out, "PNG 32 32 srgba");
    }

    // The same library without the 48-pixel image: every group is listed,
    // the image marked missing, each damage goes to standard error as
    // ReadError::Describe() says it, and the exit status is 1.
    const std::string damagedLibrary = dir.file("damaged.dll");
    ASSERT_TRUE(WriteFile(damagedLibrary, TwoGroupLibrary(true)));
    const std::shared_ptr<Document> damaged = Document::Open(damagedLibrary);
    damaged->Load(RecordKind::Icons);
    ASSERT_FALSE(damaged->Errors().empty());
    std::string said;
    for (const ReadError& e : damaged->Errors()) said += "damaged: " + e.Describe() + "\n";
    const RunResult complained = RunCommand(example + " " + Quoted(damagedLibrary) + " 2>&1 >/dev/null");
    EXPECT_EQ(complained.status, 1);
    EXPECT_EQ(complained.out, said);
    const RunResult kept = RunCommand(example + " " + Quoted(damagedLibrary) + " 2>/dev/null");
    EXPECT_EQ(kept.out, damagedLibrary + ": PE File, 2 icon groups\n"
                                         "MAINICON\n"
                                         "  16x16, 4 bits\n"
                                         "  32x32, 8 bits\n"
                                         "7 (id)\n"
                                         "  48x48, 8 bits (missing)\n");
#endif
}
