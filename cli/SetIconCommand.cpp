#include "cli/SetIconCommand.h"

#include "platform/LanguageName.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CliCommon.h"
#include "formats/VersionInfo.h"
#include "platform/Text.h"

namespace gw::cli {

namespace {

// The program to change, where the changed program goes, and whether its
// signature may go: the same for every command that changes a program.
void AddProgramOptions(CLI::App* command, std::string& program, std::string& output, bool& inPlace,
                       bool& stripSignature, bool& ignoreInstallerCheck) {
    CLI::Option* out = command->add_option("-o,--output", output, "The file to write the changed program to")
                           ->type_name("OUT");
    command->add_flag("--in-place", inPlace, "Change PROGRAM itself")->excludes(out);
    command->add_flag("--strip-signature", stripSignature,
                      "Remove a signed program's digital signature (otherwise a signed program is refused)");
    command->add_flag("--ignore-installer-check", ignoreInstallerCheck,
                      "Change an installer that checks a CRC of its own file all the same (it will then refuse "
                      "to install)");
    command->add_option("PROGRAM", program, "The program, library or .res file to change")->required();
}

// Says what a change to a program noted and, when it was not written, why;
// false then.
template <class Outcome>
bool Reported(const Outcome& outcome) {
    for (const std::string& note : outcome.notes) std::cerr << "grabwell-cli: " << note << "\n";
    if (outcome.ok) return true;
    std::cerr << "grabwell-cli: " << outcome.error << "\n";
    if (outcome.refusedSigned) std::cerr << "grabwell-cli: nothing was written; --strip-signature removes the signature\n";
    if (outcome.refusedInstaller)
        std::cerr << "grabwell-cli: nothing was written; --ignore-installer-check writes it all the same\n";
    return false;
}

CLI::App* AddOne(CLI::App& app, const char* name, const char* what, const char* imageName, const char* imageWhat,
                 SetGroupCommandOptions& o) {
    CLI::App* command = app.add_subcommand(name, what);
    command->add_option("--group", o.group,
                        "The group to replace, by id or name (default: the first group, or id 1 when there is none); "
                        "a group the program lacks is refused")
        ->type_name("NAME|ID");
    command->add_flag("--add-group", o.addGroup, "Add the --group named when the program lacks it");
    command->add_option("--language", o.language,
                        "Only this language of the group, e.g. 1033 or 0x409 (default: every language it has)")
        ->type_name("LANGID");
    AddProgramOptions(command, o.program, o.output, o.inPlace, o.stripSignature, o.ignoreInstallerCheck);
    command->add_option(imageName, o.imageFiles, imageWhat)->required();
    return command;
}

int RunOne(GroupKind kind, const SetGroupCommandOptions& o) {
    const char* command = kind == GroupKind::Icon ? "set-icon" : "set-cursor";
    SetGroupRequest request;
    request.kind = kind;
    request.program = o.program;
    request.imageFile = o.imageFiles.front();
    request.morePngFiles.assign(o.imageFiles.begin() + 1, o.imageFiles.end());
    request.output = o.output;
    request.inPlace = o.inPlace;
    request.stripSignature = o.stripSignature;
    request.ignoreInstallerCheck = o.ignoreInstallerCheck;
    request.target.addGroup = o.addGroup;
    if (kind == GroupKind::Cursor && o.imageFiles.size() > 1) {
        std::cerr << "grabwell-cli: set-cursor: give one .cur file\n";
        return kExitUsage;
    }
    if (!o.inPlace && o.output.empty()) {
        std::cerr << "grabwell-cli: " << command << ": give -o OUT, or --in-place to change " << o.program << "\n";
        return kExitUsage;
    }
    if (!o.group.empty() && !ParseGroupName(o.group, request.target.name.emplace())) {
        std::cerr << "grabwell-cli: " << command << ": --group: not a name or an id from 0 to 65535: " << o.group
                  << "\n";
        return kExitUsage;
    }
    if (!o.language.empty() && !(request.target.language = ParseLanguageId(o.language))) {
        std::cerr << "grabwell-cli: " << command << ": --language: not a language id from 0 to 0xFFFF: "
                  << o.language << "\n";
        return kExitUsage;
    }
    const SetGroupOutcome outcome = SetProgramGroup(request);
    if (!Reported(outcome)) {
        if (!o.group.empty() && !o.addGroup && outcome.error.find(": there is no ") != std::string::npos)
            std::cerr << "grabwell-cli: nothing was written; --add-group adds the group\n";
        return kExitFailed;
    }
    const GroupChange& c = outcome.change;
    std::string languages;
    for (uint16_t l : c.languages) languages += (languages.empty() ? "" : ", ") + std::to_string(l);
    std::cerr << "grabwell-cli: " << (kind == GroupKind::Icon ? "icon" : "cursor") << " group " << c.name.Text()
              << (c.created ? " (new)" : "") << ", language " << languages << ": " << CountText(c.imageIds.size(), "image")
              << "; " << GroupedNumber(outcome.sizeBefore) << " -> " << GroupedNumber(outcome.sizeAfter)
              << " bytes\n";
    std::cout << outcome.written << "\n";
    return kExitOk;
}

int RunSetVersion(const SetVersionCommandOptions& o) {
    SetVersionRequest request;
    request.program = o.program;
    request.output = o.output;
    request.inPlace = o.inPlace;
    request.stripSignature = o.stripSignature;
    request.ignoreInstallerCheck = o.ignoreInstallerCheck;
    request.fileVersion = o.fileVersion;
    request.productVersion = o.productVersion;
    if (!o.inPlace && o.output.empty()) {
        std::cerr << "grabwell-cli: set-version: give -o OUT, or --in-place to change " << o.program << "\n";
        return kExitUsage;
    }
    if (!o.language.empty() && !(request.language = ParseLanguageId(o.language))) {
        std::cerr << "grabwell-cli: set-version: --language: not a language id from 0 to 0xFFFF: " << o.language
                  << "\n";
        return kExitUsage;
    }
    for (const auto& [option, value] : {std::pair{"--file-version", &o.fileVersion}, {"--product-version", &o.productVersion}})
        if (!value->empty() && !ParseVersionNumber(*value)) {
            std::cerr << "grabwell-cli: set-version: " << option
                      << ": not a version a.b.c.d (four numbers from 0 to 65535): " << *value << "\n";
            return kExitUsage;
        }
    for (const std::string& pair : o.strings) {
        const size_t eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::cerr << "grabwell-cli: set-version: --string takes KEY=VALUE: " << pair << "\n";
            return kExitUsage;
        }
        request.strings.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    }
    if (request.fileVersion.empty() && request.productVersion.empty() && request.strings.empty()) {
        std::cerr << "grabwell-cli: set-version: nothing to set: give --file-version, --product-version or "
                     "--string\n";
        return kExitUsage;
    }
    const SetVersionOutcome outcome = SetProgramVersion(request);
    if (!Reported(outcome)) return kExitFailed;
    std::cerr << "grabwell-cli: version information" << (outcome.created ? " (new)" : "") << ", language "
              << outcome.language << "; " << GroupedNumber(outcome.sizeBefore) << " -> "
              << GroupedNumber(outcome.sizeAfter) << " bytes\n";
    std::cout << outcome.written << "\n";
    return kExitOk;
}

} // namespace

void AddSetGroupCommands(CLI::App& app, SetGroupCommands& commands) {
    commands.setIcon = AddOne(app, "set-icon",
                              "Replace a program's icon group with the images of an .ico file (written to -o OUT, "
                              "or --in-place)",
                              "ICON", "The .ico file whose images the group takes, or PNG images to make the group of "
                              "(one or more: stored as PNG from 256 pixels, as bitmaps with masks below)",
                              commands.icon);
    commands.setCursor = AddOne(app, "set-cursor",
                                "Replace a program's cursor group with the images of a .cur file, hot spots kept",
                                "CURSOR", "The .cur file whose images the group takes", commands.cursor);
    SetVersionCommandOptions& o = commands.version;
    CLI::App* version = commands.setVersion = app.add_subcommand(
        "set-version", "Edit a program's version information: its versions and strings, the rest kept");
    version->add_option("--file-version", o.fileVersion, "The file version, a.b.c.d")->type_name("a.b.c.d");
    version->add_option("--product-version", o.productVersion, "The product version, a.b.c.d")
        ->type_name("a.b.c.d");
    version->add_option("--string", o.strings, "A string to set, e.g. ProductName=\"Star Trader\" (repeatable)")
        ->type_name("KEY=VALUE");
    version->add_option("--language", o.language,
                        "The version information of this language, e.g. 1033 or 0x409 (default: the first)")
        ->type_name("LANGID");
    AddProgramOptions(version, o.program, o.output, o.inPlace, o.stripSignature, o.ignoreInstallerCheck);
}

int RunSetGroupCommands(const SetGroupCommands& commands) {
    if (commands.setIcon && *commands.setIcon) return RunOne(GroupKind::Icon, commands.icon);
    if (commands.setCursor && *commands.setCursor) return RunOne(GroupKind::Cursor, commands.cursor);
    if (commands.setVersion && *commands.setVersion) return RunSetVersion(commands.version);
    return -1;
}

} // namespace gw::cli
