#pragma once
// One file as a whole: what kind it is, the counts the explorer shows for it,
// and loading every icon group, cursor group and bitmap it holds through the
// loaders, in the calling order the windows use.
#include <string>

#include "formats/CommonData.h"

namespace gw {

enum class ContainerKind : uint8_t {
    IconFile,
    CursorFile,
    BitmapFile,
    NEFile,
    PEFile,
    ResourceFile,
    NonExecutable,
};

const char* ContainerKindText(ContainerKind kind); // "Icon File", "Cursor File", ...

// True for the extensions of compiled resource files (.res .r32 .r16 .dcr).
bool IsResourceFileName(const std::string& name);

struct FileCounts {
    ContainerKind kind = ContainerKind::NonExecutable;
    TFileKind fileKind = fkNonExecutable;
    int iconGroups = 0;
    int cursorGroups = 0;
    int bitmaps = 0;
};

// Classifies a file and counts what it holds, touching only what the
// counters need.
FileCounts CountFile(const std::string& path);

struct LoadResult {
    bool ok = true;       // every loader reported success
    std::string error;    // why not, when !ok
};

// Loads everything the file holds into cd (lists sized from the counts, as
// the workdesks do). cd.SelFileName/SelFilePath are set from path.
LoadResult LoadFileContents(CommonData& cd, const std::string& path, const FileCounts& counts,
                            bool icons = true, bool cursors = true, bool bitmaps = true);

} // namespace gw
