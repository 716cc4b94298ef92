#pragma once
// The commands over icon and cursor groups that the workdesks and managers
// share, without a window: saving a group as one file, saving every group,
// extracting every image of a group as its own file, converting every image
// to a .bmp file, and saving one image either way. They ask through Prompts
// and write through BatchWriter, so the desktop program and the tests run
// the same code.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "batch/core/Prompts.h"
#include "formats/AniFile.h"
#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"
#include "formats/IconFormat.h"

namespace gw {

inline constexpr const char* kSaveIconTitle = "Save Icon";
inline constexpr const char* kSaveIconFilter = "Icons (*.ico)";
inline constexpr const char* kAllIconsFolderTitle = "Select Folder for All Icons";
inline constexpr const char* kIconsFolderTitle = "Select folder for icons";
inline constexpr const char* kSaveCursorTitle = "Save Cursor";
inline constexpr const char* kSaveCursorFilter = "Cursors (*.cur)";
inline constexpr const char* kAllCursorsFolderTitle = "Select Folder for All Cursors";
inline constexpr const char* kCursorsFolderTitle = "Select folder for cursors";
inline constexpr const char* kBitmapsFolderTitle = "Select folder for bitmaps";
inline constexpr const char* kSaveAnimationTitle = "Save Animated Cursor";
inline constexpr const char* kSaveAnimationFilter = "Animated Cursors (*.ani)";
inline constexpr const char* kAnimationMimeType = "application/x-navi-animation";

// The file Save writes, its extension and its MIME type: for a group (its
// images that are in the file; empty when none is) and for one image.
struct SavedFile {
    Bytes bytes;
    const char* ext;      // ".ico", ".cur"
    const char* mimeType; // "image/vnd.microsoft.icon", "image/x-win-bitmap"
};
template <class Group>
SavedFile GroupSaveFile(const Group& group);
template <class Image>
SavedFile ImageSaveFile(const Image& im, CursorDataForm form);
// An animated cursor (or icon) whole, as stored: ".ani".
SavedFile AnimationSaveFile(const AnimatedCursor& animation);

// Save One: the group's file through the save dialog (which asks before
// replacing a file). Images whose resource is missing are left out; a group
// with no image left writes nothing and says so.
template <class Group>
BatchResult SaveDeskGroup(const Group& group, Prompts& prompts);

// Save One of an animated cursor: its whole file through the "Save Animated
// Cursor" dialog, <Name>.ani by default.
BatchResult SaveAnimation(const AnimatedCursor& animation, Prompts& prompts);

// Save All: every group in file order as <folder>/<Name>.ico (or .cur), then
// every animated cursor whole as <Name>.ani, existing files settled by the
// shared rule. A cancelled folder browser leaves the five flags as they are.
template <class Group>
BatchResult SaveAllDeskGroups(const std::vector<Group>& groups, ActionFlags& flags, Prompts& prompts,
                              std::span<const AnimatedCursor> animations = {});

// Which groups Extract and Convert work on: the selected one, or all.
template <class Group>
struct GroupSelection {
    std::vector<const Group*> groups; // in file order
    bool one = false; // "One" commands clear the five flags even when cancelled
    // The name each group's files take, in the order of groups; empty: the
    // groups' own names. (A manager names them after the file it opened.)
    std::vector<std::string> names;
    // Where cursor images' Data came from: a workdesk's resources (the
    // hot-spot prefix first) or a .cur file the Cursor Manager opened.
    CursorDataForm cursorForm = CursorDataForm::Resource;
    // Animated cursors after the groups, named by their own names: Extract
    // writes each frame k as <Name>_<k>.cur (.ico for an icon frame),
    // Convert each image j of frame k as <Name>_<k>_<j>.bmp.
    std::vector<const AnimatedCursor*> animations;
};
using DeskSelection = GroupSelection<IconGroup>;
using CursorDeskSelection = GroupSelection<CursorGroup>;

// Extract: every image k of the groups as its own file <Name>_<k>.ico (.cur,
// its hot-spot prefix left out).
template <class Group>
BatchResult ExtractDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts);

// Convert: every image k drawn on the key colour as <Name>_<k>.bmp, in the
// pixel format its bit count asks for (icons mark the bottom-left pixel
// with the key colour, cursors do not). An image that does not decode is
// skipped with a note.
template <class Group>
BatchResult ConvertDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts);

// Writes into a batch what Extract and Convert write for one animated
// cursor (see GroupSelection). False when the batch failed or was stopped.
bool WriteAnimationFrames(const AnimatedCursor& animation, const std::string& name, BatchWriter& writer);
bool ConvertAnimationFrames(const AnimatedCursor& animation, const std::string& name, BatchWriter& writer);

// Asks for the folder, then writes what write(BatchWriter&) produces through
// one batch. A cancelled browser ends the command; with clearOnCancel the
// five flags are cleared then ("One" commands), else they stay.
template <class Write>
BatchResult RunFolderCommand(const char* title, bool clearOnCancel, ActionFlags& flags, Prompts& prompts,
                             Write write) {
    BatchResult result;
    const std::optional<std::string> folder = prompts.ChooseFolder(title);
    if (!folder) {
        if (clearOnCancel) flags.ClearAtBatchEnd();
        result.cancelled = true;
        return result;
    }
    BatchWriter writer(*folder, flags, &prompts, CollisionMode::Ask);
    write(writer);
    writer.End();
    writer.ReportInto(result);
    return result;
}

// Asks for a file name with the save dialog (which asks before replacing a
// file), then writes bytes there whole. Nothing is asked when bytes is empty.
BatchResult SaveThroughDialog(const SaveFileRequest& request, ByteView bytes, Prompts& prompts);

// One image as its own one-image file through the "Save Icon" or "Save
// Cursor" dialog, <base>.ico or .cur by default; an image that is not in the
// file writes nothing and says so. cursorForm: as in GroupSelection.
template <class Image>
BatchResult SaveGroupImage(const Image& im, const std::string& base, Prompts& prompts,
                           CursorDataForm cursorForm = CursorDataForm::Resource);

// One image drawn on the key colour as a .bmp file through the "Save Bitmap"
// dialog ("Save Cursor as Bitmap" for a cursor), <base>.bmp by default; an
// image that does not decode writes nothing and says so.
template <class Image>
BatchResult ConvertGroupImage(const Image& im, const std::string& base, Prompts& prompts);

inline constexpr const char* kSaveBitmapTitle = "Save Bitmap";
inline constexpr const char* kSaveCursorBitmapTitle = "Save Cursor as Bitmap";
inline constexpr const char* kSaveBitmapFilter = "Bitmaps (*.bmp)";
// The "Save Bitmap" dialog's request, <base>.bmp by default.
SaveFileRequest BitmapSaveRequest(const std::string& base, const char* title = kSaveBitmapTitle);

// The Icon Workdesk's names for them.
inline BatchResult SaveIconGroup(const IconGroup& group, Prompts& prompts) {
    return SaveDeskGroup(group, prompts);
}
inline BatchResult SaveAllIconGroups(const std::vector<IconGroup>& groups, ActionFlags& flags,
                                     Prompts& prompts) {
    return SaveAllDeskGroups(groups, flags, prompts);
}
inline BatchResult ExtractIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts) {
    return ExtractDeskImages(selection, flags, prompts);
}
inline BatchResult ConvertIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts) {
    return ConvertDeskImages(selection, flags, prompts);
}

} // namespace gw
