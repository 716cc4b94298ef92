#include "workdesks/gui/IconWorkdesk.h"

namespace gw {

namespace {

const DeskWindowNames kIconDeskNames{
    "Form2", "Grabwell Icon Workdesk", "m2", "&Arrange Icons", "ListView1", "cbIFormat", "ToolBar2", "StatusBar2",
    150, "SpeedButton1", "Exit", true, "sb2",
    "Extact and Save\nSelected Icon",
    "Extract and Save\nall Icons in File",
    "Extract and Save Separate Icons\nin Selected Icon",
    "Extract and Save Separate Icons\nin All Icons of File",
    "Convert to Bitmap and Save\nSeparate Icons in\nSelected Icon",
    "Convert to Bitmap and Save\nSeparate Icons in\nAll Icons of File",
    "Open Icon\nin Manager",
};

} // namespace

IconWorkdesk::IconWorkdesk(ActionFlags& flags, Prompts& prompts, QWidget* parent)
    : GroupDesk(kIconDeskNames, flags, prompts, parent) {}

} // namespace gw
