#include "gui/LocationDialog.h"

#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>

namespace gw {

namespace {
constexpr int kLeastCharacters = 60;
} // namespace

void LayOutLocationDialog(QInputDialog& dialog, const QString& current) {
    dialog.setObjectName("GoToLocationDialog");
    dialog.setWindowTitle("Go to Location");
    dialog.setLabelText("Folder or file:");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(current);
    // The dialog sizes itself to its field, which is made wide enough for
    // the text, its frame and a few characters more.
    auto* field = dialog.findChild<QLineEdit*>();
    if (!field) return;
    const QFontMetrics metrics(field->font());
    const int text = std::max(metrics.horizontalAdvance(current), metrics.averageCharWidth() * kLeastCharacters);
    const int width = text + 4 * metrics.averageCharWidth();
    const QScreen* screen = dialog.screen();
    const int most = screen ? screen->availableGeometry().width() * 3 / 4 : width;
    field->setMinimumWidth(std::min(width, std::max(most, 1)));
}

std::optional<QString> AskForLocation(QWidget* parent, const QString& current) {
    QInputDialog dialog(parent);
    LayOutLocationDialog(dialog, current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

} // namespace gw
