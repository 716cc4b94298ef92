#pragma once
// grabwell-cli wizard: the extraction wizard without a window.
#include <string>

namespace CLI {
class App;
}

namespace gw::cli {

struct WizardCommandOptions {
    bool icons = false, cursors = false, bitmaps = false, animated = false;
    bool resources = false;
    bool asBitmaps = false;
    bool asFrames = false;
    bool recurse = false;
    bool follow = false; // the tree walk enters links to folders too
    std::string folder;
    std::string outDir;
};

// Registers the "wizard" subcommand; its values land in options.
CLI::App* AddWizardCommand(CLI::App& app, WizardCommandOptions& options);

// Runs it: 0 when every output was written, 1 when the run ended early.
int RunWizardCommand(const WizardCommandOptions& options);

} // namespace gw::cli
