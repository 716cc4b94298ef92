// What a workdesk tells of its file beyond its items: "File Information...",
// the language choice of a file held in several languages, and where a
// language-neutral library's images come from.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>

#include <sys/stat.h>

#include "batch/core/FileInformation.h"
#include "batch/core/ScriptedPrompts.h"
#include "formats/ResTypes.h"
#include "tests/gui/GuiTestApp.h"
#include "tests/support/Builders.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/MuiBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/VersionBuilder.h"
#include "workdesks/gui/IconWorkdesk.h"
#include "workdesks/gui/MenuEntryDialog.h"
#include "tests/support/WinePrefixBuilder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>
#include <filesystem>
#include "platform/FileIo.h"

using namespace gw;
using namespace gw::test;

namespace {

constexpr uint16_t kGerman = 0x0407, kEnglish = 0x0409;

Bytes Dib(int size) {
    DibLayout s;
    s.width = s.height = size;
    s.bitCount = 4;
    return BuildDib(s);
}

Bytes Group(uint8_t size, uint16_t id) {
    IconGroupEntry e;
    e.width = e.height = size;
    e.bytesInRes = uint32_t(Dib(size).size());
    e.id = id;
    return BuildIconGroup({e});
}

PeResource Res(uint16_t type, uint16_t id, uint16_t language, Bytes data) {
    return {ResourceKey::Id(type), ResourceKey::Id(id), language, std::move(data)};
}

// Icon group 1 in German (16 pixels) and English (32 pixels), with version
// information.
Bytes TwoLanguageProgram() {
    PeLayout layout;
    layout.resources = {Res(RT_GROUP_ICON, 1, kGerman, Group(16, 1)), Res(RT_GROUP_ICON, 1, kEnglish, Group(32, 2)),
                        Res(RT_ICON, 1, kGerman, Dib(16)), Res(RT_ICON, 2, kEnglish, Dib(32)),
                        Res(16, 1, kEnglish, BuildVersionBlock(SampleVersionTree(true), true))};
    return BuildPe(layout).bytes;
}

std::string ReadText(const std::string& path) {
    const Bytes b = ReadFile(path);
    return std::string(b.begin(), b.end());
}

int ShownWidth(const IconWorkdesk& form) {
    return form.File() ? int(form.File()->Contents().IconGroups.at(0).Images.at(0).Width) : -1;
}

} // namespace

TEST(FileInformation, LanguagesVersionAndDamageOfAFile) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Two.dll"), TwoLanguageProgram()));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);
    ASSERT_TRUE(form.Open(dir.file("Two.dll")));
    form.show();
    EXPECT_EQ(ShownWidth(form), 16); // the first language in the file

    // View > Language offers the first in the file and each language held.
    auto* menu = form.findChild<QMenu*>("LanguageMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->menuAction()->isVisible());
    const QList<QAction*> choices = menu->actions();
    ASSERT_EQ(choices.size(), 3);
    EXPECT_EQ(choices[1]->text(), "German (Germany), 0x0407");
    EXPECT_EQ(choices[2]->text(), "English (United States), 0x0409");
    choices[2]->trigger();
    EXPECT_EQ(ShownWidth(form), 32);
    EXPECT_TRUE(form.findChild<QMenu*>("LanguageMenu")->actions()[2]->isChecked());

    // File Information says the kind, counts, languages, version and damage.
    const std::string text = FileInformationText(*form.File());
    EXPECT_NE(text.find("Kind: PE File\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Icon groups: 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Languages: German (Germany), 0x0407; English (United States), 0x0409\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Language shown: English (United States), 0x0409\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  File version: 1.2.3.4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    FileDescription: Sample Library\n"), std::string::npos) << text;
    // The fixed part in words, not as the constants' names.
    EXPECT_NE(text.find("  Flags: Debug build, Patched\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Operating system: 32-bit Windows on Windows NT\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  File type: Library\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Damage: none found\n"), std::string::npos) << text;
    QString shown;
    QTimer::singleShot(50, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = dialog->findChild<QPlainTextEdit*>("FileInformationText")->toPlainText();
            SaveScreenshot(*dialog, "workdesk-file-information");
            dialog->accept();
        }
    });
    form.findChild<QAction*>("FileInformation")->trigger();
    EXPECT_EQ(shown.toStdString(), text);

    // Another file starts again in its first language.
    ASSERT_TRUE(WriteFile(dir.file("copy.dll"), TwoLanguageProgram()));
    ASSERT_TRUE(form.Open(dir.file("copy.dll")));
    EXPECT_EQ(ShownWidth(form), 16);
    form.reject();
}

TEST(FileInformation, ALanguageNeutralLibrarySaysWhereItsImagesComeFrom) {
    GuiTestApp();
    TempDir dir;
    for (const char* folder : {"Windows", "Windows/System32", "Windows/SystemResources"})
        ::mkdir(dir.file(folder).c_str(), 0755);
    PeLayout neutral;
    neutral.resources = {{ResourceKey::Named("MUI"), ResourceKey::Id(1), kEnglish, BuildMuiResource()}};
    ASSERT_TRUE(WriteFile(dir.file("Windows/System32/shell32.dll"), BuildPe(neutral).bytes));
    PeLayout mun;
    mun.resources = {Res(RT_GROUP_ICON, 1, 0, Group(32, 1)), Res(RT_ICON, 1, 0, Dib(32))};
    ASSERT_TRUE(WriteFile(dir.file("Windows/SystemResources/shell32.dll.mun"), BuildPe(mun).bytes));
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);
    ASSERT_TRUE(form.Open(dir.file("Windows/System32/shell32.dll")));
    form.show();
    EXPECT_EQ(form.StatusText(1).toStdString(), "PE File - images from shell32.dll.mun");
    EXPECT_FALSE(form.findChild<QMenu*>("LanguageMenu")->menuAction()->isVisible());
    EXPECT_NE(FileInformationText(*form.File()).find("Images read from: " +
                                                      dir.file("Windows/SystemResources/shell32.dll.mun")),
              std::string::npos);
    SaveScreenshot(form, "workdesk-mun-library");
    form.reject();
}

// "Add to Applications Menu...": the entry shown, edited, and written into
// the user's data folder.
TEST(FileInformation, AProgramIsAddedToTheApplicationsMenuAsEdited) {
    GuiTestApp();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("Two.dll"), TwoLanguageProgram()));
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    ActionFlags flags;
    ScriptedPrompts prompts;
    IconWorkdesk form(flags, prompts);
    ASSERT_TRUE(form.Open(dir.file("Two.dll")));
    ASSERT_NE(form.findChild<QAction*>("AddToApplicationsMenu"), nullptr);
    std::string id;
    form.AddToApplicationsMenu([&](MenuEntryDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("EntryName")->text(), "Sample Library");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("EntryCommand")->text().toStdString(),
                  "wine " + dir.file("Two.dll"));
        dialog.findChild<QLineEdit*>("EntryName")->setText("Two Languages");
        dialog.findChild<QCheckBox*>("IconSize48")->setChecked(false);
        id = dialog.EditedPlan().id;
        dialog.show();
        SaveScreenshot(dialog, "workdesk-menu-entry");
        dialog.accept();
    });
    EXPECT_TRUE(prompts.messages.empty());
    const std::string entry = ReadText(dir.file("data/applications/" + id + ".desktop"));
    EXPECT_NE(entry.find("Name=Two Languages\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Path=" + dir.path() + "\n"), std::string::npos) << entry; // the command shown, kept
    EXPECT_TRUE(std::filesystem::exists(dir.file("data/icons/hicolor/16x16/apps/" + id + ".png")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("data/icons/hicolor/48x48/apps/" + id + ".png")));
    // Cancel writes nothing.
    std::filesystem::remove_all(dir.file("data"));
    form.AddToApplicationsMenu([](MenuEntryDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(std::filesystem::exists(dir.file("data")));
    form.reject();

    // A program in a Wine prefix: the command runs it there, and the dialog says so.
    ASSERT_TRUE(BuildWinePrefix(dir.file("pfx"), {}));
    ASSERT_TRUE(WriteFile(dir.file("pfx/drive_c/Two.dll"), TwoLanguageProgram()));
    IconWorkdesk inPrefix(flags, prompts);
    ASSERT_TRUE(inPrefix.Open(dir.file("pfx/drive_c/Two.dll")));
    inPrefix.AddToApplicationsMenu([&](MenuEntryDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("EntryCommand")->text().toStdString(),
                  "env WINEPREFIX=" + dir.file("pfx") + " wine " + dir.file("pfx/drive_c/Two.dll"));
        EXPECT_NE(dialog.findChild<QLabel*>("EntryWinePrefix"), nullptr);
        dialog.reject();
    });
    inPrefix.reject();
    if (before) setenv("XDG_DATA_HOME", saved.c_str(), 1); else unsetenv("XDG_DATA_HOME");
}
