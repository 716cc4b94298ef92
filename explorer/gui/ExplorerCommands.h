#pragma once
// The explorer's two batch commands: "&Extract All" (sbWizard, mWizard) and
// "&Save all Bitmaps" (sbAllBits, mSallBits), and the progress panels the
// wizard drives.
#include <QPointer>
#include <QPushButton>

#include <chrono>
#include <memory>
#include <string>
#include <span>

#include "batch/core/ActionFlags.h"
#include "batch/core/Progress.h"
#include "listing/ExplorerState.h"
#include "listing/ListRow.h"

class QLabel;
class QObject;
class QProgressBar;
class QWidget;

namespace gw {

class Prompts;
class ExtractionWizard;

// The explorer's panels during a wizard run: Panel7 ("Analizing
// structure..", "Please wait") with the busy cursor and a "Cancel" button
// while the tree is counted; Panel6 with Label2, Gauge1 and the "Cancel"
// button (bWCancel, beside the gauge, shown only while extracting) while
// extracting. The gauge and Label2 are drawn, and pending events run so the
// window repaints and the buttons can be clicked, at most once every
// redraw interval: drawing every entry of a large tree took a fifth of the
// run. The last state is always drawn before the panel goes. Either button,
// or Escape while either panel is up, asks the run to stop. Any of the
// widgets may be null.
class PanelProgress : public BatchProgress {
public:
    static constexpr std::chrono::milliseconds kRedrawInterval{200};

    // Adds the buttons to the panels the first time a PanelProgress drives them.
    PanelProgress(QWidget* progressPanel, QWidget* waitPanel, QProgressBar* progressBar, QLabel* entryLabel);
    ~PanelProgress() override;
    PanelProgress(const PanelProgress&) = delete;
    PanelProgress& operator=(const PanelProgress&) = delete;

    void CountingStarted() override;
    void CountingFinished() override;
    void ProcessingStarted() override;
    void Advance(int percent, const std::string& label) override;
    void ProcessingFinished() override;
    void LetMessagesRun() override;
    // Set by a button or Escape; cleared when the run's extraction phase
    // ends, which is the last thing every run does.
    bool StopRequested() override { return m_stopRequested; }

    void RequestStop();
    // Zero draws every step.
    void SetRedrawInterval(std::chrono::milliseconds interval) { m_interval = interval; }

private:
    void WatchEscape(bool on);
    // True once the redraw interval has passed since the last time it was true.
    bool RedrawDue();
    void Draw();

    QWidget* m_progressPanel;
    QWidget* m_waitPanel;
    QProgressBar* m_progressBar;
    QLabel* m_entryLabel;
    QPointer<QPushButton> m_cancel;      // Panel6's, which may go first
    QPointer<QPushButton> m_countCancel; // Panel7's
    // The buttons' connections live with it; it catches Escape while a phase runs.
    std::unique_ptr<QObject> m_watcher;
    bool m_stopRequested = false;
    std::chrono::milliseconds m_interval = kRedrawInterval;
    std::chrono::steady_clock::time_point m_lastRedraw{};
    int m_percent = 0;      // the state Advance last told ...
    std::string m_label;
    bool m_undrawn = false; // ... and whether the panel shows it yet
};

// "&Extract All": prepares and shows the wizard dialog for the current
// category; on "&Execute" extracts the listed files (rows in their display
// order) and, when asked, every file of the sub-folders. However the run
// ends, a WizardSummaryDialog then says what it did, with the error and the
// outputs passed over.
void RunExtractAll(ExtractionWizard& wizard, const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags,
                  BatchProgress& progress);

// "&Save all Bitmaps": writes every listed bitmap file into a folder the
// user picks, settling existing files by the "Already exists" rule.
void SaveAllListedBitmaps(const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags, Prompts& prompts);

} // namespace gw
