#pragma once
// The Cursor Manager: the images of one cursor group, one row each, with its
// commands to save or export the selected image or all of them.
#include "managers/gui/GroupManager.h"

namespace gw {

class CursorManager : public GroupManager<TAdvCursorGroupList> {
public:
    CursorManager(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr)
        : GroupManager("Form9", "bCu", flags, prompts, parent) {}
};

} // namespace gw
