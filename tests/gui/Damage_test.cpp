// Damaged files opened from the explorer, as a user opens them: the windows
// say what is wrong instead of opening empty or showing blank rows, with a
// screenshot of each ("damage-...").
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMessageBox>

#include <stdexcept>

#include "batch/core/ScriptedPrompts.h"
#include "explorer/gui/FileList.h"
#include "explorer/gui/ExplorerWindow.h"
#include "formats/ResTypes.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "managers/gui/IconManager.h"
#include "program/ViewerWindows.h"
#include "tests/gui/ProgramWindows.h"
#include "tests/support/Builders.h"
#include "tests/support/IcnsBuilder.h"
#include "tests/support/PeBuilder.h"
#include "workdesks/gui/IconWorkdesk.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Dib(int side) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = 32;
    s.pixel = [](int x, int y) { return 0xFF000000u | uint32_t(x * 5) << 16 | uint32_t(y * 5); };
    return BuildDib(s);
}

// A library of icon groups; with a tail, a large resource of a later type
// (version data) follows the icons, as in most libraries.
Bytes Library(const std::vector<std::vector<std::pair<Bytes, int>>>& groups, size_t tail = 0) {
    constexpr uint16_t kVersion = 16;
    PeLayout layout;
    uint16_t id = 1;
    std::vector<PeResource> groupResources;
    for (size_t g = 0; g < groups.size(); ++g) {
        std::vector<IconGroupEntry> entries;
        for (const auto& [data, side] : groups[g]) {
            layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(id), 0x0409, data});
            entries.push_back({uint8_t(side), uint8_t(side), 0, 0, 1, 32, uint32_t(data.size()), id++});
        }
        groupResources.push_back(
            {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(uint16_t(g + 1)), 0x0409, BuildIconGroup(entries)});
    }
    layout.resources.insert(layout.resources.end(), groupResources.begin(), groupResources.end());
    if (tail > 0) layout.resources.push_back({ResourceKey::Id(kVersion), ResourceKey::Id(1), 0x0409, Bytes(tail, 0x56)});
    return BuildPe(layout).bytes;
}

// The program's windows, with the Icon Workdesk, Icon Manager and Icon
// Properties the rows and the workdesk asked for.
struct IconWindows : ProgramWindows {
    template <class Window>
    Window& Shown(Viewer viewer) {
        Window* window = Made<Window>(viewer);
        if (!window) throw std::runtime_error("no window has asked for this viewer yet");
        return *window;
    }
    IconWorkdesk& desk() { return Shown<IconWorkdesk>(Viewer::IconWorkdesk); }
    IconManager& manager() { return Shown<IconManager>(Viewer::IconManager); }
    IconPropertiesSheet& sheet() { return Shown<IconPropertiesSheet>(Viewer::IconSheet); }
};

} // namespace

TEST(DamagedFiles, OpenedFromTheExplorerSayWhatIsWrong) {
    TempDir dir;
    // A library cut short in the resources that follow its icons.
    const Bytes whole = Library({{{Dib(48), 48}}, {{Dib(48), 48}}, {{Dib(48), 48}}}, 20000);
    const Bytes cut(whole.begin(), whole.end() - 12000);
    ASSERT_TRUE(WriteFile(dir.file("cut.dll"), cut));
    ASSERT_TRUE(WriteFile(dir.file("empty.ico"), {}));
    // A library whose 256-pixel image is a PNG with damaged data.
    Bytes png = BuildPng(256, 256, [](int x, int y) { return 0xFF000000u | uint32_t(x ^ y) << 8; });
    for (size_t i = 41; i < 81 && i < png.size(); ++i) png[i] ^= 0x5A;
    ASSERT_TRUE(WriteFile(dir.file("corrupt.dll"), Library({{{Dib(32), 32}, {png, 0}}})));
    IconWindows w;

    // The cut library opens with what could be read and says where it ends.
    w.DoubleClick(dir.path(), "Icon Files", "cut.dll");
    ASSERT_TRUE(w.desk().isVisible());
    EXPECT_EQ(w.desk().RowCount(), 3);
    EXPECT_FALSE(w.desk().Damage()->isHidden());
    EXPECT_TRUE(w.desk().Damage()->Text().startsWith("Damaged: truncated at byte " +
                                                     QString::fromStdString(GroupedNumber(cut.size()))))
        << w.desk().Damage()->Text().toStdString();
    EXPECT_FALSE(w.desk().Damage()->Details().isEmpty());
    SaveScreenshot(w.desk(), "damage-cut-library");
    w.desk().reject();

    // The explorer lists damaged files with their damage, also one whose
    // damage hides every icon it holds: a sign on the picture, the damage as
    // tooltip and in the status text.
    ASSERT_TRUE(WriteFile(dir.file("hidden.dll"), Bytes(whole.begin(), whole.begin() + 3000)));
    w.explorer.SelectFolder(QString::fromStdString(dir.path()));
    w.explorer.Refresh();
    int hiddenRow = -1, cutRow = -1;
    for (int row = 0; row < w.explorer.ListModel()->rowCount(); ++row) {
        const ListRow* listed = w.explorer.ListModel()->RowAt(row);
        if (listed->caption == "hidden.dll") hiddenRow = row;
        if (listed->caption == "cut.dll") cutRow = row;
    }
    ASSERT_GE(hiddenRow, 0) << "a file whose damage hides its icons is still listed";
    ASSERT_GE(cutRow, 0);
    for (int row : {hiddenRow, cutRow}) {
        const QString tip = w.explorer.ListModel()->index(row, 0).data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.contains("Damaged: truncated at byte")) << tip.toStdString();
    }
    w.explorer.List()->SelectRow(hiddenRow);
    w.explorer.SelectClickedRow();
    EXPECT_TRUE(w.explorer.StatusText().contains(" - Damaged: truncated at byte")) << w.explorer.StatusText().toStdString();
    SaveScreenshot(w.explorer, "damage-explorer-listing");

    // A zero-byte icon file opens no empty manager: a message says why.
    w.DoubleClick(dir.path(), "Icons", "empty.ico");
    EXPECT_FALSE(w.manager().isVisible());
    ASSERT_EQ(w.prompts.messages.size(), 1u);
    EXPECT_EQ(w.prompts.messages[0].first, MessageKind::Error);
    const QString said = QString::fromStdString(w.prompts.messages[0].second);
    EXPECT_TRUE(said.startsWith("Cannot read \"empty.ico\": truncated at byte 0")) << said.toStdString();
    QMessageBox box(QMessageBox::Critical, "Grabwell Icon Manager", said, QMessageBox::Ok, &w.explorer);
    box.show();
    SaveScreenshot(box, "damage-empty-ico");
    box.close();

    // A corrupted image is marked in its row and in its sheet, not left blank.
    w.DoubleClick(dir.path(), "Icon Files", "corrupt.dll");
    ASSERT_TRUE(w.desk().isVisible());
    EXPECT_TRUE(w.desk().Damage()->isHidden()); // the file itself is whole
    w.desk().List()->setCurrentIndex(w.desk().List()->model()->index(0, 0));
    EXPECT_TRUE(w.desk().List()->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("1 of 2 images"));
    w.desk().OpenInManager();
    ASSERT_TRUE(w.manager().isVisible());
    const QModelIndex broken = w.manager().List()->model()->index(1, 0);
    EXPECT_EQ(broken.data(Qt::ToolTipRole).toString(), "This image is damaged and cannot be decoded");
    EXPECT_FALSE(broken.data(Qt::DecorationRole).value<QImage>().isNull()); // a warning sign, not a blank row
    EXPECT_TRUE(w.manager().List()->model()->index(0, 0).data(Qt::ToolTipRole).toString().isEmpty());
    w.manager().SelectImage(1);
    SaveScreenshot(w.manager(), "damage-corrupted-image-manager");
    w.manager().ShowProperties();
    EXPECT_FALSE(w.sheet().Trouble()->isHidden());
    EXPECT_EQ(w.sheet().Trouble()->text(), "This image is damaged and cannot be decoded");
    SaveScreenshot(w.sheet(), "damage-corrupted-image-sheet");
    w.sheet().accept();
    w.manager().SelectImage(0);
    w.manager().ShowProperties();
    EXPECT_TRUE(w.sheet().Trouble()->isHidden());
    w.sheet().accept();
    w.manager().reject();
    w.desk().reject();
}

// An icon family is listed among the icon files with its picture and type,
// and a double-click opens it in the icon workdesk as one group of its images.
TEST(IconFamilyWindows, ListedAndOpenedFromTheExplorer) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("App.icns"), SampleIconFamily()));
    IconWindows w;
    w.DoubleClick(dir.path(), "Icon Files", "App.icns");
    ASSERT_TRUE(w.desk().isVisible());
    EXPECT_EQ(w.desk().RowCount(), 1);
    EXPECT_TRUE(w.desk().Damage()->isHidden());
    SaveScreenshot(w.desk(), "icon-family-workdesk");
    w.desk().reject();
    w.explorer.SelectFolder(QString::fromStdString(dir.path()));
    w.explorer.Refresh();
    ASSERT_EQ(w.explorer.ListModel()->rowCount(), 1);
    EXPECT_EQ(w.explorer.ListModel()->index(0, 1).data().toString(), "Icon Family");
    EXPECT_FALSE(w.explorer.ListModel()->PictureAt(0).isNull());
    SaveScreenshot(w.explorer, "icon-family-explorer");
}
