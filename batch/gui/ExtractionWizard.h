#pragma once
// ExtractionWizard: the extraction wizard's dialog. It collects the target folder, the
// output choice of the category and "Recurse Directories", and hands them
// over through options() when "&Execute" closes it.
#include <QDialog>

#include "listing/Listing.h"
#include "batch/core/Wizard.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace gw {

class Prompts;

class ExtractionWizard : public QDialog {
    Q_OBJECT
public:
    // The modal results of the two buttons.
    static constexpr int mrOk = 1;
    static constexpr int mrAbort = 3;

    // SetStartState: the folder field starts at tempDir; the browse dialog is
    // reached through prompts.
    ExtractionWizard(Prompts& prompts, const std::string& tempDir, QWidget* parent = nullptr);

    // Prepares a run for a category: title, option group (hidden for
    // bitmaps; its selection is kept from run to run), "Recurse Directories"
    // unticked, RecurseDirs cleared.
    void Prepare(ObjectKind objects);

    // What the last "&Execute" handed over; "&Abort" leaves it unchanged.
    const WizardOptions& options() const { return m_options; }

public slots:
    void Abort();
    void Execute();
    void BrowseForFolder();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Prompts& m_prompts;
    ObjectKind m_objects = ObjectKind::Icons;
    WizardOptions m_options;

    QLabel* m_title = nullptr;
    QGroupBox* m_options0 = nullptr;
    QRadioButton* m_items[2] = {};
    QLineEdit* m_folder = nullptr;
    QCheckBox* m_recurse = nullptr;
};

} // namespace gw
