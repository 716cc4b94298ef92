#include "workdesks/gui/Libo1.h"

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

TForm2::TForm2(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
               QWidget* parent)
    : GroupDesk(kIconDeskNames, common, explorer, flags, prompts, parent) {}

DeskOpening TForm2::Load() { return OpenIconDesk(m_explorer, m_common, m_contents); }

void TForm2::Release() {
    m_contents.ReleaseIconGroups();
    m_contents = FileContents{};
}

// The Icon Manager takes its group from this window's selection; Icon
// Properties learns it was opened from a workdesk.
void TForm2::HandOver(size_t group, bool toManager) {
    m_common.IconGroupIndex = int32_t(group);
    m_common.IconName = m_contents.IconGroups[group].Name;
    if (toManager)
        m_common.ExecutableSource = 1;
    else
        m_common.IconPropsSource = 3;
}

} // namespace gw
