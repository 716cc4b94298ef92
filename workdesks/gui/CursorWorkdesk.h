#pragma once
// The Cursor Workdesk: every cursor group of one file, in the Specific and
// Raw picture styles, sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class CursorWorkdesk : public GroupDesk<TAdvCursorGroupList> {
public:
    CursorWorkdesk(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr);
};

} // namespace gw
