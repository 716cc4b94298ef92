#pragma once
// grabwell-cli set-icon and set-cursor: replace a program's icon or cursor
// group with the images of an .ico or .cur file (batch/core/SetIcon).
#include <string>
#include <vector>

#include "batch/core/SetIcon.h"

namespace CLI {
class App;
}

namespace gw::cli {

struct SetGroupCommandOptions {
    std::string group;
    bool addGroup = false;
    std::string language;
    std::string output;
    bool inPlace = false;
    bool stripSignature = false;
    bool ignoreInstallerCheck = false;
    std::string program;
    std::vector<std::string> imageFiles;
};

// Registers "set-icon", "set-cursor" and "set-version"; their values land in
// the options of the same kind.
struct SetVersionCommandOptions {
    std::string language;
    std::string output;
    bool inPlace = false;
    bool stripSignature = false;
    bool ignoreInstallerCheck = false;
    std::string fileVersion;
    std::string productVersion;
    std::vector<std::string> strings; // KEY=VALUE
    std::string program;
};

struct SetGroupCommands {
    CLI::App* setIcon = nullptr;
    CLI::App* setCursor = nullptr;
    CLI::App* setVersion = nullptr;
    SetGroupCommandOptions icon;
    SetGroupCommandOptions cursor;
    SetVersionCommandOptions version;
};
void AddSetGroupCommands(CLI::App& app, SetGroupCommands& commands);

// Runs the one that was given: 0 when the file was written, 1 when it was
// not, 2 for arguments that do not parse. -1 when neither was given.
int RunSetGroupCommands(const SetGroupCommands& commands);

} // namespace gw::cli
