#pragma once
// The Icon Workdesk: every icon group of one file, in four picture styles,
// sorted three ways, saved, extracted and converted.
#include <functional>

#include "workdesks/gui/GroupDesk.h"

namespace gw {

class MenuEntryDialog;

class IconWorkdesk : public GroupDesk<IconGroup> {
public:
    IconWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);

    // File > "Add to Applications Menu...". answer, for tests, stands in for
    // the user at the dialog (it calls accept() or reject()).
    void AddToApplicationsMenu(const std::function<void(MenuEntryDialog&)>& answer = {});
};

} // namespace gw
