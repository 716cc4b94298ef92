#include "workdesks/gui/CursorWorkdesk.h"

#include <QMenu>
#include <QMenuBar>

#include "batch/core/CursorTheme.h"
#include "batch/core/OutputNames.h"
#include "batch/core/Prompts.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr const char* kCursorThemeFolderTitle = "Select folder for the cursor theme";

const DeskWindowNames kCursorDeskNames{
    "Form11", "Grabwell Cursor Workdesk", "m5", "&Arrange Cursors", "ListView3", "cbCFormat", "SpeedBar1",
    "StatusBar5", 50, "sb2Exit", "Close", false, "sb5",
    "Extract and Save\nSelected Cursor",
    "Extract and Save\nall Cursors in File",
    "Extract and Save Separate Cursors\nin Selected Cursor",
    "Extract and Save \nall Cursors in File",
    "Convert to Bitmap and Save\nSeparate Cursors in\nSelected Cursor",
    "Convert to Bitmap and Save\nSeparate Cursors in\nAll Cursors of File",
    "Open Cursor\nin Manager",
};

} // namespace

CursorWorkdesk::CursorWorkdesk(ActionFlags& flags, Prompts& prompts, QWidget* parent)
    : GroupDesk(kCursorDeskNames, flags, prompts, parent) {
    auto* bar = findChild<QMenuBar*>();
    QMenu* file = bar && !bar->actions().isEmpty() ? bar->actions().first()->menu() : nullptr;
    if (!file) return;
    auto* exportTheme = new QAction("Export as Linux cursor theme...", this);
    exportTheme->setObjectName("ExportCursorTheme");
    // Before the separator that leads to Close and Exit.
    QAction* before = nullptr;
    for (QAction* a : file->actions())
        if (a->isSeparator()) before = a;
    file->insertAction(before, exportTheme);
    connect(exportTheme, &QAction::triggered, this, &CursorWorkdesk::ExportCursorTheme);
}

void CursorWorkdesk::ExportCursorTheme() {
    if (!File()) return;
    const std::optional<std::string> folder = m_prompts.ChooseFolder(kCursorThemeFolderTitle);
    if (!folder) return;
    const std::string name = NameBeforeFirstDot(File()->FileName());
    CursorThemeRequest request;
    request.inputs = {File()->Path()};
    request.outDir = JoinPath(*folder, SafeBaseName(name));
    request.name = name;
    ReportBatchResult(WriteCursorTheme(request), m_prompts);
}

} // namespace gw
