#include "batch/core/PrefixMenu.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "batch/core/TreeWalk.h"
#include "platform/Paths.h"
#include "platform/WinePrefix.h"

namespace gw {

namespace fs = std::filesystem;

namespace {

// Start Menus hold programs a few folders deep ("Programs/Maker/Game/Game.lnk").
constexpr int kStartMenuDepth = 6;

// The users' folders of a prefix: drive_c/users/* (Public among them).
std::vector<std::string> UserFolders(const std::string& prefix) {
    std::vector<std::string> users;
    const std::optional<std::string> folder = ResolveWindowsPath(prefix, "C:\\users");
    if (!folder) return users;
    for (const FolderEntry& e : ListFolder(*folder))
        if (e.IsFolder()) users.push_back(e.name);
    std::sort(users.begin(), users.end());
    return users;
}

void AddShortcutsBelow(const std::string& folder, int maxDepth, std::set<std::string>& found) {
    if (!IsFolder(folder)) return;
    WalkOptions options;
    options.maxDepth = maxDepth;
    options.order = WalkOrder::ByteOrder;
    FolderWalk walk(folder, options);
    WalkEntry entry;
    while (walk.Next(entry))
        if (entry.kind == WalkEntry::Kind::File && LowerExtension(entry.name) == ".lnk") found.insert(entry.path);
}

} // namespace

DesktopEntryRequest RequestForShortcut(const Shortcut& shortcut, DesktopEntryRequest base) {
    base.program = shortcut.target;
    base.source = shortcut.path;
    if (base.name.empty()) base.name = shortcut.Name();
    base.arguments = shortcut.link.arguments;
    base.workingFolder = IsFolder(shortcut.workingFolder) ? shortcut.workingFolder : std::string();
    base.comment = shortcut.link.description;
    if (shortcut.iconFromLocation) {
        base.iconFile = shortcut.iconFile;
        base.iconIndex = shortcut.iconIndex;
    }
    return base;
}

std::vector<std::string> PrefixShortcuts(const std::string& prefix) {
    std::set<std::string> found;
    for (const char* programs : {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"})
        if (const auto folder = ResolveWindowsPath(prefix, programs)) AddShortcutsBelow(*folder, kStartMenuDepth, found);
    for (const std::string& user : UserFolders(prefix)) {
        const std::string home = "C:\\users\\" + user;
        for (const std::string& programs : {home + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                                            home + "\\Start Menu\\Programs"})
            if (const auto folder = ResolveWindowsPath(prefix, programs))
                AddShortcutsBelow(*folder, kStartMenuDepth, found);
        // A desktop's own shortcuts only: Wine links a user's Desktop to the
        // Linux desktop, whose folders are not the prefix's.
        if (const auto desktop = ResolveWindowsPath(prefix, home + "\\Desktop")) AddShortcutsBelow(*desktop, 0, found);
    }
    return {found.begin(), found.end()};
}

std::vector<ShortcutCandidate> JudgeShortcuts(const std::string& prefix) {
    std::vector<ShortcutCandidate> candidates;
    for (const std::string& path : PrefixShortcuts(prefix)) {
        ShortcutCandidate c;
        c.shortcut = ReadShortcut(path);
        const Shortcut& s = c.shortcut;
        const auto leaveOut = [&](std::string why) {
            c.excluded = true;
            c.reasons.push_back(std::move(why));
        };
        if (s.error && s.link.targetPath.empty() && s.link.relativePath.empty())
            leaveOut("cannot be read: " + s.error->Describe());
        else if (s.target.empty())
            leaveOut("its target \"" + s.link.targetPath + "\" is not in the prefix");
        else if (LowerExtension(s.target) != ".exe")
            leaveOut("its target is not a program: " + s.target);
        else if (!EntryExists(s.target))
            leaveOut("its target is missing: " + s.target);
        else if (const std::string why = ProgramExclusionReason(PathFileName(s.target), s.Name() + " " + s.link.description);
                 !why.empty())
            leaveOut(why);
        else
            c.reasons.push_back("starts " + s.target);
        candidates.push_back(std::move(c));
    }
    return candidates;
}

PrefixSync PlanPrefixSync(const std::string& prefix, const DesktopEntryRequest& base) {
    PrefixSync sync;
    std::set<std::string> kept;
    for (const ShortcutCandidate& c : JudgeShortcuts(prefix)) {
        if (c.excluded) continue;
        kept.insert(c.shortcut.path);
        sync.entries.push_back(PlanDesktopEntry(RequestForShortcut(c.shortcut, base)));
    }
    for (MadeEntry& made : MadeEntries(base.dataDir))
        if (made.prefix == prefix && LowerExtension(made.source) == ".lnk" && !kept.count(made.source))
            sync.stale.push_back(std::move(made));
    return sync;
}

std::vector<MadeEntry> EntriesMadeFor(const std::string& dataDir, const std::string& target) {
    const std::string absolute = AbsolutePath(target);
    const bool isPrefix = IsWinePrefix(absolute);
    std::vector<MadeEntry> entries;
    for (MadeEntry& made : MadeEntries(dataDir))
        if ((isPrefix && made.prefix == absolute) || made.source == absolute || made.program == absolute)
            entries.push_back(std::move(made));
    return entries;
}

} // namespace gw
