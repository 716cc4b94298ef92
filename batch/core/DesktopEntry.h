#pragma once
// A menu entry made from a Windows program: its icon as a freedesktop icon
// set (share/icons/hicolor/NxN/apps/ID.png) and a desktop entry
// (share/applications/ID.desktop) that starts it with Wine, named from its
// version information. A folder stands for its main program, picked among
// its executables with an icon, leaving out uninstallers, set-ups, updaters,
// crash reporters and redistributables' launchers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/core/DesktopExec.h"
#include "platform/ByteReader.h"

namespace gw {

// The sizes a program's icon is written in, when its first icon group holds
// an image of that size.
inline constexpr int kMenuIconSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};

// "grabwell-notepad-1a2b": the lower-cased base name of the program (letters
// and digits, other runs of characters as "-") and the first four hex digits
// of the MD5 of its absolute path, so the same program keeps its entry and
// two programs of one name do not share one.
std::string DesktopEntryId(const std::string& absolutePath);

// The user's data folder, where --install writes: $XDG_DATA_HOME, else
// ~/.local/share; empty when neither tells one.
std::string UserDataFolder();
struct DesktopEntryRequest {
    std::string program;    // the executable, or a folder to pick its main program from
    std::string name;       // the menu's name; empty: from the version information
    std::string exec;       // the command as written in Exec; empty: wine "PATH" (in the program's Wine prefix)
    std::string categories; // e.g. "Game;": written as Categories when given
    std::string dataDir;    // where applications/ and icons/ go (PREFIX/share, or the user's data folder)
    std::string wine = "wine"; // the Wine command, as words ("/opt/wine-staging/bin/wine")

    // What a shortcut adds (desktop-entry --sync):
    std::string source{};        // the file the entry stands for (the shortcut); empty: the program
    std::string arguments{};     // the program's Windows command line arguments
    std::string workingFolder{}; // its working folder (a Linux path); empty: the program's folder
    std::string comment{};       // the shortcut's description
    std::string iconFile{};      // the file of its icon location (a Linux path); empty: the program
    int32_t iconIndex = 0;     // the icon location's index (IconLocation.h)
};

struct PlannedFile {
    std::string path;
    Bytes bytes;
};

// What a run writes: every file, whole, before anything is written. error
// set (and no files) when the program cannot be used; it does not name the
// program (program, or the request's when none was picked yet).
struct DesktopEntryPlan {
    std::string id;
    std::string program; // the executable the entry starts (picked when a folder was given)
    std::string name;
    std::string exec;           // the command, as the Exec key's value before its string escape
    std::string winePrefix;     // the Wine prefix the program lies in, "" when none
    std::vector<int> iconSizes; // the icon sizes written, ascending; none: an entry without an icon
    bool madeLarger = false;    // a 48-pixel picture was made from a smaller image
    std::vector<PlannedFile> files;
    std::string error;
    bool badExec = false; // the error is the given command's (a wrong argument, not a wrong program)
};

DesktopEntryPlan PlanDesktopEntry(const DesktopEntryRequest& request);

// Writes the planned files, each whole (a temporary file in its folder, then
// a rename), replacing earlier files of the same entry and removing its
// icons of sizes no longer planned; a file that already holds the planned
// bytes is left as it is. "" on success, else the first failure (files
// written before it stay whole). written counts the files written or removed.
std::string WriteDesktopEntry(const DesktopEntryPlan& plan, int* written = nullptr);

// The entries made by desktop-entry in dataDir, with what each was made for
// (the X-Grabwell- keys every entry carries).
struct MadeEntry {
    std::string id;
    std::string path;    // the .desktop file
    std::string source;  // the program or shortcut it was made for
    std::string program; // the program it starts
    std::string prefix;  // the Wine prefix it runs in, "" when none
};
std::vector<MadeEntry> MadeEntries(const std::string& dataDir);

// Removes an entry made by desktop-entry: its .desktop file and its icons.
// The paths removed; error "" or the first failure.
struct Removal {
    std::vector<std::string> removed;
    std::string error;
};
Removal RemoveMadeEntry(const std::string& dataDir, const MadeEntry& entry, bool dryRun = false);

// After an install into a user's data folder: tells the desktop the icon
// theme changed (the hicolor folder's time stamp, and gtk-update-icon-cache
// when it is installed and the folder already has a cache).
void RefreshIconTheme(const std::string& dataDir);

// One executable of a folder, as the picking of its main program judged it.
struct ProgramCandidate {
    std::string path;
    bool excluded = false;     // an uninstaller, set-up, updater ... or without an icon
    bool matchesFolder = false;
    int iconImages = 0;        // images of its first icon group
    int largestIcon = 0;       // the widest of them
    uint64_t fileSize = 0;
    std::vector<std::string> reasons;
    int64_t score = 0;         // higher first; excluded ones below every other
};

// Why a program is not one a menu should start (an uninstaller, set-up,
// updater, crash reporter, redistributable's launcher ...), by its file name
// or its description; "" when nothing speaks against it.
std::string ProgramExclusionReason(const std::string& fileName, const std::string& description);

// Every .exe of the folder and its sub-folders (three levels, by the tree
// walk's rule: TreeWalk.h), best first: not excluded, then matching the folder's name (by
// file name or version information), then the richest icon group, then the
// largest file.
std::vector<ProgramCandidate> RankPrograms(const std::string& folder);

} // namespace gw
