#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>

#include "explorer/gui/FileList.h"
#include "gui/Help.h"
#include "explorer/gui/ExplorerWindow.h"
#include "program/ViewerWindows.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/gui/RecordingViewers.h"
#include "tests/support/ExplorerFiles.h"

using namespace gw;
using namespace gw::test;

namespace {

// A round icon of one colour with real alpha, so the pictures look like icons.
Bytes DiscIco(uint32_t colour) {
    DibLayout s;
    s.width = s.height = 32;
    s.bitCount = 32;
    s.pixel = [colour](int x, int y) {
        const int dx = 2 * x - 31, dy = 2 * y - 31;
        const int d2 = dx * dx + dy * dy;
        if (d2 > 30 * 30) return 0u;
        const uint32_t shade = d2 < 14 * 14 ? 0x00202020u : 0;
        return 0xFF000000u | (colour + shade);
    };
    IcoEntry e;
    e.data = BuildDib(s);
    e.width = e.height = 32;
    e.bitCountOrHotY = 32;
    return BuildIcoFile({e});
}

// The folder of the explorer's example: 2 sub-folders and 5 icons, plus
// executables, resource files, bitmaps and cursors for the other categories.
struct ArtFolder {
    TempDir dir;
    ArtFolder() {
        std::filesystem::create_directory(dir.file("Sub A"));
        std::filesystem::create_directory(dir.file("b-folder"));
        WriteFile(dir.file("Sub A/inner.ico"), DiscIco(0x3070C0));
        const std::pair<const char*, uint32_t> icons[] = {{"Apple.ico", 0xC02020}, {"blue.ico", 0x2050D0},
                                                          {"Cloud.ICO", 0x70A0D0}, {"disk.ico", 0x505050},
                                                          {"Earth.ico", 0x20A040}};
        for (const auto& [name, colour] : icons) WriteFile(dir.file(name), DiscIco(colour));
        WriteFile(dir.file("shell.dll"), PeFileOf({12, 3, 2}));
        WriteFile(dir.file("Setup.exe"), PeFileOf({2, 0, 0}));
        WriteFile(dir.file("cursors.exe"), PeFileOf({0, 0, 4}));
        WriteFile(dir.file("old.icl"), NeFileOf({5, 0, 0}));
        WriteFile(dir.file("app.res"), ResFileOf({2, 1, 1}));
        WriteFile(dir.file("glyphs.bmp"), BmpFileOf(64, 16));
        WriteFile(dir.file("photo.bmp"), BmpFileOf(40, 30, 0x2288AA, 0xFFFFFF));
        WriteFile(dir.file("hand.cur"), CurFileOf(32));
    }
    QString path() const { return QString::fromStdString(dir.path()); }
};

struct Explorer {
    QApplication& app = GuiTestApp(); // before any widget
    ExplorerState state;
    ExplorerWindow form{state};
    Explorer() { form.show(); }
    template <class T>
    T* Find(const char* name) const {
        T* child = form.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Choose(const char* category) {
        auto* combo = Find<QComboBox>("ComboBox1");
        combo->setCurrentIndex(combo->findText(category));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < form.ListModel()->rowCount(); ++i) names.push_back(form.ListModel()->RowAt(i)->caption);
        return names;
    }
    int RowOf(const std::string& caption) const {
        for (int i = 0; i < form.ListModel()->rowCount(); ++i)
            if (form.ListModel()->RowAt(i)->caption == caption) return i;
        ADD_FAILURE() << "no row " << caption;
        return -1;
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    bool ToolButtonShown(const char* name) const {
        QApplication::processEvents(); // the tool bar lays itself out again when it next gets the chance
        return Find<QToolButton>(name)->isVisible();
    }
    bool MenuShown(const char* name) const { return Find<QMenu>(name)->menuAction()->isVisible(); }
};

} // namespace

TEST(ExplorerWindow, StartState) {
    Explorer e;
    EXPECT_EQ(e.form.windowTitle(), "Grabwell Explorer");
    auto* combo = e.Find<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 11);
    EXPECT_EQ(combo->itemText(8), "Static Cursor Resources");
    EXPECT_EQ(combo->itemText(10), "Animated Cursor Resources");
    EXPECT_EQ(combo->currentText(), "Icons");
    EXPECT_EQ(combo->toolTip(), "Choose Type of Files");
    EXPECT_TRUE(e.Find<QToolButton>("sbTree1")->isChecked());
    EXPECT_TRUE(e.Find<QToolButton>("sbDetails1")->isChecked());
    EXPECT_TRUE(e.Action("m1Details")->isChecked());
    EXPECT_FALSE(e.Action("m1Open")->isEnabled());
    EXPECT_FALSE(e.ToolButtonShown("sbWizard"));
    EXPECT_FALSE(e.ToolButtonShown("sbAllBits"));
    EXPECT_FALSE(e.MenuShown("Wizard1"));
    EXPECT_FALSE(e.MenuShown("Bitmaps1"));
    EXPECT_EQ(e.Find<QToolButton>("sbAllBits")->toolTip(), "Save all Bitmaps of\nSelected Directory");
    EXPECT_EQ(e.Find<QLabel>("Panel5")->text(), "All Folders");
    EXPECT_TRUE(e.Find<QFrame>("Panel6")->isHidden());
    EXPECT_EQ(e.form.List()->Style(), ViewStyle::Details);
    EXPECT_FALSE(e.state.TempDir.empty());
    EXPECT_TRUE(e.state.CurrentDir.empty()); // nothing is scanned until a folder is chosen

    // The hint of the control under the pointer goes to panel 0.
    QStatusTipEvent tip("Parent Folder");
    QApplication::sendEvent(e.Find<QToolButton>("sbUpDir1"), &tip);
    EXPECT_EQ(e.form.HintText(), "Parent Folder");
    EXPECT_TRUE(e.form.StatusText().isEmpty());
}

TEST(ExplorerWindow, ScansEveryCategoryOfAFolder) {
    ArtFolder art;
    Explorer e;
    ASSERT_TRUE(e.form.SelectFolder(art.path()));
    EXPECT_EQ(e.state.CurrentDir, art.dir.path());
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.path() + ": 2 Directories and 5 Icons");
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"b-folder", "Sub A", "Apple.ico", "blue.ico", "Cloud.ICO",
                                                   "disk.ico", "Earth.ico"}));
    for (int i = 0; i < 7; ++i) EXPECT_FALSE(e.form.ListModel()->PictureAt(i).isNull());
    EXPECT_TRUE(e.form.ListModel()->PictureAt(7).isNull()); // no such row
    EXPECT_TRUE(e.Find<QToolButton>("sbUpDir1")->isEnabled());

    struct Expected {
        const char* category;
        std::string summary;
        std::vector<std::string> files; // "name count" of the file rows in name order
        bool wizard, allBits;
    };
    const std::vector<Expected> expected{
        {"Icon Files", "2 Directories and 3 Icon Files", {"old.icl 5", "Setup.exe 2", "shell.dll 12"}, true, false},
        {"Icon Resources", "2 Directories and 1 Icon File", {"app.res 2"}, true, false},
        {"Bitmaps", "2 Directories and 2 Bitmaps", {"glyphs.bmp 1", "photo.bmp 1"}, false, true},
        {"Bitmap Files", "2 Directories and 1 Bitmap File", {"shell.dll 3"}, true, false},
        {"Bitmap Resources", "2 Directories and 1 Bitmap File", {"app.res 1"}, true, false},
        {"Static Cursors", "2 Directories and 1 Cursor", {"hand.cur 1"}, false, false},
        {"Static Cursor Files", "2 Directories and 2 Cursor Files", {"cursors.exe 4", "shell.dll 2"}, true, false},
        {"Static Cursor Resources", "2 Directories and 1 Cursor File", {"app.res 1"}, true, false},
    };
    for (const Expected& x : expected) {
        SCOPED_TRACE(x.category);
        e.Choose(x.category);
        EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.path() + ": " + x.summary);
        std::vector<std::string> files;
        const FileListModel& model = *e.form.ListModel();
        for (int i = 2; i < model.rowCount(); ++i)
            files.push_back(model.RowAt(i)->caption + " " +
                            model.data(model.index(i, 2), Qt::DisplayRole).toString().toStdString());
        EXPECT_EQ(files, x.files);
        for (const ListRow& row : model.Rows()) EXPECT_FALSE(model.PictureAt(row.imageIndex).isNull()) << row.caption;
        EXPECT_EQ(e.ToolButtonShown("sbWizard"), x.wizard);
        EXPECT_EQ(e.MenuShown("Wizard1"), x.wizard);
        EXPECT_EQ(e.ToolButtonShown("sbAllBits"), x.allBits);
        EXPECT_EQ(e.MenuShown("Bitmaps1"), x.allBits);
        EXPECT_TRUE(e.Find<QFrame>("Panel6")->isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(e.state.CurrentDir, art.dir.path()); // a category change keeps the folder
}

// A category that lists nothing says in the list which one would, and its
// link shows that one; the status text stays the folder summary.
TEST(ExplorerWindow, AnEmptyCategoryPointsToOneThatListsFiles) {
    TempDir dir;
    WriteFile(dir.file("shell.dll"), PeFileOf({12, 3, 2}));
    WriteFile(dir.file("app.exe"), PeFileOf({1, 0, 0}));
    WriteFile(dir.file("glyphs.bmp"), BmpFileOf(64, 16));
    Explorer e;
    ASSERT_TRUE(e.form.SelectFolder(QString::fromStdString(dir.path())));
    EXPECT_EQ(e.form.StatusText().toStdString(), dir.path() + ": 0 Directories and 0 Icons");
    EXPECT_EQ(e.form.List()->EmptyHint(),
              "Nothing here under \"Icons\".<br><a href=\"1\">2 files with icons under &quot;Icon Files&quot;</a>");
    SaveScreenshot(e.form, "explorer-empty-category-hint");
    auto* hint = e.Find<QLabel>("EmptyListHint");
    ASSERT_TRUE(hint->isVisible());
    emit hint->linkActivated("1");
    EXPECT_EQ(e.Find<QComboBox>("ComboBox1")->currentText(), "Icon Files");
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"app.exe", "shell.dll"}));
    EXPECT_TRUE(e.form.List()->EmptyHint().isEmpty());

    e.Choose("Bitmap Resources"); // bitmaps are first looked for among the bitmap categories
    EXPECT_TRUE(e.form.List()->EmptyHint().contains("1 bitmap under &quot;Bitmaps&quot;"));
    e.Choose("Static Cursors");
    EXPECT_TRUE(e.form.List()->EmptyHint().contains("1 file with cursors under &quot;Static Cursor Files&quot;"));
    std::filesystem::remove(dir.file("shell.dll"));
    std::filesystem::remove(dir.file("glyphs.bmp"));
    std::filesystem::remove(dir.file("app.exe"));
    e.Choose("Icons"); // nothing anywhere: no note
    EXPECT_TRUE(e.form.List()->EmptyHint().isEmpty());
}

TEST(ExplorerWindow, SortingClicksAndStatusTexts) {
    ArtFolder art;
    Explorer e;
    e.form.SelectFolder(art.path());
    e.Choose("Icon Files");

    e.form.SortByColumn(0); // files first, then folders, both Z to A
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"shell.dll", "Setup.exe", "old.icl", "Sub A", "b-folder"}));
    e.Action("byObject1")->trigger(); // keeps the reversed direction: fewest first, equal counts A to Z
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"b-folder", "Sub A", "Setup.exe", "old.icl", "shell.dll"}));
    e.form.SortByColumn(2);
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"shell.dll", "old.icl", "Setup.exe", "b-folder", "Sub A"}));

    // A row's click text; empty space brings back the summary.
    e.form.List()->SelectRow(e.RowOf("shell.dll"));
    e.form.SelectClickedRow();
    EXPECT_EQ(e.form.StatusText(), "File Extension - Contains 12 Icons");
    EXPECT_TRUE(e.Action("m1Open")->isEnabled());
    ASSERT_TRUE(e.state.SelectedItem.has_value());
    EXPECT_EQ(e.state.SelectedItem->count, 12);
    const QModelIndex type = e.form.ListModel()->index(e.RowOf("shell.dll"), 1);
    EXPECT_EQ(e.form.ListModel()->data(type, Qt::DisplayRole).toString(), "File Extension");
    e.form.List()->SelectRow(-1);
    e.form.SelectClickedRow();
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.path() + ": 2 Directories and 3 Icon Files");
    EXPECT_FALSE(e.Action("m1Open")->isEnabled());
    EXPECT_FALSE(e.state.SelectedItem.has_value());

    // The selection follows its row through a re-sort.
    e.form.List()->SelectRow(e.RowOf("old.icl"));
    e.Action("byName1")->trigger();
    EXPECT_EQ(e.form.List()->SelectedRow(), e.RowOf("old.icl"));

    e.Choose("Icon Resources");
    e.form.List()->SelectRow(e.RowOf("app.res"));
    e.form.SelectClickedRow();
    EXPECT_EQ(e.form.StatusText(), "Resource File");
}

// The details view shows the four columns with their headers; each column
// shows its own text of a row, the name alone its picture and tooltip, and a
// click on a header sorts by that column's order ("Description" sorts nothing).
TEST(ExplorerWindow, DetailsColumns) {
    ArtFolder art;
    Explorer e;
    e.form.SelectFolder(art.path());
    e.Choose("Icon Files");
    const FileListModel& model = *e.form.ListModel();
    QHeaderView* header = e.form.List()->DetailsView()->header();
    ASSERT_EQ(header->count(), 4);
    const char* headers[] = {"Name", "Type", "Objects", "Description"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        EXPECT_FALSE(header->isSectionHidden(column));
        EXPECT_GT(header->sectionSize(column), 0) << headers[column];
    }
    EXPECT_FALSE(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).isValid());

    const int shell = e.RowOf("shell.dll");
    const auto text = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(text(shell, 0), "shell.dll");
    EXPECT_EQ(text(shell, 1), "File Extension");
    EXPECT_EQ(text(shell, 2), "12");
    EXPECT_EQ(text(shell, 3), "");
    EXPECT_EQ(text(e.RowOf("Sub A"), 2), ""); // a folder counts nothing
    EXPECT_FALSE(model.data(model.index(shell, 0), Qt::DecorationRole).isNull());
    EXPECT_EQ(model.data(model.index(shell, 0), Qt::ToolTipRole).toString(), "shell.dll");
    for (int column = 1; column < 4; ++column) {
        EXPECT_FALSE(model.data(model.index(shell, column), Qt::DecorationRole).isValid());
        EXPECT_FALSE(model.data(model.index(shell, column), Qt::ToolTipRole).isValid());
    }

    emit header->sectionClicked(1);
    EXPECT_EQ(e.state.SortMode, SortMode::ByType);
    emit header->sectionClicked(2);
    EXPECT_EQ(e.state.SortMode, SortMode::ByObjects);
    EXPECT_EQ(e.Names(), (std::vector<std::string>{"shell.dll", "old.icl", "Setup.exe", "b-folder", "Sub A"}));
    emit header->sectionClicked(3);
    EXPECT_EQ(e.state.SortMode, SortMode::ByObjects);
    EXPECT_EQ(e.state.SortAscending, 1);
}

TEST(ExplorerWindow, OpeningRows) {
    ArtFolder art;
    Explorer e;
    std::vector<Viewer> opened;
    std::vector<std::string> paths;
    RecordingViewers viewers;
    viewers.open = [&](const ViewRequest& request) {
        for (Viewer landed : {Viewer::IconManager, Viewer::IconWorkdesk, Viewer::CursorWorkdesk})
            if (request.target == landed) {
                opened.push_back(request.target);
                paths.push_back(request.path);
            }
    };
    e.form.Links().viewers = &viewers;
    e.form.SelectFolder(art.path());

    e.Action("m1Open")->trigger(); // disabled while no row is current
    EXPECT_TRUE(opened.empty());
    e.form.List()->SelectRow(e.RowOf("Cloud.ICO")); // however a row becomes current, Open follows it
    e.Action("m1Open")->trigger();
    EXPECT_EQ(paths, std::vector<std::string>{art.dir.file("Cloud.ICO")});
    EXPECT_EQ(opened, std::vector<Viewer>{Viewer::IconManager});

    e.Choose("Static Cursor Files");
    e.form.List()->SelectRow(e.RowOf("cursors.exe"));
    e.form.OpenSelectedRow();
    EXPECT_EQ(opened.back(), Viewer::CursorWorkdesk);
    EXPECT_EQ(paths.back(), art.dir.file("cursors.exe"));
    EXPECT_EQ(e.state.SelectedItem->caption, "cursors.exe");

    // A viewer that has not landed opens nothing.
    e.Choose("Bitmaps");
    e.form.List()->SelectRow(e.RowOf("photo.bmp"));
    e.form.OpenSelectedRow();
    EXPECT_EQ(opened.size(), 2u);

    // A folder row moves the tree into it and scans it; the parent button
    // comes back out.
    e.Choose("Icons");
    e.form.List()->SelectRow(e.RowOf("Sub A"));
    e.form.OpenSelectedRow();
    EXPECT_EQ(e.state.CurrentDir, art.dir.file("Sub A"));
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.file("Sub A") + ": 0 Directories and 1 Icon");
    EXPECT_EQ(e.Names(), std::vector<std::string>{"inner.ico"});
    e.Find<QToolButton>("sbUpDir1")->click();
    EXPECT_EQ(e.state.CurrentDir, art.dir.path());

    // A double-click on empty space only rewrites the summary.
    e.form.List()->SelectRow(-1);
    e.form.OpenSelectedRow();
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.path() + ": 2 Directories and 5 Icons");
}

TEST(ExplorerWindow, ChangesDuringAScanAreQueued) {
    ArtFolder art;
    Explorer e;
    int scansSeen = 0;
    // Fires inside the first scan's event processing.
    QTimer::singleShot(0, &e.form, [&] {
        scansSeen += e.form.IsScanning();
        e.Choose("Bitmaps");
        e.form.SelectFolder(QString::fromStdString(art.dir.file("Sub A")));
    });
    e.form.SelectFolder(art.path());
    EXPECT_EQ(scansSeen, 1);
    EXPECT_EQ(e.state.CurrentDir, art.dir.path()); // the first scan ran to its end undisturbed
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.path() + ": 2 Directories and 5 Icons");

    for (int i = 0; i < 20 && e.state.CurrentDir != art.dir.file("Sub A"); ++i) QApplication::processEvents();
    EXPECT_EQ(e.state.CurrentDir, art.dir.file("Sub A"));
    EXPECT_EQ(e.form.StatusText().toStdString(), art.dir.file("Sub A") + ": 0 Directories and 0 Bitmaps");
    EXPECT_EQ(e.state.Category, Category::Bitmaps);
}

TEST(ExplorerWindow, PanelsToolbarsAndViewStyles) {
    ArtFolder art;
    Explorer e;
    e.form.SelectFolder(art.path());
    auto* tree = e.Find<QTreeView>("DTree1");
    auto* treeButton = e.Find<QToolButton>("sbTree1");

    treeButton->click();
    EXPECT_TRUE(tree->isHidden());
    EXPECT_TRUE(e.Find<QFrame>("Panel3")->isHidden());
    EXPECT_FALSE(e.Action("m1FPanel")->isChecked());
    EXPECT_FALSE(treeButton->isChecked());
    e.Action("m1FPanel")->trigger();
    EXPECT_FALSE(tree->isHidden());
    EXPECT_TRUE(e.Action("m1FPanel")->isChecked());
    EXPECT_TRUE(treeButton->isChecked());

    e.Action("mTB1")->trigger();
    EXPECT_TRUE(e.Find<QToolBar>("ToolBar1")->isHidden());
    EXPECT_FALSE(e.Action("mTB1")->isChecked());
    e.Action("mTB1")->trigger();
    e.Action("mSB1")->trigger();
    EXPECT_TRUE(e.form.findChild<QWidget*>("StatusBar1")->isHidden());
    e.Action("mSB1")->trigger();

    // The header panel follows the tree's width, as far as the tool bar keeps every button.
    auto* splitter = e.Find<QSplitter>("Splitter1");
    e.form.resize(800, e.form.height());
    splitter->setSizes({220, 580});
    QApplication::processEvents();
    EXPECT_EQ(e.Find<QFrame>("Panel3")->width(), tree->width());
    splitter->setSizes({500, 300});
    QApplication::processEvents();
    EXPECT_LT(e.Find<QFrame>("Panel3")->width(), tree->width());
    EXPECT_TRUE(e.ToolButtonShown("sbDetails1"));
    splitter->setSizes({180, 620});
    QApplication::processEvents();

    const std::pair<const char*, ViewStyle> styles[] = {{"sbLarge1", ViewStyle::LargeIcons},
                                                        {"sbSmall1", ViewStyle::SmallIcons},
                                                        {"sbList1", ViewStyle::List},
                                                        {"sbDetails1", ViewStyle::Details}};
    const char* items[] = {"m1Large", "m1Small", "m1List", "m1Details"};
    for (size_t i = 0; i < 4; ++i) {
        e.Find<QToolButton>(styles[i].first)->click();
        EXPECT_EQ(e.form.List()->Style(), styles[i].second);
        EXPECT_TRUE(e.Action(items[i])->isChecked());
        e.form.List()->SelectRow(e.RowOf("Cloud.ICO"));
        SaveScreenshot(e.form, QStringLiteral("explorer-%1").arg(items[i] + 2));
    }
    e.Choose("Icon Files");
    SaveScreenshot(e.form, "explorer-icon-files");
    e.Choose("Bitmaps");
    e.form.ShowLargeIcons();
    SaveScreenshot(e.form, "explorer-bitmaps-large");
}

TEST(ExplorerWindow, HelpAndAbout) {
    Explorer e;
    e.form.ShowHelp();
    auto* help = e.form.findChild<THelpForm*>("HelpForm");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Browser()->source().fragment(), "context-1");
    EXPECT_TRUE(help->Browser()->toPlainText().contains("Display categories"));
    OpenHelp(&e.form, kHelpManagers);
    EXPECT_EQ(e.form.findChildren<THelpForm*>().size(), 1);
    EXPECT_EQ(help->Browser()->source().fragment(), "context-3");
    help->close();

    // The About box runs modally until it is closed.
    ViewerWindows viewers(e.form, e.state);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QDialog* about = viewers.Window(Viewer::AboutBox);
        shown = about && about->isVisible() && about->isModal();
        if (about) about->accept();
    });
    e.Action("AboutGrabwell1")->trigger();
    EXPECT_TRUE(shown);
    ASSERT_NE(viewers.Window(Viewer::AboutBox), nullptr);
    QDialog& about = *viewers.Window(Viewer::AboutBox);
    EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Grabwell");
    EXPECT_EQ(about.findChild<QLabel*>("Version")->text(), "Version " GRABWELL_VERSION);
    SaveScreenshot(about, "about");
}
