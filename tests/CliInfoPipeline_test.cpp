// grabwell-cli info in pipelines: --jsonl, --files-from (with -0), --recurse,
// -j and --hash, run on built files through the built program.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "formats/Document.h"
#include "formats/IconFormat.h"
#include "platform/Md5.h"
#include "tests/support/Builders.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;
using nlohmann::json;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs grabwell-cli with args (already quoted for the shell), standard
// error caught apart.
CliRun Cli(const TempDir& dir, const std::string& args) {
    const std::string errFile = dir.file("stderr.txt");
    const RunResult r = RunCommand(std::string(GRABWELL_CLI) + " " + args + " 2>" + errFile);
    std::ifstream err(errFile, std::ios::binary);
    std::stringstream text;
    text << err.rdbuf();
    return {r.status, r.out, text.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> PathsOf(const std::string& jsonLines) {
    std::vector<std::string> out;
    for (const std::string& line : Lines(jsonLines)) out.push_back(json::parse(line)["path"]);
    return out;
}

// A 32 x 32 24-bit image brighter to the left on every row, and a 16 x 16
// 4-bit one.
Bytes RampIcon() {
    DibLayout big;
    big.width = big.height = 32;
    big.bitCount = 24;
    big.pixel = [](int x, int) { return uint32_t(255 - x * 8) * 0x010101u; };
    DibLayout small;
    small.bitCount = 4;
    return BuildIcoFile({{BuildDib(small), 16, 16, 16, 0, 1, 4}, {BuildDib(big), 32, 32, 0, 0, 1, 24}});
}

Bytes Cursor() {
    DibLayout s;
    s.width = s.height = 32;
    s.bitCount = 1;
    s.palette = {0, 0xFFFFFF};
    return BuildIcoFile({{BuildDib(s), 32, 32, 0, 0, 5, 7}}, 2);
}

Bytes BmpFile() {
    DibLayout s;
    s.width = 5;
    s.height = 3;
    s.bitCount = 24;
    s.icon = false;
    return BuildBmpFile(BuildDib(s));
}

// Good, damaged, missing and folder names, each its own name, in turn.
std::vector<std::string> MixedNames(const TempDir& dir, int rounds) {
    const Bytes icon = RampIcon();
    std::vector<std::string> names;
    for (int i = 0; i < rounds; ++i) {
        const std::string n = std::to_string(i);
        names.push_back(dir.file("good" + n + ".ico"));
        WriteFile(names.back(), icon);
        names.push_back(dir.file("cut" + n + ".ico"));
        WriteFile(names.back(), Bytes(icon.begin(), icon.end() - 100));
        names.push_back(dir.file("missing" + n + ".ico"));
        names.push_back(dir.file("folder" + n));
        mkdir(names.back().c_str(), 0755);
        names.push_back(dir.file("arrow" + n + ".cur"));
        WriteFile(names.back(), Cursor());
    }
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += " " + n;
    return out;
}

} // namespace

TEST(CliPipeline, JsonLinesIsTheJsonObjectOfEveryName) {
    TempDir dir;
    const Bytes icon = RampIcon();
    ASSERT_TRUE(WriteFile(dir.file("good.ico"), icon));
    ASSERT_TRUE(WriteFile(dir.file("cut.ico"), Bytes(icon.begin(), icon.end() - 100)));
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), Cursor()));
    ASSERT_TRUE(WriteFile(dir.file("pic.bmp"), BmpFile()));
    const std::string files =
        Joined({dir.file("good.ico"), dir.file("cut.ico"), dir.file("arrow.cur"), dir.file("pic.bmp")});
    for (const std::string flags : {"", " --decode", " --counts", " --hash", " --decode --hash", " --counts --hash"}) {
        SCOPED_TRACE(flags);
        const CliRun objects = Cli(dir, "info --json" + flags + files);
        const CliRun lines = Cli(dir, "info --jsonl" + flags + files);
        // The cut icon is damage with or without --counts: both read its records.
        const int status = 1;
        EXPECT_EQ(objects.status, status);
        EXPECT_EQ(lines.status, status);
        EXPECT_EQ(Lines(lines.out).size(), 4u);
        EXPECT_EQ(lines.out, objects.out);
        EXPECT_EQ(lines.err, objects.err);
    }
    // The counts say the same damage as the description, in the same words.
    EXPECT_EQ(Cli(dir, "info --counts" + files).err, Cli(dir, "info" + files).err);
    // An unreadable name: --json says it on standard error alone, --jsonl
    // gives its object too, with the io error.
    const std::string missing = dir.file("missing.ico");
    const CliRun objects = Cli(dir, "info --json " + missing + " " + dir.file("good.ico"));
    const CliRun lines = Cli(dir, "info --jsonl " + missing + " " + dir.file("good.ico"));
    EXPECT_EQ(objects.status, 1);
    EXPECT_EQ(lines.status, 1);
    EXPECT_EQ(lines.err, objects.err);
    ASSERT_EQ(Lines(objects.out).size(), 1u);
    ASSERT_EQ(Lines(lines.out).size(), 2u);
    EXPECT_EQ(Lines(lines.out)[1], Lines(objects.out)[0]);
    const json unreadable = json::parse(Lines(lines.out)[0]);
    EXPECT_EQ(unreadable["path"], missing);
    ASSERT_EQ(unreadable["errors"].size(), 1u);
    EXPECT_EQ(unreadable["errors"][0]["kind"], "io");
    EXPECT_TRUE(unreadable["groups"].empty());
}

TEST(CliPipeline, ParallelRunsSayTheSameInTheOrderOfTheNames) {
    TempDir dir;
    const std::vector<std::string> names = MixedNames(dir, 12); // 60 names, of assorted sizes
    for (const std::string mode : {"--jsonl", "--json --hash", "", "--counts"}) {
        SCOPED_TRACE(mode);
        const CliRun one = Cli(dir, "info -j 1 " + mode + Joined(names));
        const CliRun four = Cli(dir, "info -j 4 " + mode + Joined(names));
        EXPECT_EQ(one.status, 1);
        EXPECT_EQ(four.status, 1);
        EXPECT_EQ(four.out, one.out);
        EXPECT_EQ(four.err, one.err);
        // Standard error names the damaged, missing and folder names, in order.
        std::vector<std::string> complained;
        for (const std::string& line : Lines(four.err)) {
            const std::string prefix = "grabwell-cli: ";
            ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
            const std::string path = line.substr(prefix.size(), line.find(": ", prefix.size()) - prefix.size());
            if (complained.empty() || complained.back() != path) complained.push_back(path);
        }
        std::vector<std::string> failing;
        for (const std::string& n : names)
            if (n.find("/good") == std::string::npos && n.find("/arrow") == std::string::npos)
                failing.push_back(n); // counting says the same damage
        EXPECT_EQ(complained, failing);
    }
    EXPECT_EQ(PathsOf(Cli(dir, "info -j 4 --jsonl" + Joined(names)).out), names);
    // A whole run of good files exits 0.
    EXPECT_EQ(Cli(dir, "info -j 3 " + names[0] + " " + names[4]).status, 0);
}

// A file of many images is decoded on several threads: the verdicts are the
// same as on one, image by image.
TEST(CliPipeline, ManyImagesOfOneFileDecodeAlikeOnOneThreadOrMany) {
    TempDir dir;
    DibLayout s;
    s.width = s.height = 16;
    s.bitCount = 8;
    std::vector<IcoEntry> entries;
    for (int i = 0; i < 100; ++i)
        entries.push_back(i % 7 == 3 ? IcoEntry{Bytes(60, 0xEE), 16, 16, 0, 0, 1, 8}
                                     : IcoEntry{BuildDib(s), 16, 16, 0, 0, 1, 8});
    const std::string many = dir.file("many.ico");
    WriteFile(many, BuildIcoFile(entries));
    const CliRun one = Cli(dir, "info -j 1 --jsonl --decode " + many);
    const CliRun four = Cli(dir, "info -j 4 --jsonl --decode " + many);
    EXPECT_EQ(four.out, one.out);
    size_t broken = 0;
    for (size_t at = one.out.find("\"decoded\":false"); at != std::string::npos;
         at = one.out.find("\"decoded\":false", at + 1))
        ++broken;
    EXPECT_EQ(broken, 14u); // i = 3, 10, ..., 94
}

TEST(CliPipeline, FilesFromReadsNamesByteForByte) {
    TempDir dir;
    const Bytes icon = RampIcon();
    const std::string latin1 = dir.file("caf\xE9.ico"); // not UTF-8
    const std::string broken = dir.file("line\nbreak.ico");
    ASSERT_TRUE(WriteFile(latin1, icon));
    ASSERT_TRUE(WriteFile(broken, icon));
    ASSERT_TRUE(WriteFile(dir.file("plain.ico"), icon));
    ASSERT_TRUE(WriteFile(dir.file("first.cur"), Cursor()));
    const std::string nulList = latin1 + '\0' + broken + '\0' + dir.file("plain.ico"); // no last NUL
    ASSERT_TRUE(WriteFile(dir.file("names0"), Bytes(nulList.begin(), nulList.end())));

    // Standard input, NUL-separated, after the arguments.
    const CliRun r = Cli(dir, "info --jsonl --files-from - -0 " + dir.file("first.cur") + " < " + dir.file("names0"));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(json::parse(lines[0])["kind"], "Cursor File");
    const json odd = json::parse(lines[1]);
    std::string hex;
    for (const unsigned char c : latin1) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", c);
        hex += two;
    }
    EXPECT_EQ(odd["path_hex"], hex);
    EXPECT_EQ(odd["kind"], "Icon File");
    EXPECT_EQ(json::parse(lines[2])["path"], broken);
    EXPECT_EQ(json::parse(lines[3])["path"], dir.file("plain.ico"));

    // A list file of lines; empty lines are passed over.
    const std::string lineList = dir.file("plain.ico") + "\n\n" + dir.file("first.cur") + "\n";
    ASSERT_TRUE(WriteFile(dir.file("names"), Bytes(lineList.begin(), lineList.end())));
    EXPECT_EQ(PathsOf(Cli(dir, "info --jsonl --files-from " + dir.file("names")).out),
              (std::vector<std::string>{dir.file("plain.ico"), dir.file("first.cur")}));

    // No names at all, -0 without a list, and a list that is not there.
    EXPECT_EQ(Cli(dir, "info --jsonl").status, 2);
    EXPECT_EQ(Cli(dir, "info --jsonl -0 " + dir.file("plain.ico")).status, 2);
    const CliRun noList = Cli(dir, "info --jsonl --files-from " + dir.file("nothing"));
    EXPECT_EQ(noList.status, 1);
    EXPECT_NE(noList.err.find("nothing: cannot be read"), std::string::npos) << noList.err;
}

TEST(CliPipeline, RecurseGivesEveryRegularFileBelowAFolderInSortedOrder) {
    TempDir dir;
    const std::string root = dir.file("root");
    const Bytes icon = RampIcon();
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/a/sub").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(root + "/b.ico", icon));
    ASSERT_TRUE(WriteFile(root + "/a/z.cur", Cursor()));
    ASSERT_TRUE(WriteFile(root + "/a/.hidden.ico", icon));
    ASSERT_TRUE(WriteFile(root + "/a/sub/x.ico", icon));
    ASSERT_TRUE(WriteFile(root + "/c", Bytes{'t', 'e', 'x', 't'}));
    ASSERT_EQ(symlink(root.c_str(), (root + "/loop").c_str()), 0);          // back to the top: not walked again
    ASSERT_EQ(symlink("b.ico", (root + "/link.ico").c_str()), 0);           // a link to a file is a file
    ASSERT_EQ(symlink("nowhere", (root + "/broken").c_str()), 0);           // left out
    ASSERT_EQ(mkfifo((root + "/fifo").c_str(), 0644), 0);                   // left out (opening it would wait)

    const std::vector<std::string> expected = {root + "/a/.hidden.ico", root + "/a/sub/x.ico", root + "/a/z.cur",
                                               root + "/b.ico", root + "/c", root + "/link.ico"};
    const CliRun r = Cli(dir, "info --jsonl --recurse -j 2 " + root);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PathsOf(r.out), expected);
    // A listed folder is walked too, and a named file stays itself.
    const std::string list = root + "/a/sub\n" + root + "/b.ico\n";
    ASSERT_TRUE(WriteFile(dir.file("list"), Bytes(list.begin(), list.end())));
    EXPECT_EQ(PathsOf(Cli(dir, "info --jsonl --recurse --files-from " + dir.file("list")).out),
              (std::vector<std::string>{root + "/a/sub/x.ico", root + "/b.ico"}));
    // Without --recurse a folder is a name that cannot be read.
    const CliRun plain = Cli(dir, "info --jsonl " + root);
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(PathsOf(plain.out), (std::vector<std::string>{root}));
}

TEST(CliPipeline, HashGivesTheIconsFingerprints) {
    TempDir dir;
    const Bytes icon = RampIcon();
    ASSERT_TRUE(WriteFile(dir.file("ramp.ico"), icon));
    ASSERT_TRUE(WriteFile(dir.file("pic.bmp"), BmpFile()));
    const CliRun r = Cli(dir, "info --jsonl --hash " + dir.file("ramp.ico") + " " + dir.file("pic.bmp"));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    const json hash = json::parse(lines[0])["icon_hash"];
    // The 32 x 32 image is the larger: its bytes are the file's after the
    // directory (6 + 2 x 16) and the 16 x 16 image.
    const auto doc = Document::OfBytes("ramp.ico", icon);
    doc->Load(RecordKind::Icons);
    const IconGroup& group = doc->Contents().IconGroups.at(0);
    const size_t at = 6 + 2 * 16 + group.Images[0].BytesInRes;
    EXPECT_EQ(hash["raw_md5"], Md5Hex(ByteView(icon).subspan(at)));
    // Save writes this file as it was built.
    EXPECT_EQ(hash["ico_md5"], Md5Hex(icon));
    // Brighter to the left everywhere.
    EXPECT_EQ(hash["dhash"], "ffffffffffffffff");
    EXPECT_TRUE(json::parse(lines[1])["icon_hash"].is_null());
    EXPECT_EQ(json::parse(lines[1]).count("icon_hash"), 1u);

    // Counting reads the icon groups for it; without --hash there is no key.
    EXPECT_EQ(json::parse(Cli(dir, "info --counts --json --hash " + dir.file("ramp.ico")).out)["icon_hash"], hash);
    EXPECT_EQ(json::parse(Cli(dir, "info --json " + dir.file("ramp.ico")).out).count("icon_hash"), 0u);
    const CliRun text = Cli(dir, "info --hash " + dir.file("ramp.ico") + " " + dir.file("pic.bmp"));
    EXPECT_NE(text.out.find("  icon hash: raw MD5 " + hash["raw_md5"].get<std::string>() + ", .ico MD5 " +
                            hash["ico_md5"].get<std::string>() + ", dhash ffffffffffffffff\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("  icon hash: none\n"), std::string::npos) << text.out;
}
