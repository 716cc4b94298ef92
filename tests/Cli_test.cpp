// Runs grabwell-cli on fixture files and checks what it prints, writes and returns.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "formats/Document.h"
#include "formats/ResTypes.h"
#include "platform/BmpCodec.h"
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

RunResult RunCli(const std::string& args) { return RunCommand(std::string(GRABWELL_CLI) + " " + args + " 2>/dev/null"); }
// The same with what it says on its error stream.
RunResult RunCliWithErrors(const std::string& args) {
    return RunCommand(std::string(GRABWELL_CLI) + " " + args + " 2>&1");
}

Bytes TwoImageIcon() {
    DibLayout a;
    a.width = 16;
    a.height = 16;
    a.bitCount = 4;
    DibLayout b = a;
    b.width = 32;
    b.height = 32;
    b.bitCount = 8;
    IcoEntry ea{BuildDib(a), 16, 16, 16, 0, 1, 4};
    IcoEntry eb{BuildDib(b), 32, 32, 0, 0, 1, 8};
    return BuildIcoFile({ea, eb});
}

Bytes Cursor() {
    DibLayout s;
    s.width = 32;
    s.height = 32;
    s.bitCount = 1;
    s.palette = {0, 0xFFFFFF};
    IcoEntry e{BuildDib(s), 32, 32, 0, 0, 5, 7};
    return BuildIcoFile({e}, 2);
}

} // namespace

TEST(Cli, InfoJsonForIconCursorAndBitmapFiles) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Two.Sizes.ico"), TwoImageIcon()));
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), Cursor()));
    DibLayout s;
    s.width = 5;
    s.height = 3;
    s.bitCount = 24;
    s.icon = false;
    s.pixel = [](int x, int y) { return uint32_t(x * 40 + y); };
    ASSERT_TRUE(WriteFile(dir.file("pic.bmp"), BuildBmpFile(BuildDib(s))));
    // A 256-pixel image: its entry stores 0 for 256, which every label reads as 256.
    DibLayout big;
    big.width = big.height = 256;
    big.bitCount = 1;
    ASSERT_TRUE(WriteFile(dir.file("big.ico"), BuildIcoFile({{BuildDib(big), 0, 0, 2, 0, 1, 1}})));

    const RunResult r = RunCli("info --json " + dir.file("Two.Sizes.ico") + " " + dir.file("arrow.cur") + " " +
                               dir.file("pic.bmp") + " " + dir.file("big.ico"));
    EXPECT_NE(r.out.find("\"format\":\"256 X 256 2 Colors\""), std::string::npos) << r.out;
    EXPECT_NE(RunCli("info " + dir.file("big.ico")).out.find("256 X 256 2 Colors"), std::string::npos);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"kind\":\"Icon File\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"format\":\"32 X 32 256 Colors\""), std::string::npos);
    EXPECT_NE(r.out.find("\"kind\":\"Cursor File\""), std::string::npos);
    EXPECT_NE(r.out.find("\"hotspot_x\":5"), std::string::npos);
    EXPECT_NE(r.out.find("\"hotspot_y\":7"), std::string::npos);
    EXPECT_NE(r.out.find("\"format\":\"32 X 32 2 Colors\""), std::string::npos);
    EXPECT_NE(r.out.find("\"kind\":\"Bitmap File\""), std::string::npos);
    EXPECT_NE(r.out.find("\"pixel_format\":\"24\""), std::string::npos);
    EXPECT_NE(r.out.find("\"icon_groups\":1"), std::string::npos);
}

// A library, an NE module and a resource file of one icon group each.
struct Containers {
    Bytes image = TwoImageIcon(); // any image bytes will do: only their place matters
    Bytes pe, ne, res;
    Containers() {
        PeLayout p;
        p.resources = {{ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409,
                        BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(image.size()), 7}})},
                       {ResourceKey::Id(RT_ICON), ResourceKey::Id(7), 0x0409, image}};
        pe = BuildPe(p).bytes;
        NeLayout n;
        n.types = {{0x800E, {{0x8001, BuildNeIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(image.size()), 1}})}}},
                   {0x8003, {{0x8001, image}}}};
        ne = BuildNeFile(n).bytes;
        res = BuildRes32({{RT_ICON, 7, image}, {RT_GROUP_ICON, 1, BuildIconGroupRes({{32, 32, 1, 8, 0, 7}})}});
    }
};

TEST(Cli, DamagedFilesSayWhatIsWrongAndWhere) {
    TempDir dir;
    const Containers c;
    const Bytes ico = TwoImageIcon();
    struct Case {
        const char* name;
        Bytes whole;
        size_t cut; // bytes kept of the damaged copy
    };
    const Case cases[] = {
        {"icons.ico", ico, ico.size() - 100},     // an icon file cut short
        {"lib.dll", c.pe, c.pe.size() / 2},       // a library cut in half
        {"old.exe", c.ne, c.ne.size() - 100},     // an NE module cut inside its last image
        {"app.res", c.res, c.res.size() - 100},   // a resource file cut inside its last entry
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string whole = dir.file(std::string("whole-") + k.name);
        const std::string cut = dir.file(std::string("cut-") + k.name);
        ASSERT_TRUE(WriteFile(whole, k.whole));
        ASSERT_TRUE(WriteFile(cut, Bytes(k.whole.begin(), k.whole.begin() + ptrdiff_t(k.cut))));

        const RunResult good = RunCli("info --json " + whole);
        EXPECT_EQ(good.status, 0);
        const auto goodJson = nlohmann::json::parse(good.out);
        EXPECT_EQ(goodJson["icon_groups"], 1);
        EXPECT_TRUE(goodJson["errors"].empty()) << good.out;

        const RunResult bad = RunCli("info --json " + cut);
        EXPECT_EQ(bad.status, 1);
        const auto errors = nlohmann::json::parse(bad.out)["errors"];
        ASSERT_FALSE(errors.empty()) << bad.out;
        for (const auto& e : errors) {
            EXPECT_EQ(e["kind"], "truncated") << e;
            EXPECT_LE(e["offset"].get<uint64_t>(), k.cut) << e;
            EXPECT_FALSE(e["message"].get<std::string>().empty());
        }
    }
    // Counting alone says so too: a library cut in half exits 1 with its error.
    const RunResult counts = RunCli("info --counts --json " + dir.file("cut-lib.dll"));
    EXPECT_EQ(counts.status, 1);
    EXPECT_FALSE(nlohmann::json::parse(counts.out)["errors"].empty()) << counts.out;
    EXPECT_EQ(RunCli("info --counts " + dir.file("whole-lib.dll")).status, 0);
    // The text form names the kind and the byte.
    const RunResult text = RunCliWithErrors("info " + dir.file("cut-icons.ico"));
    EXPECT_NE(text.out.find("truncated at byte " + GroupedNumber(ico.size() - 100) + ": image 1 needs"),
              std::string::npos)
        << text.out;
}

// A group whose second image resource is missing: the files written hold
// the image that is there and no block of zeros, and the command says so.
TEST(Cli, MissingImagesAreNeverWrittenAsZeros) {
    TempDir dir, saved, extracted;
    const Containers c;
    PeLayout p;
    p.resources = {{ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409,
                    BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(c.image.size()), 7},
                                    {16, 16, 0, 0, 1, 4, 300, 8}})},
                   {ResourceKey::Id(RT_ICON), ResourceKey::Id(7), 0x0409, c.image}};
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), BuildPe(p).bytes));
    EXPECT_EQ(RunCli("save " + dir.file("lib.dll") + " " + saved.path()).status, 1);
    const auto back = Document::Open(saved.file("1.ico"));
    ASSERT_TRUE(back->Load(RecordKind::Icons).empty());
    ASSERT_EQ(back->Contents().IconGroups[0].Images.size(), 1u);
    EXPECT_EQ(back->Contents().IconGroups[0].Images[0].Data, c.image);
    EXPECT_EQ(RunCli("extract " + dir.file("lib.dll") + " " + extracted.path()).status, 1);
    EXPECT_TRUE(fs::exists(extracted.file("1_0.ico")));
    EXPECT_FALSE(fs::exists(extracted.file("1_1.ico")));
    EXPECT_NE(RunCli("info --json " + dir.file("lib.dll")).out.find("\"missing\":true"), std::string::npos);
}

TEST(Cli, ErrorsAndUsage) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("good.ico"), TwoImageIcon()));
    Bytes bad = TwoImageIcon();
    bad[2] = 7;
    ASSERT_TRUE(WriteFile(dir.file("bad.ico"), bad));
    // The bad file fails, the good one is still listed.
    const RunResult r = RunCli("info " + dir.file("bad.ico") + " " + dir.file("missing.ico") + " " + dir.file("good.ico"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("good.ico: Icon File"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli("info").status, 2);
    EXPECT_EQ(RunCli("frobnicate x").status, 2);
    EXPECT_EQ(RunCli("extract --help").status, 0);
}

TEST(Cli, ExtractNamesImagesAndNeverDestroysByDefault) {
    TempDir dir, out;
    ASSERT_TRUE(WriteFile(dir.file("My.Icons.ico"), TwoImageIcon()));
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), Cursor()));
    ASSERT_EQ(RunCli("extract " + dir.file("My.Icons.ico") + " " + out.path()).status, 0);
    ASSERT_TRUE(fs::exists(out.file("my_0.ico")));
    ASSERT_TRUE(fs::exists(out.file("my_1.ico")));
    // Each written file is a one-image icon that reads back.
    const Bytes oneBytes = ReadFile(out.file("my_1.ico"));
    const auto one = Document::Open(out.file("my_1.ico"));
    ASSERT_TRUE(one->Load(RecordKind::Icons).empty());
    EXPECT_EQ(one->Contents().IconGroups[0].Images.size(), 1u);
    EXPECT_EQ(one->Contents().IconGroups[0].Images[0].Width, 32);

    // Again: renamed with "_", the first files untouched.
    ASSERT_EQ(RunCli("extract " + dir.file("My.Icons.ico") + " " + out.path()).status, 0);
    EXPECT_TRUE(fs::exists(out.file("my_0_.ico")));
    EXPECT_EQ(ReadFile(out.file("my_1.ico")), oneBytes);
    // Skip writes nothing new.
    ASSERT_EQ(RunCli("extract --existing skip " + dir.file("My.Icons.ico") + " " + out.path()).status, 0);
    EXPECT_FALSE(fs::exists(out.file("my_0__.ico")));

    ASSERT_EQ(RunCli("extract --as-bitmaps " + dir.file("arrow.cur") + " " + out.path()).status, 0);
    const Bitmap bmp = DecodeBmp(ReadFile(out.file("arrow_0.bmp")));
    ASSERT_TRUE(bmp.HasHandle());
    EXPECT_EQ(bmp.width, 32);
    EXPECT_EQ(bmp.height, 32);
    EXPECT_EQ(bmp.pixelFormat, PixelFormat::Bits4);

    ASSERT_EQ(RunCli("extract " + dir.file("arrow.cur") + " " + out.path()).status, 0);
    const auto cc = Document::Open(out.file("arrow_0.cur"));
    ASSERT_TRUE(cc->Load(RecordKind::Cursors).empty());
    EXPECT_EQ(cc->Contents().CursorGroups[0].Images[0].HotspotX, 5);

    // As PNG: a PNG image exactly as stored, a bitmap image with its mask as alpha.
    const Bytes png = BuildPng(48, 48, [](int x, int) { return x < 24 ? 0x80FF0000u : 0xFF00FF00u; });
    ASSERT_TRUE(WriteFile(dir.file("mixed.ico"), BuildIcoFile({{png, 48, 48, 0, 0, 1, 32}})));
    ASSERT_EQ(RunCli("extract --as-png " + dir.file("mixed.ico") + " " + out.path()).status, 0);
    EXPECT_EQ(ReadFile(out.file("mixed_0.png")), png);
    ASSERT_EQ(RunCli("extract --as-png " + dir.file("arrow.cur") + " " + out.path()).status, 0);
    const Handle arrow = DecodeIconImage(ReadFile(out.file("arrow_0.png")), true);
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->width, 32);
    EXPECT_EQ(arrow->height, 32);
}

// Another reader of icon and cursor files (icoutils) reads what extract and
// save write from a library: sizes, depths and the hot spot of a resource.
TEST(Cli, IcotoolReadsExtractedCursorsAndIcons) {
    if (std::system("command -v icotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "icotool is not installed";
    DibLayout s;
    s.width = 32;
    s.height = 32;
    s.bitCount = 1;
    s.palette = {0, 0xFFFFFF};
    const Bytes cursor = BuildCursorResource(5, 7, BuildDib(s));
    DibLayout i = s;
    i.bitCount = 8;
    i.palette.clear();
    const Bytes icon = BuildDib(i);
    PeLayout layout;
    layout.resources = {
        {ResourceKey::Id(RT_GROUP_CURSOR), ResourceKey::Id(100),
         0x0409, BuildCursorGroup({{32, 64, 1, 1, uint32_t(cursor.size()), 1}})},
        {ResourceKey::Id(RT_CURSOR), ResourceKey::Id(1), 0x0409, cursor},
        {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named("APP"),
         0x0409, BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(icon.size()), 2}})},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(2), 0x0409, icon},
    };
    TempDir dir, out;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), BuildPe(layout).bytes));
    ASSERT_EQ(RunCli("extract " + dir.file("lib.dll") + " " + out.path()).status, 0);
    ASSERT_EQ(RunCli("save --icons " + dir.file("lib.dll") + " " + out.path()).status, 0);
    EXPECT_EQ(RunCommand("icotool -l " + out.file("100_0.cur")).out,
              "--cursor --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2 --hotspot-x=5 "
              "--hotspot-y=7\n");
    EXPECT_EQ(RunCommand("icotool -l " + out.file("APP.ico")).out,
              "--icon --index=1 --width=32 --height=32 --bit-depth=8 --palette-size=256\n");
}

// Names beyond ASCII keep every character from the file to the written name,
// and a path that is not UTF-8 is read, described and extracted by its bytes.
TEST(Cli, NamesBeyondAsciiAndPathsThatAreNotUtf8) {
    TempDir dir, out;
    const std::vector<std::string> names = {"CAF\u00C9", "\u30A2\u30A4\u30B3\u30F3", "G\U0001D11E"};
    const Bytes image = TwoImageIcon();
    PeLayout p;
    for (size_t i = 0; i < names.size(); ++i)
        p.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named(names[i]), 0x0409,
                               BuildIconGroup({{32, 32, 0, 0, 1, 8, uint32_t(image.size()), uint16_t(10 + i)}})});
    for (size_t i = 0; i < names.size(); ++i)
        p.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(uint16_t(10 + i)), 0x0409, image});
    ASSERT_TRUE(WriteFile(dir.file("names.dll"), BuildPe(p).bytes));
    DibLayout d;
    d.width = d.height = 4;
    d.bitCount = 24;
    d.icon = false;
    ASSERT_TRUE(WriteFile(dir.file("names.res"), BuildRes32({{RT_BITMAP, "CAF\u00C9", BuildDib(d)}})));
    ASSERT_TRUE(WriteFile(dir.file("names16.res"), BuildRes16({{RT_BITMAP, "NA\xCFVE", BuildDib(d)}})));
    const std::string latin1 = dir.file("caf\xE9.ico");
    ASSERT_TRUE(WriteFile(latin1, image));

    const RunResult info = RunCli("info --json " + dir.file("names.dll") + " " + dir.file("names.res") + " " +
                                  dir.file("names16.res") + " " + latin1);
    EXPECT_EQ(info.status, 0);
    std::vector<nlohmann::json> docs;
    std::istringstream lines(info.out);
    for (std::string line; std::getline(lines, line);) docs.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(docs.size(), 4u) << info.out;
    std::set<std::string> groupNames;
    for (const auto& g : docs[0]["groups"]) groupNames.insert(g["name"].get<std::string>());
    EXPECT_EQ(groupNames, std::set<std::string>(names.begin(), names.end()));
    EXPECT_EQ(docs[1]["bitmap_list"][0]["name"], "CAF\u00C9");
    EXPECT_EQ(docs[2]["bitmap_list"][0]["name"], "NA\u00CFVE");
    EXPECT_FALSE(docs[0].contains("path_hex"));
    EXPECT_EQ(docs[3]["path"], dir.file("caf\uFFFD.ico"));
    std::string hex;
    for (unsigned char c : latin1) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    EXPECT_EQ(docs[3]["path_hex"], hex);
    EXPECT_EQ(docs[3]["icon_groups"], 1);
    EXPECT_EQ(RunCli("info --counts --json " + latin1).out.find("path_hex") != std::string::npos, true);

    // Written names are the resource names byte for byte; a name made from a
    // file's own name keeps its bytes.
    ASSERT_EQ(RunCli("save " + dir.file("names.dll") + " " + out.path()).status, 0);
    ASSERT_EQ(RunCli("save " + dir.file("names.res") + " " + out.path()).status, 0);
    ASSERT_EQ(RunCli("save " + dir.file("names16.res") + " " + out.path()).status, 0);
    ASSERT_EQ(RunCli("extract " + latin1 + " " + out.path()).status, 0);
    std::set<std::string> written;
    for (const auto& e : fs::directory_iterator(out.path())) written.insert(e.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{names[0] + ".ico", names[1] + ".ico", names[2] + ".ico",
                                              "CAF\u00C9.bmp", "NA\u00CFVE.bmp", "caf\xE9_0.ico", "caf\xE9_1.ico"}));
}

// Animated cursors and icons, in .ani files and as resources of types 21 and
// 22: listed with their steps, rates and frames, saved whole, extracted frame
// by frame.
TEST(Cli, AnimatedCursorsAreListedSavedAndExtracted) {
    TempDir dir, out;
    const Bytes frameA = Cursor(), frameB = Cursor();
    AniLayout layout;
    layout.frames = {frameA, frameB};
    layout.sequence = std::vector<uint32_t>{0, 1, 0};
    layout.rates = std::vector<uint32_t>{6, 12, 30};
    layout.title = "Busy";
    const Bytes busy = BuildAni(layout);
    ASSERT_TRUE(WriteFile(dir.file("busy.ani"), busy));
    AniLayout iconLayout;
    iconLayout.frames = {TwoImageIcon()};
    const Bytes spinner = BuildAni(iconLayout);
    PeLayout p;
    p.resources = {{ResourceKey::Id(21), ResourceKey::Named("WAIT"), 0x0409, busy},
                   {ResourceKey::Id(22), ResourceKey::Id(5), 0x0409, spinner}};
    ASSERT_TRUE(WriteFile(dir.file("anim.dll"), BuildPe(p).bytes));

    const RunResult info = RunCli("info --json " + dir.file("busy.ani"));
    EXPECT_EQ(info.status, 0) << info.out;
    const auto j = nlohmann::json::parse(info.out);
    EXPECT_EQ(j["kind"], "Animated Cursor File");
    EXPECT_EQ(j["animations"], 1);
    const auto& a = j["animation_list"][0];
    EXPECT_EQ(a["name"], "busy");
    EXPECT_EQ(a["frames"], 2);
    EXPECT_EQ(a["steps"], 3);
    EXPECT_EQ(a["rates_ms"], nlohmann::json::parse("[100, 200, 500]"));
    EXPECT_EQ(a["sequence"], nlohmann::json::parse("[0, 1, 0]"));
    EXPECT_EQ(a["title"], "Busy");
    EXPECT_EQ(a["frame_list"][1]["images"][0]["hotspot_x"], 5);

    const RunResult lib = RunCli("info --json " + dir.file("anim.dll"));
    EXPECT_EQ(lib.status, 0) << lib.out;
    const auto l = nlohmann::json::parse(lib.out);
    EXPECT_EQ(l["animations"], 2);
    EXPECT_EQ(l["icon_groups"], 0); // the counts a script reads today are unchanged
    EXPECT_EQ(l["animation_list"][0]["name"], "WAIT");
    EXPECT_EQ(l["animation_list"][1]["type"], "icon");

    ASSERT_EQ(RunCli("save " + dir.file("anim.dll") + " " + out.path()).status, 0);
    EXPECT_EQ(ReadFile(out.file("WAIT.ani")), busy);
    EXPECT_EQ(ReadFile(out.file("5.ani")), spinner);
    ASSERT_EQ(RunCli("extract " + dir.file("anim.dll") + " " + out.path()).status, 0);
    EXPECT_EQ(ReadFile(out.file("WAIT_0.cur")), frameA);
    EXPECT_EQ(ReadFile(out.file("WAIT_1.cur")), frameB);
    EXPECT_EQ(ReadFile(out.file("5_0.ico")), TwoImageIcon());
    ASSERT_EQ(RunCli("extract --as-png " + dir.file("busy.ani") + " " + out.path()).status, 0);
    EXPECT_TRUE(fs::exists(out.file("busy_1_0.png")));

    // The wizard's animated listing: each animation whole, or frame by frame.
    TempDir whole, frames;
    ASSERT_EQ(RunCli("wizard --animated " + dir.path() + " " + whole.path()).status, 0);
    EXPECT_EQ(ReadFile(whole.file("animdll_0.ani")), busy);
    EXPECT_EQ(ReadFile(whole.file("animdll_1.ani")), spinner);
    ASSERT_EQ(RunCli("wizard --animated --as-frames " + dir.path() + " " + frames.path()).status, 0);
    EXPECT_EQ(ReadFile(frames.file("animdll_0_1.cur")), frameB);
    EXPECT_EQ(ReadFile(frames.file("animdll_1_0.ico")), TwoImageIcon());
    EXPECT_FALSE(fs::exists(frames.file("animdll_0.ani")));

    // A cut file says so, and still lists what it holds.
    ASSERT_TRUE(WriteFile(dir.file("cut.ani"), Bytes(busy.begin(), busy.end() - 40)));
    const RunResult cut = RunCli("info --json " + dir.file("cut.ani"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_FALSE(nlohmann::json::parse(cut.out)["errors"].empty());
}

// A first word that names no command says so and lists the commands there
// are; a missing command still says one is required.
TEST(Cli, UnknownCommandIsNamedWithTheCommandsThereAre) {
    const RunResult unknown = RunCliWithErrors("frob x.ico");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.out.find("unknown command 'frob'"), std::string::npos) << unknown.out;
    EXPECT_NE(unknown.out.find("info, extract, save"), std::string::npos) << unknown.out;
    const RunResult none = RunCliWithErrors("");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out.find("unknown command"), std::string::npos) << none.out;
}

// The manual's synopsis shows every command --help lists, and each with
// every option its own --help lists (by one of its names).
TEST(Cli, TheManualsSynopsisShowsEveryCommandAndOption) {
    const Bytes page = ReadFile(std::string(GRABWELL_MANUALS) + "/grabwell-cli.1");
    const std::string manual(page.begin(), page.end());
    const size_t from = manual.find(".SH SYNOPSIS"), to = manual.find(".SH DESCRIPTION");
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    const std::string synopsis = manual.substr(from, to - from);
    // A name as roff spells it, standing alone: "\-\-in\-place", not part of a longer one.
    const auto shows = [&](const std::string& name) {
        std::string spelled;
        for (char c : name) spelled += c == '-' ? std::string("\\-") : std::string(1, c);
        for (size_t at = synopsis.find(spelled); at != std::string::npos; at = synopsis.find(spelled, at + 1)) {
            const char before = at == 0 ? ' ' : synopsis[at - 1];
            const char after = at + spelled.size() < synopsis.size() ? synopsis[at + spelled.size()] : ' ';
            if (std::string(" [|(\"\n").find(before) != std::string::npos &&
                std::string(" ]|)\"\n").find(after) != std::string::npos)
                return true;
        }
        return false;
    };
    // The names at the start of each line of a help section ("  -j,--jobs N ...").
    const auto namesIn = [](const std::string& help, const std::string& section) {
        std::vector<std::string> lines;
        std::istringstream in(help.substr(help.find(section) + section.size()));
        for (std::string line; std::getline(in, line) && (line.empty() || line[0] == ' ');) {
            const size_t start = line.find_first_not_of(' ');
            if (start == std::string::npos) continue;
            lines.push_back(line.substr(start, line.find_first_of(" \t", start) - start));
        }
        return lines;
    };
    const RunResult top = RunCli("--help");
    ASSERT_EQ(top.status, 0);
    const std::vector<std::string> commands = namesIn(top.out, "Subcommands:\n");
    EXPECT_GE(commands.size(), 9u);
    for (const std::string& command : commands) {
        EXPECT_TRUE(shows(command)) << command;
        const RunResult help = RunCli(command + " --help");
        ASSERT_EQ(help.status, 0) << command;
        for (const std::string& option : namesIn(help.out, "Options:\n")) {
            if (option[0] != '-' || option.rfind("-h,", 0) == 0) continue; // a wrapped line; --help
            std::vector<std::string> names;
            std::istringstream spellings(option.substr(0, option.find(' ')));
            for (std::string name; std::getline(spellings, name, ',');) names.push_back(name);
            EXPECT_TRUE(std::any_of(names.begin(), names.end(), shows)) << command << " " << option;
        }
    }
}

// A file that is not there is named once, and what is said of it starts
// alike whichever command says it: "grabwell-cli: PATH: cannot be read: ...".
TEST(Cli, MessagesNameAPathOnceAndStartAlike) {
    TempDir dir;
    const std::string missing = dir.file("x.exe"), out = dir.file("out");
    fs::create_directories(out);
    for (const std::string& args :
         {"info " + missing, "info --json " + missing, "extract " + missing + " " + out, "save " + missing + " " + out,
          "desktop-entry --prefix " + out + " " + missing, "cursor-theme " + dir.file("x.cur") + " " + out,
          "set-icon -o " + dir.file("y.exe") + " " + missing + " " + dir.file("x.ico")}) {
        const RunResult r = RunCommand(std::string(GRABWELL_CLI) + " " + args + " 2>&1 >/dev/null");
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.out.find("No such file or directory"), std::string::npos) << args << "\n" << r.out;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            ASSERT_EQ(line.rfind("grabwell-cli: ", 0), 0u) << line;
            std::string said = line.substr(14);
            for (const std::string& path : {missing, dir.file("x.cur")}) {
                size_t named = 0;
                for (size_t at = said.find(path); at != std::string::npos; at = said.find(path, at + 1)) ++named;
                EXPECT_LE(named, 1u) << line;
                if (said.rfind(path + ": ", 0) == 0) said.erase(0, path.size() + 2);
            }
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(said[0])) || said[0] == '"') << line;
        }
    }
}
