#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "batch/core/DesktopEntry.h"
#include "batch/core/PrefixMenu.h"
#include "formats/IconFormat.h"
#include "platform/IconImage.h"
#include "platform/PngEncode.h"
#include "thumbnailer/Thumbnail.h"
#include "formats/ResTypes.h"
#include "platform/FileIo.h"
#include "tests/support/Builders.h"
#include "tests/support/ExplorerFiles.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/ShellLinkBuilder.h"
#include "tests/support/WinePrefixBuilder.h"
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
        layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id++), 0x0409, image});
    }
    layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup(entries)});
    if (!description.empty()) {
        std::vector<VersionNode> strings = {StringNode("FileDescription", description, true)};
        if (!company.empty()) strings.push_back(StringNode("CompanyName", company, true));
        VersionNode root{"VS_VERSION_INFO", FixedPart(0x10000, 0, 0x10000, 0, 0x3F, 0, 0x40004, 1)};
        root.children = {StringFileInfoNode({TableNode("040904B0", strings)}), VarFileInfoNode({0x040904B0})};
        layout.resources.push_back({ResourceKey::Id(16), ResourceKey::Id(1), 0x0409, BuildVersionBlock(root, true)});
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
    ASSERT_TRUE(WriteFile(dir.file("notes.txt"), Bytes(50, 'x')));
    fs::create_directories(dir.file("empty"));
    for (const std::string& program : {dir.file("notes.txt"), dir.file("empty"),
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

namespace {

// A program whose icon groups are one 32-pixel image each, of these colours,
// with the ids 1, 2, ...
Bytes ProgramOfGroups(const std::vector<uint32_t>& colours) {
    PeLayout layout;
    uint16_t id = 1;
    for (uint32_t colour : colours) {
        const Bytes image = ExplorerIconDib(32, colour, 24);
        IconGroupEntry e;
        e.width = e.height = 32;
        e.bitCount = 24;
        e.bytesInRes = uint32_t(image.size());
        e.id = id;
        layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id), 0x0409, image});
        layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(id), 0x0409, BuildIconGroup({e})});
        ++id;
    }
    return BuildPe(layout).bytes;
}

// A shortcut as an installer leaves it: a local path, arguments, a working
// folder and an icon location.
Bytes ShortcutTo(const std::string& target, const std::string& arguments = {}, const std::string& workingFolder = {},
                 const std::string& iconLocation = {}, int32_t iconIndex = 0) {
    ShellLinkLayout layout = LocalShellLink(target);
    if (!arguments.empty()) layout.arguments = arguments;
    if (!workingFolder.empty()) layout.workingDirectory = workingFolder;
    if (!iconLocation.empty()) layout.iconLocation = iconLocation;
    layout.iconIndex = iconIndex;
    return BuildShellLink(layout).bytes;
}

std::string EntryText(const DesktopEntryPlan& plan) {
    const PlannedFile* entry = FileEndingWith(plan, ".desktop");
    return entry ? Text(entry->bytes) : std::string();
}

void ExpectValid(const std::string& desktopFile) {
    const RunResult check = RunCommand("desktop-file-validate '" + desktopFile + "' 2>&1");
    if (check.status != 127) {
        EXPECT_EQ(check.status, 0) << check.out;
    }
}

struct GamePrefix {
    TempDir dir;
    std::string prefix = dir.file("wine-game");
    std::string menu = prefix + "/drive_c/users/ann/AppData/Roaming/Microsoft/Windows/Start Menu/Programs";
    std::string game = prefix + "/drive_c/Program Files/Star Game/Game.exe";
    GamePrefix() {
        WinePrefixLayout layout;
        layout.folders = {"users/ann/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Star Game",
                          "users/Public/Desktop", "Program Files/Star Game/data"};
        EXPECT_TRUE(BuildWinePrefix(prefix, layout));
        EXPECT_TRUE(WriteFile(game, ProgramOfGroups({0x0000FF, 0x00FF00})));
        EXPECT_TRUE(WriteFile(prefix + "/drive_c/Program Files/Star Game/unins000.exe", ProgramOfGroups({0xFF0000})));
        EXPECT_TRUE(WriteFile(prefix + "/drive_c/Program Files/Star Game/editor.exe", Bytes(ProgramOfGroups({}))));
        EXPECT_TRUE(WriteFile(prefix + "/drive_c/Program Files/Star Game/readme.txt", Bytes(10, 'x')));
        // Windows names the folders in any case.
        Shortcut("Star Game/Star Game.lnk", ShortcutTo("C:\\PROGRAM FILES\\star game\\game.exe", "-windowed \"save 1\"",
                                                       "%ProgramFiles%\\Star Game\\data",
                                                       "%ProgramFiles%\\Star Game\\Game.exe", 1));
        Shortcut("Star Game/Uninstall Star Game.lnk", ShortcutTo("C:\\Program Files\\Star Game\\unins000.exe"));
        Shortcut("Star Game/Read Me.lnk", ShortcutTo("C:\\Program Files\\Star Game\\readme.txt"));
        Shortcut("Star Game/Level Editor.lnk", ShortcutTo("C:\\Program Files\\Star Game\\editor.exe"));
    }
    void Shortcut(const std::string& name, const Bytes& bytes) { EXPECT_TRUE(WriteFile(menu + "/" + name, bytes)); }
};

} // namespace

TEST(DesktopEntry, ExecIsCheckedAsTheDesktopEntryRulesSay) {
    for (const char* valid : {"wine \"/my games/a.exe\" %f", "env WINEPREFIX=/p wine /a.exe", "a \"100%%\" 5%%",
                              "a \"\\$HOME \\\"q\\\" \\`x\\` \\\\\"", "a %U"})
        EXPECT_EQ(CheckDesktopExec(valid), "") << valid;
    const std::pair<const char*, const char*> invalid[] = {
        {"wine \"/a b.exe", "not closed"},       {"wine it's.exe", "'"},
        {"wine /a.exe 100%", "not a field code"}, {"wine /a.exe %x", "%x"},
        {"wine \"%f\"", "inside double quotes"}, {"wine --file=%f", "of its own"},
        {"a \"$HOME\"", "escaped"},               {"echo a;b", ";"},
        {"   ", "empty"}};
    for (const auto& [exec, why] : invalid) EXPECT_NE(CheckDesktopExec(exec).find(why), std::string::npos) << exec;

    EXPECT_EQ(SplitWindowsCommandLine("-a \"b c\" d\\e \"f\"\"g\" h\\\"i \\\\\"j k\""),
              (std::vector<std::string>{"-a", "b c", "d\\e", "f\"g", "h\"i", "\\j k"}));
    EXPECT_TRUE(SplitWindowsCommandLine("  ").empty());

    // Every command quoted for the user is one the rules accept.
    TempDir dir;
    const std::string odd = dir.file("it's (100%) $\"x\" `y`.exe");
    ASSERT_TRUE(WriteFile(odd, Program({16, 32})));
    DesktopEntryRequest request{odd, "", "", "", dir.file("share")};
    request.arguments = "-x \"a b\" 50%";
    const DesktopEntryPlan plan = PlanDesktopEntry(request);
    ASSERT_EQ(plan.error, "");
    EXPECT_EQ(CheckDesktopExec(plan.exec), "");
    ASSERT_EQ(WriteDesktopEntry(plan), "");
    ExpectValid(FileEndingWith(plan, ".desktop")->path);
    // A command that is not valid is refused as the caller's mistake.
    request.exec = "wine \"/x.exe";
    const DesktopEntryPlan refused = PlanDesktopEntry(request);
    EXPECT_TRUE(refused.badExec);
    EXPECT_NE(refused.error.find("not closed"), std::string::npos);
    EXPECT_TRUE(refused.files.empty());
}

TEST(DesktopEntry, AProgramInAPrefixRunsThereAndADockFindsIt) {
    GamePrefix p;
    DesktopEntryRequest request{p.game, "", "", "", p.dir.file("share")};
    request.wine = "/opt/wine-staging/bin/wine";
    const DesktopEntryPlan plan = PlanDesktopEntry(request);
    ASSERT_EQ(plan.error, "");
    EXPECT_EQ(plan.winePrefix, p.prefix);
    EXPECT_EQ(plan.name, "Star Game"); // "Game.exe" says nothing: its folder names it
    const std::string text = EntryText(plan);
    EXPECT_NE(text.find("Exec=env WINEPREFIX=" + p.prefix + " /opt/wine-staging/bin/wine \"" + p.game + "\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("StartupWMClass=game.exe\n"), std::string::npos);
    EXPECT_NE(text.find("StartupNotify=true\n"), std::string::npos);
    EXPECT_NE(text.find("Path=" + p.prefix + "/drive_c/Program Files/Star Game\n"), std::string::npos);
    ASSERT_EQ(WriteDesktopEntry(plan), "");
    ExpectValid(FileEndingWith(plan, ".desktop")->path);

    // A program without an icon still gets its entry, without one.
    const DesktopEntryPlan plain =
        PlanDesktopEntry({p.prefix + "/drive_c/Program Files/Star Game/editor.exe", "", "", "", p.dir.file("share")});
    ASSERT_EQ(plain.error, "");
    EXPECT_TRUE(plain.iconSizes.empty());
    EXPECT_EQ(plain.files.size(), 1u);
    EXPECT_EQ(EntryText(plain).find("Icon="), std::string::npos);
}

TEST(DesktopEntry, APrefixsShortcutsBecomeEntriesKeptInStep) {
    GamePrefix p;
    DesktopEntryRequest base;
    base.dataDir = p.dir.file("share");
    const std::vector<ShortcutCandidate> judged = JudgeShortcuts(p.prefix);
    ASSERT_EQ(judged.size(), 4u);
    std::vector<std::string> kept;
    for (const ShortcutCandidate& c : judged)
        if (!c.excluded) kept.push_back(c.shortcut.Name());
    EXPECT_EQ(kept, (std::vector<std::string>{"Level Editor", "Star Game"})); // no uninstaller, no read-me

    PrefixSync sync = PlanPrefixSync(p.prefix, base);
    ASSERT_EQ(sync.entries.size(), 2u);
    EXPECT_TRUE(sync.stale.empty());
    const DesktopEntryPlan game = sync.entries[1];
    ASSERT_EQ(game.error, "");
    EXPECT_EQ(game.name, "Star Game");
    const std::string text = EntryText(game);
    // The shortcut's arguments, its working folder found whatever its case,
    // and the icon its location names (the second group, green).
    EXPECT_NE(text.find("Exec=env WINEPREFIX=" + p.prefix + " wine \"" + p.game + "\" -windowed \"save 1\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Path=" + p.prefix + "/drive_c/Program Files/Star Game/data\n"), std::string::npos) << text;
    EXPECT_EQ(game.iconSizes, (std::vector<int>{32, 48}));
    const Handle green = DecodeIconImage(ExplorerIconDib(32, 0x00FF00, 24), true);
    EXPECT_EQ(FileEndingWith(game, "32x32/apps/" + game.id + ".png")->bytes, IconImagePng(*green));
    int written = 0;
    for (const DesktopEntryPlan& plan : sync.entries) {
        int count = 0;
        ASSERT_EQ(WriteDesktopEntry(plan, &count), "");
        written += count;
        ExpectValid(FileEndingWith(plan, ".desktop")->path);
    }
    EXPECT_EQ(written, 4); // the game's entry and two icons, the editor's entry
    // A program's own entry in the same prefix is not the shortcuts' to remove.
    ASSERT_EQ(WriteDesktopEntry(PlanDesktopEntry({p.game, "", "", "", base.dataDir})), "");

    // Nothing changed: nothing written.
    sync = PlanPrefixSync(p.prefix, base);
    written = 0;
    for (const DesktopEntryPlan& plan : sync.entries) {
        int count = 0;
        ASSERT_EQ(WriteDesktopEntry(plan, &count), "");
        written += count;
    }
    EXPECT_EQ(written, 0);
    EXPECT_TRUE(sync.stale.empty());

    // A shortcut gone: its entry and icons go, and nothing else.
    fs::remove(p.menu + "/Star Game/Star Game.lnk");
    sync = PlanPrefixSync(p.prefix, base);
    ASSERT_EQ(sync.stale.size(), 1u);
    EXPECT_EQ(sync.stale[0].id, game.id);
    const Removal removal = RemoveMadeEntry(base.dataDir, sync.stale[0]);
    EXPECT_EQ(removal.error, "");
    EXPECT_EQ(removal.removed.size(), 3u);
    EXPECT_FALSE(fs::exists(FileEndingWith(game, ".desktop")->path));
    EXPECT_EQ(MadeEntries(base.dataDir).size(), 2u);

    // Removing the prefix takes every entry made for it.
    EXPECT_EQ(EntriesMadeFor(base.dataDir, p.prefix + "/").size(), 2u);
    EXPECT_EQ(EntriesMadeFor(base.dataDir, p.game).size(), 1u);
}

TEST(DesktopEntry, ShortcutsOnTheCommandLine) {
    GamePrefix p;
    const std::string cli = GRABWELL_CLI;
    const std::string lnk = p.menu + "/Star Game/Star Game.lnk";
    // info tells what a shortcut starts, where, and its icon, as stored and in the prefix.
    const RunResult info = RunCommand(cli + " info --json '" + lnk + "'");
    ASSERT_EQ(info.status, 0) << info.out;
    const auto j = nlohmann::json::parse(info.out);
    EXPECT_EQ(j["kind"], "Shortcut");
    EXPECT_EQ(j["target"], p.game);
    EXPECT_EQ(j["target_windows"], "C:\\PROGRAM FILES\\star game\\game.exe");
    EXPECT_EQ(j["arguments"], "-windowed \"save 1\"");
    EXPECT_EQ(j["working_folder"], p.prefix + "/drive_c/Program Files/Star Game/data");
    EXPECT_EQ(j["icon_location"]["file"], p.game);
    EXPECT_EQ(j["icon_location"]["index"], 1);
    EXPECT_EQ(j["wine_prefix"], p.prefix);
    // Its thumbnail is the icon it shows: the program's second group.
    const std::optional<Bytes> thumb = ThumbnailPng(lnk, 32);
    ASSERT_TRUE(thumb);
    const Handle green = DecodeIconImage(ExplorerIconDib(32, 0x00FF00, 24), true);
    EXPECT_EQ(*thumb, IconImagePng(*green));

    // icon LOCATION OUTPUT: by index, by id, missing; a Windows path through the prefix.
    const std::string out = p.dir.file("out");
    fs::create_directories(out);
    const std::string env = "WINEPREFIX='" + p.prefix + "' ";
    EXPECT_EQ(RunCommand(env + cli + " icon 'C:\\Program Files\\Star Game\\game.exe,1' " + out + "/second.ico").status, 0);
    EXPECT_EQ(RunCommand(cli + " icon --wine-prefix '" + p.prefix + "' '%ProgramFiles%\\STAR GAME\\game.exe,-2' " +
                         out + "/by-id.png --size 16").status, 0);
    EXPECT_EQ(RunCommand(cli + " icon '" + p.game + ",-7' " + out + "/none.png").status, 1);
    EXPECT_EQ(RunCommand(cli + " icon '" + p.game + ",0' " + out + "/x.bmp").status, 2);
    const RunResult ico = RunCommand("icotool -l " + out + "/second.ico 2>&1");
    if (ico.status != 127) {
        EXPECT_NE(ico.out.find("--width=32"), std::string::npos) << ico.out;
    }
    const RunResult png = RunCommand("file " + out + "/by-id.png");
    EXPECT_NE(png.out.find("16 x 16"), std::string::npos) << png.out;

    // desktop-entry: a shortcut, --dry-run with the entry's text, a bad --exec, --sync and --remove.
    const std::string share = p.dir.file("menu");
    RunResult dry = RunCommand(cli + " desktop-entry --dry-run --prefix " + share + " '" + lnk + "' 2>/dev/null");
    EXPECT_EQ(dry.status, 0);
    EXPECT_NE(dry.out.find("Name=Star Game\n"), std::string::npos) << dry.out;
    EXPECT_FALSE(fs::exists(share));
    EXPECT_EQ(RunCommand(cli + " desktop-entry --prefix " + share + " --exec 'wine \"x' '" + p.game + "' 2>&1").status, 2);
    EXPECT_EQ(RunCommand(cli + " desktop-entry --sync --prefix " + share + " '" + p.prefix + "' 2>&1").status, 0);
    EXPECT_EQ(MadeEntries(share + "/share").size(), 2u);
    const RunResult again = RunCommand(cli + " desktop-entry --sync --prefix " + share + " '" + p.prefix + "' 2>&1");
    EXPECT_NE(again.out.find("0 written, 2 unchanged"), std::string::npos) << again.out;
    EXPECT_EQ(RunCommand(cli + " desktop-entry --remove --prefix " + share + " '" + p.prefix + "' 2>&1").status, 0);
    EXPECT_TRUE(MadeEntries(share + "/share").empty());
    for (const auto& e : fs::recursive_directory_iterator(share)) EXPECT_FALSE(e.is_regular_file()) << e.path();
}
