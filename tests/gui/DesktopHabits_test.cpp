// The habits people bring from other desktop programs: the keyboard alone,
// the clipboard, dragging items out and dropping files in, remembered places,
// and a dark palette (screenshots "dark-...").
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QTreeView>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>
#include <QScreen>
#include <QUrl>

#include <cmath>

#include "batch/core/ScriptedPrompts.h"
#include "explorer/gui/FileList.h"
#include "explorer/gui/ExplorerWindow.h"
#include "gui/ImageTransfer.h"
#include "gui/WindowPlaces.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/IconManager.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/gui/RecordingViewers.h"
#include "tests/support/AniBuilder.h"
#include "formats/ResTypes.h"
#include "tests/support/ExplorerFiles.h"
#include "tests/support/PeBuilder.h"
#include "workdesks/gui/IconWorkdesk.h"

using namespace gw;
using namespace gw::test;

namespace {

QByteArray AsBytes(const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())); }

QAction* ActionWithKeys(QWidget& window, const QKeySequence& keys) {
    for (QAction* a : window.findChildren<QAction*>())
        if (a->shortcut() == keys) return a;
    return nullptr;
}

} // namespace

TEST(DesktopHabits, TheKeyboardAloneOpensRowsAndRunsEveryCommand) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("a.ico"), IcoFileOf(16)));
    ASSERT_TRUE(WriteFile(dir.file("b.ico"), IcoFileOf(32)));
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({3, 0, 0})));
    ExplorerState state;
    ExplorerWindow explorer(state);
    std::vector<std::string> opened;
    RecordingViewers viewers;
    viewers.open = [&](const ViewRequest& request) {
        if (request.target == Viewer::IconManager) opened.push_back(request.path);
    };
    explorer.Links().viewers = &viewers;
    explorer.show();
    auto* combo = explorer.findChild<QComboBox*>("ComboBox1");
    combo->setCurrentIndex(combo->findText("Icons"));
    explorer.SelectFolder(QString::fromStdString(dir.path()));

    // The arrow keys move the current row and the status follows; Enter opens it.
    QWidget* list = explorer.List()->CurrentView();
    list->setFocus();
    explorer.List()->SelectRow(0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(state.SelectedItem->caption, "b.ico");
    EXPECT_EQ(explorer.StatusText(), "Icon");
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(opened, std::vector<std::string>{dir.file("b.ico")});

    // F5 reads the folder again.
    ASSERT_TRUE(WriteFile(dir.file("c.ico"), IcoFileOf(16)));
    QAction* refresh = ActionWithKeys(explorer, QKeySequence::Refresh);
    ASSERT_NE(refresh, nullptr);
    refresh->trigger();
    EXPECT_EQ(explorer.ListModel()->rowCount(), 3);
    EXPECT_NE(ActionWithKeys(explorer, QKeySequence::Quit), nullptr);
    EXPECT_NE(ActionWithKeys(explorer, QKeySequence(Qt::CTRL | Qt::Key_L)), nullptr);

    // A file dropped on the window opens as "grabwell PATH" opens it.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("a.ico")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&explorer, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&explorer, &drop);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    EXPECT_EQ(opened.back(), dir.file("a.ico"));

    // In a workdesk every tool-bar command is in a menu, with the standard keys.
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    desk.show();
    desk.List()->setFocus();
    desk.List()->setCurrentIndex(desk.List()->model()->index(0, 0));
    prompts.saveFiles.push_back(dir.file("saved.ico"));
    QAction* save = ActionWithKeys(desk, QKeySequence::Save);
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->isEnabled());
    save->trigger();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.file("saved.ico"))));
    for (const QKeySequence& keys : {QKeySequence(QKeySequence::Copy), QKeySequence(Qt::ALT | Qt::Key_Return),
                                     QKeySequence(QKeySequence::Close), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)})
        EXPECT_NE(ActionWithKeys(desk, keys), nullptr) << keys.toString().toStdString();
    const int menuCommands = int(desk.findChildren<QAction*>().size());
    EXPECT_GE(menuCommands, int(desk.findChildren<QToolButton*>().size()));
    // With nothing selected the commands that need an item are off, in the menus too.
    desk.List()->selectionModel()->clearSelection();
    EXPECT_FALSE(save->isEnabled());
    desk.reject();
}

TEST(DesktopHabits, CopyAndDragCarryThePictureAndTheFileSaveWrites) {
    GuiTestApp();
    TempDir dir, out;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({2, 0, 0})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    desk.show();
    desk.List()->setCurrentIndex(desk.List()->model()->index(0, 0));
    prompts.saveFiles.push_back(out.file("saved.ico"));
    desk.SaveSelected();
    const QByteArray saved = AsBytes(ReadFile(out.file("saved.ico")));
    ASSERT_FALSE(saved.isEmpty());

    desk.CopySelected();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data("image/vnd.microsoft.icon"), saved);
    const QImage picture = QImage::fromData(copied->data("image/png"), "PNG");
    EXPECT_EQ(picture.size(), QSize(32, 32));
    EXPECT_TRUE(picture.hasAlphaChannel());

    // Dragged out: a file named as Save names it, holding what Save writes.
    auto* list = static_cast<DragListView*>(desk.List());
    const std::optional<ImageTransfer> transfer = list->transferOf(0);
    ASSERT_TRUE(transfer.has_value());
    std::unique_ptr<QMimeData> dragged(DragData(*transfer));
    ASSERT_TRUE(dragged && dragged->hasUrls());
    const QString dropped = dragged->urls().front().toLocalFile();
    EXPECT_EQ(QFileInfo(dropped).fileName(), "1.ico");
    QFile file(dropped);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);
    EXPECT_FALSE(dragged->imageData().value<QImage>().isNull());

    // A manager's row drags out as the one-image file of that image.
    IconManager manager(flags, prompts);
    manager.OpenWorkdeskGroup(desk.File(), 0);
    const auto image = static_cast<DragListView*>(manager.List())->transferOf(0);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->fileName, "1_0.ico");
    EXPECT_EQ(image->mimeType, "image/vnd.microsoft.icon");
    manager.reject();
    desk.reject();
}

TEST(DesktopHabits, PlacesAreRememberedAndADamagedSettingsFileIsIgnored) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({2, 0, 0})));
    {
        ExplorerState state;
        ExplorerWindow explorer(state);
        explorer.RestorePlaces(); // the first start: the defaults
        explorer.show();
        explorer.resize(700, 500);
        auto* combo = explorer.findChild<QComboBox*>("ComboBox1");
        combo->setCurrentIndex(combo->findText("Bitmaps"));
        explorer.SelectFolder(QString::fromStdString(dir.path()));
        explorer.findChild<QSplitter*>("Splitter1")->setSizes({300, 400});
        // The Details columns fit their contents until the user widens one.
        auto* list = explorer.findChild<FileListView*>("ListView");
        EXPECT_TRUE(list->ColumnWidths().empty());
        list->DetailsView()->header()->resizeSection(0, 333);
        explorer.close();
    }
    {
        ExplorerState state;
        ExplorerWindow explorer(state);
        explorer.RestorePlaces();
        EXPECT_EQ(explorer.size(), QSize(700, 500));
        EXPECT_EQ(explorer.findChild<QComboBox*>("ComboBox1")->currentText(), "Bitmaps");
        EXPECT_EQ(explorer.RememberedFolder(), QString::fromStdString(dir.path()));
        explorer.show();
        QApplication::processEvents();
        EXPECT_EQ(explorer.findChild<QSplitter*>("Splitter1")->sizes().front(), 300);
        EXPECT_EQ(explorer.findChild<FileListView*>("ListView")->ColumnWidths().front(), 333);
    }

    // A workdesk opens in the size and view it was left in.
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    desk.show();
    desk.resize(600, 400);
    desk.ShowDesktopView();
    desk.reject();
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    EXPECT_EQ(desk.size(), QSize(600, 400));
    EXPECT_TRUE(desk.findChild<QToolButton*>("sb2Desk")->isChecked());
    desk.reject();

    // Save dialogs start where that kind was last saved, else in a folder the
    // user can write to.
    RememberFolder("ico", QString::fromStdString(dir.path()));
    EXPECT_EQ(StartFolder("ico", "/usr"), QString::fromStdString(dir.path()));
    const QString gone = StartFolder("cur", QString::fromStdString(dir.file("gone")));
    EXPECT_TRUE(QFileInfo(gone).isDir() && QFileInfo(gone).isWritable()) << gone.toStdString();
    // Never a system folder the user did not pick, even one the process may write.
    for (const char* system : {"/", "/usr", "/etc", "/usr/share"})
        EXPECT_NE(StartFolder("bmp", system), system);

    // A first start takes a share of a large screen in the designed
    // proportions, and no more than a small one has.
    EXPECT_EQ(FirstStartSize({663, 430}, {800, 600}), QSize(663, 430));
    const QSize large = FirstStartSize({663, 430}, {1400, 1000});
    EXPECT_NEAR(large.width(), 840, 1);
    EXPECT_NEAR(double(large.width()) / large.height(), 663.0 / 430.0, 0.01);
    EXPECT_EQ(FirstStartSize({663, 430}, {600, 400}), QSize(600, 400));

    // A damaged settings file gives the defaults.
    const QString settingsFile = QSettings().fileName();
    QFile damaged(settingsFile);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("\x00\xff[explorer\ngeometry=@ByteArray(\\x\n=\n\n[[[", 40);
    damaged.close();
    ExplorerState state;
    ExplorerWindow explorer(state);
    explorer.RestorePlaces();
    EXPECT_EQ(Remembered("explorer/category", "none").toString(), "none");
    EXPECT_TRUE(explorer.RememberedFolder().isEmpty());
}

// A settings file of an earlier version kept the windows' places under
// their objectNames ("Form2/size"): each is read once, moved under the
// window's role, and never written again.
TEST(DesktopHabits, PlacesKeptUnderAWindowsFormerNameAreReadOnceUnderItsRole) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({2, 0, 0})));
    AniLayout spin;
    spin.frames = {CurFileOf(32), CurFileOf(32, 0xFF0000)};
    ASSERT_TRUE(WriteFile(dir.file("spin.ani"), BuildAni(spin)));
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), CurFileOf(32)));
    {
        QSettings old;
        old.setValue("Form2/size", QSize(610, 410));
        old.setValue("Form2/view", int(DeskView::Desktop));
        old.setValue("Form9/size", QSize(300, 420));
        old.setValue("Form9/animated/size", QSize(320, 560));
    }
    const auto remembered = [](const char* key) { return QSettings().value(key); };

    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    EXPECT_EQ(desk.size(), QSize(610, 410));
    EXPECT_TRUE(desk.findChild<QToolButton*>("sb2Desk")->isChecked());
    EXPECT_EQ(remembered("IconWorkdesk/size").toSize(), QSize(610, 410));
    EXPECT_EQ(remembered("IconWorkdesk/view").toInt(), int(DeskView::Desktop));
    EXPECT_FALSE(remembered("Form2/size").isValid());
    EXPECT_FALSE(remembered("Form2/view").isValid());
    desk.resize(630, 430);
    desk.ShowRawView();
    desk.reject();
    EXPECT_EQ(remembered("IconWorkdesk/size").toSize(), QSize(630, 430));
    EXPECT_EQ(remembered("IconWorkdesk/view").toInt(), int(DeskView::Raw));
    EXPECT_FALSE(remembered("Form2/size").isValid());
    // Once the role has a value, an old key is not read again.
    QSettings().setValue("Form2/size", QSize(500, 300));
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    EXPECT_EQ(desk.size(), QSize(630, 430));
    desk.reject();

    // The Cursor Manager keeps a size for its player and one for groups.
    CursorManager manager(flags, prompts);
    ASSERT_TRUE(manager.OpenFile(dir.file("spin.ani")));
    EXPECT_EQ(manager.height(), 560);
    manager.reject();
    EXPECT_EQ(remembered("CursorManager/animated/size").toSize().height(), 560);
    EXPECT_FALSE(remembered("Form9/animated/size").isValid());
    EXPECT_EQ(remembered("Form9/size").toSize(), QSize(300, 420)); // not asked for yet
    ASSERT_TRUE(manager.OpenFile(dir.file("arrow.cur")));
    EXPECT_EQ(manager.height(), 420);
    manager.reject();
    EXPECT_EQ(remembered("CursorManager/size").toSize().height(), 420);
    EXPECT_FALSE(remembered("Form9/size").isValid());
}

TEST(DesktopHabits, ADarkPaletteKeepsEveryTextReadable) {
    QApplication& app = GuiTestApp();
    const QPalette before = app.palette();
    const QString styleName = app.style()->name(); // setStyle deletes the style it replaces
    app.setStyle(QStyleFactory::create("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, Qt::white);
    app.setPalette(dark);

    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({3, 0, 0})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("lib.dll")));
    desk.show();
    SaveScreenshot(desk, "dark-workdesk");
    IconManager manager(flags, prompts);
    manager.OpenWorkdeskGroup(desk.File(), 0);
    manager.show();
    QApplication::processEvents();
    // The label of a row that is not selected is drawn in the palette's text colour.
    manager.List()->clearSelection();
    const QImage rows = manager.List()->viewport()->grab().toImage();
    bool lightText = false;
    for (int y = 0; y < rows.height() && !lightText; ++y)
        for (int x = rows.width() / 2; x < rows.width() && !lightText; ++x)
            lightText = qGray(rows.pixel(x, y)) > 200;
    EXPECT_TRUE(lightText);
    SaveScreenshot(manager, "dark-manager");
    manager.reject();
    desk.reject();
    app.setPalette(before);
    app.setStyle(styleName);
}

// On a dense screen (the test runs again with QT_SCALE_FACTOR=2) the large
// pictures are drawn from the group's larger images, not enlarged, and a
// window opens no larger than the screen.
TEST(DesktopHabits, PicturesAndWindowsFitTheScreensDensity) {
    QApplication& app = GuiTestApp();
    TempDir dir;
    PeLayout layout;
    for (int side : {32, 64})
        layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(uint16_t(side)), 0x0409,
                                    ExplorerIconDib(side, side == 32 ? 0x0000FF : 0x00AA00)});
    IconGroupEntry small{32, 32, 0, 0, 1, 24, uint32_t(ExplorerIconDib(32, 0x0000FF).size()), 32};
    IconGroupEntry large{64, 64, 0, 0, 1, 24, uint32_t(ExplorerIconDib(64, 0x00AA00).size()), 64};
    layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup({small, large})});
    ASSERT_TRUE(WriteFile(dir.file("two.dll"), BuildPe(layout).bytes));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    desk.resize(5000, 4000);
    ASSERT_TRUE(desk.Open(dir.file("two.dll")));
    desk.show();
    // (No smaller than the window can be laid out: the test screen at 2x is only 400 x 300.)
    const QRect screen = desk.screen()->availableGeometry();
    EXPECT_LE(desk.width(), std::max(screen.width(), desk.minimumSizeHint().width()));
    EXPECT_LE(desk.height(), std::max(screen.height(), desk.minimumSizeHint().height()));
    desk.ShowDesktopView();
    const qreal ratio = app.devicePixelRatio();
    const QPixmap tile = desk.List()->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(tile.width(), int(std::lround(32 * ratio)));
    EXPECT_EQ(tile.devicePixelRatio(), ratio);
    // At twice the density the 64-pixel image (green) is drawn, not the 32-pixel one.
    const QColor centre = tile.toImage().pixelColor(tile.width() / 2, tile.height() / 2);
    EXPECT_EQ(centre.green() > centre.blue(), ratio >= 2) << centre.name().toStdString();
    SaveScreenshot(desk, ratio >= 2 ? "hidpi-workdesk-2x" : "hidpi-workdesk-1x");
    desk.reject();
}
