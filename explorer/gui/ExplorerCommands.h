#pragma once
// The explorer's two batch commands: "&Extract All" (sbWizard, mWizard) and
// "&Save all Bitmaps" (sbAllBits, mSallBits), and the progress panels the
// wizard drives.
#include <span>

#include "batch/core/ActionFlags.h"
#include "batch/core/Progress.h"
#include "listing/ExplorerState.h"
#include "listing/ListRow.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace gw {

class Prompts;
class ExtractionWizard;

// The explorer's panels during a wizard run: Panel7 ("Analizing
// structure..", "Please wait") with the busy cursor while the tree is
// counted; Panel6 with Label2 and Gauge1 while extracting. Pending events run
// at every step so the window repaints. Any of the widgets may be null.
class PanelProgress : public BatchProgress {
public:
    PanelProgress(QWidget* panel6, QWidget* panel7, QProgressBar* gauge1, QLabel* label2)
        : m_panel6(panel6), m_panel7(panel7), m_gauge1(gauge1), m_label2(label2) {}

    void CountingStarted() override;
    void CountingFinished() override;
    void ProcessingStarted() override;
    void Advance(int percent, const std::string& label) override;
    void ProcessingFinished() override;
    void LetMessagesRun() override;

private:
    QWidget* m_panel6;
    QWidget* m_panel7;
    QProgressBar* m_gauge1;
    QLabel* m_label2;
};

// "&Extract All": prepares and shows the wizard dialog for the current
// category; on "&Execute" extracts the listed files (rows in their display
// order) and, when asked, every file of the sub-folders. Errors and skipped
// outputs are reported through prompts.
void RunExtractAll(ExtractionWizard& wizard, const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags,
                  Prompts& prompts, BatchProgress& progress);

// "&Save all Bitmaps": writes every listed bitmap file into a folder the
// user picks, settling existing files by the "Already exists" rule.
void SaveAllListedBitmaps(const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags, Prompts& prompts);

} // namespace gw
