#include "gui/ElidedLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace gw {

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

// Characters that only join what comes before a cut to what came after it.
bool Separates(QChar c) { return c.isSpace() || c == '-' || c == ':' || c == ',' || c == ';'; }

} // namespace

QString ElideAtWord(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const int room = width - metrics.horizontalAdvance(kEllipsis);
    // The last word break whose prefix fits.
    int best = -1;
    for (int i = text.indexOf(' '); i > 0; i = text.indexOf(' ', i + 1)) {
        int end = i;
        while (end > 0 && Separates(text[end - 1])) --end;
        if (end == 0) continue;
        if (metrics.horizontalAdvance(text.left(end)) > room) break;
        best = end;
    }
    if (best > 0) return text.left(best) + kEllipsis;
    return metrics.elidedText(text, Qt::ElideRight, width);
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetWholeText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QString ElidedLabel::ShownText() const { return ElideAtWord(text(), fontMetrics(), contentsRect().width()); }

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          ShownText(), foregroundRole());
}

} // namespace gw
