#pragma once
// The Cursor Manager: the images of one cursor group, one row each, with its
// commands to save or export the selected image or all of them.
#include "managers/gui/GroupManager.h"

namespace gw {

class TForm9 : public GroupManager<TAdvCursorGroupList> {
public:
    TForm9(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr)
        : GroupManager("Form9", "bCu", flags, prompts, parent) {}
};

} // namespace gw
