// The Icon Workdesk opened offscreen on a library the explorer listed: its
// rows, status texts, formats, views and orders, with a screenshot of each
// view; the Cursor and Bitmap Workdesks the same way.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include <set>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QElapsedTimer>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <filesystem>
#include <cstdlib>

#include "batch/core/ScriptedPrompts.h"
#include "formats/Document.h"
#include "formats/ResTypes.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/gui/RecordingViewers.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"
#include "workdesks/gui/IconWorkdesk.h"
#include "workdesks/gui/BitmapWorkdesk.h"
#include "workdesks/gui/CursorWorkdesk.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes IconDib(int side, int bits, uint32_t color) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = bits;
    s.pixel = [=](int x, int y) { return (x + y) % 5 == 0 ? 0xFFFFFFu : color; };
    s.transparent = [=](int x, int y) { return x + y < side / 3; };
    return BuildDib(s);
}

// Groups APP (16 and 32 pixels), 1 (32), 2 (48) and 10 (32 and 16), in that file order.
Bytes Library() {
    PeLayout layout;
    uint16_t next = 1;
    auto group = [&](const char* name, std::vector<std::pair<int, int>> images, uint32_t color) {
        std::vector<IconGroupEntry> entries;
        for (auto [side, bits] : images) {
            const Bytes dib = IconDib(side, bits, color);
            entries.push_back({uint8_t(side), uint8_t(side), 0, 0, 1, uint16_t(bits), uint32_t(dib.size()), next});
            layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(next++), 0x0409, dib});
        }
        const ResourceKey id = std::string(name) == "APP" ? ResourceKey::Named("APP") : ResourceKey::Id(uint16_t(std::stoi(name)));
        layout.resources.push_back({ResourceKey::Id(RT_GROUP_ICON), id, 0x0409, BuildIconGroup(entries)});
    };
    group("APP", {{16, 4}, {32, 4}}, 0x3366CC);
    group("1", {{32, 8}}, 0xCC3333);
    group("2", {{48, 32}}, 0x33AA33);
    group("10", {{32, 4}, {16, 8}}, 0xAA8800);
    return BuildPe(layout).bytes;
}

std::vector<std::string> Captions(const DeskWindow& form) { return form.Captions(); }

} // namespace

TEST(IconWorkdesk, OpensAListedLibraryInEveryView) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Shell.DLL"), Library()));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);
    ASSERT_TRUE(form.Open(dir.file("Shell.DLL")));
    form.resize(640, 420);
    form.show();

    // The name as the file system spells it: two files may differ only in case.
    EXPECT_EQ(form.StatusText(0), "Shell.DLL - 4 Icons");
    EXPECT_EQ(form.StatusText(1), "PE File");
    // By name, as the items arrive: "1, 10, 2, APP".
    EXPECT_EQ(Captions(form), (std::vector<std::string>{"1", "2", "10", "APP"}));
    ASSERT_EQ(form.Formats()->count(), 5);
    EXPECT_EQ(form.Formats()->itemText(0), "16 X 16 16 Colors");
    EXPECT_FALSE(form.Formats()->isEnabled()); // the Raw view is down at start
    SaveScreenshot(form, "workdesk-icons-raw");

    form.ShowSpecificView();
    EXPECT_TRUE(form.Formats()->isEnabled());
    EXPECT_EQ(form.List()->iconSize(), QSize(26, 26)); // a 16-pixel first format: 16 + 10
    form.Formats()->setCurrentIndex(1); // 32 X 32 16 Colors
    form.ChangeFormat();
    EXPECT_EQ(form.List()->iconSize(), QSize(42, 42));
    form.SortByFormat();
    EXPECT_EQ(Captions(form), (std::vector<std::string>{"10", "APP", "1", "2"}));
    SaveScreenshot(form, "workdesk-icons-specific");

    // Leaving the Specific view while sorted by format sorts by name again.
    form.ShowWindowsView();
    EXPECT_EQ(Captions(form), (std::vector<std::string>{"1", "2", "10", "APP"}));
    SaveScreenshot(form, "workdesk-icons-windows");
    form.ShowDesktopView();
    SaveScreenshot(form, "workdesk-icons-desktop");

    // Closing releases everything; the next opening starts from empty lists.
    form.reject();
    EXPECT_EQ(form.RowCount(), 0);
    EXPECT_EQ(form.Formats()->count(), 0);
}

// The selection belongs to its group: it follows it through every order and
// view, the arrow keys select as a click does, and Enter opens the manager on
// the selected group as a double-click does.
TEST(IconWorkdesk, SelectionFollowsItsGroupAndTheKeyboard) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("shell.dll"), Library()));
    ActionFlags flags;
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    IconWorkdesk form(flags, prompts, &viewers);
    ASSERT_TRUE(form.Open(dir.file("shell.dll")));
    std::vector<std::string> opened;
    viewers.open = [&](const ViewRequest& request) {
        if (request.target == Viewer::IconManager)
            opened.push_back(request.file->Contents().IconGroups[request.item].Name);
    };
    form.show();
    auto* saveOne = form.findChild<QToolButton*>("sb2SaveOne");
    auto selected = [&]() -> std::string {
        const QModelIndexList rows = form.List()->selectionModel()->selectedIndexes();
        return rows.isEmpty() ? "" : rows.front().data().toString().toStdString();
    };
    ASSERT_EQ(Captions(form), (std::vector<std::string>{"1", "2", "10", "APP"}));
    EXPECT_FALSE(saveOne->isEnabled());

    form.List()->setFocus();
    form.List()->setCurrentIndex(form.List()->model()->index(0, 0));
    QTest::keyClick(form.List(), Qt::Key_End);
    QTest::keyClick(form.List(), Qt::Key_Left);
    QTest::keyClick(form.List(), Qt::Key_Left);
    EXPECT_EQ(selected(), "2");
    EXPECT_TRUE(saveOne->isEnabled());

    form.SortByImageCount();
    EXPECT_NE(Captions(form)[2], "2"); // 2 moved ...
    EXPECT_EQ(selected(), "2");        // ... and stayed selected
    form.ShowSpecificView();
    form.Formats()->setCurrentIndex(3);
    form.ChangeFormat();
    EXPECT_EQ(selected(), "2");
    EXPECT_TRUE(saveOne->isEnabled());
    QTest::keyClick(form.List(), Qt::Key_Return);
    EXPECT_EQ(opened, (std::vector<std::string>{"2"}));

    // Nothing selected: the commands are off whatever the view.
    form.List()->selectionModel()->clearSelection();
    form.ShowDesktopView();
    EXPECT_FALSE(saveOne->isEnabled());
    form.reject();
}

// A 256-pixel image is labelled 256 in the format box; a file without images
// leaves the box empty and disabled.
TEST(IconWorkdesk, FormatBoxLabelsLargeImagesAndStaysEmptyWithoutImages) {
    GuiTestApp();
    TempDir dir;
    PeLayout big;
    const Bytes dib = IconDib(256, 32, 0x3366CC);
    big.resources = {{ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0409, dib},
                     {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409,
                      BuildIconGroup({{0, 0, 0, 0, 1, 32, uint32_t(dib.size()), 1}})}};
    ASSERT_TRUE(WriteFile(dir.file("big.dll"), BuildPe(big).bytes));
    PeLayout none;
    none.resources = {{ResourceKey::Id(RT_BITMAP), ResourceKey::Id(1), 0x0409, Bytes(40, 0)}};
    ASSERT_TRUE(WriteFile(dir.file("none.dll"), BuildPe(none).bytes));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);

    ASSERT_TRUE(form.Open(dir.file("big.dll")));
    form.resize(640, 480);
    form.show();
    ASSERT_EQ(form.Formats()->count(), 1);
    EXPECT_EQ(form.Formats()->itemText(0), "256 X 256 32 Bit");
    // Tall strips: each caption sits under its own picture, a line's height
    // of space then parts it from the row below.
    form.ShowRawView();
    const int text = form.List()->fontMetrics().height();
    EXPECT_GE(form.List()->gridSize().height(), form.List()->iconSize().height() + 3 * text);
    SaveScreenshot(form, "workdesk-captions-raw");
    form.reject();

    ASSERT_TRUE(form.Open(dir.file("none.dll")));
    form.show();
    form.ShowSpecificView();
    EXPECT_EQ(form.Formats()->count(), 0);
    EXPECT_FALSE(form.Formats()->isEnabled());
    form.reject();
}

// A library of many groups (or the real one GRABWELL_REAL_LIBRARY names):
// every group is listed and drawn in every view, and a screenshot of each
// view is saved. How long each step took is printed, to read, not asserted.
TEST(IconWorkdesk, EveryGroupOfALargeLibraryIsDrawnInEveryView) {
    GuiTestApp();
    TempDir dir;
    std::string file = dir.file("many.dll");
    if (const char* real = std::getenv("GRABWELL_REAL_LIBRARY")) {
        file = real;
    } else {
        PeLayout layout;
        for (uint16_t g = 1; g <= 300; ++g) {
            const Bytes dib = IconDib(g % 2 ? 32 : 16, g % 3 ? 4 : 8, 0x102030u * g);
            layout.resources.push_back({ResourceKey::Id(RT_ICON), ResourceKey::Id(g), 0x0409, dib});
            layout.resources.push_back(
                {ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(g), 0x0409,
                 BuildIconGroup({{uint8_t(g % 2 ? 32 : 16), uint8_t(g % 2 ? 32 : 16), 0, 0, 1,
                                  uint16_t(g % 3 ? 4 : 8), uint32_t(dib.size()), g}})});
        }
        ASSERT_TRUE(WriteFile(file, BuildPe(layout).bytes));
    }
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(form.Open(file));
    form.show();
    (void)form.grab();
    std::printf("open and first screen: %lld ms, %d groups\n", static_cast<long long>(timer.elapsed()),
                form.RowCount());
    EXPECT_EQ(form.RowCount(), Document::Open(file)->Counts().iconGroups);
    SaveScreenshot(form, "workdesk-large-raw");
    for (auto [name, show] : {std::pair{"specific", &DeskWindow::ShowSpecificView},
                              std::pair{"windows", &DeskWindow::ShowWindowsView},
                              std::pair{"desktop", &DeskWindow::ShowDesktopView}, std::pair{"raw", &DeskWindow::ShowRawView}}) {
        timer.restart();
        (form.*show)();
        (void)form.grab();
        std::printf("switch to %s: %lld ms\n", name, static_cast<long long>(timer.elapsed()));
        for (int row : {0, form.RowCount() / 2, form.RowCount() - 1})
            EXPECT_FALSE(form.List()->model()->index(row, 0).data(Qt::DecorationRole).value<QPixmap>().isNull())
                << name << " row " << row;
        SaveScreenshot(form, QString("workdesk-large-%1").arg(name));
    }
    form.reject();
}

// The Cursor Workdesk: two views, cursors shown at half their stored height.
// Its animated cursors follow the static ones, each drawn by its first
// frame and marked; saved whole, extracted frame by frame, opened by index.
TEST(CursorWorkdesk, OpensAListedLibraryInBothViews) {
    GuiTestApp();
    TempDir dir;
    PeLayout layout;
    uint16_t next = 1;
    for (const char* name : {"WAIT", "ARROW"}) {
        DibLayout s;
        s.width = s.height = 32;
        s.bitCount = 1;
        s.palette = {0, 0xFFFFFF};
        s.pixel = [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0xFFFFFFu : 0u; };
        s.transparent = [](int x, int y) { return x > y; };
        const Bytes cursor = BuildCursorResource(3, 5, BuildDib(s));
        layout.resources.push_back({ResourceKey::Id(RT_CURSOR), ResourceKey::Id(next), 0x0409, cursor});
        layout.resources.push_back({ResourceKey::Id(RT_GROUP_CURSOR), ResourceKey::Named(name), 0x0409,
                                    BuildCursorGroup({{32, 64, 1, 1, uint32_t(cursor.size()), next}})});
        ++next;
    }
    AniLayout busyLayout;
    const auto frame = [](int side, uint32_t colour) {
        DibLayout s;
        s.width = s.height = side;
        s.bitCount = 32;
        s.pixel = [colour](int, int) { return colour; };
        return BuildIcoFile({{BuildDib(s), uint8_t(side), uint8_t(side), 0, 0, 2, 2}}, 2);
    };
    busyLayout.frames = {frame(48, 0xFF0000), frame(48, 0x0000FF)};
    const Bytes busy = BuildAni(busyLayout);
    layout.resources.push_back({ResourceKey::Id(RT_ANICURSOR), ResourceKey::Named("BUSY"), 0x0409, busy});
    ASSERT_TRUE(WriteFile(dir.file("cursors.exe"), BuildPe(layout).bytes));
    ActionFlags flags;
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    CursorWorkdesk form(flags, prompts, &viewers);
    ASSERT_TRUE(form.Open(dir.file("cursors.exe")));
    // The animated cursors the manager is asked to play (by their index in the file's animations).
    std::vector<std::optional<size_t>> opened;
    viewers.open = [&](const ViewRequest& request) {
        if (request.target == Viewer::CursorManager)
            opened.push_back(request.shown == Shown::Animation ? std::optional(request.item) : std::nullopt);
    };
    form.show();
    EXPECT_EQ(form.objectName(), "Form11");
    // One File menu entry per command, though two tool-bar hints read alike.
    std::set<QString> entries;
    for (const QAction* a : form.findChild<QMenuBar*>()->actions().front()->menu()->actions())
        if (!a->isSeparator()) {
            EXPECT_TRUE(entries.insert(a->text()).second) << a->text().toStdString();
        }
    EXPECT_EQ(form.StatusText(0), "cursors.exe - 2 Cursors, 1 Animated");
    EXPECT_EQ(Captions(form), (std::vector<std::string>{"ARROW", "BUSY", "WAIT"}));
    ASSERT_EQ(form.Formats()->count(), 2);
    EXPECT_EQ(form.Formats()->itemText(0), "32 X 32 2 Colors");

    form.List()->setCurrentIndex(form.List()->model()->index(1, 0));
    prompts.saveFiles.push_back(dir.file("saved.ani"));
    form.SaveSelected();
    EXPECT_EQ(ReadFile(dir.file("saved.ani")), busy);
    prompts.folders.push_back(dir.path());
    form.ExtractSelected();
    EXPECT_EQ(ReadFile(dir.file("BUSY_1.cur")), busyLayout.frames[1]);
    form.OpenInManager();
    EXPECT_EQ(opened, (std::vector<std::optional<size_t>>{0}));
    EXPECT_EQ(form.findChild<QToolButton*>("sb2Desk"), nullptr); // no Desktop or Windows view
    SaveScreenshot(form, "workdesk-cursors-raw");
    form.ShowSpecificView();
    EXPECT_EQ(form.List()->iconSize(), QSize(42, 42));
    SaveScreenshot(form, "workdesk-cursors-specific");
    // The file's cursors as a Linux cursor theme, named after the file; the
    // groups' names are roles' names, so the files are named for the roles.
    prompts.folders.push_back(dir.path());
    form.findChild<QAction*>("ExportCursorTheme")->trigger();
    EXPECT_TRUE(std::filesystem::exists(dir.file("cursors/index.theme")));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("cursors/cursors/default")));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("cursors/cursors/wait")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("cursors/cursors/left_ptr")));
    form.reject();
}

// The Bitmap Workdesk: thumbnails no larger than 64 x 64, only the bitmaps
// that decode, in caption order.
TEST(BitmapWorkdesk, OpensAListedLibraryAsThumbnails) {
    GuiTestApp();
    TempDir dir;
    PeLayout layout;
    auto bitmap = [&](ResourceKey name, int w, int h, uint32_t color) {
        DibLayout s;
        s.width = w;
        s.height = h;
        s.bitCount = 24;
        s.icon = false;
        // A magenta bottom-left corner: the list shows that colour as transparent.
        s.pixel = [=](int x, int y) { return x < w / 4 && y > h * 3 / 4 ? 0xFF00FFu : (x + y) % 7 ? color : 0u; };
        layout.resources.push_back({ResourceKey::Id(RT_BITMAP), std::move(name), 0x0409, BuildDib(s)});
    };
    bitmap(ResourceKey::Named("TOOLBAR"), 200, 30, 0x3366CC);
    bitmap(ResourceKey::Id(101), 48, 48, 0xCC3333);
    bitmap(ResourceKey::Named("Splash"), 120, 90, 0x33AA33);
    layout.resources.push_back({ResourceKey::Id(RT_BITMAP), ResourceKey::Id(7), 0x0409, Bytes(30, 0xEE)}); // no bitmap
    ASSERT_TRUE(WriteFile(dir.file("pics.dll"), BuildPe(layout).bytes));
    ActionFlags flags;
    ScriptedPrompts prompts;
    BitmapWorkdesk form(flags, prompts);
    ASSERT_TRUE(form.Open(dir.file("pics.dll")));
    form.resize(520, 300);
    form.show();
    EXPECT_EQ(form.objectName(), "Form8");
    EXPECT_EQ(form.StatusText(0), "pics.dll - 4 Bitmaps");
    EXPECT_EQ(form.StatusText(1), "PE File");
    EXPECT_EQ(Captions(form), (std::vector<std::string>{"101", "Splash", "TOOLBAR"}));
    EXPECT_EQ(form.List()->iconSize(), QSize(64, 64));
    EXPECT_EQ(form.findChild<QToolButton*>("sb4ExtractOne"), nullptr);
    // TOOLBAR, 200 x 30, is shrunk by 4 to 50 x 7 at the tile's top-left corner.
    const QImage thumb =
        form.Model()->data(form.Model()->index(2), Qt::DecorationRole).value<QPixmap>().toImage();
    EXPECT_EQ(thumb.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(thumb.pixel(0, 6)), 0);   // the bottom-left colour is transparent
    EXPECT_NE(qAlpha(thumb.pixel(49, 0)), 0);
    EXPECT_EQ(qAlpha(thumb.pixel(50, 0)), 0);  // past the scaled bitmap
    EXPECT_EQ(form.findChild<QToolButton*>("sb4SaveOne")->isEnabled(), false);
    form.List()->setCurrentIndex(form.Model()->index(0));
    EXPECT_EQ(form.findChild<QToolButton*>("sb4SaveOne")->isEnabled(), true);
    SaveScreenshot(form, "workdesk-bitmaps");
    form.reject();
    EXPECT_EQ(form.RowCount(), 0);
}
