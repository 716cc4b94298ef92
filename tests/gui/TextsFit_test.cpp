// Texts that must be read whole: each window laid out for its longest text,
// with a screenshot named after the screen it was laid out on
// ("texts-...-1400x1000@2x"). The tests also run on a 1400 x 1000 screen at
// 1x and 2x (ctest -R TextsFit).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>

#include "batch/core/ScriptedPrompts.h"
#include "explorer/gui/ExplorerWindow.h"
#include "formats/ResTypes.h"
#include "gui/ElidedLabel.h"
#include "gui/LocationDialog.h"
#include "managers/gui/IconManager.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/support/Builders.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/VersionBuilder.h"
#include "workdesks/gui/IconWorkdesk.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Dib(int side, int bits) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = bits;
    s.pixel = [=](int x, int y) { return uint32_t(((x / 8 + y / 8) % 2) ? 0x3070C0 : 0xE0A020); };
    return BuildDib(s);
}

// "texts-<what>-<screen>@<ratio>x", so that runs on different screens keep their own.
QString ShotName(const QWidget& window, const char* what) {
    const QScreen* screen = window.screen();
    const QSize size = screen ? screen->size() : QSize();
    return QStringLiteral("texts-%1-%2x%3@%4x")
        .arg(what)
        .arg(size.width())
        .arg(size.height())
        .arg(qRound(qApp->devicePixelRatio()));
}

// Every text of a window's status bar shown whole.
void ExpectStatusWhole(QWidget& window) {
    auto* status = window.findChild<QStatusBar*>("StatusBar1");
    ASSERT_NE(status, nullptr);
    for (const QLabel* panel : status->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (panel->text().isEmpty()) continue;
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()))
            << panel->text().toStdString();
        EXPECT_GE(panel->height(), panel->fontMetrics().height()) << panel->text().toStdString();
        EXPECT_LE(panel->mapTo(&window, QPoint(panel->width(), 0)).x(), window.width()) << panel->text().toStdString();
    }
}

// An icon group of one image of each size and depth given, as a library holds it.
Bytes LibraryOf(const std::vector<std::pair<int, int>>& sidesAndBits) {
    PeLayout layout;
    std::vector<IconGroupEntry> entries;
    uint16_t id = 1;
    for (auto [side, bits] : sidesAndBits) {
        const Bytes image = Dib(side, bits);
        entries.push_back({uint8_t(side), uint8_t(side), 0, 0, 1, uint16_t(bits), uint32_t(image.size()), id});
        layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id++), 0x0409, image});
    }
    layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup(entries)});
    VersionNode version = SampleVersionTree(true);
    version.children[0].children[0].children.push_back(StringNode(
        "LegalCopyright",
        "Copyright (C) 1998-2004 The Makers of Sample Library and their contributors. All rights reserved "
        "in every country where such rights exist.",
        true));
    layout.resources.push_back({ResourceKey::Id(16), ResourceKey::Id(1), 0x0409, BuildVersionBlock(version, true)});
    return BuildPe(layout).bytes;
}

} // namespace

// The Image Format box is as wide as its longest format, and a 32-bit
// image's format says its bits.
TEST(TextsFit, IconWorkdeskFormatBox) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("deep.dll"), LibraryOf({{256, 32}, {256, 8}, {48, 8}, {16, 4}})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk desk(flags, prompts);
    ASSERT_TRUE(desk.Open(dir.file("deep.dll")));
    desk.show();
    QApplication::processEvents();
    auto* box = desk.findChild<QComboBox*>("cbIFormat");
    ASSERT_NE(box, nullptr);
    QStringList formats;
    for (int i = 0; i < box->count(); ++i) formats << box->itemText(i);
    EXPECT_EQ(formats, (QStringList{"256 X 256 32 Bit", "256 X 256 256 Colors", "48 X 48 256 Colors",
                                    "16 X 16 16 Colors"}));
    EXPECT_GT(box->sizeHint().width(), box->fontMetrics().horizontalAdvance("256 X 256 256 Colors"));
    EXPECT_GE(box->width(), box->sizeHint().width());
    SaveScreenshot(desk, ShotName(desk, "icon-workdesk"));

    // File Information shows every line whole (the copyright wraps at most,
    // nothing scrolls sideways) and says the fixed part in words.
    QString shown;
    bool sideways = true, down = true;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* text = dialog->findChild<QPlainTextEdit*>("FileInformationText");
        shown = text->toPlainText();
        sideways = text->horizontalScrollBar()->isVisible();
        down = text->verticalScrollBar()->isVisible();
        SaveScreenshot(*dialog, ShotName(*dialog, "file-information"));
        dialog->accept();
    });
    desk.findChild<QAction*>("FileInformation")->trigger();
    EXPECT_TRUE(shown.contains("  File type: Library\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("All rights reserved in every country where such rights exist.")) << shown.toStdString();
    EXPECT_FALSE(sideways);
    // Room for every line, unless the screen is too small for them.
    if (desk.screen()->availableGeometry().height() >= 1000) EXPECT_FALSE(down);
    desk.reject();
}

// The Icon Manager's label boxes line up whatever their text, and its
// status bar shows the file and the image whole.
TEST(TextsFit, IconManagerLabelsAndStatusBar) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Deep Sample Icon.ico"),
                          BuildIcoFile({{Dib(16, 8), 16, 16, 0, 0, 1, 8},
                                        {Dib(48, 8), 48, 48, 0, 0, 1, 8},
                                        {Dib(256, 32), 0, 0, 0, 0, 1, 32}})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconManager form(flags, prompts);
    ASSERT_TRUE(form.OpenFile(dir.file("Deep Sample Icon.ico")));
    form.show();
    QApplication::processEvents();
    const QAbstractItemModel& rows = *form.List()->model();
    EXPECT_EQ(rows.index(1, 0).data().toString(), "48 X 48\n256 Colors");
    EXPECT_EQ(rows.index(2, 0).data().toString(), "256 X 256\n32 Bit");
    const int rowWidth = form.List()->sizeHintForIndex(rows.index(0, 0)).width();
    for (int r = 1; r < rows.rowCount(); ++r) EXPECT_EQ(form.List()->sizeHintForIndex(rows.index(r, 0)).width(), rowWidth);
    ExpectStatusWhole(form);
    EXPECT_EQ(form.StatusText(0), "Deep Sample Icon.ico");
    SaveScreenshot(form, ShotName(form, "icon-manager"));
    form.reject();

    // A desktop font half as large again: both lines of each label still
    // have room in the rows of small images.
    const QFont before = QApplication::font();
    QFont larger = before;
    larger.setPointSizeF(before.pointSizeF() * 1.5);
    QApplication::setFont(larger);
    {
        IconManager large(flags, prompts);
        ASSERT_TRUE(large.OpenFile(dir.file("Deep Sample Icon.ico")));
        large.show();
        QApplication::processEvents();
        const QAbstractItemModel& labels = *large.List()->model();
        const QFontMetrics metrics(large.List()->font());
        for (int r = 0; r < labels.rowCount(); ++r) {
            const QString label = labels.index(r, 0).data().toString();
            EXPECT_GE(large.List()->sizeHintForIndex(labels.index(r, 0)).height(),
                      metrics.boundingRect(QRect(), Qt::AlignCenter, label).height() + 2)
                << label.toStdString();
        }
        ExpectStatusWhole(large);
        SaveScreenshot(large, ShotName(large, "icon-manager-larger-font"));
        large.reject();
    }
    QApplication::setFont(before);
}

// Go to Location has room for a long path.
TEST(TextsFit, GoToLocationDialog) {
    GuiTestApp();
    const QString path = "/home/ann/.wine/drive_c/Program Files (x86)/Star Trader Deluxe Edition/resources/icons";
    QInputDialog dialog;
    LayOutLocationDialog(dialog, path);
    dialog.show();
    QApplication::processEvents();
    auto* field = dialog.findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), path);
    EXPECT_EQ(dialog.windowTitle(), "Go to Location");
    if (dialog.screen()->availableGeometry().width() >= 1400)
        EXPECT_GT(field->width(), field->fontMetrics().horizontalAdvance(path));
    EXPECT_LE(dialog.width(), std::max(dialog.screen()->availableGeometry().width(), dialog.minimumSizeHint().width()));
    SaveScreenshot(dialog, ShotName(dialog, "go-to-location"));
    dialog.reject();
}

// A status text longer than its room is cut after a whole word, never in a
// number; the whole text stays the label's text and tooltip.
TEST(TextsFit, ElidedLabelCutsAtAWord) {
    GuiTestApp();
    const QString text = "File Extension - Contains 0 Icons - Damaged: truncated at byte 7,398,139: "
                         "the resource section needs 8,630,272 bytes at 921,600";
    ElidedLabel label;
    label.SetWholeText(text);
    const QFontMetrics& metrics = label.fontMetrics();
    const int cut = metrics.horizontalAdvance(text.left(text.indexOf("8,630,272") + 4));
    label.resize(cut, label.sizeHint().height());
    EXPECT_EQ(label.text(), text);
    EXPECT_EQ(label.toolTip(), text);
    const QString shown = label.ShownText();
    EXPECT_EQ(shown, "File Extension - Contains 0 Icons - Damaged: truncated at byte 7,398,139: the resource "
                     "section needs\u2026");
    EXPECT_LE(metrics.horizontalAdvance(shown), label.contentsRect().width());
    // Separators before the cut go with it; a text that fits stays whole.
    EXPECT_EQ(ElideAtWord("Executable - Contains 12 Icons", metrics,
                          metrics.horizontalAdvance("Executable - Contains") + metrics.horizontalAdvance("\u2026")),
              "Executable - Contains\u2026");
    EXPECT_EQ(ElideAtWord("Executable - Contains 12 Icons", metrics,
                          metrics.horizontalAdvance("Executable - ") + metrics.horizontalAdvance("\u2026")),
              "Executable\u2026");
    EXPECT_EQ(ElideAtWord(text, metrics, metrics.horizontalAdvance(text)), text);
}

// A first window shows the names of folders a few levels deep whole, the
// "All Folders" header as wide as the tree, and the tool bar every button.
TEST(TextsFit, ExplorerFolderTreeAtTheFirstSize) {
    GuiTestApp();
    TempDir dir;
    const std::string deep = dir.file("lib/x86_64-linux-gnu/wine/x86_64-windows");
    for (const char* sibling : {"lib/x86_64-linux-gnu/wine/x86_64-unix", "lib/x86_64-linux-gnu/wine/i386-windows"})
        std::filesystem::create_directories(dir.file(sibling));
    std::filesystem::create_directories(deep);
    ExplorerState state;
    ExplorerWindow form{state};
    form.show();
    ASSERT_TRUE(form.SelectFolder(QString::fromStdString(deep)));
    QApplication::processEvents();
    auto* tree = form.findChild<QTreeView*>("DTree1");
    ASSERT_NE(tree, nullptr);
    const bool roomy = form.screen()->availableGeometry().width() >= 1400;
    for (QModelIndex row = tree->currentIndex(); roomy && row.isValid() && row.data().toString() != "lib";
         row = row.parent()) {
        const QRect rect = tree->visualRect(row);
        const int textRight = rect.left() + tree->fontMetrics().horizontalAdvance(row.data().toString());
        EXPECT_LE(textRight, tree->viewport()->width()) << row.data().toString().toStdString();
    }
    if (roomy) EXPECT_EQ(form.findChild<QFrame*>("Panel3")->width(), tree->width());
    for (const char* button : {"sbTree1", "sbUpDir1", "sbLarge1", "sbSmall1", "sbList1", "sbDetails1"})
        EXPECT_TRUE(form.findChild<QToolButton*>(button)->isVisible()) << button;
    SaveScreenshot(form, ShotName(form, "explorer-folders"));
}
