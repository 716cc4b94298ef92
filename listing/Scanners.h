#pragma once
// The folder scanners of the explorer's display categories. Each lists the
// sub-folders of a folder, then the files of its category with their kind,
// object count and, when asked, picture. They touch no window: the
// explorer shows what they return, and the progress callback is where it
// repaints; grabwell-cli lists a folder for its wizard without pictures.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "listing/Categories.h"
#include "listing/ExplorerState.h"
#include "listing/ListRow.h"
#include "pictures/RowPicture.h"
#include "platform/Paths.h"

namespace gw {

// Called once per folder entry the scan looks at, before any test of it,
// with the entry's lower-cased name and the gauge's percent. Returning false
// ends the scan there (the window is closing); the rows made so far stand.
using ScanProgress = std::function<bool(const std::string& lowerName, int percent)>;

// Whether a scan draws the pictures of its rows. Which rows are listed does
// not depend on it: a row whose listing needs a decoded image decodes it either way.
enum class PictureMode : uint8_t { Draw, Skip };

struct ScanResult {
    std::vector<ListRow> rows;         // row n has imageIndex n ...
    std::vector<RowPicture> pictures;  // ... and owns picture n (none with PictureMode::Skip)
    int dirCount = 0;
    int fileCount = 0;              // the scanner's own counter ...
    bool countsContainers = false;  // ... ContainerCount when true, else ImageFileCount
    std::optional<int> foundResCount; // FoundResCount after the last file examined, when the scanner counts resources
    bool showWizard = false;        // sbWizard and the "&Wizard" menu
    bool showAllBits = false;       // sbAllBits and the "&Bitmaps" menu
    bool stopped = false;           // the progress callback ended the scan early
};

// Runs the category's scanner over folder.
ScanResult RunScanner(const std::string& folder, Category category, const ScanProgress& progress,
                      PictureMode pictures = PictureMode::Draw);

ScanResult ReadIcons(const std::string& folder, const ScanProgress& progress, PictureMode pictures = PictureMode::Draw);
ScanResult ReadFiles(const std::string& folder, const ScanProgress& progress, PictureMode pictures = PictureMode::Draw);
ScanResult ReadBitmaps(const std::string& folder, const ScanProgress& progress,
                       PictureMode pictures = PictureMode::Draw);
ScanResult ReadCursors(const std::string& folder, const ScanProgress& progress,
                       PictureMode pictures = PictureMode::Draw);
ScanResult ReadCursorBitmapFiles(const std::string& folder, bool isBitmap, const ScanProgress& progress,
                                 PictureMode pictures = PictureMode::Draw);
ScanResult ReadResources(const std::string& folder, uint16_t resType, const ScanProgress& progress,
                         PictureMode pictures = PictureMode::Draw);
// .ani files, each pictured by its first step's frame.
ScanResult ReadAnimatedCursors(const std::string& folder, const ScanProgress& progress,
                               PictureMode pictures = PictureMode::Draw);
// Executables, libraries and resource files holding animated cursors or
// icons, counted, each pictured by its first animation's first frame.
ScanResult ReadAnimatedCursorResources(const std::string& folder, const ScanProgress& progress,
                                       PictureMode pictures = PictureMode::Draw);

// Another category that lists files of a folder where the one shown lists
// none, and how many: the first in the box's order among those of the same
// objects, then among the others. None when no category would list a file,
// or when the folder holds more than kMaxHintFiles files (too many to read
// again for a hint).
struct CategoryFinding {
    Category category;
    int files = 0;
};
inline constexpr int kMaxHintFiles = 4096;
std::optional<CategoryFinding> CategoryThatFindsFiles(const std::string& folder, Category shown);
// "19 files with icons under "Icon Files"", "1 bitmap under "Bitmaps"".
std::string CategoryFindingText(const CategoryFinding& finding);

// Stores the counters of a scan: DirCount, the scanner's own counter (the
// other keeps its value) and FoundResCount when the scanner counted.
void StoreScanCounters(ExplorerState& state, const ScanResult& result);

// ---- the pieces the scanners share, exposed for their tests ----

// True for the extensions ReadResources accepts for a resource type: ".res",
// ".r32", ".r16", and ".dcr" for bitmaps only.
bool AcceptsResourceFile(const std::string& lowerExtension, uint16_t resType);

// A file mask of the form "*.*" (everything) or "*.ext", matched without
// regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

// The gauge's percent: count x 100 div total, kept within 0 to 100; 100 when
// the total is 0 (the folder holds more than it was expected to).
int GaugePercent(int count, int total);

// The progress gauge's expected total: the visible files matching the mask
// plus the visible sub-folders.
int ExpectedTotal(const std::vector<FolderEntry>& entries, const std::string& mask);

} // namespace gw
