#pragma once
// The "Go to Location" question (Ctrl+L): a folder or file typed, starting
// from the folder shown. Its field is wide enough for a long path.
#include <QString>

#include <optional>

class QInputDialog;
class QWidget;

namespace gw {

// The dialog itself, laid out for current (and at least 60 characters),
// within three quarters of the screen; for tests, which look at it.
void LayOutLocationDialog(QInputDialog& dialog, const QString& current);

// Asks; nullopt when cancelled.
std::optional<QString> AskForLocation(QWidget* parent, const QString& current);

} // namespace gw
