#pragma once
// The Icon Workdesk: every icon group of one file, in four picture styles,
// sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class TForm2 : public GroupDesk<TAdvIconGroupList> {
public:
    TForm2(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
           QWidget* parent = nullptr);

    // What the open file holds: the Icon Manager and Icon Properties read its groups.
    const FileContents& Contents() const { return m_contents; }

protected:
    DeskOpening Load() override;
    std::vector<TAdvIconGroupList>& Groups() override { return m_contents.IconGroups; }
    void Release() override;
    void HandOver(size_t group, bool toManager) override;

private:
    FileContents m_contents;
};

} // namespace gw
