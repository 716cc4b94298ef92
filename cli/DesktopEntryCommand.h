#pragma once
// grabwell-cli desktop-entry: a menu entry (icon set and desktop entry) made
// from a Windows program, a program's folder or a shortcut
// (batch/core/DesktopEntry); with --sync, one for every shortcut of a Wine
// prefix (batch/core/PrefixMenu); with --remove, the entries it made taken away.
#include <string>

namespace CLI {
class App;
}

namespace gw::cli {

struct DesktopEntryOptions {
    CLI::App* command = nullptr;
    std::string name;
    std::string exec;
    std::string category;
    std::string prefix;
    bool install = false;
    bool dryRun = false;
    bool list = false;
    bool sync = false;
    bool remove = false;
    std::string wine = "wine";
    std::string program;
};

void AddDesktopEntryCommand(CLI::App& app, DesktopEntryOptions& options);

// Runs it when it was given: 0 when the files were written (or, with
// --dry-run and --list, said), 1 when they were not, 2 for arguments that do
// not fit together. -1 when the command was not given.
int RunDesktopEntryCommand(const DesktopEntryOptions& options);

} // namespace gw::cli
