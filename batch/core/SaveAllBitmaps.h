#pragma once
// "Save all Bitmaps": a copy of every bitmap file the explorer lists, read
// and written again by the bitmap writer, into a folder the user picks.
#include <span>
#include <string>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "listing/ListRow.h"

namespace gw {

class Prompts;

struct SaveAllBitmapsRequest {
    std::string CurrentDir;        // the folder listed
    std::span<const ListRow> rows; // the list's rows in their display order
    int ImageFileCount = 0;        // bitmap files listed
    int DirCount = 0;              // folders listed
};

// Asks for the target folder (cancelled: nothing happens), then writes each
// listed bitmap file as its name lower-cased up to its first "." + ".bmp",
// settling existing files by the shared rule. A source that cannot be read
// or a write that fails ends the command (result.error names the file);
// copies already written stay; the five flags are cleared on every path.
BatchResult RunSaveAllBitmaps(const SaveAllBitmapsRequest& request, ActionFlags& flags, Prompts& prompts);

} // namespace gw
