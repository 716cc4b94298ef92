#pragma once
// The Icon Manager: the images of one icon group, one row each, with its
// commands to save or export the selected image or all of them.
#include "managers/gui/GroupManager.h"

namespace gw {

class IconManager : public GroupManager<IconGroup> {
public:
    IconManager(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr)
        : GroupManager("Form4", "bIc", flags, prompts, parent) {}
};

} // namespace gw
