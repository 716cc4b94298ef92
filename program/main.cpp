// Program entry: the application's names, its argument, the explorer and
// the owner of the viewer windows, then the message loop until the explorer
// closes.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

#include "explorer/gui/ExplorerWindow.h"
#include "gui/ToolIcons.h"
#include "listing/ExplorerState.h"
#include "program/ProgramSetup.h"
#include "program/ViewerWindows.h"

int main(int argc, char** argv) {
    gw::AnswerHelpOrVersion(argc, argv);
    QApplication app(argc, argv);
    gw::NameApplication();
    QCommandLineParser parser;
    gw::DescribeArguments(parser);
    parser.process(app);
    QApplication::setWindowIcon(gw::AppIcon());
    gw::ApplyScreenToDisplay();

    gw::ExplorerState state;
    gw::ExplorerWindow explorer(state);
    gw::ViewerWindows viewers(explorer, state);
    explorer.RestorePlaces();
    explorer.show();
    // grabwell [PATH]: a folder, or a file to open as a double-click would;
    // without one, the folder of the last run.
    const QStringList paths = parser.positionalArguments();
    const std::string path = paths.isEmpty() ? std::string() : gw::ArgumentBytes(argc, argv, paths.first());
    if (paths.isEmpty() || !explorer.OpenPath(path)) {
        if (!paths.isEmpty()) std::fprintf(stderr, "grabwell: %s: no such file or folder\n", path.c_str());
        const QString last = explorer.RememberedFolder();
        explorer.SelectFolder(last.isEmpty() ? QDir::homePath() : last);
    }
    return app.exec();
}
