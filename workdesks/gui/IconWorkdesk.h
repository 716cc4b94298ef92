#pragma once
// The Icon Workdesk: every icon group of one file, in four picture styles,
// sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class IconWorkdesk : public GroupDesk<IconGroup> {
public:
    IconWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);
};

} // namespace gw
