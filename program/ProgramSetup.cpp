#include "program/ProgramSetup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

#include "gui/LocalPaths.h"
#include "platform/Display.h"

namespace gw {

void ApplyScreenToDisplay() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    Display::SetDepth(screen->depth());
    const double ratio = screen->devicePixelRatio();
    Display::SetIconSizes(int(std::lround(32 * ratio)), int(std::lround(16 * ratio)));
}

std::string ArgumentBytes(int argc, char** argv, const QString& argument) {
    for (int i = argc - 1; i > 0; --i)
        if (FromLocal(argv[i]) == argument) return argv[i];
    return ToLocal(argument);
}

// The program's names, as the settings file and --version use them.
void NameApplication() {
    QCoreApplication::setApplicationName("Grabwell");
    QCoreApplication::setOrganizationName("grabwell"); // the settings file: ~/.config/grabwell/Grabwell.conf
    QCoreApplication::setApplicationVersion(GRABWELL_VERSION);
}

void DescribeArguments(QCommandLineParser& parser) {
    parser.setApplicationDescription("Finds, views, extracts and converts icons, cursors and bitmaps.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("PATH", "A folder to open, or a file to open as a double-click in its folder would.",
                                 "[PATH]");
}

// --help and --version are answered before the window system is started,
// so that they work without a display.
void AnswerHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "-h" && arg != "--help" && arg != "--help-all" && arg != "-v" && arg != "--version") continue;
        QCoreApplication app(argc, argv);
        NameApplication();
        QCommandLineParser parser;
        DescribeArguments(parser);
        parser.process(app); // prints and exits
    }
}

} // namespace gw
