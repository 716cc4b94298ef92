#include "workdesks/gui/Libo3.h"

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

TForm11::TForm11(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
                 QWidget* parent)
    : GroupDesk(kCursorDeskNames, common, explorer, flags, prompts, parent) {}

DeskOpening TForm11::Load() { return OpenCursorDesk(m_explorer, m_common, m_contents); }

void TForm11::Release() {
    m_contents.ReleaseCursorGroups();
    m_contents = FileContents{};
}

// The Cursor Manager opens on the selected item; no source flag changes.
void TForm11::HandOver(size_t group, bool toManager) {
    m_common.CursorGroupIndex = int32_t(group);
    m_common.CursorName = m_contents.CursorGroups[group].Name;
    if (!toManager) m_common.CursorPropsSource = 3;
}

} // namespace gw
