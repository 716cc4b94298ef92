#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "listing/FolderNames.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return CompareFolderNames(a, b) < 0; });
    return names;
}

// Applies edits as the folder tree does: removals from the last run back,
// then insertions from the first run on.
std::vector<std::string> Apply(std::vector<std::string> names, const FolderNameEdits& edits) {
    for (auto run = edits.removed.rbegin(); run != edits.removed.rend(); ++run) {
        for (size_t k = 0; k < run->names.size(); ++k) EXPECT_EQ(names[run->first + k], run->names[k]);
        names.erase(names.begin() + run->first, names.begin() + run->first + run->names.size());
    }
    for (const auto& run : edits.inserted) names.insert(names.begin() + run.first, run.names.begin(), run.names.end());
    return names;
}

} // namespace

TEST(FolderNames, OrderFoldsCaseAndComparesNumbersByValue) {
    EXPECT_EQ(Sorted({"keep10", "Keep2", "keep1", "beta", "Alpha", "keep02", "_x", "caf\xE9", "cafe"}),
              (std::vector<std::string>{"_x", "Alpha", "beta", "cafe", "caf\xE9", "keep1", "Keep2", "keep02", "keep10"}));
    // Names equal but for case or leading zeros still have one order.
    EXPECT_LT(CompareFolderNames("A", "a"), 0);
    EXPECT_GT(CompareFolderNames("a", "A"), 0);
    EXPECT_NE(CompareFolderNames("d01", "d1"), 0);
    EXPECT_EQ(CompareFolderNames("d01", "d01"), 0);
    EXPECT_LT(CompareFolderNames("abc", "abcd"), 0);
    EXPECT_LT(CompareFolderNames("9", "10"), 0);
    EXPECT_LT(CompareFolderNames("x99999999999999999999999", "x100000000000000000000000"), 0); // beyond 64 bits
}

TEST(FolderNames, DiffTurnsOneListingIntoTheOther) {
    const std::vector<std::string> before = Sorted({"a", "b", "c", "d", "e", "keep1", "keep2"});
    EXPECT_TRUE(DiffFolderNames(before, before).Empty());

    const std::vector<std::string> after = Sorted({"A0", "b", "bb", "bc", "e", "keep2", "z"});
    const FolderNameEdits edits = DiffFolderNames(before, after);
    EXPECT_EQ(Apply(before, edits), after);
    ASSERT_EQ(edits.removed.size(), 3u); // "a"; "c" and "d"; "keep1"
    EXPECT_EQ(edits.removed[1].first, 2u);
    EXPECT_EQ(edits.removed[1].names, (std::vector<std::string>{"c", "d"}));
    ASSERT_EQ(edits.inserted.size(), 3u); // "A0"; "bb" and "bc"; "z"
    EXPECT_EQ(edits.inserted[1].first, 2u);

    EXPECT_EQ(Apply({}, DiffFolderNames({}, after)), after);
    EXPECT_TRUE(Apply(after, DiffFolderNames(after, {})).empty());

    // Random listings of a small name pool, so runs meet at every position.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> x, y;
        for (int i = 0; i < 12; ++i) {
            const std::string name = std::string("d").append(std::to_string(i));
            if (random() % 2) x.push_back(name);
            if (random() % 2) y.push_back(name);
        }
        x = Sorted(x);
        y = Sorted(y);
        ASSERT_EQ(Apply(x, DiffFolderNames(x, y)), y);
    }
}

TEST(FolderNames, ListsVisibleFoldersAndLinksToThem) {
    TempDir dir;
    namespace fs = std::filesystem;
    for (const char* name : {"Sub10", "sub2", ".hidden", "caf\xE9"}) fs::create_directory(dir.file(name));
    WriteFile(dir.file("file.ico"), Bytes{1, 2, 3});
    fs::create_directory_symlink(dir.file("sub2"), dir.file("link"));
    fs::create_symlink(dir.file("file.ico"), dir.file("file-link"));
    fs::create_symlink(dir.file("missing"), dir.file("broken"));
    EXPECT_EQ(SubfolderNames(dir.path()), (std::vector<std::string>{"caf\xE9", "link", "sub2", "Sub10"}));
    EXPECT_TRUE(SubfolderNames(dir.file("file.ico")).empty());
    EXPECT_TRUE(SubfolderNames(dir.file("missing")).empty());
}
