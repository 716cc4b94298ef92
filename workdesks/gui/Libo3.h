#pragma once
// The Cursor Workdesk: every cursor group of one file, in the Specific and
// Raw picture styles, sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class TForm11 : public GroupDesk<TAdvCursorGroupList> {
public:
    TForm11(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
            QWidget* parent = nullptr);

    const FileContents& Contents() const { return m_contents; }

protected:
    DeskOpening Load() override;
    std::vector<TAdvCursorGroupList>& Groups() override { return m_contents.CursorGroups; }
    void Release() override;
    void HandOver(size_t group, bool toManager) override;

private:
    FileContents m_contents;
};

} // namespace gw
