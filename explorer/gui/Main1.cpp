#include "explorer/gui/Main1.h"

#include <QScreen>
#include <QGuiApplication>

namespace gw {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Grabwell Explorer");
    resize(628, 430);
    if (auto* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

} // namespace gw
