#include "cli/DesktopEntryCommand.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "batch/core/DesktopEntry.h"
#include "batch/core/InfoJson.h"
#include "cli/CliCommon.h"
#include "platform/Paths.h"

namespace gw::cli {

void AddDesktopEntryCommand(CLI::App& app, DesktopEntryOptions& options) {
    CLI::App* command = app.add_subcommand(
        "desktop-entry", "Make an applications-menu entry (icon set and .desktop file) for a Windows program");
    command->add_option("--name", options.name, "The menu's name (default: the program's description, "
                                                "product name or file name)");
    command->add_option("--exec", options.exec, "The command the entry runs (default: wine \"PROGRAM\")");
    command->add_option("--category", options.category, "The menu categories, e.g. \"Game;\"");
    auto* prefix = command->add_option("--prefix", options.prefix, "Write under DIR/share/ (applications, icons)")
                       ->type_name("DIR");
    command->add_flag("--install", options.install,
                      "Write into the user's data folder ($XDG_DATA_HOME or ~/.local/share) and tell the desktop")
        ->excludes(prefix);
    command->add_flag("--dry-run", options.dryRun, "Say what would be written, write nothing");
    command->add_flag("--list", options.list,
                      "For a folder: every program it holds with its score and reasons, as JSON lines");
    command->add_option("PROGRAM", options.program, "The program, or a folder to pick its main program from")
        ->required();
    options.command = command;
}

int RunDesktopEntryCommand(const DesktopEntryOptions& options) {
    if (!options.command || !*options.command) return -1;
    if (options.list) {
        if (!IsFolder(options.program)) {
            std::cerr << "grabwell-cli: desktop-entry --list needs a folder\n";
            return kExitUsage;
        }
        for (const ProgramCandidate& c : RankPrograms(options.program)) {
            nlohmann::json line = {{"path", c.path},          {"score", c.score},
                                   {"excluded", c.excluded},  {"matches_folder", c.matchesFolder},
                                   {"icon_images", c.iconImages}, {"largest_icon", c.largestIcon},
                                   {"bytes", c.fileSize},     {"reasons", c.reasons}};
            std::cout << DumpJsonLine(line) << "\n";
        }
        return kExitOk;
    }
    DesktopEntryRequest request;
    request.program = options.program;
    request.name = options.name;
    request.exec = options.exec;
    request.categories = options.category;
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
    const DesktopEntryPlan plan = PlanDesktopEntry(request);
    if (!plan.error.empty()) {
        Complain(plan.program.empty() ? options.program : plan.program, plan.error);
        return kExitFailed;
    }
    std::cerr << "grabwell-cli: " << plan.program << ": \"" << plan.name << "\", icon sizes";
    for (int size : plan.iconSizes) std::cerr << " " << size;
    if (plan.madeLarger) std::cerr << " (48 made from a smaller image)";
    std::cerr << "\n";
    for (const PlannedFile& file : plan.files)
        std::cout << (options.dryRun ? "would write " : "") << file.path << "\n";
    if (options.dryRun) return kExitOk;
    if (const std::string error = WriteDesktopEntry(plan); !error.empty()) {
        std::cerr << "grabwell-cli: " << error << "\n";
        return kExitFailed;
    }
    if (options.install) RefreshIconTheme(request.dataDir);
    return kExitOk;
}

} // namespace gw::cli
