#include "program/ProgramSetup.h"

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

} // namespace gw
