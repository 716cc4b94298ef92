#pragma once
// The folder scanners of the explorer's display categories. Each lists the
// sub-folders of a folder, then the files of its category with their type
// text, object count and picture. They touch no window: the explorer shows
// what they return, and the progress callback is where it repaints.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "explorer/core/Categories.h"
#include "explorer/core/ExplorerState.h"
#include "explorer/core/ListRow.h"

namespace gw {

// Called once per folder entry the scan looks at, before any test of it,
// with the entry's lower-cased name and the gauge's percent. Returning false
// ends the scan there (the window is closing); the rows made so far stand.
using ScanProgress = std::function<bool(const std::string& lowerName, int percent)>;

struct ScanResult {
    std::vector<ListRow> rows; // row n has imageIndex n and owns picture n
    int dirCount = 0;
    int fileCount = 0;              // the scanner's own counter ...
    bool countsContainers = false;  // ... ContainerCount when true, else ImageFileCount
    std::optional<int> foundResCount; // FoundResCount after the last file examined, when the scanner counts resources
    bool showWizard = false;        // sbWizard and the "&Wizard" menu
    bool showAllBits = false;       // sbAllBits and the "&Bitmaps" menu
    bool stopped = false;           // the progress callback ended the scan early
};

// Runs the category's scanner over folder.
ScanResult RunScanner(const std::string& folder, const Category& category, const ScanProgress& progress);

ScanResult ReadIcons(const std::string& folder, const ScanProgress& progress);
ScanResult ReadFiles(const std::string& folder, const ScanProgress& progress);
ScanResult ReadBitmaps(const std::string& folder, const ScanProgress& progress);
ScanResult ReadCursors(const std::string& folder, const ScanProgress& progress);
ScanResult ReadCursorBitmapFiles(const std::string& folder, bool isBitmap, const ScanProgress& progress);
ScanResult ReadResources(const std::string& folder, uint16_t resType, const ScanProgress& progress);

// Stores the counters of a scan: DirCount, the scanner's own counter (the
// other keeps its value) and FoundResCount when the scanner counted.
void StoreScanCounters(ExplorerState& state, const ScanResult& result);

// ---- the pieces the scanners share, exposed for their tests ----

// The type text of an executable or library by its lower-cased extension
// (".dll" -> "File Extension"); withLibraries accepts ".icl" and ".cpl" as
// "Library". Empty when the extension is not accepted.
std::string ContainerTypeText(const std::string& lowerExtension, bool withLibraries);

// True for the extensions ReadResources accepts for a resource type: ".res",
// ".r32", ".r16", and ".dcr" for bitmaps only.
bool AcceptsResourceFile(const std::string& lowerExtension, uint16_t resType);

// A file mask of the form "*.*" (everything) or "*.ext", matched without
// regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

// The gauge's percent: count x 100 div total, kept within 0 to 100; 100 when
// the total is 0 (the folder holds more than it was expected to).
int GaugePercent(int count, int total);

struct FolderEntry {
    std::string name;
    bool isFolder = false; // a folder, or a link to one
};

// A folder as the platform's enumeration with all attributes gives it: "."
// and "..", then every entry in the file system's order. Empty when the
// folder cannot be listed.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Names starting with "." are hidden: the folder tree does not show them and
// the list does not either, though the scan still steps over them.
bool IsHiddenName(const std::string& name);

// The progress gauge's expected total: the visible files matching the mask
// plus the visible sub-folders.
int ExpectedTotal(const std::vector<FolderEntry>& entries, const std::string& mask);

} // namespace gw
