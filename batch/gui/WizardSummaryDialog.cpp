#include "batch/gui/WizardSummaryDialog.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/LocalPaths.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr int kDetailsWidth = 460;
constexpr int kDetailsHeight = 160;

const char* TitleOf(const WizardResult& result) {
    if (!result.ok) return "Extraction ended early";
    if (result.stopped) return "Extraction stopped";
    return "Extraction finished";
}

} // namespace

// Every line the run's report holds, none left out however many there are.
QString WizardSummaryDialog::BatchDetails(const BatchResult& result) {
    QStringList lines;
    if (!result.ok && !result.error.empty()) lines << FromLocal(result.error);
    if (!result.notes.empty()) {
        if (!lines.isEmpty()) lines << QString();
        lines << QStringLiteral("Not written:");
        for (const std::string& note : result.notes) lines << FromLocal(note);
    }
    return lines.join('\n');
}

QString WizardSummaryDialog::BatchTitle(const std::string& command, const BatchResult& result) {
    if (!result.stoppedAt.empty()) return QString::fromStdString(command) + " stopped";
    return QString::fromStdString(command) + (result.ok ? " finished" : " ended early");
}

WizardSummaryDialog::WizardSummaryDialog(const WizardResult& result, double seconds, const std::string& folder,
                                         QWidget* parent)
    : WizardSummaryDialog(TitleOf(result), FromLocal(WizardSummaryText(result, seconds)), "Extraction folder: ",
                          folder, BatchDetails(result), parent) {}

WizardSummaryDialog::WizardSummaryDialog(const QString& title, const QString& summary, const QString& folderLabel,
                                         const std::string& folder, const QString& details, QWidget* parent)
    : QDialog(parent), m_folder(folder) {
    setObjectName("WizardSummary");
    setWindowTitle(title);
    setModal(true);

    m_summary = new QLabel(summary, this);
    m_summary->setObjectName("SummaryText");
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* where = new QLabel(folderLabel + FromLocal(folder), this);
    where->setObjectName("SummaryFolder");
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setVisible(!folder.empty());

    m_details = new QPlainTextEdit(details, this);
    m_details->setObjectName("SummaryDetails");
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setMinimumSize(kDetailsWidth, kDetailsHeight);
    m_details->setVisible(!m_details->toPlainText().isEmpty());

    m_openFailed = new QLabel(this);
    m_openFailed->setObjectName("SummaryOpenFailed");
    m_openFailed->setWordWrap(true);
    m_openFailed->hide();

    auto* open = new QPushButton("&Open Folder", this);
    open->setObjectName("bOpenFolder");
    open->setToolTip("Show the extraction folder in the file manager");
    // Enter closes the summary: where no program opens folders, a default
    // Open Folder would leave Enter doing nothing.
    open->setAutoDefault(false);
    // A folder that is not there (the error that ended the run may say so) has nothing to show.
    open->setEnabled(!folder.empty() && IsFolder(folder));
    connect(open, &QPushButton::clicked, this, &WizardSummaryDialog::OpenFolder);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("bClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    setFocusProxy(close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(open);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(where);
    layout->addWidget(m_details);
    layout->addWidget(m_openFailed);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString WizardSummaryDialog::summaryText() const { return m_summary->text(); }
QString WizardSummaryDialog::detailsText() const { return m_details->toPlainText(); }

void WizardSummaryDialog::OpenFolder() {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(FromLocal(m_folder)))) return;
    m_openFailed->setText("The folder cannot be opened: no program to show folders is set up on this desktop. "
                          "The files are in the folder named above.");
    m_openFailed->show();
}

QString WizardSummaryDialog::openFailedText() const { return m_openFailed->isHidden() ? QString() : m_openFailed->text(); }

} // namespace gw
