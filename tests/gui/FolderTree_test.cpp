#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <filesystem>

#include <unistd.h>

#include "explorer/gui/ExplorerWindow.h"
#include "explorer/gui/FolderTree.h"
#include "gui/LocalPaths.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// How long a change may take to reach the tree: the tree reads a changed
// folder a second after its first change.
constexpr int kSettleMs = 4000;

// A tree in a view, with one test folder expanded as a user would.
struct ShownTree {
    QApplication& app = GuiTestApp();
    TempDir dir;
    FolderTree tree;
    QTreeView view;
    ShownTree() {
        view.setModel(&tree);
        tree.FollowView(&view);
    }
    QModelIndex At(const std::string& name) const { return tree.IndexOfLocal(dir.file(name)); }
    // Lists a folder and expands its row, as the view does when it is shown.
    void Expand(const QModelIndex& index) {
        if (tree.canFetchMore(index)) tree.fetchMore(index);
        view.expand(index);
    }
    std::vector<std::string> RowsOf(const QModelIndex& parent) const {
        std::vector<std::string> names;
        for (int row = 0; row < tree.rowCount(parent); ++row) names.push_back(ToLocal(tree.index(row, 0, parent).data().toString()));
        return names;
    }
};

} // namespace

TEST(FolderTree, FindsFoldersByPathInTheirBytes) {
    ShownTree t;
    for (const char* name : {"Sub A", "b10", "b9", ".hidden", "caf\xE9"}) fs::create_directory(t.dir.file(name));
    WriteFile(t.dir.file("icon.ico"), Bytes{0});
    fs::create_directory_symlink(t.dir.file("b9"), t.dir.file("linked"));

    EXPECT_EQ(t.tree.objectName(), "DTree1Model");
    ASSERT_EQ(t.tree.rowCount(), 1);
    EXPECT_EQ(t.tree.filePath(t.tree.index(0, 0)), "/");
    EXPECT_EQ(t.tree.index(QStringLiteral("/")), t.tree.index(0, 0));

    const QString sub = FromLocal(t.dir.file("Sub A"));
    const QModelIndex subIndex = t.tree.index(sub);
    ASSERT_TRUE(subIndex.isValid());
    EXPECT_EQ(t.tree.filePath(subIndex), sub);
    EXPECT_EQ(subIndex.data().toString(), "Sub A");
    EXPECT_FALSE(subIndex.data(Qt::DecorationRole).value<QIcon>().isNull());

    // A name that is not UTF-8 keeps its bytes both ways.
    const std::string latin1 = t.dir.file("caf\xE9");
    const QModelIndex latinIndex = t.tree.IndexOfLocal(latin1);
    ASSERT_TRUE(latinIndex.isValid());
    EXPECT_EQ(t.tree.LocalPath(latinIndex), latin1);
    EXPECT_EQ(t.tree.IndexOfLocal(t.tree.LocalPath(latinIndex)), latinIndex);

    // Folders only (links to folders too), hidden ones left out, in name order.
    const QModelIndex top = t.tree.IndexOfLocal(t.dir.path());
    EXPECT_EQ(t.RowsOf(top), (std::vector<std::string>{"b9", "b10", ToLocal(FromLocal("caf\xE9")), "linked", "Sub A"}));
    EXPECT_FALSE(t.tree.index(sub + "/../.hidden").isValid());
    EXPECT_FALSE(t.At(".hidden").isValid());
    EXPECT_FALSE(t.At("icon.ico").isValid());
    EXPECT_FALSE(t.At("nothing").isValid());
    EXPECT_FALSE(t.tree.index(QStringLiteral("relative/path")).isValid());

    // A folder made after its parent was listed is found all the same.
    fs::create_directory(t.dir.file("later"));
    EXPECT_TRUE(t.At("later").isValid());
    EXPECT_EQ(t.RowsOf(top).back(), "Sub A");

    // A folder that cannot be read has no rows, and says so once listed.
    fs::create_directory(t.dir.file("locked"));
    fs::create_directory(t.dir.file("locked/inner"));
    fs::permissions(t.dir.file("locked"), fs::perms::none);
    const QModelIndex locked = t.At("locked");
    ASSERT_TRUE(locked.isValid());
    if (t.tree.canFetchMore(locked)) t.tree.fetchMore(locked);
    if (::geteuid() != 0) {
        EXPECT_EQ(t.tree.rowCount(locked), 0);
        EXPECT_FALSE(t.tree.hasChildren(locked));
    }
    fs::permissions(t.dir.file("locked"), fs::perms::owner_all);
}

TEST(FolderTree, ExpandedFoldersFollowTheFileSystem) {
    ShownTree t;
    fs::create_directory(t.dir.file("stay"));
    fs::create_directory(t.dir.file("stay/deep"));
    const QModelIndex top = t.tree.IndexOfLocal(t.dir.path());
    t.Expand(top);
    EXPECT_TRUE(t.tree.WatchedFolders().contains(FromLocal(t.dir.path())));

    fs::create_directory(t.dir.file("new"));
    const auto rows = [&] { return t.RowsOf(top); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows().size() == 2; }, kSettleMs));
    EXPECT_EQ(rows(), (std::vector<std::string>{"new", "stay"}));

    // Removing a folder removes its row and stops watching what was under it;
    // the current row, which was below it, moves to the folder that stays.
    const QModelIndex deep = t.At("stay/deep");
    t.Expand(t.At("stay"));
    t.Expand(deep);
    t.view.setCurrentIndex(deep);
    EXPECT_TRUE(t.tree.WatchedFolders().contains(FromLocal(t.dir.file("stay/deep"))));
    const QPersistentModelIndex kept = t.At("new");
    t.view.expand(kept);
    fs::remove_all(t.dir.file("stay"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == std::vector<std::string>{"new"}; }, kSettleMs));
    EXPECT_EQ(t.tree.filePath(t.view.currentIndex()), FromLocal(t.dir.path()));
    EXPECT_TRUE(t.view.isExpanded(kept));
    EXPECT_FALSE(t.tree.WatchedFolders().contains(FromLocal(t.dir.file("stay/deep"))));

    // Collapsed, a folder is no longer watched.
    t.view.collapse(top);
    EXPECT_FALSE(t.tree.WatchedFolders().contains(FromLocal(t.dir.path())));
}

TEST(FolderTree, ChurningFilesAreReadAtMostOnceASecondAndNeverReachTheView) {
    ShownTree t;
    fs::create_directory(t.dir.file("sub"));
    const QModelIndex top = t.tree.IndexOfLocal(t.dir.path());
    t.Expand(top);
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.tree.Relistings() > 0; }, kSettleMs)); // asked for by the expansion
    QSignalSpy inserted(&t.tree, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&t.tree, &QAbstractItemModel::rowsRemoved);
    QSignalSpy layout(&t.tree, &QAbstractItemModel::layoutChanged);
    QSignalSpy data(&t.tree, &QAbstractItemModel::dataChanged);
    const int before = t.tree.Relistings();

    // 100 file changes over about half a second.
    for (int i = 0; i < 100; ++i) {
        const std::string file = t.dir.file(std::string("f").append(std::to_string(i % 10)));
        if (i % 20 < 10) WriteFile(file, Bytes{1});
        else fs::remove(file);
        if (i % 10 == 9) QTest::qWait(50);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.tree.Relistings() > before; }, kSettleMs));
    QTest::qWait(1500); // room for a second reading, and for a wrong third
    EXPECT_LE(t.tree.Relistings() - before, 2);
    EXPECT_EQ(inserted.count() + removed.count() + layout.count() + data.count(), 0);
    EXPECT_EQ(t.RowsOf(top), (std::vector<std::string>{"sub"}));
}

TEST(FolderTree, TheExplorerMovesOffAFolderThatGoes) {
    QApplication& app = GuiTestApp();
    (void)app;
    TempDir dir;
    fs::create_directory(dir.file("Sub A"));
    ExplorerState state;
    ExplorerWindow form{state};
    form.show();
    ASSERT_TRUE(form.SelectFolder(FromLocal(dir.file("Sub A"))));
    auto* tree = form.findChild<QTreeView*>("DTree1");
    ASSERT_TRUE(tree);
    EXPECT_EQ(state.CurrentDir, dir.file("Sub A"));
    fs::remove(dir.file("Sub A"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.CurrentDir == dir.path(); }, kSettleMs));
    EXPECT_EQ(ToLocal(static_cast<FolderTree*>(tree->model())->filePath(tree->currentIndex())), dir.path());

    // The program's PATH argument reaches a folder whose name is not UTF-8.
    fs::create_directory(dir.file("caf\xE9"));
    ASSERT_TRUE(form.OpenPath(dir.file("caf\xE9")));
    EXPECT_EQ(state.CurrentDir, dir.file("caf\xE9"));
}
