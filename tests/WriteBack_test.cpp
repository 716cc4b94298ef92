// Writing a changed program back as its owner left it: through a link, with
// its owner, group, ACLs and extended attributes, one change after the other
// when two run at once, nothing left behind by a signal; and what is refused
// before anything is written: images that do not decode, a group that is not
// there, a section entry that would overwrite the headers, a layout the
// writer could not change again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "batch/core/SetIcon.h"
#include "platform/PeHeaders.h"
#include "formats/ResTypes.h"
#include "formats/ResourceTable.h"
#include "formats/SetGroup.h"
#include "formats/VersionInfo.h"
#include "platform/FileIo.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

namespace {

// Two images, the second one no test program holds.
Bytes SmallIco() { return BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}, {BuildIconDib(48, 24), 48, 48, 0, 0, 1, 24}}); }

std::string Cli() { return std::string(GRABWELL_CLI); }

bool Have(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The entries of a folder, hidden ones included.
std::string Listing(const TempDir& dir) { return RunCommand("ls -A " + Quoted(dir.path())).out; }

bool HasFileVersion(const Bytes& program, const std::string& version) {
    const ResourceTableRead read = ReadResourceTable(program);
    for (const ResourceEntry& e : read.table.entries)
        if (e.type.isId && e.type.id == kVersionResourceType) {
            const auto parsed = ParseVersionInfo(ByteView(e.data));
            return parsed.records && parsed.records->fixed && VersionNumberText(parsed.records->fixed->fileVersion) == version;
        }
    return false;
}

// Whether the program holds SmallIco's images.
bool HasNewIcon(const Bytes& program) {
    const Bytes image = BuildIconDib(48, 24);
    return std::search(program.begin(), program.end(), image.begin(), image.end()) != program.end();
}

} // namespace

TEST(WriteBack, InPlaceWritesThroughALinkAndKeepsIt) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("real.exe"), BuildBatchPe()));
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), SmallIco()));
    ASSERT_EQ(::symlink("real.exe", dir.file("link.exe").c_str()), 0);
    const RunResult r =
        RunCommand(Cli() + " set-icon --in-place " + dir.file("link.exe") + " " + dir.file("new.ico") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.exe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(HasNewIcon(ReadFile(dir.file("real.exe"))));
    EXPECT_EQ(Listing(dir), "link.exe\nnew.ico\nreal.exe\n");
}

// As root, on a file owned by another user with an ACL and an extended
// attribute: all of it is kept, and no permission widens.
TEST(WriteBack, InPlaceKeepsOwnerGroupModeAclsAndAttributes) {
    if (::geteuid() != 0) GTEST_SKIP() << "changing a file's owner needs root";
    if (!Have("setfacl") || !Have("getfacl") || !Have("setfattr") || !Have("getfattr"))
        GTEST_SKIP() << "setfacl, getfacl, setfattr or getfattr is missing";
    TempDir dir;
    const std::string program = dir.file("a.exe");
    ASSERT_TRUE(WriteFile(program, BuildBatchPe()));
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), SmallIco()));
    ASSERT_EQ(::chmod(program.c_str(), 0750), 0);
    ASSERT_EQ(::chown(program.c_str(), 65534, 65534), 0);
    const RunResult acl = RunCommand("setfacl -m u:65533:r-x " + Quoted(program) + " && setfattr -n user.origin -v "
                                     "installer " + Quoted(program) + " 2>&1");
    if (acl.status != 0) GTEST_SKIP() << "this file system takes no ACL or user attribute: " << acl.out;
    const std::string show = "getfacl -n " + Quoted(program) + " 2>/dev/null; getfattr -d " + Quoted(program) +
                             " 2>/dev/null | grep -v '^#'";
    const std::string before = RunCommand(show).out;
    ASSERT_NE(before.find("user:65533:r-x"), std::string::npos) << before;

    const RunResult r = RunCommand(Cli() + " set-icon --in-place " + program + " " + dir.file("new.ico") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(HasNewIcon(ReadFile(program)));
    struct stat st {};
    ASSERT_EQ(::stat(program.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(RunCommand(show).out, before); // mode, mask, named entries and user.origin
}

// Two in-place changes of one file started together: the second waits for
// the first and changes its result, so both are in the file.
TEST(WriteBack, TwoChangesAtOnceBothLand) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), SmallIco()));
    const Bytes original = BuildBatchPe();
    int both = 0;
    constexpr int kTries = 8;
    for (int i = 0; i < kTries; ++i) {
        ASSERT_TRUE(WriteFile(dir.file("a.exe"), original));
        const RunResult r = RunCommand("cd " + Quoted(dir.path()) + " && { " + Cli() +
                                       " set-icon --in-place a.exe new.ico & " + Cli() +
                                       " set-version --in-place --file-version 7.6.5.4 a.exe & wait; } 2>&1");
        const Bytes result = ReadFile(dir.file("a.exe"));
        both += HasNewIcon(result) && HasFileVersion(result, "7.6.5.4");
        EXPECT_EQ(r.out.find("cannot"), std::string::npos) << r.out;
    }
    EXPECT_EQ(both, kTries);
    EXPECT_EQ(Listing(dir), "a.exe\nnew.ico\n");
}

// SIGTERM at any moment of a write of a large program: the program is the
// old one or the whole new one, and no temporary file stays; SIGKILL too
// (the new file has no name until it is whole).
TEST(WriteBack, ASignalLeavesTheOldOrTheNewProgramAndNothingElse) {
    TempDir dir;
    Bytes big = BuildBatchPe();
    const size_t programSize = big.size();
    big.resize(programSize + (24u << 20), 0x5A); // data appended after the sections, kept by every write
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), big));
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), SmallIco()));
    const std::string command = Cli() + " set-icon -o " + dir.file("b.exe") + " " + dir.file("a.exe") + " " +
                                dir.file("new.ico");
    const std::string expected = [&] {
        const RunResult r = RunCommand(command + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        const Bytes b = ReadFile(dir.file("b.exe"));
        return std::string(b.begin(), b.end());
    }();
    ASSERT_FALSE(expected.empty());
    int partial = 0, stray = 0;
    for (int i = 0; i < 24; ++i) {
        ::unlink(dir.file("b.exe").c_str());
        const int signal = i % 2 ? SIGKILL : SIGTERM;
        // Spread the signals over the run: reading, writing, renaming.
        const int delayMs = 2 + (i * 7) % 40;
        RunCommand(command + " >/dev/null 2>&1 & pid=$!; sleep " + std::to_string(delayMs / 1000.0) + "; kill -" +
                   std::to_string(signal) + " $pid 2>/dev/null; wait $pid");
        const Bytes b = ReadFile(dir.file("b.exe"));
        partial += !b.empty() && std::string(b.begin(), b.end()) != expected;
        stray += Listing(dir) != "a.exe\nb.exe\nnew.ico\n" && Listing(dir) != "a.exe\nnew.ico\n";
    }
    EXPECT_EQ(partial, 0);
    EXPECT_EQ(stray, 0) << Listing(dir);
}

// A pending temporary file is removed by RemovePendingTemporaries (what the
// command line's signal handler calls); a finished write leaves none to remove.
TEST(WriteBack, ReplaceFileWholeKeepsModeAndLeavesNoTemporary) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("f"), {1, 2, 3}));
    const ReplaceOutcome r = ReplaceFileWhole(dir.file("f"), Bytes{4, 5}, 0640);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(ReadFile(dir.file("f")), (Bytes{4, 5}));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    RemovePendingTemporaries();
    EXPECT_EQ(Listing(dir), "f\n");
    const ReplaceOutcome missing = ReplaceFileWhole(dir.file("no/such/f"), Bytes{1}, 0644);
    EXPECT_EQ(missing.systemError, ENOENT) << missing.error;
}

// The one whole-file writer with options its two callers never combine: a
// new file only, with bits of its own; a replaced file's bits kept when none
// are given. Each caller's error words, nothing replaced that was not to be
// and no temporary left.
TEST(WriteBack, WholeFileOptionsTogether) {
    TempDir dir;
    const std::string path = dir.file("f");
    const mode_t umaskBefore = ::umask(022);
    WholeFileWrite fresh;
    fresh.replaceExisting = false;
    fresh.mode = 0604;
    EXPECT_EQ(WriteWholeFile(path, Bytes{1}, fresh).error, "");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    const ReplaceOutcome taken = WriteWholeFile(path, Bytes{2}, fresh);
    EXPECT_EQ(taken.systemError, EEXIST);
    EXPECT_EQ(taken.error, "cannot write file \"" + path + "\": " + std::strerror(EEXIST));
    EXPECT_EQ(ReadFile(path), Bytes{1});

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WholeFileWrite keep;
    keep.keepAttributesOf = &path;
    EXPECT_EQ(WriteWholeFile(path, Bytes{3}, keep).error, "");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadFile(path), Bytes{3});
    ::umask(umaskBefore);

    const std::string nowhere = dir.file("no/such/f");
    EXPECT_EQ(WriteFileAtomic(nowhere, Bytes{1}), "cannot create file \"" + nowhere + "\": " + std::strerror(ENOENT));
    EXPECT_EQ(ReplaceFileWhole(nowhere, Bytes{1}, 0644).error, "cannot write \"" + nowhere + "\": " + std::strerror(ENOENT));
    RemovePendingTemporaries();
    EXPECT_EQ(Listing(dir), "f\n");
}

TEST(WriteBack, ImagesThatDoNotDecodeAreRefusedWithTheirNumber) {
    const Bytes program = BuildBatchPe();
    Bytes notPng = Bytes(200, 0x11);
    Bytes damagedPng = BuildPng(48, 48, [](int x, int) { return 0xFF000000u | uint32_t(x); });
    damagedPng[damagedPng.size() / 2] ^= 0xFF;
    Bytes huge = BuildIconDib(16, 4);
    PatchU32(huge, 4, 100000);
    PatchU32(huge, 8, 400000);
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {notPng, "neither a PNG image nor a bitmap"}, {damagedPng, "PNG data is damaged"},
        {Bytes{}, "holds no bytes"}, {huge, "100000 x 200000"}};
    for (const auto& [bad, why] : cases) {
        const Bytes ico = BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}, {bad, 48, 48, 0, 0, 1, 32}});
        const FileGroupReplace r = ReplaceGroupInFile(program, GroupKind::Icon, ico, {});
        ASSERT_TRUE(r.write.error) << why;
        EXPECT_TRUE(r.inImageFile);
        EXPECT_TRUE(r.write.bytes.empty());
        EXPECT_NE(r.write.error->message.find("image 2 of 2 does not decode"), std::string::npos)
            << r.write.error->message;
        EXPECT_NE(r.write.error->message.find(why), std::string::npos) << r.write.error->message;
    }
}

TEST(WriteBack, AGroupThatIsNotThereIsRefusedUnlessAdded) {
    TempDir dir;
    const Bytes program = BuildBatchPe();
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), program));
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), SmallIco()));
    const std::string set = Cli() + " set-icon -o " + dir.file("b.exe") + " --group FOO ";
    const RunResult refused = RunCommand(set + dir.file("a.exe") + " " + dir.file("new.ico") + " 2>&1");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("there is no icon group FOO; the file's icon groups are "), std::string::npos)
        << refused.out;
    EXPECT_NE(refused.out.find("--add-group"), std::string::npos) << refused.out;
    EXPECT_TRUE(ReadFile(dir.file("b.exe")).empty());
    const RunResult added = RunCommand(set + "--add-group " + dir.file("a.exe") + " " + dir.file("new.ico") + " 2>&1");
    EXPECT_EQ(added.status, 0) << added.out;
    EXPECT_NE(added.out.find("icon group FOO (new)"), std::string::npos) << added.out;
}

namespace {

// A program whose resources share their section with other bytes, so a
// change takes a new section; with shift > 0 its section table is moved that
// many bytes into the optional header, which still states 16 data
// directories: the last of them then lie where a new entry would go.
Bytes ProgramNeedingANewSection(uint32_t shift) {
    PeLayout layout;
    layout.resources = {{ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x409, BuildIconDib(16, 4)}};
    PeImage pe = BuildPe(layout);
    Bytes& b = pe.bytes;
    PeHeaders headers;
    EXPECT_FALSE(ReadPeHeaders(b, headers));
    const PeSection& rsrc = headers.sections.back();
    EXPECT_GE(rsrc.rawSize, rsrc.virtualSize + 8);
    PatchU32(b, rsrc.headerAt + 8, rsrc.virtualSize + 8); // other bytes after the directory
    b[rsrc.rawPointer + rsrc.virtualSize + 4] = 0xCC;
    if (shift) {
        const uint64_t table = headers.sectionTable, size = 40 * headers.sections.size();
        const Bytes entries(b.begin() + table, b.begin() + table + size);
        std::fill(b.begin() + table - shift, b.begin() + table + size, 0);
        std::copy(entries.begin(), entries.end(), b.begin() + table - shift);
        const uint16_t optionalSize = uint16_t(headers.optionalSize - shift);
        b[headers.fileHeader + 16] = uint8_t(optionalSize);
        b[headers.fileHeader + 17] = uint8_t(optionalSize >> 8);
    }
    return b;
}

} // namespace

TEST(WriteBack, ANewSectionEntryNeverOverwritesTheDataDirectories) {
    const FileGroupReplace fits = ReplaceGroupInFile(ProgramNeedingANewSection(0), GroupKind::Icon, SmallIco(), {});
    ASSERT_FALSE(fits.write.error) << fits.write.error->Describe();
    EXPECT_TRUE(fits.write.sectionAdded);
    const FileGroupReplace overlaps =
        ReplaceGroupInFile(ProgramNeedingANewSection(88), GroupKind::Icon, SmallIco(), {});
    ASSERT_TRUE(overlaps.write.error);
    EXPECT_NE(overlaps.write.error->message.find("data directories"), std::string::npos)
        << overlaps.write.error->message;
}

// A program whose section table holds empty entries among sections at
// address 0 (found by the fuzzer): an entry added after them is one some
// readers never see, so the change is refused; whatever is written must be
// one the writer can change again.
TEST(WriteBack, SectionsAtAddressZeroAreRefusedOrWrittenSoTheyCanBeChangedAgain) {
    const Bytes program = ReadFile(std::string(GRABWELL_FUZZ_REGRESSIONS) + "/rewrite/sections-at-zero.exe");
    ASSERT_FALSE(program.empty());
    const FileGroupReplace once = ReplaceGroupInFile(program, GroupKind::Icon, SmallIco(), {});
    if (once.write.error) {
        EXPECT_NE(once.write.error->message.find("empty entry"), std::string::npos) << once.write.error->message;
        return;
    }
    const FileGroupReplace twice = ReplaceGroupInFile(once.write.bytes, GroupKind::Icon, SmallIco(), {});
    EXPECT_FALSE(twice.write.error) << twice.write.error->Describe();
}

// PNG images make the group as .ico files are usually made (the 256 one
// stored as it is, the smaller ones as bitmaps with masks), as other readers
// see it; a file of another kind is named for what it is.
TEST(WriteBack, PngImagesMakeTheGroupAndOtherKindsAreNamed) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), BuildBatchPe()));
    for (int side : {16, 32, 256})
        ASSERT_TRUE(WriteFile(dir.file(std::to_string(side) + ".png"),
                              BuildPng(side, side, [](int x, int y) { return x < y ? 0u : 0xFF2080C0u; })));
    const RunResult set = RunCommand("cd " + Quoted(dir.path()) + " && " + Cli() +
                                     " set-icon -o b.exe a.exe 16.png 32.png 256.png 2>&1");
    ASSERT_EQ(set.status, 0) << set.out;
    const Bytes out = ReadFile(dir.file("b.exe")), png256 = ReadFile(dir.file("256.png"));
    EXPECT_NE(std::search(out.begin(), out.end(), png256.begin(), png256.end()), out.end());
    if (Have("wrestool") && Have("icotool")) {
        // The first group (named groups come first) as an .ico, listed by icotool.
        const RunResult listed = RunCommand("cd " + Quoted(dir.path()) +
                                            " && wrestool -x -t14 b.exe > g.ico && icotool -l g.ico 2>&1");
        EXPECT_NE(listed.out.find("--width=16 --height=16 --bit-depth=32"), std::string::npos) << listed.out;
        EXPECT_NE(listed.out.find("--width=32 --height=32 --bit-depth=32"), std::string::npos) << listed.out;
        EXPECT_NE(listed.out.find("--width=256 --height=256 --bit-depth=32"), std::string::npos) << listed.out;
    }
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"set-cursor -o c.exe a.exe 16.png", "16.png is a PNG image, not a .cur file"},
        {"set-icon -o c.exe a.exe a.exe", "a.exe is a program or library, not an .ico file"},
        {"set-icon -o c.exe a.exe 16.png a.exe", "a.exe: it is not a PNG image"}};
    for (const auto& [command, said] : refused) {
        const RunResult r = RunCommand("cd " + Quoted(dir.path()) + " && " + Cli() + " " + command + " 2>&1");
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.out.find(said), std::string::npos) << r.out;
    }
    EXPECT_TRUE(ReadFile(dir.file("c.exe")).empty());
    const RunResult version = RunCommand(Cli() + " set-version --file-version 2.1 -o " + dir.file("c.exe") + " " +
                                         dir.file("a.exe") + " 2>&1");
    EXPECT_EQ(version.status, 2);
    EXPECT_NE(version.out.find("--file-version: not a version"), std::string::npos) << version.out;
}
