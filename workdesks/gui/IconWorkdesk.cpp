#include "workdesks/gui/IconWorkdesk.h"

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
    : GroupDesk(kIconDeskNames, flags, prompts, viewers, parent) {}

} // namespace gw
