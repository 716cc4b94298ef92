// Program entry: the application's title, the shared state, every window
// created once in the program's order and kept for the whole run, then the
// message loop until the explorer closes.
#include <QApplication>
#include <QCommandLineParser>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QDir>
#include <QScreen>

#include <cmath>
#include <cstdio>

#include "batch/core/ActionFlags.h"
#include "batch/gui/AlreadyExistsDialog.h"
#include "explorer/gui/ExplorerCommands.h"
#include "batch/gui/QtPrompts.h"
#include "batch/gui/ExtractionWizard.h"
#include "listing/ExplorerState.h"
#include "gui/AboutBox.h"
#include "explorer/gui/FileList.h"
#include "explorer/gui/ExplorerWindow.h"
#include "gui/ToolIcons.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "managers/gui/BitmapPropertiesSheet.h"
#include "managers/gui/CursorPropertiesSheet.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/IconManager.h"
#include "managers/gui/BitmapGlyphManager.h"
#include "workdesks/gui/IconWorkdesk.h"
#include "workdesks/gui/BitmapWorkdesk.h"
#include "workdesks/gui/CursorWorkdesk.h"
#include "platform/Display.h"
#include "gui/LocalPaths.h"

namespace {

// The screen's colour depth and the icon sizes the pictures are drawn at: 32
// and 16 device pixels at the normal density, more on a dense screen.
void ApplyScreenToDisplay() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    gw::Display::SetDepth(screen->depth());
    const double ratio = screen->devicePixelRatio();
    gw::Display::SetIconSizes(int(std::lround(32 * ratio)), int(std::lround(16 * ratio)));
}

} // namespace

namespace {

// A workdesk is opened on the row's file; it shows only when the file holds
// something to show (it has said why otherwise).
template <class Viewer>
void OpenAndShow(Viewer& viewer, const std::string& path) {
    if (viewer.Open(path)) viewer.exec();
}

// A group manager and its property sheet: the manager opens on a file from
// the explorer or on the workdesk's selected group, the sheet from either.
template <class Manager, class Sheet, class Desk>
void WireGroupManager(gw::ExplorerWindow& explorer, gw::OpenTarget target, Manager& manager, Sheet& sheet, Desk& desk) {
    explorer.Links().SetViewer(target, [&manager](const std::string& path) {
        if (manager.OpenFile(path)) manager.exec();
    });
    desk.openManager = [&manager](const std::shared_ptr<gw::Document>& file, size_t group) {
        manager.OpenWorkdeskGroup(file, group);
        manager.exec();
    };
    desk.openProperties = [&sheet, &manager](const std::shared_ptr<gw::Document>& file, size_t group) {
        const auto& groups = Manager::Kind::Groups(file->Contents());
        if (group >= groups.size()) return;
        sheet.Open({&groups[group], 0, gw::SheetSource::Workdesk, groups[group].Name,
                    gw::ViewerFileName(*file)});
        sheet.exec();
    };
    manager.openProperties = [&sheet](const auto& request) {
        sheet.Open(request);
        sheet.exec();
    };
}

} // namespace

// The argument as the file system spells it: Qt's arguments are text, and a
// path that is not UTF-8 would not survive the way through QString.
static std::string ArgumentBytes(int argc, char** argv, const QString& argument) {
    for (int i = argc - 1; i > 0; --i)
        if (gw::FromLocal(argv[i]) == argument) return argv[i];
    return gw::ToLocal(argument);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Grabwell");
    QApplication::setOrganizationName("grabwell"); // the settings file: ~/.config/grabwell/Grabwell.conf
    QApplication::setApplicationVersion(GRABWELL_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription("Finds, views, extracts and converts icons, cursors and bitmaps.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("PATH", "A folder to open, or a file to open as a double-click in its folder would.",
                                 "[PATH]");
    parser.process(app);
    QApplication::setWindowIcon(gw::AppIcon());
    ApplyScreenToDisplay();

    gw::ExplorerState explorer;

    // The existing-file flags every batch command shares, at their start values.
    gw::ActionFlags actions;

    gw::ExplorerWindow form1(explorer);
    gw::AboutBox form20(&form1);
    gw::AlreadyExistsDialog actionForm(&form1);
    gw::QtPrompts prompts(&form1, actionForm);
    gw::ExtractionWizard wizForm1(prompts, explorer.TempDir, &form1);
    // The viewers take the prompts, which the "Already exists" dialog answers,
    // so they are made after it.
    gw::IconWorkdesk form2(actions, prompts, &form1);
    gw::BitmapWorkdesk form8(actions, prompts, &form1);
    gw::CursorWorkdesk form11(actions, prompts, &form1);
    gw::IconPropertiesSheet form3(&form1);
    gw::IconManager form4(actions, prompts, &form1);
    form1.Links().SetViewer(gw::OpenTarget::IconWorkdesk, [&form2](const std::string& path) { OpenAndShow(form2, path); });
    WireGroupManager(form1, gw::OpenTarget::IconManager, form4, form3, form2);
    form1.Links().SetViewer(gw::OpenTarget::BitmapWorkdesk,
                            [&form8](const std::string& path) { OpenAndShow(form8, path); });
    // The Bitmap & Glyph Manager: on a bitmap file, or on the Bitmap
    // Workdesk's selected bitmap; Bitmap Properties from either, showing the
    // workdesk's row and thumbnail when it came from there.
    gw::BitmapGlyphManager form6(prompts, &form1);
    gw::BitmapPropertiesSheet form7(&form1);
    const auto deskBitmapView = [&form8](size_t row) {
        const gw::BitmapDeskItem& item = form8.ItemAt(row);
        return gw::WorkdeskBitmapView{item.caption, std::to_string(item.width), std::to_string(item.height),
                                      gw::BitmapFormatText(item.format), form8.ThumbnailAt(row)};
    };
    form1.Links().SetViewer(gw::OpenTarget::BitmapManager, [&form6](const std::string& path) {
        if (form6.OpenFile(path)) form6.exec();
    });
    form8.openManager = [&](const std::shared_ptr<gw::Document>& file, size_t row) {
        form6.OpenWorkdeskBitmap(file, form8.ItemAt(row).entry, deskBitmapView(row));
        form6.exec();
    };
    form8.openProperties = [&](const std::shared_ptr<gw::Document>&, size_t row) {
        form7.Open(gw::BitmapSheetRequest::OfDeskItem(deskBitmapView(row)));
        form7.exec();
    };
    form6.openProperties = [&form7](const gw::BitmapSheetRequest& request) {
        form7.Open(request);
        form7.exec();
    };
    form1.Links().SetViewer(gw::OpenTarget::CursorWorkdesk,
                            [&form11](const std::string& path) { OpenAndShow(form11, path); });
    gw::CursorManager form9(actions, prompts, &form1);
    gw::CursorPropertiesSheet form10(&form1);
    WireGroupManager(form1, gw::OpenTarget::CursorManager, form9, form10, form11);
    // The Cursor Workdesk's animated cursors: the manager plays them, and
    // the sheet shows their first frame with the Animation page.
    form11.openManager = [&form11, &form9](const std::shared_ptr<gw::Document>& file, size_t item) {
        if (const auto animation = form11.AnimationAt(item))
            form9.OpenWorkdeskAnimation(file, *animation);
        else
            form9.OpenWorkdeskGroup(file, item);
        form9.exec();
    };
    form11.openProperties = [&form11, &form10, groupSheet = form11.openProperties](
                                const std::shared_ptr<gw::Document>& file, size_t item) {
        const auto animation = form11.AnimationAt(item);
        if (!animation) return groupSheet(file, item);
        const gw::AnimatedCursor& shown = file->Contents().Animations[*animation];
        const gw::AnimationFrame* first = gw::FirstStepFrame(shown);
        if (!first) return;
        form10.Open({&first->Images, 0, gw::SheetSource::Workdesk, shown.Name, gw::ViewerFileName(*file), &shown,
                     shown.StepFrames.front()});
        form10.exec();
    };

    form1.Links().showAbout = [&form20] { form20.exec(); };
    form1.Links().extractAll = [&] {
        const gw::ExplorerPanels p = form1.Panels();
        gw::PanelProgress progress(p.panel6, p.panel7, p.gauge1, p.label2);
        gw::RunExtractAll(wizForm1, explorer, form1.ListModel()->Rows(), actions, progress);
    };
    form1.Links().saveAllBitmaps = [&] {
        gw::SaveAllListedBitmaps(explorer, form1.ListModel()->Rows(), actions, prompts);
    };

    form1.RestorePlaces();
    form1.show();
    // grabwell [PATH]: a folder, or a file to open as a double-click would;
    // without one, the folder of the last run.
    const QStringList paths = parser.positionalArguments();
    const std::string path = paths.isEmpty() ? std::string() : ArgumentBytes(argc, argv, paths.first());
    if (paths.isEmpty() || !form1.OpenPath(path)) {
        if (!paths.isEmpty()) std::fprintf(stderr, "grabwell: %s: no such file or folder\n", path.c_str());
        const QString last = form1.RememberedFolder();
        form1.SelectFolder(last.isEmpty() ? QDir::homePath() : last);
    }
    return app.exec();
}
