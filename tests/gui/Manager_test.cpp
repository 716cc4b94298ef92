// The Icon and Cursor Managers and their property sheets opened offscreen on
// an icon and a cursor file, with a screenshot of each.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QListView>

#include "batch/core/ScriptedPrompts.h"
#include "formats/IconFormat.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "managers/gui/CursorPropertiesSheet.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/IconManager.h"
#include "tests/gui/GuiTestApp.h"
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
    IconManager form(flags, prompts);
    IconPropertiesSheet sheet(&form);
    std::vector<SheetSource> sources;
    form.openProperties = [&](const SheetRequest<TAdvIconGroupList>& request) {
        sources.push_back(request.source);
        sheet.Open(request);
        sheet.show();
    };
    ASSERT_TRUE(form.OpenFile(dir.file("Shell.ico")));
    form.show();
    EXPECT_EQ(form.StatusText(0), "shell.ico");
    EXPECT_EQ(form.StatusText(1), "shell_0");
    EXPECT_EQ(form.List()->model()->rowCount(), 3);
    EXPECT_EQ(form.List()->height(), 274);
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
    CursorManager form(flags, prompts);
    CursorPropertiesSheet sheet(&form);
    std::vector<SheetSource> sources;
    form.openProperties = [&](const SheetRequest<TAdvCursorGroupList>& request) {
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
