// The Icon and Cursor Managers and their property sheets opened offscreen on
// an icon and a cursor file, with a screenshot of each.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "batch/core/ScriptedPrompts.h"
#include "formats/IconFormat.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "managers/gui/CursorPropertiesSheet.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/IconManager.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/gui/RecordingViewers.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Dib(int side, int bits) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = bits;
    s.pixel = [=](int x, int y) { return uint32_t((x / 4 + y / 4) % 3); };
    s.transparent = [=](int x, int y) { return x + y < side / 3; };
    return BuildDib(s);
}

} // namespace

TEST(IconManagerWindow, OpensAnIconFileWithItsRowsSheetAndCommands) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Shell.ico"), BuildIcoFile({{Dib(32, 4), 32, 32, 16, 0, 1, 4},
                                                               {Dib(32, 4), 32, 32, 16, 0, 1, 4},
                                                               {Dib(16, 8), 16, 16, 0, 0, 1, 8}})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    IconManager form(flags, prompts, &viewers);
    IconPropertiesSheet sheet(&form);
    std::vector<SheetSource> sources;
    viewers.open = [&](const ViewRequest& asked) {
        const SheetRequest<IconGroup> request = SheetRequestFor<IconGroup>(asked);
        sources.push_back(request.source);
        sheet.Open(request);
        sheet.show();
    };
    ASSERT_TRUE(form.OpenFile(dir.file("Shell.ico")));
    form.show();
    EXPECT_EQ(form.StatusText(0), "Shell.ico");
    EXPECT_EQ(form.StatusText(1), "shell_0");
    EXPECT_EQ(form.List()->model()->rowCount(), 3);
    // The list fills the window and grows with it.
    const int listHeight = form.List()->height();
    EXPECT_GE(listHeight, 274);
    form.resize(form.width(), form.height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(form.List()->height(), listHeight + 200);
    EXPECT_EQ(form.List()->model()->index(2, 0).data().toString(), "16 X 16\n256 Colors");
    form.SelectImage(2);
    EXPECT_EQ(form.SelectedImageIndex(), 2);
    EXPECT_EQ(form.StatusText(1), "shell_2");
    SaveScreenshot(form, "manager-icons");

    form.SelectImage(0);
    form.ShowProperties();
    EXPECT_EQ(sources, std::vector<SheetSource>{SheetSource::FileManager});
    EXPECT_EQ(sheet.Values().name, "shell_0");
    EXPECT_EQ(sheet.Values().heading, "Other Formats:");
    EXPECT_EQ(sheet.Values().otherLines, (std::vector<std::string>{"16 X 16 256 Colors"}));
    EXPECT_FALSE(sheet.Preview()->pixmap().isNull());
    SaveScreenshot(sheet, "properties-icon");
    sheet.accept();

    // Save all: <name>_<j>.ico for every image, each a one-image icon file.
    prompts.folders.push_back(dir.path());
    form.SaveAllImages();
    EXPECT_EQ(ReadFile(dir.file("shell_2.ico")).size(), 22 + Dib(16, 8).size());
    EXPECT_EQ(prompts.folderTitles, (std::vector<std::string>{"Select folder for icons"}));

    form.reject();
    EXPECT_EQ(form.List()->model()->rowCount(), 0);
}

// A group of small and 256-pixel images: each row as tall as its own
// picture, the small ones no taller than the designed row.
TEST(IconManagerWindow, EachRowIsAsTallAsItsPicture) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("sizes.ico"), BuildIcoFile({{Dib(16, 4), 16, 16, 16, 0, 1, 4},
                                                               {Dib(256, 8), 0, 0, 0, 0, 1, 8},
                                                               {Dib(32, 8), 32, 32, 0, 0, 1, 8}})));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconManager form(flags, prompts);
    ASSERT_TRUE(form.OpenFile(dir.file("sizes.ico")));
    form.show();
    QListView* list = form.List();
    EXPECT_EQ(list->visualRect(list->model()->index(0, 0)).height(), 36);
    EXPECT_EQ(list->visualRect(list->model()->index(1, 0)).height(), 260);
    EXPECT_EQ(list->visualRect(list->model()->index(2, 0)).height(), 36);
    SaveScreenshot(form, "manager-row-heights");
}

// A cursor file written back by the Cursor Manager keeps its image bytes:
// a .cur file's images have no hot-spot prefix to drop.
TEST(CursorManagerWindow, WritesACursorFileBackWithItsImageBytes) {
    GuiTestApp();
    TempDir dir;
    const Bytes dib = Dib(32, 1);
    const Bytes file = BuildIcoFile({{dib, 32, 32, 0, 0, 5, 7}}, 2);
    ASSERT_TRUE(WriteFile(dir.file("Arrow.cur"), file));
    ActionFlags flags;
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    CursorManager form(flags, prompts, &viewers);
    CursorPropertiesSheet sheet(&form);
    std::vector<SheetSource> sources;
    viewers.open = [&](const ViewRequest& asked) {
        const SheetRequest<CursorGroup> request = SheetRequestFor<CursorGroup>(asked);
        sources.push_back(request.source);
        sheet.Open(request);
        sheet.show();
    };
    ASSERT_TRUE(form.OpenFile(dir.file("Arrow.cur")));
    form.show();
    EXPECT_EQ(form.windowTitle(), "Grabwell Cursor Manager");
    EXPECT_EQ(form.StatusText(1), "arrow_0");
    EXPECT_EQ(form.List()->model()->index(0, 0).data().toString(), "32 X 32\n2 Colors");
    SaveScreenshot(form, "manager-cursors");

    form.ShowProperties();
    EXPECT_EQ(sources, std::vector<SheetSource>{SheetSource::FileManager});
    ASSERT_EQ(sheet.ValueLabels().size(), 4u);
    EXPECT_EQ(sheet.ValueLabels()[2]->text(), "HotSpot [5,7]");
    EXPECT_EQ(sheet.ValueLabels()[3]->text(), QString::number(dib.size()) + " bytes");
    SaveScreenshot(sheet, "properties-cursor");
    sheet.accept();

    prompts.folders.push_back(dir.path());
    form.SaveAllImages();
    EXPECT_EQ(ReadFile(dir.file("arrow_0.cur")), file);
    prompts.saveFiles.push_back(dir.file("one.cur"));
    form.SaveSelectedImage();
    EXPECT_EQ(ReadFile(dir.file("one.cur")), file);
    prompts.saveFiles.push_back(dir.file("one.bmp"));
    form.ExportSelectedAsBitmap();
    EXPECT_EQ(prompts.saveRequests.back().title, "Save Cursor as Bitmap");
    EXPECT_FALSE(ReadFile(dir.file("one.bmp")).empty());
    form.reject();
}

// A cursor file that cannot be read says why instead of opening empty.
TEST(CursorManagerWindow, UnreadableFileSaysWhy) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("empty.cur"), {}));
    ASSERT_TRUE(WriteFile(dir.file("text.cur"), Bytes{'h', 'e', 'l', 'l', 'o'}));
    for (const char* name : {"empty.cur", "text.cur", "missing.cur"}) {
        ActionFlags flags;
        ScriptedPrompts prompts;
        CursorManager form(flags, prompts);
        EXPECT_FALSE(form.OpenFile(dir.file(name))) << name; // nothing to show: the caller does not show it
        ASSERT_EQ(prompts.messages.size(), 1u) << name;
        EXPECT_EQ(prompts.messages[0].first, MessageKind::Error);
        EXPECT_NE(prompts.messages[0].second.find(name), std::string::npos) << prompts.messages[0].second;
    }
}

// An animated cursor plays above the rows, which follow the frame of each
// step; the commands write its frames and the sheet lists its steps.
TEST(CursorManagerWindow, PlaysAnAnimatedCursorWithItsFramesAndSteps) {
    GuiTestApp();
    TempDir dir;
    AniLayout ani;
    ani.frames = {BuildIcoFile({{Dib(16, 4), 16, 16, 0, 0, 1, 2}, {Dib(32, 4), 32, 32, 0, 0, 3, 4}}, 2),
                  BuildIcoFile({{Dib(48, 4), 48, 48, 0, 0, 5, 6}}, 2),
                  BuildIcoFile({{Dib(64, 4), 64, 64, 0, 0, 7, 8}}, 2)};
    ani.sequence = std::vector<uint32_t>{0, 2, 1};
    ani.rates = std::vector<uint32_t>{6, 30, 12};
    ani.title = "Spinner";
    const Bytes file = BuildAni(ani);
    ASSERT_TRUE(WriteFile(dir.file("spin.ani"), file));
    ASSERT_TRUE(WriteFile(dir.file("arrow.cur"), ani.frames[1]));
    ActionFlags flags;
    ScriptedPrompts prompts;
    RecordingViewers viewers;
    CursorManager form(flags, prompts, &viewers);
    CursorPropertiesSheet sheet(&form);
    viewers.open = [&](const ViewRequest& asked) {
        sheet.Open(SheetRequestFor<CursorGroup>(asked));
        sheet.show();
    };
    auto* preview = form.findChild<QLabel*>("AniPreview");
    auto* stepText = form.findChild<QLabel*>("AniStep");
    auto* play = form.findChild<QToolButton*>("AniPlay");
    auto* saveAnimation = form.findChild<QAction*>("ExtractAnimatedCursor1");
    ASSERT_TRUE(preview && stepText && play && saveAnimation);
    auto previewSide = [&] { return preview->pixmap().width(); };

    // Step 1 shows frame 0 at its larger image; its rows are frame 0's two images.
    ASSERT_TRUE(form.OpenFile(dir.file("spin.ani")));
    form.show();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(saveAnimation->isVisible() && saveAnimation->isEnabled());
    EXPECT_EQ(stepText->text(), "Step 1 of 3, frame 0, 100 ms");
    EXPECT_EQ(previewSide(), 32);
    EXPECT_EQ(play->text(), "Pause");
    EXPECT_EQ(form.StatusText(0), "spin.ani");
    EXPECT_EQ(form.StatusText(1), "spin_0_0");
    ASSERT_EQ(form.List()->model()->rowCount(), 2);
    EXPECT_EQ(form.List()->model()->index(1, 0).data().toString(), "32 X 32\n16 Colors");

    // Playing: step 2 (frame 2) follows after step 1's 100 ms.
    QTRY_COMPARE_WITH_TIMEOUT(stepText->text(), QString("Step 2 of 3, frame 2, 500 ms"), 3000);
    EXPECT_EQ(previewSide(), 64);
    EXPECT_EQ(form.List()->model()->rowCount(), 1);
    EXPECT_EQ(form.StatusText(1), "spin_2_0");

    // Paused, nothing moves; Next and Previous step by hand, wrapping both ways.
    play->click();
    EXPECT_EQ(play->text(), "Play");
    SaveScreenshot(form, "manager-animated-cursor");
    QTest::qWait(700);
    EXPECT_EQ(form.CurrentStep(), 1u);
    form.findChild<QToolButton*>("AniNext")->click();
    EXPECT_EQ(stepText->text(), "Step 3 of 3, frame 1, 200 ms");
    EXPECT_EQ(previewSide(), 48);
    form.findChild<QToolButton*>("AniNext")->click();
    EXPECT_EQ(form.CurrentStep(), 0u);
    form.findChild<QToolButton*>("AniPrevious")->click();
    EXPECT_EQ(form.CurrentStep(), 2u);
    QTest::qWait(300);
    EXPECT_EQ(form.CurrentStep(), 2u);
    EXPECT_EQ(form.List()->model()->index(0, 0).data().toString(), "48 X 48\n16 Colors");

    // Extract Selected writes the shown frame's image, Extract All every
    // frame whole, Extract Animated Cursor the whole file.
    prompts.saveFiles.push_back(dir.file("one.cur"));
    form.SaveSelectedImage();
    EXPECT_EQ(ReadFile(dir.file("one.cur")), ani.frames[1]);
    prompts.folders.push_back(dir.path());
    form.SaveAllImages();
    for (size_t k = 0; k < ani.frames.size(); ++k)
        EXPECT_EQ(ReadFile(dir.file("spin_" + std::to_string(k) + ".cur")), ani.frames[k]) << k;
    prompts.saveFiles.push_back(dir.file("copy.ani"));
    saveAnimation->trigger();
    EXPECT_EQ(prompts.saveRequests.back().title, "Save Animated Cursor");
    EXPECT_EQ(ReadFile(dir.file("copy.ani")), file);

    // The sheet adds the Animation page with every step and frame.
    form.ShowProperties();
    EXPECT_EQ(sheet.Values().name, "spin_1_0");
    ASSERT_NE(sheet.AnimationPage(), nullptr);
    EXPECT_TRUE(sheet.Tabs()->isTabVisible(sheet.Tabs()->indexOf(sheet.AnimationPage())));
    const QString lines = sheet.AnimationPage()->findChild<QPlainTextEdit*>()->toPlainText();
    for (const char* line : {"Frames: 3", "Steps: 3", "Title: Spinner", "Step 1: frame 0, 100 ms",
                             "Step 2: frame 2, 500 ms", "Step 3: frame 1, 200 ms",
                             "Frame 0: 16 X 16 hot spot [1,2]; 32 X 32 hot spot [3,4]"})
        EXPECT_TRUE(lines.contains(line)) << line << "\n" << lines.toStdString();
    sheet.accept();

    // A plain cursor file afterwards: no player, no animation page.
    ASSERT_TRUE(form.OpenFile(dir.file("arrow.cur")));
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(saveAnimation->isVisible());
    EXPECT_FALSE(form.Playing());
    EXPECT_EQ(form.StatusText(1), "arrow_0");
    form.ShowProperties();
    EXPECT_FALSE(sheet.Tabs()->isTabVisible(sheet.Tabs()->indexOf(sheet.AnimationPage())));
    sheet.accept();
    form.reject();
}
