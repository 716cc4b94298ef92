#pragma once
// What one file holds: its icon groups, cursor groups and bitmaps as the
// loaders fill them, the counts the lists are sized from, and what the loads
// found damaged; what kind of file it is and the counts the explorer shows.
// The file itself, opened once, is an Document.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/BmpTypes.h"
#include "formats/CurTypes.h"
#include "formats/FileKind.h"
#include "formats/IcoTypes.h"
#include "formats/ResTypes.h"
#include "platform/ReadError.h"

namespace gw {

struct FileContents {
    // The number of entries each list is loaded with: the count the explorer
    // showed for the file. The loaders size the lists to them.
    int32_t IconGroupCount = 0;
    int32_t BitmapCount = 0;
    int32_t CursorGroupCount = 0;

    std::vector<IconGroup> IconGroups;
    std::vector<CursorGroup> CursorGroups;
    std::vector<BitmapRecord> Bitmaps;
    // Animated cursors and icons: a .ani file's one, or a container's
    // resources of types 21 and 22.
    std::vector<AnimatedCursor> Animations;
    int32_t MaxBmpWidth = 0; // the largest bitmap of the last bitmap load
    int32_t MaxBmpHeight = 0;

    // What each load found damaged, and where; the same damage found by two
    // loads is kept once.
    std::vector<ReadError> Errors;

    void NoteError(const std::optional<ReadError>& error);
    void RaiseMaxBmpSize(int32_t width, int32_t height);
};

// Whether the load filled a list entry: a group named or holding images, a
// bitmap whose header decoded. Entries a damaged file left empty are not
// listed or written.
template <class Group>
bool IsFilled(const Group& group) {
    return !group.Name.empty() || !group.Images.empty();
}
inline bool IsFilled(const BitmapRecord& bitmap) { return bitmap.Width > 0 && bitmap.Height > 0; }

// Whether a record's languages are worth saying: it is held in more than one
// language, or in one other than neutral (0).
template <class Record>
bool TellsLanguage(const Record& record) {
    return record.Languages.size() > 1 || record.Language != 0;
}

// True for the extensions of compiled resource files (.res .r32 .r16 .dcr).
bool IsResourceFileName(const std::string& name);

struct FileCounts {
    FileKind kind = FileKind::NonExecutable;
    int iconGroups = 0;
    int cursorGroups = 0;
    int bitmaps = 0;
    int animations = 0; // animated cursors and icons
    // Damage the counting itself ran into (a resource directory or a walk
    // over the entries cut short), so that a file whose damage hides every
    // object still says so.
    std::optional<ReadError> damage;
};

} // namespace gw
