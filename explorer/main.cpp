// Program entry: sets the application title, creates the windows once and
// runs the message loop until the explorer closes.
#include <QApplication>

#include "explorer/gui/Main1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Grabwell");
    QApplication::setApplicationDisplayName("Grabwell");
    gw::TForm1 form1;
    form1.show();
    return app.exec();
}
