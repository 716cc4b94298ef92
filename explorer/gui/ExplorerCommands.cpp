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

// The panel's "Cancel" button, made once and kept by the panel: beside the
// gauge, so the panel keeps its size.
QPushButton* CancelButtonOf(QWidget* panel6, QProgressBar* gauge1) {
    if (!panel6) return nullptr;
    if (auto* button = panel6->findChild<QPushButton*>(kCancelName)) return button;
    auto* button = new QPushButton("Cancel", panel6);
    button->setObjectName(kCancelName);
    button->setToolTip("Stop after the file being extracted (Esc)");
    button->setFocusPolicy(Qt::NoFocus); // Escape, not Space, is the key for it
    button->hide();
    auto* layout = qobject_cast<QBoxLayout*>(panel6->layout());
    if (!layout) return button;
    const int at = gauge1 ? layout->indexOf(gauge1) : -1;
    if (at < 0) {
        layout->addWidget(button, 0, Qt::AlignRight);
        return button;
    }
    layout->removeWidget(gauge1);
    auto* row = new QHBoxLayout;
    row->addWidget(gauge1, 1);
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

PanelProgress::PanelProgress(QWidget* panel6, QWidget* panel7, QProgressBar* gauge1, QLabel* label2)
    : m_panel6(panel6), m_panel7(panel7), m_gauge1(gauge1), m_label2(label2),
      m_cancel(CancelButtonOf(panel6, gauge1)), m_watcher(std::make_unique<EscapeWatcher>(*this)) {
    // The button outlives this object; the connection ends with the watcher.
    if (m_cancel) QObject::connect(m_cancel, &QPushButton::clicked, m_watcher.get(), [this] { RequestStop(); });
}

PanelProgress::~PanelProgress() { WatchEscape(false); }

void PanelProgress::RequestStop() {
    m_stopRequested = true;
    // Seen at once; the run itself ends after the file in hand.
    if (m_cancel) m_cancel->setEnabled(false);
}

void PanelProgress::WatchEscape(bool on) {
    if (!QCoreApplication::instance()) return;
    if (on)
        QCoreApplication::instance()->installEventFilter(m_watcher.get());
    else
        QCoreApplication::instance()->removeEventFilter(m_watcher.get());
}

void PanelProgress::CountingStarted() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowHide(m_panel7, true);
    WatchEscape(true);
    LetEventsRun();
}

void PanelProgress::CountingFinished() {
    WatchEscape(false);
    ShowHide(m_panel7, false);
    QApplication::restoreOverrideCursor();
}

void PanelProgress::ProcessingStarted() {
    if (m_gauge1) m_gauge1->setValue(0);
    if (m_cancel) {
        m_cancel->setEnabled(!m_stopRequested);
        m_cancel->show();
    }
    ShowHide(m_panel6, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    WatchEscape(true);
    LetEventsRun();
}

void PanelProgress::Advance(int percent, const std::string& label) {
    if (m_gauge1) m_gauge1->setValue(percent);
    if (m_label2) m_label2->setText(FromLocal(label));
    LetEventsRun();
}

void PanelProgress::ProcessingFinished() {
    WatchEscape(false);
    QApplication::restoreOverrideCursor();
    // Panel6 also shows folder scans, which cannot be stopped.
    if (m_cancel) m_cancel->hide();
    ShowHide(m_panel6, false);
    m_stopRequested = false;
}

void PanelProgress::LetMessagesRun() { LetEventsRun(); }

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
