// The program's viewer windows reached as a user reaches them: a row of the
// explorer opens its workdesk, an item of the workdesk its manager and its
// property sheet, each window made on the first request and reused after.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "batch/core/ScriptedPrompts.h"
#include "explorer/gui/ExplorerWindow.h"
#include "explorer/gui/FileList.h"
#include "managers/gui/BitmapGlyphManager.h"
#include "managers/gui/BitmapPropertiesSheet.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/CursorPropertiesSheet.h"
#include "managers/gui/IconManager.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "program/ViewerWindows.h"
#include "tests/gui/ProgramWindows.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/ExplorerFiles.h"
#include "workdesks/gui/BitmapWorkdesk.h"
#include "workdesks/gui/CursorWorkdesk.h"
#include "workdesks/gui/IconWorkdesk.h"

using namespace gw;
using namespace gw::test;

namespace {

// A library of two static cursors and one animated cursor ("BUSY", two
// frames shown in the order 1, 0).
Bytes CursorLibrary() {
    PeLayout layout;
    const Bytes cursor = BuildCursorResource(3, 5, ExplorerIconDib(32, 0x00FF00));
    for (uint16_t id : {1, 2}) {
        layout.resources.push_back({ResourceKey::Id(RT_CURSOR), ResourceKey::Id(id), 0x0409, cursor});
        layout.resources.push_back({ResourceKey::Id(RT_GROUP_CURSOR), ResourceKey::Named(id == 1 ? "ARROW" : "WAIT"), 0x0409,
                                    BuildCursorGroup({{32, 64, 1, 24, uint32_t(cursor.size()), id}})});
    }
    AniLayout busy;
    busy.frames = {CurFileOf(32, 0xFF0000), CurFileOf(48, 0x0000FF)};
    busy.sequence = std::vector<uint32_t>{1, 0};
    layout.resources.push_back({ResourceKey::Id(RT_ANICURSOR), ResourceKey::Named("BUSY"), 0x0409, BuildAni(busy)});
    return BuildPe(layout).bytes;
}

using Program = ProgramWindows;

// Selects the workdesk's item with this caption.
void SelectItem(DeskWindow& desk, const QString& caption) {
    const QModelIndexList found =
        desk.List()->model()->match(desk.List()->model()->index(0, 0), Qt::DisplayRole, caption, 1, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    desk.List()->setCurrentIndex(found.front());
}

} // namespace

TEST(ViewerWindows, ALibraryReachesItsWorkdeskThenTheManagerEachMadeOnceAndReused) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), PeFileOf({3, 0, 0})));
    Program p;
    // Nothing is made before a window asks for it.
    for (Viewer viewer : {Viewer::IconWorkdesk, Viewer::IconManager, Viewer::IconSheet, Viewer::AboutBox})
        EXPECT_EQ(p.viewers.Window(viewer), nullptr);

    p.DoubleClick(dir.path(), "Icon Files", "lib.dll");
    IconWorkdesk* desk = p.Made<IconWorkdesk>(Viewer::IconWorkdesk);
    ASSERT_NE(desk, nullptr);
    EXPECT_TRUE(desk->isVisible());
    EXPECT_EQ(desk->objectName(), "Form2");
    EXPECT_EQ(desk->parent(), &p.explorer);
    EXPECT_EQ(desk->RowCount(), 3);
    EXPECT_EQ(p.viewers.Window(Viewer::IconManager), nullptr); // not until an item asks for it

    SelectItem(*desk, "2");
    desk->OpenInManager();
    IconManager* manager = p.Made<IconManager>(Viewer::IconManager);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->isVisible());
    EXPECT_EQ(manager->objectName(), "Form4");
    EXPECT_EQ(manager->CurrentGroup(), &desk->File()->Contents().IconGroups[1]); // the workdesk's own file
    EXPECT_EQ(manager->StatusText(1), "2_0");
    manager->ShowProperties();
    auto* sheet = p.Made<IconPropertiesSheet>(Viewer::IconSheet);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Values().name, "2_0");
    sheet->accept();
    manager->reject();

    // From the workdesk the sheet shows the group as a whole.
    desk->ShowProperties();
    EXPECT_EQ(p.Made<IconPropertiesSheet>(Viewer::IconSheet), sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Values().name, "2");
    sheet->accept();
    desk->reject();

    // A second double-click and a second item reuse the same windows.
    p.DoubleClick(dir.path(), "Icon Files", "lib.dll");
    EXPECT_EQ(p.Made<IconWorkdesk>(Viewer::IconWorkdesk), desk);
    EXPECT_TRUE(desk->isVisible());
    SelectItem(*desk, "1");
    desk->OpenInManager();
    EXPECT_EQ(p.Made<IconManager>(Viewer::IconManager), manager);
    EXPECT_TRUE(manager->isVisible());
    EXPECT_EQ(manager->StatusText(1), "1_0");
    EXPECT_EQ(p.explorer.findChildren<QDialog*>("Form2").size(), 1);
    EXPECT_EQ(p.explorer.findChildren<QDialog*>("Form4").size(), 1);
    manager->reject();
    desk->reject();
    EXPECT_TRUE(p.prompts.messages.empty());
}

// The Cursor Workdesk says which of its items are animated: those play in
// the Cursor Manager, and their sheet shows the first step's frame with the
// Animation page; a static cursor opens as a group.
TEST(ViewerWindows, TheCursorWorkdeskSendsAnimatedCursorsToThePlayer) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("cursors.exe"), CursorLibrary()));
    Program p;
    p.DoubleClick(dir.path(), "Static Cursor Files", "cursors.exe");
    auto* desk = p.Made<CursorWorkdesk>(Viewer::CursorWorkdesk);
    ASSERT_NE(desk, nullptr);
    ASSERT_TRUE(desk->isVisible());
    ASSERT_EQ(desk->RowCount(), 3);

    SelectItem(*desk, "BUSY");
    desk->OpenInManager();
    auto* manager = p.Made<CursorManager>(Viewer::CursorManager);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->isVisible());
    ASSERT_NE(manager->CurrentAnimation(), nullptr);
    EXPECT_EQ(manager->CurrentAnimation()->Name, "BUSY");
    EXPECT_TRUE(manager->Playing());
    manager->reject();

    desk->ShowProperties();
    auto* sheet = p.Made<CursorPropertiesSheet>(Viewer::CursorSheet);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Values().name, "BUSY");
    ASSERT_NE(sheet->AnimationPage(), nullptr);
    EXPECT_TRUE(sheet->Tabs()->isTabVisible(sheet->Tabs()->indexOf(sheet->AnimationPage())));
    EXPECT_EQ(sheet->Values().format.substr(0, 7), "48 X 48"); // step 1 shows frame 1
    sheet->accept();

    SelectItem(*desk, "WAIT");
    desk->OpenInManager();
    EXPECT_EQ(p.Made<CursorManager>(Viewer::CursorManager), manager);
    EXPECT_EQ(manager->CurrentAnimation(), nullptr);
    EXPECT_EQ(manager->CurrentGroup(), &desk->File()->Contents().CursorGroups[1]);
    EXPECT_FALSE(manager->Playing());
    manager->reject();
    desk->ShowProperties();
    EXPECT_EQ(sheet->Values().name, "WAIT");
    EXPECT_FALSE(sheet->Tabs()->isTabVisible(sheet->Tabs()->indexOf(sheet->AnimationPage())));
    sheet->accept();
    desk->reject();
}

// The Bitmap Workdesk hands its row, as the list shows it, to the manager
// and to Bitmap Properties.
TEST(ViewerWindows, TheBitmapWorkdeskHandsItsRowOn) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("pics.dll"), PeFileOf({0, 2, 0})));
    Program p;
    p.DoubleClick(dir.path(), "Bitmap Files", "pics.dll");
    auto* desk = p.Made<BitmapWorkdesk>(Viewer::BitmapWorkdesk);
    ASSERT_NE(desk, nullptr);
    ASSERT_TRUE(desk->isVisible());
    ASSERT_EQ(desk->RowCount(), 2);
    const BitmapDeskItem item = desk->ItemAt(1);
    desk->List()->setCurrentIndex(desk->List()->model()->index(1, 0));

    desk->OpenInManager();
    auto* manager = p.Made<BitmapGlyphManager>(Viewer::BitmapManager);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->isVisible());
    EXPECT_TRUE(manager->FromWorkdesk());
    EXPECT_EQ(manager->Work()->width, item.width);
    manager->ShowProperties();
    auto* sheet = p.Made<BitmapPropertiesSheet>(Viewer::BitmapSheet);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->Values().name, item.caption);
    sheet->accept();
    manager->reject();

    desk->ShowProperties();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Values().name, item.caption);
    EXPECT_EQ(sheet->Values().size, std::to_string(item.width) + " x " + std::to_string(item.height));
    EXPECT_FALSE(sheet->Preview()->pixmap().isNull()); // the row's thumbnail
    sheet->accept();
    desk->reject();
}
