// Installers that check a CRC of their own file: found after the sections
// when their check is on, at 512-byte boundaries only, and never by reading
// past the end of a damaged or cut-short file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "formats/InstallerSelfCheck.h"
#include "platform/PeHeaders.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

namespace {

constexpr uint32_t kDataSize = 300;

// A program with one section of resources; its bytes end at a 512 boundary.
Bytes Program() {
    PeLayout layout;
    layout.resources.push_back({ResourceKey::Id(3), ResourceKey::Id(1), 0x0409, Bytes(64, 0x11)});
    return BuildPe(layout).bytes;
}

// Appends an installer's header, kDataSize bytes of data and a CRC slot, the
// header counting all of it; returns the header's offset.
uint64_t AppendInstaller(Bytes& file, uint32_t flags, uint32_t length = kInstallerHeaderSize + kDataSize + 4) {
    const uint64_t at = file.size();
    PutU32(file, flags);
    PutU32(file, 0xDEADBEEF);
    for (char c : std::string("NullsoftInst")) file.push_back(uint8_t(c));
    PutU32(file, 0x1234);
    PutU32(file, length);
    file.insert(file.end(), kDataSize, 0x5A);
    PutU32(file, 0xCAFEF00D);
    return at;
}

// The first n bytes in a buffer of exactly that size, so a read past them
// is a read past the allocation (caught by the sanitizer builds).
Bytes Cut(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + n); }

} // namespace

TEST(InstallerSelfCheck, AnInstallerWithItsCheckOnIsFound) {
    // Checked by default, forced, and the uninstaller it writes.
    for (uint32_t flags : {0u, kInstallerForceCrc, kInstallerUninstaller, kInstallerUninstaller | kInstallerForceCrc}) {
        Bytes file = Program();
        const uint64_t overlay = file.size();
        const uint64_t at = AppendInstaller(file, flags);
        const auto found = FindInstallerSelfCheck(file, overlay);
        ASSERT_TRUE(found) << flags;
        EXPECT_EQ(found->headerAt, at);
    }
    // After a stretch of other data, at the next boundary; from an overlay
    // start that is not itself on a boundary.
    Bytes file = Program();
    const uint64_t overlay = file.size();
    file.insert(file.end(), 1000, 0);
    file.resize((file.size() + 511) / 512 * 512, 0);
    const uint64_t at = AppendInstaller(file, 0);
    ASSERT_TRUE(FindInstallerSelfCheck(file, overlay + 3));
    EXPECT_EQ(FindInstallerSelfCheck(file, overlay + 3)->headerAt, at);
}

TEST(InstallerSelfCheck, AnInstallerWithItsCheckOffIsNotFound) {
    for (uint32_t flags : {kInstallerNoCrc, kInstallerNoCrc | kInstallerUninstaller}) {
        Bytes file = Program();
        const uint64_t overlay = file.size();
        AppendInstaller(file, flags);
        EXPECT_FALSE(FindInstallerSelfCheck(file, overlay)) << flags;
    }
    // The first header decides, as it does for the installer: a checked one
    // further on is never reached.
    Bytes file = Program();
    const uint64_t overlay = file.size();
    AppendInstaller(file, kInstallerNoCrc);
    file.resize((file.size() + 511) / 512 * 512, 0);
    AppendInstaller(file, 0);
    EXPECT_FALSE(FindInstallerSelfCheck(file, overlay));
}

TEST(InstallerSelfCheck, OnlyAWholeHeaderAtABoundaryAfterTheSectionsCounts) {
    const Bytes program = Program();
    const uint64_t overlay = program.size();

    // Off a boundary.
    Bytes shifted = program;
    shifted.insert(shifted.end(), 8, 0);
    AppendInstaller(shifted, 0);
    EXPECT_FALSE(FindInstallerSelfCheck(shifted, overlay));

    // Inside the sections, before the overlay: not the overlay's.
    Bytes inside = program;
    const uint64_t at = AppendInstaller(inside, 0);
    EXPECT_FALSE(FindInstallerSelfCheck(inside, at + 1));

    // No overlay, or an overlay start past the end.
    EXPECT_FALSE(FindInstallerSelfCheck(program, overlay));
    EXPECT_FALSE(FindInstallerSelfCheck(program, overlay + 512));
    EXPECT_FALSE(FindInstallerSelfCheck(Bytes{}, 0));

    // Cut short anywhere inside the header or its data.
    Bytes whole = program;
    AppendInstaller(whole, 0);
    ASSERT_TRUE(FindInstallerSelfCheck(whole, overlay));
    for (size_t n : {overlay + 1, overlay + 19, overlay + kInstallerHeaderSize - 1, overlay + kInstallerHeaderSize,
                     whole.size() - 1})
        EXPECT_FALSE(FindInstallerSelfCheck(Cut(whole, n), overlay)) << n;

    // A length that counts less than the header and its CRC, or more than
    // the file (near the top of the range, where a sum would wrap).
    for (uint32_t length : {0u, uint32_t(kInstallerHeaderSize), 0xFFFFFFFFu}) {
        Bytes file = program;
        AppendInstaller(file, 0, length);
        EXPECT_FALSE(FindInstallerSelfCheck(file, overlay)) << length;
    }
}

// Installers from the installer maker, when it is installed.
TEST(InstallerSelfCheck, InstallersFromTheMakerAreTold) {
    if (std::system("command -v makensis >/dev/null 2>&1") != 0) GTEST_SKIP() << "makensis is missing";
    TempDir dir;
    for (const std::string check : {"on", "off", "force"}) {
        const std::string script = "OutFile \"" + dir.file(check + ".exe") + "\"\nCRCCheck " + check +
                                   "\nSection\nSectionEnd\n";
        WriteFile(dir.file(check + ".nsi"), Bytes(script.begin(), script.end()));
        const RunResult made = RunCommand("makensis -V1 '" + dir.file(check + ".nsi") + "' 2>&1");
        ASSERT_EQ(made.status, 0) << made.out;
        const Bytes file = ReadFile(dir.file(check + ".exe"));
        PeHeaders pe;
        ASSERT_FALSE(ReadPeHeaders(file, pe)) << check;
        const auto found = FindInstallerSelfCheck(file, pe.RawDataEnd());
        EXPECT_EQ(found.has_value(), check != "off") << check;
        if (found) {
            // The CRC is the last 4 bytes the header counts: the file's end here.
            EXPECT_EQ(found->headerAt % 512, 0u);
            EXPECT_EQ(found->headerAt + PeekU32(file, found->headerAt + 24), file.size()) << check;
        }
    }
}

// An installer given a new icon (in its old resource section, or in a new
// one that moves its data) has a CRC that verifies, by zlib's count, and
// installs under Wine where Wine is installed.
TEST(InstallerSelfCheck, ANewIconKeepsTheInstallerWorking) {
    if (std::system("command -v makensis >/dev/null 2>&1") != 0) GTEST_SKIP() << "makensis is missing";
    TempDir dir;
    const std::string script = "Target amd64-unicode\nOutFile \"" + dir.file("on.exe") +
                               "\"\nCRCCheck on\nSection\n  FileOpen $0 \"$EXEDIR\\ran-$EXEFILE.txt\" w\n"
                               "  FileWrite $0 \"ran\"\n  FileClose $0\nSectionEnd\n";
    WriteFile(dir.file("on.nsi"), Bytes(script.begin(), script.end()));
    const RunResult made = RunCommand("makensis -V1 '" + dir.file("on.nsi") + "' 2>&1");
    ASSERT_EQ(made.status, 0) << made.out;
    DibLayout small, large;
    small.width = small.height = 16;
    large.width = large.height = 256;
    large.bitCount = 32;
    WriteFile(dir.file("small.ico"), BuildIcoFile({{BuildDib(small), 16, 16, 0, 0, 1, 4}}));
    WriteFile(dir.file("large.ico"), BuildIcoFile({{BuildDib(large), 0, 0, 0, 0, 1, 32}}));
    const std::string py =
        "import struct, sys, zlib\n"
        "d = open(sys.argv[1], 'rb').read()\n"
        "at = next(a for a in range(512, len(d), 512) if d[a + 4:a + 20] == b'\\xef\\xbe\\xad\\xdeNullsoftInst')\n"
        "end = at + struct.unpack_from('<I', d, at + 24)[0]\n"
        "print('ok' if zlib.crc32(d[512:end - 4]) == struct.unpack_from('<I', d, end - 4)[0] else 'bad')\n";
    WriteFile(dir.file("crc.py"), Bytes(py.begin(), py.end()));
    const bool wine = std::system("command -v wine >/dev/null 2>&1") == 0;
    for (const std::string icon : {"small", "large"}) {
        const std::string out = dir.file(icon + ".exe");
        const RunResult set = RunCommand(std::string(GRABWELL_CLI) + " set-icon -o '" + out + "' '" +
                                         dir.file("on.exe") + "' '" + dir.file(icon + ".ico") + "' 2>&1");
        ASSERT_EQ(set.status, 0) << set.out;
        EXPECT_NE(set.out.find("the CRC was brought up to date"), std::string::npos) << set.out;
        EXPECT_EQ(RunCommand("/usr/bin/python3 '" + dir.file("crc.py") + "' '" + out + "'").out, "ok\n") << icon;
        if (!wine) continue;
        RunCommand("cd '" + dir.path() + "' && WINEDEBUG=-all WINEPREFIX='" + dir.file("prefix") +
                   "' timeout 300 wine '" + icon + ".exe' /S >/dev/null 2>&1");
        EXPECT_FALSE(ReadFile(dir.file("ran-" + icon + ".exe.txt")).empty()) << icon << " did not install";
    }
}
