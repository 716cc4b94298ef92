#pragma once
// WizardSummaryDialog: what the extraction wizard's run (or another batch
// command that wrote into a folder) did, shown when it ends (finished,
// stopped or ended by an error): the summary text, the error and every output
// passed over with its reason, a button that opens the target folder in the
// desktop's file manager (saying so in the dialog when no program opens
// it), and Close, the default button: Enter closes the summary.
#include <QDialog>

#include <string>

#include "batch/core/Wizard.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace gw {

class WizardSummaryDialog : public QDialog {
    Q_OBJECT
public:
    // seconds: how long the run took; folder: the target folder it wrote into.
    WizardSummaryDialog(const WizardResult& result, double seconds, const std::string& folder,
                        QWidget* parent = nullptr);
    // The same dialog for another batch command that wrote into a folder:
    // its title, the summary (BatchSummaryText), the folder and the details.
    WizardSummaryDialog(const QString& title, const QString& summary, const QString& folderLabel,
                        const std::string& folder, const QString& details, QWidget* parent = nullptr);
    // The summary of a batch command named command ("Save All", ...).
    static QString BatchTitle(const std::string& command, const BatchResult& result);
    static QString BatchDetails(const BatchResult& result);

    // The summary (WizardSummaryText) and the details: the error, then the
    // outputs passed over; empty when there is nothing to tell.
    QString summaryText() const;
    QString detailsText() const;
    // What the dialog says after Open Folder found no program to open the
    // folder with; empty before.
    QString openFailedText() const;

public slots:
    void OpenFolder();

private:
    std::string m_folder;
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QLabel* m_openFailed = nullptr;
};

} // namespace gw
