#pragma once
// The values the windows hand to each other and the lists the loaders fill:
// one object, created once and passed by reference to every window and loader.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/BmpTypes.h"
#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"
#include "formats/ResTypes.h"

namespace gw {

struct CommonData {
    std::string SelFileName; // the list item's caption
    std::string SelFilePath; // folder + "/" + SelFileName
    int32_t IconGroupCount = 0;
    int32_t BitmapCount = 0;
    int32_t CursorGroupCount = 0;

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

    // The lists of the loader units (IconManage, CursorManage, BmpManage).
    std::vector<TAdvIconGroupList> IconGroups;
    std::vector<TAdvCursorGroupList> CursorGroups;
    std::vector<TAdvBmp> Bitmaps;
    int32_t MaxBmpWidth = 0;
    int32_t MaxBmpHeight = 0;

    // Why the last load failed, for windows and the command line that want to
    // say more than the status byte. Loaders never show it themselves.
    std::string LastError;

    // Release in the system's order: image blocks, then handles, then the
    // image arrays, then the group list.
    void ReleaseIconGroups();
    void ReleaseCursorGroups();
    void ReleaseBitmaps();
};

// Opens a path for reading; true when it opened and holds at least 64 bytes.
bool OpenCheckedFile(class MappedFile& file, const std::string& path);

// Classifies a file; every failure yields fkNonExecutable.
TFileKind GetFileKind(const std::string& path);
// The same over bytes already in memory (the name gives the extension).
TFileKind GetFileKindOfBytes(const std::string& name, ByteView bytes);

} // namespace gw
