#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <string>

#include "explorer/gui/ExplorerWindow.h"
#include "explorer/gui/FileList.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/support/ExplorerFiles.h"

using namespace gw;
using namespace gw::test;

namespace {

struct Explorer {
    QApplication& app = GuiTestApp(); // before any widget
    ExplorerState state;
    ExplorerWindow form{state};
    FileListModel& model = *form.ListModel();
    Explorer() {
        form.resize(800, 600);
        form.show();
    }
    // The current view as it is painted now (which makes the pictures of the rows in view).
    QImage Shown() const {
        auto* view = static_cast<QAbstractItemView*>(form.List()->CurrentView());
        return view->viewport()->grab().toImage();
    }
    QRect RowArea(int displayRow) const {
        auto* view = static_cast<QAbstractItemView*>(form.List()->CurrentView());
        return view->visualRect(model.index(displayRow, 0));
    }
    // A row wholly in view and not selected (a selected row's picture is
    // drawn tinted); -1 when there is none.
    int RowInView() const {
        auto* view = static_cast<QAbstractItemView*>(form.List()->CurrentView());
        for (int row = 0; row < model.rowCount(); ++row)
            if (row != form.List()->SelectedRow() && view->viewport()->rect().contains(RowArea(row))) return row;
        return -1;
    }
    const ListRow& Row(const std::string& caption) const {
        for (const ListRow& row : model.Rows())
            if (row.caption == caption) return row;
        ADD_FAILURE() << "no row " << caption;
        static const ListRow none;
        return none;
    }
};

// True when some pixel of the area has the colour.
bool Shows(const QImage& image, const QRect& area, QRgb colour) {
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu)) return true;
    return false;
}

constexpr QRgb kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;

} // namespace

// A long list makes the pictures of the rows it draws, in every view, keeps
// at most its limit of them, and drops them with the list; pictures follow
// their rows through a sort.
TEST(FileListPictures, MadeForTheRowsInViewAndDroppedWithTheList) {
    constexpr int kIcons = 2500;
    static_assert(kIcons > int(FileListModel::kPictureLimit));
    TempDir big, small;
    const Bytes red = IcoFileOf(16, kRed);
    for (int i = 0; i < kIcons; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "icon-%05d.ico", i);
        ASSERT_TRUE(WriteFile(big.file(name), red));
    }
    WriteFile(small.file("a.ico"), IcoFileOf(16, kBlue));
    WriteFile(small.file("b.ico"), IcoFileOf(16, kGreen));

    Explorer e;
    ASSERT_TRUE(e.form.SelectFolder(QString::fromStdString(big.path())));
    ASSERT_EQ(e.model.rowCount(), kIcons);
    EXPECT_EQ(e.model.KeptPictureCount(), 0u); // nothing drawn yet
    QImage shown = e.Shown();
    const size_t firstScreen = e.model.KeptPictureCount();
    EXPECT_GT(firstScreen, 10u);
    EXPECT_LT(firstScreen, 100u);
    EXPECT_TRUE(Shows(shown, e.RowArea(0), kRed));

    // From the first row to the last.
    e.form.List()->SelectRow(0);
    QTest::keyClick(e.form.List()->DetailsView(), Qt::Key_End);
    ASSERT_EQ(e.form.List()->SelectedRow(), kIcons - 1);
    shown = e.Shown();
    EXPECT_GT(e.RowInView(), kIcons - 100);
    EXPECT_TRUE(Shows(shown, e.RowArea(e.RowInView()), kRed));
    EXPECT_LT(e.model.KeptPictureCount(), 2 * firstScreen);

    // The list and icon views size every row when they lay the list out; they
    // too make only the pictures they draw.
    for (auto show : {&ExplorerWindow::ShowList, &ExplorerWindow::ShowLargeIcons, &ExplorerWindow::ShowSmallIcons}) {
        (e.form.*show)();
        QApplication::processEvents();
        shown = e.Shown();
        const int row = e.RowInView();
        ASSERT_GE(row, 0);
        EXPECT_TRUE(Shows(shown, e.RowArea(row), kRed)) << "row " << row;
        EXPECT_LT(e.model.KeptPictureCount(), 600u);
    }

    // However many rows are drawn, the model keeps at most its limit.
    for (int i = 0; i < kIcons; ++i) ASSERT_FALSE(e.model.PictureAt(i).isNull()) << i;
    EXPECT_EQ(e.model.KeptPictureCount(), FileListModel::kPictureLimit);

    // Leaving the folder drops them; an icon handed out for the old list
    // draws nothing rather than the new row of the same image index.
    int firstScanned = 0;
    while (e.model.RowAt(firstScanned)->imageIndex != 0) ++firstScanned;
    const QIcon old = e.model.index(firstScanned, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(old.pixmap(16).isNull());
    e.form.ShowDetails();
    ASSERT_TRUE(e.form.SelectFolder(QString::fromStdString(small.path())));
    ASSERT_EQ(e.model.rowCount(), 2);
    EXPECT_EQ(e.model.KeptPictureCount(), 0u);
    EXPECT_TRUE(old.pixmap(16).isNull());
    EXPECT_TRUE(e.model.PictureAt(kIcons - 1).isNull());
    shown = e.Shown();
    EXPECT_EQ(e.model.KeptPictureCount(), 2u);
    EXPECT_TRUE(Shows(shown, e.RowArea(0), kBlue));

    // Z to A: the row drawn first now is b.ico, and shows its own picture.
    e.form.SortByColumn(0);
    ASSERT_EQ(e.model.RowAt(0)->caption, "b.ico");
    shown = e.Shown();
    EXPECT_TRUE(Shows(shown, e.RowArea(0), kGreen));
    EXPECT_FALSE(Shows(shown, e.RowArea(0), kBlue));
}

// A damaged file's picture carries the warning sign, as the scan's did.
TEST(FileListPictures, ADamagedFilesPictureCarriesTheSign) {
    TempDir dir;
    const Bytes two = PeFileOf({2, 0, 0});
    WriteFile(dir.file("half.dll"), Bytes(two.begin(), two.end() - 64)); // its second group's image cut
    WriteFile(dir.file("whole.dll"), PeFileOf({1, 0, 0}));
    Explorer e;
    ASSERT_TRUE(e.form.SelectFolder(QString::fromStdString(dir.path())));
    auto* combo = e.form.findChild<QComboBox*>("ComboBox1");
    combo->setCurrentIndex(combo->findText("Icon Files"));
    ASSERT_TRUE(e.Row("half.dll").damage);
    ASSERT_FALSE(e.Row("whole.dll").damage);
    const QImage damaged = e.model.PictureAt(e.Row("half.dll").imageIndex).pixmap(32).toImage();
    const QImage whole = e.model.PictureAt(e.Row("whole.dll").imageIndex).pixmap(32).toImage();
    ASSERT_EQ(damaged.size(), QSize(32, 32));
    EXPECT_EQ(damaged.copy(0, 0, 16, 16), whole.copy(0, 0, 16, 16)); // the same first icon ...
    EXPECT_NE(damaged.copy(16, 16, 16, 16), whole.copy(16, 16, 16, 16)); // ... with the sign in its corner
}
