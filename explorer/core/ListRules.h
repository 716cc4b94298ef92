#pragma once
// What the explorer does with the rows of a scan: the column clicks that
// sort them, the status texts, and what opening a row hands to the viewers.
#include <optional>
#include <string>

#include "listing/ExplorerState.h"
#include "listing/ListOrder.h"
#include "listing/Categories.h"
#include "formats/FileContents.h"

namespace gw {

// A click on a column of the details view that sorts (explorer/core/
// ListColumns.h: "Name", "Type", "Objects"): the same sort again reverses
// the direction, another one sorts by it in the first direction. False
// (nothing changed) for any other column.
bool ApplyColumnClick(ExplorerState& state, int column);

// "<folder>: <n> Directories and <m> <kind>" after a scan, e.g.
// "/home/ann/art: 2 Directories and 5 Icons".
std::string FolderSummary(const ExplorerState& state);

// The status text of a selected row: "File Extension - Contains 238 Icons"
// for an executable or library (and for a resource file in "Animated Cursor
// Resources"), else its type text alone; a damaged file's row adds
// " - Damaged: " and its first damage.
std::string ClickStatusText(const ExplorerState& state, const ListRow& row);

enum class OpenTarget : uint8_t {
    Nothing,
    Folder,         // move the folder tree to OpenPlan::folder
    IconManager,    // IconManager
    BitmapManager,  // BitmapGlyphManager
    CursorManager,  // CursorManager
    IconWorkdesk,   // IconWorkdesk
    BitmapWorkdesk, // BitmapWorkdesk
    CursorWorkdesk, // CursorWorkdesk
};

struct OpenPlan {
    OpenTarget target = OpenTarget::Nothing;
    std::string path; // the folder to move to, or the file the viewer opens
};

// Opening a row: which viewer shows it (the manager of a plain image file's
// kind, the workdesk of the category for a container; for a container with
// none of the category's objects readable, the workdesk of what it holds),
// and on which path.
OpenPlan PlanOpen(const ExplorerState& state, const ListRow& row);

// The category whose list shows a file named on the command line, as a user
// would pick it: icon, cursor and bitmap files their own; executables,
// libraries and resource files by what they hold (icons, then cursors, then
// bitmaps). None for a file no category lists.
std::optional<Category> CategoryShowing(const FileCounts& counts);

} // namespace gw
