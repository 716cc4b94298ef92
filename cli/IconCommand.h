#pragma once
// grabwell-cli icon LOCATION OUTPUT: the icon a Windows icon location
// ("FILE,INDEX", as shortcuts and the registry write them) names, written as
// the .ico file save writes or as a PNG picture of its best image.
#include <string>

namespace CLI {
class App;
}

namespace gw::cli {

struct IconCommandOptions {
    CLI::App* command = nullptr;
    std::string location;
    std::string output;
    std::string winePrefix;
    int size = 0; // PNG: the picture's largest side; 0: the largest image as it is
    bool overwrite = false;
};

void AddIconCommand(CLI::App& app, IconCommandOptions& options);

// Runs it when it was given: 0 written, 1 not, 2 for arguments that are
// wrong. -1 when the command was not given.
int RunIconCommand(const IconCommandOptions& options);

} // namespace gw::cli
