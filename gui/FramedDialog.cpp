#include "gui/FramedDialog.h"

#include <QVBoxLayout>

namespace gw {

namespace {
constexpr int kBevelWidth = 3;
}

QFrame* SetUpFramedDialog(QDialog* dialog, const char* objectName, int clientWidth, int clientHeight) {
    dialog->setObjectName(objectName);
    dialog->setModal(true);
    dialog->resize(clientWidth, clientHeight);

    auto* panel = new QFrame(dialog);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(kBevelWidth);
    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
    return panel;
}

} // namespace gw
