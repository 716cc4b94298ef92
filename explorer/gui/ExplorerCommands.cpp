#include "explorer/gui/ExplorerCommands.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <chrono>

#include "batch/core/Prompts.h"
#include "batch/core/SaveAllBitmaps.h"
#include "batch/core/Wizard.h"
#include "batch/gui/ExtractionWizard.h"
#include "batch/gui/WizardSummaryDialog.h"
#include "gui/BusyCursor.h"
#include "gui/LocalPaths.h"

namespace gw {

namespace {

void LetEventsRun() { QApplication::processEvents(); }

void ShowHide(QWidget* widget, bool visible) {
    if (!widget) return;
    widget->setVisible(visible);
    if (visible) widget->raise();
}

constexpr const char* kCancelName = "bWCancel";
constexpr const char* kCountCancelName = "bWCountCancel";

// A panel's "Cancel" button, made once and kept by the panel: beside the
// widget named (the gauge, the "Please wait" line), so the panel keeps its size.
QPushButton* CancelButtonOf(QWidget* panel, QWidget* beside, const char* name, const QString& hint) {
    if (!panel) return nullptr;
    if (auto* button = panel->findChild<QPushButton*>(name)) return button;
    auto* button = new QPushButton("Cancel", panel);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus); // Escape, not Space, is the key for it
    button->hide();
    auto* layout = qobject_cast<QBoxLayout*>(panel->layout());
    if (!layout) return button;
    const int at = beside ? layout->indexOf(beside) : -1;
    if (at < 0) {
        layout->addWidget(button, 0, Qt::AlignRight);
        return button;
    }
    layout->removeWidget(beside);
    auto* row = new QHBoxLayout;
    row->addWidget(beside, 1);
    row->addWidget(button);
    layout->insertLayout(at, row);
    return button;
}

// Turns Escape, wherever it is pressed while a phase runs, into a stop request.
class EscapeWatcher : public QObject {
public:
    explicit EscapeWatcher(PanelProgress& progress) : m_progress(progress) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_progress.RequestStop();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    PanelProgress& m_progress;
};

} // namespace

PanelProgress::PanelProgress(QWidget* progressPanel, QWidget* waitPanel, QProgressBar* progressBar, QLabel* entryLabel)
    : m_progressPanel(progressPanel), m_waitPanel(waitPanel), m_progressBar(progressBar), m_entryLabel(entryLabel),
      m_cancel(CancelButtonOf(progressPanel, progressBar, kCancelName, "Stop after the file being extracted (Esc)")),
      m_countCancel(CancelButtonOf(waitPanel, waitPanel ? waitPanel->findChild<QLabel*>("Panel7Label") : nullptr,
                                   kCountCancelName, "Stop counting and end the extraction (Esc)")),
      m_watcher(std::make_unique<EscapeWatcher>(*this)) {
    // The buttons outlive this object; the connections end with the watcher.
    for (QPushButton* button : {m_cancel.data(), m_countCancel.data()})
        if (button) QObject::connect(button, &QPushButton::clicked, m_watcher.get(), [this] { RequestStop(); });
}

PanelProgress::~PanelProgress() { WatchEscape(false); }

void PanelProgress::RequestStop() {
    m_stopRequested = true;
    // Seen at once; the run itself ends after the file (or folder) in hand.
    for (QPushButton* button : {m_cancel.data(), m_countCancel.data()})
        if (button) button->setEnabled(false);
}

void PanelProgress::WatchEscape(bool on) {
    if (!QCoreApplication::instance()) return;
    if (on)
        QCoreApplication::instance()->installEventFilter(m_watcher.get());
    else
        QCoreApplication::instance()->removeEventFilter(m_watcher.get());
}

bool PanelProgress::RedrawDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastRedraw < m_interval) return false;
    m_lastRedraw = now;
    return true;
}

void PanelProgress::Draw() {
    if (!m_undrawn) return;
    m_undrawn = false;
    if (m_progressBar) m_progressBar->setValue(m_percent);
    if (m_entryLabel) m_entryLabel->setText(FromLocal(m_label));
}

void PanelProgress::CountingStarted() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_countCancel) {
        m_countCancel->setEnabled(!m_stopRequested);
        m_countCancel->show();
    }
    ShowHide(m_waitPanel, true);
    WatchEscape(true);
    m_lastRedraw = std::chrono::steady_clock::now();
    LetEventsRun();
}

void PanelProgress::CountingFinished() {
    WatchEscape(false);
    if (m_countCancel) m_countCancel->hide();
    ShowHide(m_waitPanel, false);
    QApplication::restoreOverrideCursor();
}

void PanelProgress::ProcessingStarted() {
    if (m_progressBar) m_progressBar->setValue(0);
    m_undrawn = false;
    if (m_cancel) {
        m_cancel->setEnabled(!m_stopRequested);
        m_cancel->show();
    }
    ShowHide(m_progressPanel, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    WatchEscape(true);
    m_lastRedraw = {}; // the first step is drawn at once
    LetEventsRun();
}

void PanelProgress::Advance(int percent, const std::string& label) {
    m_percent = percent;
    m_label = label;
    m_undrawn = true;
    if (!RedrawDue()) return;
    Draw();
    LetEventsRun();
}

void PanelProgress::ProcessingFinished() {
    Draw(); // the last entry and 100 %, also when the interval had not passed
    WatchEscape(false);
    QApplication::restoreOverrideCursor();
    // Panel6 also shows folder scans, which cannot be stopped.
    if (m_cancel) m_cancel->hide();
    ShowHide(m_progressPanel, false);
    m_stopRequested = false;
}

void PanelProgress::LetMessagesRun() {
    if (RedrawDue()) LetEventsRun();
}

void RunExtractAll(ExtractionWizard& wizard, const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags,
                  BatchProgress& progress) {
    // The wizard is offered for the "Files" and "Resources" categories only.
    if (!ListsContainers(state.Category)) return;
    const Listing listing = ListingOf(state);
    wizard.Prepare(listing.objects);
    if (wizard.exec() != ExtractionWizard::mrOk) return;

    WizardRequest request;
    request.CurrentDir = state.CurrentDir;
    request.listing = listing;
    request.rows = rows;
    request.ContainerCount = state.ContainerCount;
    request.DirCount = state.DirCount;
    const auto start = std::chrono::steady_clock::now();
    const WizardResult result = RunWizard(request, wizard.options(), flags, progress);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    WizardSummaryDialog summary(result, elapsed.count(), wizard.options().ExtractionDir, wizard.parentWidget());
    summary.exec();
}

void SaveAllListedBitmaps(const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags, Prompts& prompts) {
    SaveAllBitmapsRequest request;
    request.CurrentDir = state.CurrentDir;
    request.rows = rows;
    request.ImageFileCount = state.ImageFileCount;
    request.DirCount = state.DirCount;
    BatchResult result;
    {
        const BusyCursor busy;
        result = RunSaveAllBitmaps(request, flags, prompts);
    }
    ReportBatchSummary("Save All Bitmaps", result, prompts);
}

} // namespace gw
