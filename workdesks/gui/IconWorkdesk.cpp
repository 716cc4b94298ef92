#include "workdesks/gui/IconWorkdesk.h"

#include <QAction>
#include <QMenu>

#include "batch/core/Prompts.h"
#include "formats/FileKinds.h"
#include "workdesks/gui/MenuEntryDialog.h"

namespace gw {

namespace {

const DeskWindowNames kIconDeskNames{
    .objectName = "Form2",
    .caption = "Grabwell Icon Workdesk",
    .placesRole = "IconWorkdesk",
    .menuPrefix = "m2",
    .arrangeMenu = "&Arrange Icons",
    .list = "ListView1",
    .formatBox = "cbIFormat",
    .toolBar = "ToolBar2",
    .statusBar = "StatusBar2",
    .statusPanel1Width = 150,
    .exitButton = "SpeedButton1",
    .exitHint = "Exit",
    .pictureViews = true,
    .buttonPrefix = "sb2",
    .saveOneHint = "Extact and Save\nSelected Icon",
    .saveAllHint = "Extract and Save\nall Icons in File",
    .extractOneHint = "Extract and Save Separate Icons\nin Selected Icon",
    .extractAllHint = "Extract and Save Separate Icons\nin All Icons of File",
    .convertOneHint = "Convert to Bitmap and Save\nSeparate Icons in\nSelected Icon",
    .convertAllHint = "Convert to Bitmap and Save\nSeparate Icons in\nAll Icons of File",
    .editHint = "Open Icon\nin Manager",
    .manager = Viewer::IconManager,
    .sheet = Viewer::IconSheet,
};

} // namespace

IconWorkdesk::IconWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers, QWidget* parent)
    : GroupDesk(kIconDeskNames, flags, prompts, viewers, parent) {
    auto* addToMenu = new QAction("Add to Applications &Menu...", this);
    addToMenu->setObjectName("AddToApplicationsMenu");
    FileMenu()->insertAction(CloseSeparator(), addToMenu);
    connect(addToMenu, &QAction::triggered, this, [this] { AddToApplicationsMenu(); });
}

// The program's menu entry, shown and editable before it is written into
// the user's data folder.
void IconWorkdesk::AddToApplicationsMenu(const std::function<void(MenuEntryDialog&)>& answer) {
    if (!File()) return;
    if (!IsProgramKind(File()->Kind())) {
        m_prompts.ShowMessage(MessageKind::Warning, "Only a Windows program can be added to the applications menu");
        return;
    }
    const std::string dataDir = UserDataFolder();
    MenuEntryDialog dialog(File()->Path(), dataDir, this);
    if (!dialog.Error().empty()) {
        m_prompts.ShowMessage(MessageKind::Error, dialog.Error());
        return;
    }
    if (answer ? (answer(dialog), dialog.result() != QDialog::Accepted) : dialog.exec() != QDialog::Accepted) return;
    if (const std::string error = dialog.Add(); !error.empty())
        m_prompts.ShowMessage(MessageKind::Error, error);
}

} // namespace gw
