#pragma once
// The Icon Manager: the images of one icon group, one row each, with its
// commands to save or export the selected image or all of them.
#include "managers/gui/GroupManager.h"

namespace gw {

class IconManager : public GroupManager<IconGroup> {
public:
    IconManager(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr)
        : GroupManager(kDesign, flags, prompts, viewers, parent) {}

private:
    static constexpr ManagerDesign kDesign{
        .objectName = "Form4", .buttonPrefix = "bIc", .placesRole = "IconManager", .sheet = Viewer::IconSheet};
};

} // namespace gw
