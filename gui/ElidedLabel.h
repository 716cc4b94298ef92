#pragma once
// A one-line label for texts longer than the room they get, such as a status
// bar's: when the text does not fit, it is cut after the last whole word that
// fits and ends in "…", never inside a word or a number; the whole text is
// its tooltip. text() stays the whole text.
#include <QLabel>

class QFontMetrics;

namespace gw {

// The text as it fits in width pixels: whole when it fits, else cut after
// the last whole word that fits with "…" (separators such as " -" or ":"
// left before the cut are dropped); a first word too long for the room is
// cut where it must be.
QString ElideAtWord(const QString& text, const QFontMetrics& metrics, int width);

class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Sets the text and, as the whole of it, the tooltip.
    void SetWholeText(const QString& text);
    // What is drawn at the label's present width.
    QString ShownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gw
