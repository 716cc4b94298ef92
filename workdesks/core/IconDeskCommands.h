#pragma once
// The Icon Workdesk's commands, without a window: saving a group as an .ico
// file, saving every group, extracting every image of a group as its own
// .ico file, and converting every image to a .bmp file. They ask through
// Prompts and write through BatchWriter, so the desktop program and the
// tests run the same code.
#include <string>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "formats/IcoTypes.h"

namespace gw {

class Prompts;

inline constexpr const char* kSaveIconTitle = "Save Icon";
inline constexpr const char* kSaveIconFilter = "Icons (*.ico)";
inline constexpr const char* kAllIconsFolderTitle = "Select Folder for All Icons";
inline constexpr const char* kIconsFolderTitle = "Select folder for icons";
inline constexpr const char* kBitmapsFolderTitle = "Select folder for bitmaps";

// Save One: the group's icon file through the save dialog (which asks before
// replacing a file). Images whose resource is missing are left out; a group
// with no image left writes nothing and says so.
BatchResult SaveIconGroup(const TAdvIconGroupList& group, Prompts& prompts);

// Save All: every group in file order as <folder>/<Name>.ico, existing files
// settled by the shared rule. A cancelled folder browser leaves the five
// flags as they are.
BatchResult SaveAllIconGroups(const std::vector<TAdvIconGroupList>& groups, ActionFlags& flags, Prompts& prompts);

// Which groups Extract and Convert work on: the selected one, or all.
struct DeskSelection {
    std::vector<const TAdvIconGroupList*> groups; // in file order
    bool one = false; // "One" commands clear the five flags even when cancelled
};

// Extract: every image k of the groups as its own icon file <Name>_<k>.ico.
BatchResult ExtractIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts);

// Convert: every image k drawn on the key colour as <Name>_<k>.bmp, in the
// pixel format its bit count asks for. An image that does not decode is
// skipped with a note.
BatchResult ConvertIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts);

} // namespace gw
