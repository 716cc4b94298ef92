#pragma once
// What a window tells the user about a damaged file: the first error (its
// kind, its byte and what is wrong) in the status bar, with every error one
// click away; and the message for a file that cannot be shown at all.
#include <QWidget>

#include <string>
#include <vector>

#include "formats/Document.h"
#include "platform/ReadError.h"

class QLabel;
class QToolButton;

namespace gw {

// A status-bar widget, hidden while the file is whole.
class DamageIndicator : public QWidget {
public:
    explicit DamageIndicator(QWidget* parent = nullptr);

    void Show(const std::vector<ReadError>& errors);
    void Clear() { Show({}); }
    QString Text() const;
    // Every error, one a line, as the details view lists them.
    QString Details() const;

private:
    void OpenDetails();

    std::vector<ReadError> m_errors;
    QLabel* m_text;
    QToolButton* m_details;
};

// "Damaged: truncated at byte 4,000,000: ..." for the first of the errors.
QString DamageSummary(const std::vector<ReadError>& errors);
// Every error's description, one a line.
QString DamageDetails(const std::vector<ReadError>& errors);

// What a row or a sheet says of an image that cannot be shown; empty for
// one that decodes.
QString ImageTrouble(bool missing, bool decodes);
// A small warning sign drawn where such an image would be.
QImage ImageTroubleSign(int side);

// The text of the message for a document a viewer cannot show: why it could
// not be read, its first damage, or else holdsNothing ("it holds no
// bitmap"), then the rest of its damage.
std::string CannotShowText(const std::string& fileName, const Document& file, const std::string& holdsNothing);

} // namespace gw
