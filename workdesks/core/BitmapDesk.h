#pragma once
// The Bitmap Workdesk without a window: its items (one per bitmap that
// decodes, with the texts the list and the property sheet show), their
// order, the thumbnail of each, and the two save commands.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "formats/BmpTypes.h"
#include "formats/FileContents.h"
#include "pictures/BitmapBox.h"
#include "platform/Bitmap.h"

namespace gw {

class ResourceModule;

class Prompts;
struct FileContents;

inline constexpr const char* kAllBitmapsFolderTitle = "Select Folder for All Bitmaps";


// The pixel-format text of a bitmap's item: "Device", "2", "16", "256",
// "15 Bit", "16 Bit", "24 Bit", "32 Bit"; "Custom" for the toolkit's own.
const char* BitmapFormatText(PixelFormat format);

// One item of the workdesk: a bitmap of the file and the texts shown for it.
struct BitmapDeskItem {
    size_t entry = 0;      // its index in FileContents::Bitmaps (and its thumbnail's)
    std::string caption;   // the resource name, or the decimal text of its id
    bool isNamed = false;  // the caption is a name, not an id
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format = PixelFormat::Device;

    // The five texts beside the caption: "Bitmap", "1"/"0", width, height, format.
    std::vector<std::string> SubItems() const;
};

// The items of a load, in caption order: only the entries that hold a
// bitmap (a load fills fewer entries than the explorer counted when some
// bitmaps do not decode); each keeps its entry number.
std::vector<BitmapDeskItem> BitmapDeskItemsOf(const std::vector<BitmapRecord>& bitmaps);

// The caption order: ids by value before names (CompareNumberNames), then
// the C library's collation for the current locale (locale-aware and
// case-sensitive), then byte order, then entry order.
bool BitmapCaptionBefore(const BitmapDeskItem& a, const BitmapDeskItem& b);


// Where the save commands take a bitmap from: the loaded list (resource and
// NE files), the PE file's resources read again by name or id, or nowhere.
enum class BitmapSaveSource : uint8_t { Loaded, ReadAgain, None };

struct BitmapDeskFile {
    const std::vector<BitmapRecord>* bitmaps = nullptr;
    std::string path;                        // the file the bitmaps came from
    BitmapSaveSource source = BitmapSaveSource::None;
    const ResourceModule* module = nullptr;  // ReadAgain: the opened file's resource directory
};

// The source the kind of the opened file implies: resource files and NE
// files save what was loaded; 32-bit executables read the resource again.
BitmapSaveSource BitmapSaveSourceFor(FileKind kind);

// The .bmp file Save writes for an item; empty, with why set, when there is none.
Bytes DeskBitmapFile(const BitmapDeskFile& file, const BitmapDeskItem& item, std::string& why);

// Save One: the item's bitmap through the "Save Bitmap" dialog (which asks
// before replacing a file), in its pixel format (device format: the
// display's depth).
BatchResult SaveDeskBitmap(const BitmapDeskFile& file, const BitmapDeskItem& item, Prompts& prompts);

// Save All: every item, in the order given, as <folder>/<caption>.bmp,
// existing files settled by the shared rule. A cancelled folder browser
// leaves the five flags as they are.
BatchResult SaveAllDeskBitmaps(const BitmapDeskFile& file, const std::vector<BitmapDeskItem>& items,
                               ActionFlags& flags, Prompts& prompts);

} // namespace gw
