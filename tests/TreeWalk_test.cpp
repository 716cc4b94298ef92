// The one folder-tree walk (FolderWalk) and the commands over it: what it
// enters, what it gives as files, and that no folder is read twice.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "batch/core/TreeWalk.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// Every entry of a walk as "D name/..." (folder entered), "F ..." (file) or
// "U ..." (folder that cannot be listed), its path relative to root.
std::vector<std::string> Walked(const std::string& root, const WalkOptions& options) {
    std::vector<std::string> out;
    FolderWalk walk(root, options);
    WalkEntry entry;
    while (walk.Next(entry)) {
        const char kind = entry.kind == WalkEntry::Kind::Folder ? 'D' : entry.kind == WalkEntry::Kind::File ? 'F' : 'U';
        std::string path = entry.path.rfind(root + "/", 0) == 0 ? entry.path.substr(root.size() + 1) : entry.path;
        out.push_back(std::string(1, kind) + " " + path);
    }
    return out;
}

WalkOptions ByBytes(bool follow = false, int maxDepth = kMaxTreeDepth) {
    WalkOptions options;
    options.order = WalkOrder::ByteOrder;
    options.followLinks = follow;
    options.maxDepth = maxDepth;
    return options;
}

void Put(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(WriteFile(path, Bytes{'M', 'Z'})) << path;
}

void Link(const std::string& target, const std::string& at) {
    fs::create_directories(fs::path(at).parent_path());
    ASSERT_EQ(symlink(target.c_str(), at.c_str()), 0) << at;
}

std::string RealPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? std::string(real) : std::string();
}

bool UnderKernelFolder(const std::string& real) {
    for (const std::string top : {"/proc", "/sys", "/dev"})
        if (real == top || real.rfind(top + "/", 0) == 0) return true;
    return false;
}

// A Wine prefix as the users met it: c: leads to drive_c, z: to the root of
// the machine; drive_c holds links up the tree, to files, to nothing and to
// what the kernel makes up, and the prefix has a dot-folder of its own.
struct Prefix {
    TempDir dir;
    std::string p = dir.file("p");
    Prefix() {
        Put(p + "/drive_c/app.exe");
        Put(p + "/.wine/drive_c/wine.exe");
        Put(p + "/.hidden.ico");
        Link("../drive_c", p + "/dosdevices/c:");
        Link("/", p + "/dosdevices/z:");
        Link("..", p + "/drive_c/up");
        Link(p, p + "/drive_c/top");
        Link("app.exe", p + "/drive_c/link.exe");
        Link("nowhere", p + "/drive_c/broken");
        Link("/dev/null", p + "/drive_c/null");
        Link("/proc/self/status", p + "/drive_c/status");
        EXPECT_EQ(mkfifo((p + "/fifo").c_str(), 0644), 0);
    }
};

} // namespace

TEST(TreeWalk, StaysInItsTreeReadsDotFoldersAndLinkedFiles) {
    const Prefix prefix;
    // No link to a folder is entered (c:, z:, up, top); a link to a file is
    // the file under its own name; broken links, devices, pipes and a file
    // on /proc are left out; dot-folders and dot-files are read.
    EXPECT_EQ(Walked(prefix.p, ByBytes()),
              (std::vector<std::string>{"F .hidden.ico", "D .wine", "D .wine/drive_c", "F .wine/drive_c/wine.exe",
                                        "D dosdevices", "D drive_c", "F drive_c/app.exe", "F drive_c/link.exe"}));

    // The wizard's order: a folder's files, then its sub-folders, by list name.
    WalkOptions wizard;
    wizard.order = WalkOrder::FilesThenFolders;
    Put(prefix.p + "/drive_c/B.exe");
    Put(prefix.p + "/drive_c/a/x.exe");
    std::vector<std::string> inDriveC;
    for (const std::string& e : Walked(prefix.p, wizard))
        if (e.find("drive_c/") != std::string::npos && e.find(".wine") == std::string::npos) inDriveC.push_back(e);
    EXPECT_EQ(inDriveC, (std::vector<std::string>{"F drive_c/app.exe", "F drive_c/B.exe", "F drive_c/link.exe",
                                                  "D drive_c/a", "F drive_c/a/x.exe"}));

    // The depth limit: the start folder's files and one level below it.
    EXPECT_EQ(Walked(prefix.p + "/.wine", ByBytes(false, 0)), std::vector<std::string>{});
    EXPECT_EQ(Walked(prefix.p + "/.wine", ByBytes(false, 1)),
              (std::vector<std::string>{"D drive_c", "F drive_c/wine.exe"}));

    // A start folder named through a link is walked; a file is no start folder.
    EXPECT_EQ(Walked(prefix.p + "/dosdevices/c:", ByBytes()).size(), 5u);
    EXPECT_TRUE(Walked(prefix.p + "/drive_c/app.exe", ByBytes()).empty());
}

TEST(TreeWalk, FollowedLinksEnterEveryFolderOnce) {
    TempDir dir;
    const std::string p = dir.file("p"), shared = dir.file("shared");
    Put(p + "/drive_c/app.exe");
    Link("../drive_c", p + "/dosdevices/c:");
    Link("..", p + "/drive_c/up");  // back up to an ancestor
    Link(p, p + "/drive_c/top");    // the start folder itself
    Put(shared + "/lib.dll");
    Link(shared, p + "/one");       // one folder outside, reached through two links
    Link("../shared", p + "/two");
    Link(shared, shared + "/self");
    // drive_c is reached first through c: (byte order), then never again.
    EXPECT_EQ(Walked(p, ByBytes(true)),
              (std::vector<std::string>{"D dosdevices", "D dosdevices/c:", "F dosdevices/c:/app.exe", "D one",
                                        "F one/lib.dll"}));
}

TEST(TreeWalk, NeverEntersProcSysOrDev) {
    TempDir dir;
    const std::string p = dir.file("p");
    fs::create_directories(p);
    Link("/", p + "/z:");
    Link("/proc", p + "/proc");
    Link("/proc/self", p + "/self");
    Link("/sys", p + "/sys");
    Link("/dev", p + "/dev");
    struct stat rootFolder {};
    ASSERT_EQ(stat("/", &rootFolder), 0);

    // Followed, two levels deep: every top folder of the machine is entered
    // but the kernel's, and none on another file system than "/".
    std::set<std::string> entered;
    std::set<std::pair<dev_t, ino_t>> identities;
    FolderWalk walk(p, ByBytes(true, 2));
    WalkEntry entry;
    while (walk.Next(entry)) {
        if (entry.kind != WalkEntry::Kind::Folder) continue;
        entered.insert(entry.path);
        EXPECT_FALSE(UnderKernelFolder(RealPath(entry.path))) << entry.path;
        struct stat st {};
        ASSERT_EQ(stat(entry.path.c_str(), &st), 0) << entry.path;
        EXPECT_EQ(st.st_dev, rootFolder.st_dev) << entry.path << " is on another file system than its link's target";
        EXPECT_TRUE(identities.insert({st.st_dev, st.st_ino}).second) << entry.path << " was entered twice";
    }
    EXPECT_EQ(entered.count(p + "/z:"), 1u);
    EXPECT_EQ(entered.count(p + "/z:/etc"), 1u);
    for (const char* kernel : {"/z:/proc", "/z:/sys", "/z:/dev", "/proc", "/self", "/sys", "/dev"})
        EXPECT_EQ(entered.count(p + kernel), 0u) << kernel;

    // Not even as the start folder; the root of the machine is walked without them.
    EXPECT_TRUE(Walked("/proc", ByBytes()).empty());
    EXPECT_TRUE(Walked("/sys/kernel", ByBytes()).empty());
    const std::vector<std::string> top = Walked("/", ByBytes(false, 1));
    for (const char* kernel : {"D /proc", "D /sys", "D /dev"})
        EXPECT_EQ(std::count(top.begin(), top.end(), kernel), 0) << kernel;
    EXPECT_EQ(std::count(top.begin(), top.end(), "D /etc"), 1);
}

// The commands over the walk, run through the built program on the prefix
// the users measured.
TEST(TreeWalk, InfoAndTheWizardWalkAWinePrefixAlike) {
    const Prefix prefix;
    const std::string& p = prefix.p;
    ASSERT_TRUE(WriteFile(p + "/drive_c/app.exe", BuildBatchPe()));
    ASSERT_TRUE(WriteFile(p + "/.wine/drive_c/wine.exe", BuildBatchPe()));
    auto paths = [](const std::string& args) {
        const RunResult r = RunCommand(std::string(GRABWELL_CLI) + " info --jsonl --counts " + args + " 2>/dev/null");
        std::vector<std::string> out;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) out.push_back(nlohmann::json::parse(line)["path"]);
        return out;
    };
    EXPECT_EQ(paths("--recurse " + p),
              (std::vector<std::string>{p + "/.hidden.ico", p + "/.wine/drive_c/wine.exe", p + "/drive_c/app.exe",
                                        p + "/drive_c/link.exe"}));
    // Followed, drive_c is read once, through c:; z: stays out of this run.
    fs::remove(p + "/dosdevices/z:");
    EXPECT_EQ(paths("--recurse --follow " + p),
              (std::vector<std::string>{p + "/.hidden.ico", p + "/.wine/drive_c/wine.exe",
                                        p + "/dosdevices/c:/app.exe", p + "/dosdevices/c:/link.exe"}));
    EXPECT_EQ(RunCommand(std::string(GRABWELL_CLI) + " info --follow " + p + " 2>/dev/null").status, 2)
        << "--follow needs --recurse";

    // The wizard reads the dot-folder and drive_c's two programs, nothing twice.
    Link("/", p + "/dosdevices/z:");
    const std::string out = prefix.dir.file("out");
    fs::create_directory(out);
    const RunResult wizard =
        RunCommand(std::string(GRABWELL_CLI) + " wizard --icons --recurse " + p + " " + out + " 2>&1");
    EXPECT_EQ(wizard.status, 0) << wizard.out;
    EXPECT_EQ(wizard.out.rfind("3 files read, 9 files written", 0), 0u) << wizard.out;
}
