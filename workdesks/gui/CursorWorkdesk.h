#pragma once
// The Cursor Workdesk: every cursor group of one file, then its animated
// cursors (each shown by its first frame), in the Specific and Raw picture
// styles, sorted three ways, saved, extracted and converted.
#include <optional>

#include "workdesks/gui/GroupDesk.h"

namespace gw {

class CursorWorkdesk : public GroupDesk<CursorGroup> {
public:
    CursorWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);

    // The file's cursors as a cursor theme of the Linux desktop, in a folder
    // named after the file inside the folder the user picks.
    void ExportCursorTheme();

    // The animated cursor an item of the list stands for (its index in the
    // file's animations); nullopt for a cursor group.
    std::optional<size_t> AnimationAt(size_t item) const;

protected:
    std::vector<CursorGroup>& Groups() override { return m_items; }
    void ShowGroups(bool loaded) override;
    BatchResult SaveOne(size_t item) override;
    BatchResult SaveAll() override;
    // Extract and Convert write an animated cursor's frames.
    CursorDeskSelection Selection(std::optional<size_t> item) override;
    std::optional<ImageTransfer> TransferOf(size_t item) override;
    // An animated cursor opens in the manager's player, and in the sheet by
    // its first step's frame with the Animation page.
    ViewRequest ItemRequest(size_t item) override;

private:
    // The cursor groups, then one item per animated cursor holding its first
    // step's frame images under the animation's name.
    std::vector<CursorGroup> m_items;
    size_t m_groupCount = 0;
};

} // namespace gw
