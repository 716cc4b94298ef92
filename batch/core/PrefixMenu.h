#pragma once
// Menu entries for the programs of a Wine prefix, made from the shortcuts
// their installers left in its Start Menu and Desktop folders: named as the
// shortcut, started with its arguments in its working folder, shown with
// the icon of its icon location. A record in each entry (DesktopEntry.h,
// MadeEntry) lets a later run leave unchanged entries alone and remove the
// entries of shortcuts that are gone.
#include <string>
#include <vector>

#include "batch/core/DesktopEntry.h"
#include "formats/Shortcut.h"

namespace gw {

// The request for a shortcut's entry: base (data folder, categories, Wine
// command) with the shortcut's program, name, arguments, working folder,
// description and icon location.
DesktopEntryRequest RequestForShortcut(const Shortcut& shortcut, DesktopEntryRequest base);

// The shortcuts (.lnk) of a prefix's Start Menu and Desktop folders, of
// every user and of all users, in byte order of their paths. Folder names
// are matched ignoring case, as Windows does.
std::vector<std::string> PrefixShortcuts(const std::string& prefix);

// A shortcut as --sync judges it.
struct ShortcutCandidate {
    Shortcut shortcut;
    bool excluded = false;
    std::vector<std::string> reasons; // why it is left out, or what it starts
};
// Every shortcut of the prefix: those whose target is a program of the
// prefix that a menu should start, and those left out (no target, a target
// that is no .exe, an uninstaller or helper by the rules of RankPrograms).
std::vector<ShortcutCandidate> JudgeShortcuts(const std::string& prefix);

struct PrefixSync {
    std::vector<DesktopEntryPlan> entries; // one for each shortcut kept, errors included
    std::vector<MadeEntry> stale;          // entries made for this prefix's shortcuts that are gone or left out
};
// What --sync does for prefix into base.dataDir.
PrefixSync PlanPrefixSync(const std::string& prefix, const DesktopEntryRequest& base);

// The entries made in dataDir for target: every entry of a prefix when
// target is one (FindWinePrefix), else the entries made for the program or
// shortcut target.
std::vector<MadeEntry> EntriesMadeFor(const std::string& dataDir, const std::string& target);

} // namespace gw
