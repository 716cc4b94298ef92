#include "gui/DamageReport.h"

#include "gui/ElidedLabel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QStyle>
#include <QToolButton>

namespace gw {

QString DamageSummary(const std::vector<ReadError>& errors) {
    if (errors.empty()) return {};
    QString text = "Damaged: " + QString::fromStdString(errors.front().Describe());
    if (errors.size() > 1) text += QStringLiteral(" (and %1 more)").arg(errors.size() - 1);
    return text;
}

QString DamageDetails(const std::vector<ReadError>& errors) {
    QStringList lines;
    for (const ReadError& e : errors) lines << QString::fromStdString(e.Describe());
    return lines.join('\n');
}

QString ImageTrouble(bool missing, bool decodes) {
    if (missing) return "This image is not in the file";
    if (!decodes) return "This image is damaged and cannot be decoded";
    return {};
}

QImage ImageTroubleSign(int side) {
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side).toImage();
}

namespace {

std::string UnreadableText(const std::string& fileName, const std::string& why,
                           const std::vector<ReadError>& errors) {
    std::string text = "Cannot read \"" + fileName + "\": " + why;
    for (const ReadError& e : errors)
        if (e.Describe() != why && e.message != why) text += "\n" + e.Describe();
    return text;
}

} // namespace

std::string CannotShowText(const std::string& fileName, const Document& file, const std::string& holdsNothing) {
    // A file that cannot be opened: the system's reason after "Cannot read".
    if (!file.Readable() && file.Damaged()) return UnreadableText(fileName, file.Errors().front().message, file.Errors());
    return UnreadableText(fileName, NothingShownReason(file, holdsNothing), file.Errors());
}

DamageIndicator::DamageIndicator(QWidget* parent) : QWidget(parent) {
    setObjectName("DamageIndicator");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    // A long first damage is cut at a word when the bar is short of room;
    // the indicator's tooltip and Details say it all.
    m_text = new ElidedLabel(this);
    m_text->setObjectName("DamageText");
    m_details = new QToolButton(this);
    m_details->setObjectName("DamageDetails");
    m_details->setText("Details...");
    m_details->setAutoRaise(true);
    layout->addWidget(icon);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_details);
    connect(m_details, &QToolButton::clicked, this, &DamageIndicator::OpenDetails);
    hide();
}

void DamageIndicator::Show(const std::vector<ReadError>& errors) {
    m_errors = errors;
    m_text->setText(DamageSummary(errors));
    setToolTip(DamageDetails(errors));
    setVisible(!errors.empty());
}

QString DamageIndicator::Text() const { return m_text->text(); }
QString DamageIndicator::Details() const { return DamageDetails(m_errors); }

void DamageIndicator::OpenDetails() {
    QMessageBox box(QMessageBox::Warning, window()->windowTitle(), "The file is damaged; what could be read is shown.",
                    QMessageBox::Close, this);
    box.setDetailedText(Details());
    box.exec();
}

} // namespace gw
