#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "platform/WinePrefix.h"
#include "tests/support/Builders.h"
#include "tests/support/WinePrefixBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

// Windows spelling of a Linux path, for paths through drive Z:.
std::string OnDriveZ(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

// $USER set for one test and put back after it.
class UserVariable {
public:
    explicit UserVariable(const char* user) {
        if (const char* old = std::getenv("USER")) m_old = old;
        if (user)
            setenv("USER", user, 1);
        else
            unsetenv("USER");
    }
    ~UserVariable() {
        if (m_old)
            setenv("USER", m_old->c_str(), 1);
        else
            unsetenv("USER");
    }

private:
    std::optional<std::string> m_old;
};

WinePrefixLayout GameLayout() {
    WinePrefixLayout layout;
    layout.folders = {"windows/system32", "users/Public", "users/alice", "Mixed", "MIXED"};
    layout.files = {"Program Files/Game/Game.EXE", "Program Files/Game/game.exe"};
    return layout;
}

} // namespace

TEST(WinePrefix, FoundAtOrAboveAPathByItsFolders) {
    TempDir dir;
    const std::string prefix = dir.file("games prefix");
    ASSERT_TRUE(BuildWinePrefix(prefix, GameLayout()));
    const std::string exe = prefix + "/drive_c/Program Files/Game/Game.EXE";

    EXPECT_EQ(FindWinePrefix(exe), prefix);
    EXPECT_EQ(FindWinePrefix(prefix), prefix);
    EXPECT_EQ(FindWinePrefix(prefix + "/"), prefix);
    EXPECT_EQ(FindWinePrefix(prefix + "/drive_c/./windows/../missing/deeper/x.dll"), prefix);
    EXPECT_EQ(FindWinePrefix(dir.path()), std::nullopt);
    EXPECT_EQ(FindWinePrefix(""), std::nullopt);

    // drive_c alone makes no prefix: the walk goes on to the one above.
    ASSERT_TRUE(MakeFolders(prefix + "/drive_c/backup/drive_c/x"));
    EXPECT_EQ(FindWinePrefix(prefix + "/drive_c/backup/drive_c/x"), prefix);
    // A prefix inside a prefix: the nearest one.
    WinePrefixLayout inner;
    inner.systemReg = false;
    ASSERT_TRUE(BuildWinePrefix(prefix + "/drive_c/nested", inner));
    EXPECT_EQ(FindWinePrefix(prefix + "/drive_c/nested/drive_c/a.exe"), prefix + "/drive_c/nested");
    // The walk is lexical: a link into the prefix leads out of it.
    ASSERT_EQ(symlink((prefix + "/drive_c").c_str(), dir.file("shortcut").c_str()), 0);
    EXPECT_EQ(FindWinePrefix(dir.file("shortcut/Program Files")), std::nullopt);
}

TEST(WinePrefix, WindowsPathsResolvedAsWindowsMatchesNames) {
    TempDir dir;
    const std::string prefix = dir.file("prefix");
    ASSERT_TRUE(BuildWinePrefix(prefix, GameLayout()));
    const std::string c = prefix + "/drive_c";

    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\program files\\GAME\\Game.EXE"), c + "/Program Files/Game/Game.EXE");
    // The exact name first; among names differing in case only, the first in byte order.
    EXPECT_EQ(ResolveWindowsPath(prefix, "c:/Program Files/Game/game.exe"), c + "/Program Files/Game/game.exe");
    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\Program Files\\Game\\GAME.exe"), c + "/Program Files/Game/Game.EXE");
    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\mixed"), c + "/MIXED");
    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\Mixed"), c + "/Mixed");
    // Missing components keep their spelling, also where an existing name follows.
    EXPECT_EQ(ResolveWindowsPath(prefix, "\\\\?\\C:\\WINDOWS\\New Folder\\Windows\\a.ICO"),
              c + "/windows/New Folder/Windows/a.ICO");
    // "." and ".." fold lexically and never climb above the drive's root.
    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\..\\..\\windows\\.\\System32\\..\\..\\..\\Windows"), c + "/windows");
    EXPECT_EQ(ResolveWindowsPath(prefix, "C:\\"), c);
    EXPECT_EQ(ResolveWindowsPath(prefix, "\\??\\c:\\users\\ALICE"), c + "/users/alice");
    // Z: leads to the file system's root.
    EXPECT_EQ(ResolveWindowsPath(prefix, OnDriveZ(c + "/PROGRAM FILES/game")), c + "/Program Files/Game");
    EXPECT_EQ(ResolveWindowsPath(prefix, "Z:\\..\\"), "/");

    for (const char* unresolved : {"D:\\x.exe", "Program Files\\Game\\Game.EXE", "\\windows", "\\\\server\\share\\a.exe",
                                   "\\\\?\\UNC\\server\\share", "1:\\x", ""})
        EXPECT_EQ(ResolveWindowsPath(prefix, unresolved), std::nullopt) << unresolved;

    // Without dosdevices, C: is drive_c and no other drive is known.
    WinePrefixLayout bare;
    bare.dosdevices = false;
    bare.folders = {"Windows"};
    ASSERT_TRUE(BuildWinePrefix(dir.file("bare"), bare));
    EXPECT_EQ(ResolveWindowsPath(dir.file("bare"), "C:\\WINDOWS\\x"), dir.file("bare/drive_c/Windows/x"));
    EXPECT_EQ(ResolveWindowsPath(dir.file("bare"), "Z:\\tmp"), std::nullopt);
}

TEST(WinePrefix, EnvironmentFromTheUsersFolderAndTheRegistry) {
    const UserVariable user("someone-else");
    TempDir dir;
    const std::string prefix = dir.file("prefix");
    WinePrefixLayout layout = GameLayout();
    layout.folders.push_back("users/bob");
    ASSERT_TRUE(BuildWinePrefix(prefix, layout));

    // No registry values: the standard folders; of two users, the first.
    EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%ProgramFiles%\\Game\\game.exe,0"), "C:\\Program Files\\Game\\game.exe,0");
    EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%userprofile%|%APPDATA%|%LocalAppData%|%tmp%|%UserName%"),
              "C:\\users\\alice|C:\\users\\alice\\AppData\\Roaming|C:\\users\\alice\\AppData\\Local|"
              "C:\\users\\alice\\AppData\\Local\\Temp|alice");
    EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%WINDIR%%SystemDrive%%PUBLIC%%ProgramData%%ProgramFiles(x86)%"),
              "C:\\windowsC:C:\\users\\PublicC:\\ProgramDataC:\\Program Files (x86)");
    // Unknown names, empty names and a lone "%" stay; a value is not expanded again.
    EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%NoSuch%|%%|100%"), "%NoSuch%|%%|100%");
    EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%unknown%windir%"), "%unknown%windir%");
    EXPECT_EQ(ExpandWindowsEnvironment(WindowsEnvironment{{"a", "%b%"}, {"b", "x"}}, "%A%"), "%b%");
    {
        const UserVariable bob("bob");
        EXPECT_EQ(ExpandWindowsEnvironment(prefix, "%USERPROFILE%"), "C:\\users\\bob");
    }

    // The registry's values replace the standard ones; the user's over the system's.
    layout = {};
    layout.folders = {"users/Public", "users/alice"};
    layout.systemKeys = {
        {"Software\\Microsoft\\Windows\\CurrentVersion",
         {{"ProgramFilesDir", "D:\\Apps"}, {"ProgramFilesPath", "%ProgramFiles%", true}}},
        {"Software\\Microsoft\\Windows NT\\CurrentVersion", {{"SystemRoot", "C:\\winroot"}}},
        {"Software\\Other", {{"ProgramFilesDir", "E:\\Wrong"}, {"windir", "E:\\Wrong"}}},
        {"System\\CurrentControlSet\\Control\\Session Manager\\Environment",
         {{"windir", "%SystemRoot%", true},
          {"TEMP", "%SystemRoot%\\temp", true},
          {"PUBLIC", "C:\\users\\Caf\xc3\xa9 \xe4\xb8\xad\"1\""},
          {"Tools", "C:\\tools"}}},
    };
    layout.userKeys = {
        {"Environment", {{"TEMP", "%USERPROFILE%\\Temp", true}}},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", {{"AppData", "C:\\roaming"}}},
    };
    ASSERT_TRUE(BuildWinePrefix(dir.file("registry"), layout));
    const WindowsEnvironment environment = ReadWindowsEnvironment(dir.file("registry"));
    EXPECT_EQ(ExpandWindowsEnvironment(environment, "%ProgramFiles%|%windir%|%temp%|%TMP%|%appdata%|%tools%"),
              "D:\\Apps|C:\\winroot|C:\\users\\alice\\Temp|C:\\users\\alice\\AppData\\Local\\Temp|C:\\roaming|C:\\tools");
    EXPECT_EQ(ExpandWindowsEnvironment(environment, "%public%"), "C:\\users\\Caf\xc3\xa9 \xe4\xb8\xad\"1\"");
    EXPECT_EQ(environment.count("programfilespath"), 0u); // a value of CurrentVersion not wanted

    // A 32-bit prefix has no (x86) folders.
    layout = {};
    layout.win32 = true;
    ASSERT_TRUE(BuildWinePrefix(dir.file("win32"), layout));
    EXPECT_EQ(ExpandWindowsEnvironment(dir.file("win32"), "%ProgramFiles(x86)%|%ProgramFiles%"),
              "%ProgramFiles(x86)%|C:\\Program Files");

    // The expanded location resolved in the prefix: the file a shortcut names.
    EXPECT_EQ(ResolveWindowsPath(prefix, ExpandWindowsEnvironment(prefix, "%ProgramFiles%\\game\\GAME.EXE")),
              prefix + "/drive_c/Program Files/Game/Game.EXE");
}
