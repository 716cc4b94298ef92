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

// An argument of a desktop entry's Exec key: quoted with double quotes when
// it holds a character the key reserves (and ", `, $ and \ escaped inside),
// "%" doubled; then escaped as every string value is (\ as \\).
std::string DesktopExecArgument(const std::string& argument);
// The same before the string escape: the argument as a user types it into
// a command line of the Exec key.
std::string DesktopExecQuote(const std::string& argument);

// The user's data folder, where --install writes: $XDG_DATA_HOME, else
// ~/.local/share; empty when neither tells one.
std::string UserDataFolder();
// A string value of a desktop entry: \, newline, tab and carriage return
// escaped; other control characters dropped.
std::string DesktopString(const std::string& text);

struct DesktopEntryRequest {
    std::string program;    // the executable, or a folder to pick its main program from
    std::string name;       // the menu's name; empty: from the version information
    std::string exec;       // the command as written in Exec; empty: wine "PATH"
    std::string categories; // e.g. "Game;": written as Categories when given
    std::string dataDir;    // where applications/ and icons/ go (PREFIX/share, or the user's data folder)
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
    std::vector<int> iconSizes; // the icon sizes written, ascending
    bool madeLarger = false;    // a 48-pixel picture was made from a smaller image
    std::vector<PlannedFile> files;
    std::string error;
};

DesktopEntryPlan PlanDesktopEntry(const DesktopEntryRequest& request);

// Writes the planned files, each whole (a temporary file in its folder, then
// a rename), replacing earlier files of the same entry; "" on success, else
// the first failure (files written before it stay whole).
std::string WriteDesktopEntry(const DesktopEntryPlan& plan);

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

// Every .exe of the folder and its sub-folders (three levels, by the tree
// walk's rule: TreeWalk.h), best first: not excluded, then matching the folder's name (by
// file name or version information), then the richest icon group, then the
// largest file.
std::vector<ProgramCandidate> RankPrograms(const std::string& folder);

} // namespace gw
