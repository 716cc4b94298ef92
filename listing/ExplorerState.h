#pragma once
// The explorer's values: the folder and category of the last scan, its
// counters and the row selected in the file list, which the explorer's own
// batch commands read. The viewers are opened with a path and read nothing
// here. One object, owned by the program entry.
#include <cstdint>
#include <optional>
#include <string>

#include "listing/Categories.h"
#include "listing/ListRow.h"

namespace gw {

// The sort key of the file list.
enum class SortMode : uint8_t { ByName = 0, ByType = 1, ByObjects = 2 };

struct ExplorerState {
    // The folder shown, as the folder tree gives it: no trailing "/" except
    // for the root "/".
    std::string CurrentDir;
    // A copy of the row selected at the last click or double-click, so that it
    // stays valid while the list re-sorts or a viewer is open.
    std::optional<ListRow> SelectedItem;

    // The display category of the last scan: what it listed and how.
    gw::Category Category = Category::Icons;

    int DirCount = 0;       // sub-folders listed by the last scan
    int ImageFileCount = 0; // .ico, .bmp or .cur files listed by the last image-file scan
    int ContainerCount = 0; // executables, libraries or resource files listed by the last container scan
    int FoundResCount = 0;  // resources of one type counted in the last file examined

    std::string TempDir; // the temporary folder, without a trailing "/"

    gw::SortMode SortMode = SortMode::ByName;
    uint8_t SortAscending = 1;
};

} // namespace gw
