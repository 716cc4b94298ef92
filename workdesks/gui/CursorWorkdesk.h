#pragma once
// The Cursor Workdesk: every cursor group of one file, in the Specific and
// Raw picture styles, sorted three ways, saved, extracted and converted.
#include "workdesks/gui/GroupDesk.h"

namespace gw {

class CursorWorkdesk : public GroupDesk<TAdvCursorGroupList> {
public:
    CursorWorkdesk(ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr);

    // The file's cursors as a cursor theme of the Linux desktop, in a folder
    // named after the file inside the folder the user picks.
    void ExportCursorTheme();
};

} // namespace gw
