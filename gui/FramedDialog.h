#pragma once
// The frameless modal dialogs of batch work (the existing-file question and
// the extraction wizard) draw their own raised bevel: one panel that fills
// the dialog and holds every control.
#include <QDialog>
#include <QFrame>

namespace gw {

// Names and sizes the dialog, makes it modal and returns its "Panel1".
QFrame* SetUpFramedDialog(QDialog* dialog, const char* objectName, int clientWidth, int clientHeight);

} // namespace gw
