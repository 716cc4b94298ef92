#include "workdesks/gui/CursorWorkdesk.h"

namespace gw {

namespace {

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
    : GroupDesk(kCursorDeskNames, flags, prompts, parent) {}

} // namespace gw
