#pragma once
// The hand-over between windows: which file and which item the next window
// is to show, and the flags that say where it was opened from. One object,
// created once and passed by reference to every window. What a file holds is
// not here: that is the FileContents a viewer loads.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Bitmap.h"

namespace gw {

struct CommonData {
    std::string SelFileName; // the list item's caption
    std::string SelFilePath; // folder + "/" + SelFileName

    // The item a Manager shows, and where its property sheet was opened from.
    std::string IconName;
    int32_t IconGroupIndex = 0;
    int32_t IconImageIndex = 0;
    int32_t IconPropsSource = 0;

    std::string CursorName;
    int32_t CursorGroupIndex = 0;
    int32_t CursorImageIndex = 0;
    int32_t CursorPropsSource = 0;

    int32_t BitmapIndex = 0;
    std::shared_ptr<Bitmap> WorkBitmap = std::make_shared<Bitmap>();

    // Set when a row is opened: a Workdesk was shown for it, and whether the
    // row came from a "Files" or a "Resources" category.
    uint8_t WorkdeskShown = 0;
    uint8_t ExecutableSource = 0;
    uint8_t ResourceSource = 0;
    uint8_t PropsDialogOpen = 0;
};

} // namespace gw
