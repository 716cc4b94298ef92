#include "cli/DesktopEntryCommand.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "batch/core/DesktopEntry.h"
#include "batch/core/InfoJson.h"
#include "batch/core/PrefixMenu.h"
#include "cli/CliCommon.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WinePrefix.h"

namespace gw::cli {

void AddDesktopEntryCommand(CLI::App& app, DesktopEntryOptions& options) {
    CLI::App* command = app.add_subcommand(
        "desktop-entry", "Make an applications-menu entry (icon set and .desktop file) for a Windows program");
    command->add_option("--name", options.name, "The menu's name (default: the program's description, "
                                                "product name or file name)");
    command->add_option("--exec", options.exec,
                        "The command the entry runs (default: wine \"PROGRAM\", in the program's Wine prefix)");
    command->add_option("--wine", options.wine, "The Wine command (default: wine)")->type_name("COMMAND");
    command->add_option("--category", options.category, "The menu categories, e.g. \"Game;\"");
    auto* prefix = command->add_option("--prefix", options.prefix, "Write under DIR/share/ (applications, icons)")
                       ->type_name("DIR");
    command->add_flag("--install", options.install,
                      "Write into the user's data folder ($XDG_DATA_HOME or ~/.local/share) and tell the desktop")
        ->excludes(prefix);
    command->add_flag("--dry-run", options.dryRun, "Say what would be written (each entry's text), write nothing");
    auto* list = command->add_flag(
        "--list", options.list,
        "For a folder or a Wine prefix: every program or shortcut with its score and reasons, as JSON lines");
    auto* sync = command->add_flag("--sync", options.sync,
                                   "PROGRAM is a Wine prefix: an entry for each of its Start Menu and Desktop "
                                   "shortcuts; entries of shortcuts that are gone are removed");
    auto* remove = command->add_flag("--remove", options.remove,
                                     "Remove the entries made for PROGRAM (a program, shortcut or Wine prefix)");
    sync->excludes(list);
    remove->excludes(list)->excludes(sync);
    command->add_option("PROGRAM", options.program,
                        "The program, a folder to pick its main program from, a shortcut (.lnk), or a Wine prefix")
        ->required();
    options.command = command;
}

namespace {

// Says the entry on standard error and, on standard output, its files:
// those that would be written, or those written (none when it was unchanged).
void PrintPlan(const DesktopEntryPlan& plan, bool dryRun, bool written = true) {
    std::cerr << "grabwell-cli: " << plan.program << ": \"" << plan.name << "\"";
    if (plan.iconSizes.empty()) {
        std::cerr << ", no icon";
    } else {
        std::cerr << ", icon sizes";
        for (int size : plan.iconSizes) std::cerr << " " << size;
        if (plan.madeLarger) std::cerr << " (48 made from a smaller image)";
    }
    if (!plan.winePrefix.empty()) std::cerr << ", in the Wine prefix " << plan.winePrefix;
    std::cerr << "\n";
    for (const PlannedFile& file : plan.files) {
        if (!dryRun && !written) {
            break;
        } else if (!dryRun) {
            std::cout << file.path << "\n";
        } else if (LowerExtension(file.path) == ".desktop") {
            std::cout << "would write " << file.path << ":\n" << std::string(file.bytes.begin(), file.bytes.end());
        } else {
            std::cout << "would write " << file.path << " (" << file.bytes.size() << " bytes)\n";
        }
    }
}

// Writes one planned entry; false (said) when it could not be.
bool WritePlan(const DesktopEntryPlan& plan, bool dryRun, int* written = nullptr) {
    if (dryRun) {
        PrintPlan(plan, dryRun);
        return true;
    }
    int count = 0;
    const std::string error = WriteDesktopEntry(plan, &count);
    PrintPlan(plan, dryRun, count > 0);
    if (written) *written = count;
    if (!error.empty()) {
        std::cerr << "grabwell-cli: " << error << "\n";
        return false;
    }
    return true;
}

bool RemoveEntries(const std::string& dataDir, const std::vector<MadeEntry>& entries, bool dryRun) {
    bool ok = true;
    for (const MadeEntry& made : entries) {
        const Removal removal = RemoveMadeEntry(dataDir, made, dryRun);
        for (const std::string& path : removal.removed) std::cout << (dryRun ? "would remove " : "removed ") << path << "\n";
        if (!removal.error.empty()) {
            std::cerr << "grabwell-cli: " << removal.error << "\n";
            ok = false;
        }
    }
    return ok;
}

int ListCandidates(const std::string& target) {
    if (const std::string prefix = AbsolutePath(target); IsWinePrefix(prefix)) {
        for (const ShortcutCandidate& c : JudgeShortcuts(prefix)) {
            nlohmann::json line = {{"shortcut", c.shortcut.path},
                                   {"name", c.shortcut.Name()},
                                   {"target", c.shortcut.target},
                                   {"excluded", c.excluded},
                                   {"reasons", c.reasons}};
            std::cout << DumpJsonLine(line) << "\n";
        }
        return kExitOk;
    }
    if (!IsFolder(target)) {
        std::cerr << "grabwell-cli: desktop-entry --list needs a folder or a Wine prefix\n";
        return kExitUsage;
    }
    for (const ProgramCandidate& c : RankPrograms(target)) {
        nlohmann::json line = {{"path", c.path},          {"score", c.score},
                               {"excluded", c.excluded},  {"matches_folder", c.matchesFolder},
                               {"icon_images", c.iconImages}, {"largest_icon", c.largestIcon},
                               {"bytes", c.fileSize},     {"reasons", c.reasons}};
        std::cout << DumpJsonLine(line) << "\n";
    }
    return kExitOk;
}

int SyncPrefix(const std::string& target, const DesktopEntryRequest& base, bool dryRun) {
    const std::string prefix = AbsolutePath(target);
    if (!IsWinePrefix(prefix)) {
        std::cerr << "grabwell-cli: desktop-entry --sync: \"" << target
                  << "\" is not a Wine prefix (a folder with drive_c and system.reg or dosdevices)\n";
        return kExitUsage;
    }
    const PrefixSync sync = PlanPrefixSync(prefix, base);
    bool ok = true;
    int written = 0, unchanged = 0;
    for (const DesktopEntryPlan& plan : sync.entries) {
        if (!plan.error.empty()) {
            Complain(plan.program, plan.error);
            ok = false;
            continue;
        }
        int count = 0;
        ok = WritePlan(plan, dryRun, &count) && ok;
        (count > 0 ? written : unchanged) += 1;
    }
    ok = RemoveEntries(base.dataDir, sync.stale, dryRun) && ok;
    std::cerr << "grabwell-cli: " << prefix << ": " << CountText(sync.entries.size(), "shortcut") << " with a program";
    if (!dryRun) std::cerr << ", " << written << " written, " << unchanged << " unchanged";
    std::cerr << ", " << CountText(sync.stale.size(), "entry", "entries") << " of shortcuts now gone "
              << (dryRun ? "to remove" : "removed") << "\n";
    return ok ? kExitOk : kExitFailed;
}

} // namespace

int RunDesktopEntryCommand(const DesktopEntryOptions& options) {
    if (!options.command || !*options.command) return -1;
    if (options.list) return ListCandidates(options.program);
    DesktopEntryRequest request;
    request.program = options.program;
    request.name = options.name;
    request.exec = options.exec;
    request.categories = options.category;
    request.wine = options.wine;
    if (options.install) {
        request.dataDir = UserDataFolder();
        if (request.dataDir.empty()) {
            std::cerr << "grabwell-cli: cannot tell the data folder: neither XDG_DATA_HOME nor HOME is set\n";
            return kExitFailed;
        }
    } else if (!options.prefix.empty()) {
        request.dataDir = JoinPath(options.prefix, "share");
    } else {
        std::cerr << "grabwell-cli: desktop-entry needs --prefix DIR or --install (or --dry-run with either)\n";
        return kExitUsage;
    }
    if (options.remove) {
        const std::vector<MadeEntry> made = EntriesMadeFor(request.dataDir, options.program);
        if (made.empty()) {
            std::cerr << "grabwell-cli: no menu entry made for \"" << options.program << "\" under "
                      << request.dataDir << "\n";
            return kExitFailed;
        }
        const bool ok = RemoveEntries(request.dataDir, made, options.dryRun);
        if (ok && !options.dryRun && options.install) RefreshIconTheme(request.dataDir);
        return ok ? kExitOk : kExitFailed;
    }
    if (options.sync) {
        const int status = SyncPrefix(options.program, request, options.dryRun);
        if (!options.dryRun && options.install) RefreshIconTheme(request.dataDir);
        return status;
    }
    if (LowerExtension(options.program) == ".lnk") {
        const Shortcut shortcut = ReadShortcut(options.program);
        if (shortcut.target.empty()) {
            Complain(options.program, shortcut.error ? "cannot be read: " + shortcut.error->Describe()
                                                     : "its target \"" + shortcut.link.targetPath +
                                                           "\" cannot be found from here");
            return kExitFailed;
        }
        request = RequestForShortcut(shortcut, request);
    }
    const DesktopEntryPlan plan = PlanDesktopEntry(request);
    if (!plan.error.empty()) {
        if (plan.badExec) {
            std::cerr << "grabwell-cli: --exec: " << plan.error << "\n";
            return kExitUsage;
        }
        Complain(plan.program.empty() ? options.program : plan.program, plan.error);
        return kExitFailed;
    }
    if (!WritePlan(plan, options.dryRun)) return kExitFailed;
    if (!options.dryRun && options.install) RefreshIconTheme(request.dataDir);
    return kExitOk;
}

} // namespace gw::cli
