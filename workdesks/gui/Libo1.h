#pragma once
// The Icon Workdesk: every icon group of one file, in four picture styles,
// sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class TForm2 : public GroupDesk<TAdvIconGroupList> {
public:
    TForm2(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr);
};

} // namespace gw
