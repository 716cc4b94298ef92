// The Icon Manager and Icon Properties opened offscreen on an icon file,
// with a screenshot of each.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QListView>

#include "batch/core/ScriptedPrompts.h"
#include "formats/IconFormat.h"
#include "listing/CommonData.h"
#include "managers/gui/About2.h"
#include "managers/gui/Editor1.h"
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
    CommonData common;
    common.SelFileName = "shell.ico";
    common.SelFilePath = dir.file("Shell.ico");
    ActionFlags flags;
    ScriptedPrompts prompts;
    TForm4 form(common, flags, prompts);
    TForm3 sheet(common, &form);
    form.openProperties = [&] {
        sheet.SetGroups(form.Groups());
        sheet.show();
    };
    form.show();
    EXPECT_EQ(form.StatusText(0), "shell.ico");
    EXPECT_EQ(form.StatusText(1), "shell_0");
    EXPECT_EQ(form.List()->model()->rowCount(), 3);
    EXPECT_EQ(form.List()->height(), 274);
    EXPECT_EQ(form.List()->model()->index(2, 0).data().toString(), "16 X 16\n256 Colors");
    form.SelectImage(2);
    EXPECT_EQ(common.IconImageIndex, 2);
    EXPECT_EQ(form.StatusText(1), "shell_2");
    SaveScreenshot(form, "manager-icons");

    form.SelectImage(0);
    form.PropertiesClick();
    EXPECT_EQ(common.PropsDialogOpen, 1);
    EXPECT_EQ(common.IconPropsSource, 1);
    EXPECT_EQ(sheet.Values().name, "shell_0");
    EXPECT_EQ(sheet.Values().heading, "Other Formats:");
    EXPECT_EQ(sheet.Values().otherLines, (std::vector<std::string>{"16 X 16 256 Colors"}));
    EXPECT_FALSE(sheet.Preview()->pixmap().isNull());
    SaveScreenshot(sheet, "properties-icon");
    sheet.accept();

    // Save all: <name>_<j>.ico for every image, each a one-image icon file.
    prompts.folders.push_back(dir.path());
    form.SaveAllClick();
    EXPECT_EQ(ReadFile(dir.file("shell_2.ico")).size(), 22 + Dib(16, 8).size());
    EXPECT_EQ(prompts.folderTitles, (std::vector<std::string>{"Select folder for icons"}));

    form.reject();
    EXPECT_EQ(common.PropsDialogOpen, 0);
    EXPECT_EQ(form.List()->model()->rowCount(), 0);
}
