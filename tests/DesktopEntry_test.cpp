#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "batch/core/DesktopEntry.h"
#include "formats/ResTypes.h"
#include "platform/FileIo.h"
#include "tests/support/Builders.h"
#include "tests/support/ExplorerFiles.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/VersionBuilder.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// A program whose first icon group holds the given square sizes (a 256 as
// PNG), with version information naming it description when given.
Bytes Program(const std::vector<int>& sizes, const std::string& description = {}, const std::string& company = {}) {
    PeLayout layout;
    layout.pe32Plus = true;
    std::vector<IconGroupEntry> entries;
    uint16_t id = 1;
    for (int size : sizes) {
        const Bytes image = size == 256 ? BuildPng(256, 256, [](int, int) { return 0xFF3366CCu; })
                                        : ExplorerIconDib(size, 0x0000FF, size == 32 ? 8 : 24);
        IconGroupEntry e;
        e.width = e.height = uint8_t(size == 256 ? 0 : size);
        e.bitCount = size == 256 ? 32 : size == 32 ? 8 : 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = id;
        entries.push_back(e);
        layout.resources.push_back({ResName::Id(RT_ICON), ResName::Id(id++), 0x0409, image});
    }
    layout.resources.push_back({ResName::Id(RT_GROUP_ICON), ResName::Id(1), 0x0409, BuildIconGroup(entries)});
    if (!description.empty()) {
        std::vector<VersionNode> strings = {StringNode("FileDescription", description, true)};
        if (!company.empty()) strings.push_back(StringNode("CompanyName", company, true));
        VersionNode root{"VS_VERSION_INFO", FixedPart(0x10000, 0, 0x10000, 0, 0x3F, 0, 0x40004, 1)};
        root.children = {StringFileInfoNode({TableNode("040904B0", strings)}), VarFileInfoNode({0x040904B0})};
        layout.resources.push_back({ResName::Id(16), ResName::Id(1), 0x0409, BuildVersionBlock(root, true)});
    }
    return BuildPe(layout).bytes;
}

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

const PlannedFile* FileEndingWith(const DesktopEntryPlan& plan, const std::string& tail) {
    for (const PlannedFile& f : plan.files)
        if (f.path.size() >= tail.size() && f.path.compare(f.path.size() - tail.size(), tail.size(), tail) == 0)
            return &f;
    return nullptr;
}

} // namespace

TEST(DesktopEntry, IdsAndQuoting) {
    EXPECT_EQ(DesktopEntryId("/games/Deep Space/DeepSpace.exe").rfind("grabwell-deepspace-", 0), 0u);
    EXPECT_EQ(DesktopEntryId("/a/b/My Game (2).EXE").rfind("grabwell-my-game-2-", 0), 0u);
    EXPECT_EQ(DesktopEntryId("/a/x.exe"), DesktopEntryId("/a/x.exe"));  // stable
    EXPECT_NE(DesktopEntryId("/a/x.exe"), DesktopEntryId("/b/x.exe")); // two programs of one name
    EXPECT_EQ(DesktopEntryId("/a/...exe").rfind("grabwell-program-", 0), 0u);
    EXPECT_EQ(DesktopExecArgument("/opt/game.exe"), "/opt/game.exe");
    // Reserved characters quote the argument; ", `, $ and \ are escaped inside,
    // then every \ is doubled as string values need; % is doubled.
    EXPECT_EQ(DesktopExecArgument("/my games/a.exe"), "\"/my games/a.exe\"");
    EXPECT_EQ(DesktopExecArgument("/x/\"q\"$`\\.exe"), "\"/x/\\\\\"q\\\\\"\\\\$\\\\`\\\\\\\\.exe\"");
    EXPECT_EQ(DesktopExecArgument("/100%.exe"), "/100%%.exe");
    EXPECT_EQ(DesktopString("a\nb\\c\x01"), "a\\nb\\\\c");
}

TEST(DesktopEntry, IconSetAndEntryFromAProgram) {
    TempDir dir;
    const std::string program = dir.file("My Game/game.exe");
    fs::create_directories(dir.file("My Game"));
    ASSERT_TRUE(WriteFile(program, Program({16, 32, 256}, "Space Game", "Maker & Co")));
    DesktopEntryRequest request{program, "", "", "Game", dir.file("prefix/share")};
    const DesktopEntryPlan plan = PlanDesktopEntry(request);
    ASSERT_TRUE(plan.error.empty()) << plan.error;
    EXPECT_EQ(plan.name, "Space Game");
    // Each size held, and the 256 PNG copied as stored; no 48 is made when
    // a larger image is there.
    EXPECT_EQ(plan.iconSizes, (std::vector<int>{16, 32, 256}));
    EXPECT_FALSE(plan.madeLarger);
    const PlannedFile* big = FileEndingWith(plan, "256x256/apps/" + plan.id + ".png");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->bytes, BuildPng(256, 256, [](int, int) { return 0xFF3366CCu; }));
    const PlannedFile* entry = FileEndingWith(plan, "applications/" + plan.id + ".desktop");
    ASSERT_TRUE(entry);
    const std::string text = Text(entry->bytes);
    EXPECT_NE(text.find("Name=Space Game\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Comment=Maker & Co\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=wine \"" + program + "\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Icon=" + plan.id + "\n"), std::string::npos);
    EXPECT_NE(text.find("Categories=Game;\n"), std::string::npos);

    // Written whole; the desktop's own checker accepts it; a second run
    // writes the same files and nothing else.
    ASSERT_EQ(WriteDesktopEntry(plan), "");
    const RunResult check = RunCommand("desktop-file-validate " + entry->path + " 2>&1");
    if (check.status != 127) {
        EXPECT_EQ(check.status, 0) << check.out;
    }
    size_t before = 0;
    for (auto& e : fs::recursive_directory_iterator(dir.file("prefix"))) before += e.is_regular_file();
    ASSERT_EQ(WriteDesktopEntry(PlanDesktopEntry(request)), "");
    size_t after = 0;
    for (auto& e : fs::recursive_directory_iterator(dir.file("prefix"))) after += e.is_regular_file();
    EXPECT_EQ(before, after);
    EXPECT_EQ(before, plan.files.size());
}

TEST(DesktopEntry, SmallIconsGetA48AndNamesFallBack) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("tool.exe"), Program({16, 32})));
    const DesktopEntryPlan plan = PlanDesktopEntry({dir.file("tool.exe"), "", "", "", dir.file("share")});
    ASSERT_TRUE(plan.error.empty()) << plan.error;
    EXPECT_EQ(plan.name, "tool"); // no version information: the file's name
    EXPECT_EQ(plan.iconSizes, (std::vector<int>{16, 32, 48}));
    EXPECT_TRUE(plan.madeLarger);
    const PlannedFile* entry = FileEndingWith(plan, ".desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(Text(entry->bytes).find("Comment="), std::string::npos);

    const DesktopEntryPlan named = PlanDesktopEntry({dir.file("tool.exe"), "My Tool", "env X=1 wine tool.exe", "",
                                                     dir.file("share")});
    EXPECT_EQ(named.name, "My Tool");
    EXPECT_NE(Text(FileEndingWith(named, ".desktop")->bytes).find("Exec=env X=1 wine tool.exe\n"), std::string::npos);
}

TEST(DesktopEntry, BadInputSaysWhyAndWritesNothing) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("plain.exe"), PeFileOf({})));
    ASSERT_TRUE(WriteFile(dir.file("notes.txt"), Bytes(50, 'x')));
    fs::create_directories(dir.file("empty"));
    for (const std::string& program : {dir.file("plain.exe"), dir.file("notes.txt"), dir.file("empty"),
                                       dir.file("missing.exe")}) {
        SCOPED_TRACE(program);
        const DesktopEntryPlan plan = PlanDesktopEntry({program, "", "", "", dir.file("share")});
        EXPECT_FALSE(plan.error.empty());
        EXPECT_TRUE(plan.files.empty());
    }
    EXPECT_FALSE(fs::exists(dir.file("share")));
    // A target that cannot be written: the error names it, nothing half-written.
    if (geteuid() != 0) {
        ASSERT_TRUE(WriteFile(dir.file("game.exe"), Program({16})));
        fs::create_directories(dir.file("locked"));
        chmod(dir.file("locked").c_str(), 0555);
        const DesktopEntryPlan plan = PlanDesktopEntry({dir.file("game.exe"), "", "", "", dir.file("locked/share")});
        EXPECT_NE(WriteDesktopEntry(plan), "");
        chmod(dir.file("locked").c_str(), 0755);
    }
}

TEST(DesktopEntry, AFolderStandsForItsMainProgram) {
    TempDir dir;
    const std::string game = dir.file("Star Trader");
    fs::create_directories(game + "/redist");
    fs::create_directories(game + "/bin");
    ASSERT_TRUE(WriteFile(game + "/unins000.exe", Program({16, 32, 48, 256})));
    ASSERT_TRUE(WriteFile(game + "/CrashReporter.exe", Program({16, 32, 48, 256})));
    ASSERT_TRUE(WriteFile(game + "/redist/vc_redist.x64.exe", Program({16, 32, 48, 256})));
    ASSERT_TRUE(WriteFile(game + "/bin/tool.exe", Program({16, 32, 48, 256}, "Level Editor")));
    ASSERT_TRUE(WriteFile(game + "/bin/st.exe", Program({16, 32}, "Star Trader")));
    ASSERT_TRUE(WriteFile(game + "/Launcher.exe", Program({16, 32}, "Game Updater")));
    const std::vector<ProgramCandidate> ranked = RankPrograms(game);
    ASSERT_EQ(ranked.size(), 6u);
    // The game by its version information, over richer icons elsewhere.
    EXPECT_EQ(ranked[0].path, game + "/bin/st.exe");
    EXPECT_TRUE(ranked[0].matchesFolder);
    EXPECT_EQ(ranked[1].path, game + "/bin/tool.exe");
    for (size_t i = 2; i < ranked.size(); ++i) EXPECT_TRUE(ranked[i].excluded) << ranked[i].path;
    const DesktopEntryPlan plan = PlanDesktopEntry({game, "", "", "", dir.file("share")});
    EXPECT_EQ(plan.program, game + "/bin/st.exe");
    EXPECT_EQ(plan.name, "Star Trader");
}
