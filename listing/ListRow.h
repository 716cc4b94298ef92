#pragma once
// One row of a folder listing, without its picture: what the explorer's file
// list shows in its columns and what the batch commands walk. The picture of
// row n is picture n of the scan (pictures/RowPicture.h).
#include <string>

namespace gw {

inline constexpr const char* kFolderMarker = "0";
inline constexpr const char* kFileMarker = "1";
// The type texts of an .ani file's row and of a resource file's row.
inline constexpr const char* kAnimatedCursorType = "Animated Cursor";
inline constexpr const char* kResourceFileType = "Resource File";

struct ListRow {
    int imageIndex = 0;     // the row number in the order the scan added rows
    std::string caption;    // the name exactly as the folder listing gave it
    std::string typeText;   // sub-item 0, column "Type"; empty for a folder
    std::string countText;  // sub-item 1, column "Objects"; empty for a folder
    std::string kindMarker; // sub-item 2, never shown: "0" folder, "1" file
};

} // namespace gw
