#include "explorer/gui/ExplorerCommands.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "batch/core/Prompts.h"
#include "batch/core/SaveAllBitmaps.h"
#include "batch/core/Wizard.h"
#include "batch/gui/ExtractionWizard.h"
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

} // namespace

void PanelProgress::CountingStarted() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowHide(m_panel7, true);
    LetEventsRun();
}

void PanelProgress::CountingFinished() {
    ShowHide(m_panel7, false);
    QApplication::restoreOverrideCursor();
}

void PanelProgress::ProcessingStarted() {
    if (m_gauge1) m_gauge1->setValue(0);
    ShowHide(m_panel6, true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LetEventsRun();
}

void PanelProgress::Advance(int percent, const std::string& label) {
    if (m_gauge1) m_gauge1->setValue(percent);
    if (m_label2) m_label2->setText(FromLocal(label));
    LetEventsRun();
}

void PanelProgress::ProcessingFinished() {
    QApplication::restoreOverrideCursor();
    ShowHide(m_panel6, false);
}

void PanelProgress::LetMessagesRun() { LetEventsRun(); }

void RunExtractAll(ExtractionWizard& wizard, const ExplorerState& state, std::span<const ListRow> rows, ActionFlags& flags,
                  Prompts& prompts, BatchProgress& progress) {
    // The wizard is offered for the "Files" and "Resources" categories only.
    if (!state.CatFiles && !state.CatResources) return;
    const Listing listing = ListingOf(state);
    wizard.Prepare(listing.objects);
    if (wizard.exec() != ExtractionWizard::mrOk) return;

    WizardRequest request;
    request.CurrentDir = state.CurrentDir;
    request.listing = listing;
    request.rows = rows;
    request.ContainerCount = state.ContainerCount;
    request.DirCount = state.DirCount;
    ReportBatchResult(RunWizard(request, wizard.options(), flags, progress), prompts);
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
    ReportBatchResult(result, prompts);
}

} // namespace gw
