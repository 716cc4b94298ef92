#include "cli/IconCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CliCommon.h"
#include "formats/Document.h"
#include "formats/IconFormat.h"
#include "formats/IconLocation.h"
#include "formats/Shortcut.h"
#include "pictures/IconExtract.h"
#include "platform/FileIo.h"
#include "platform/IconImage.h"
#include "platform/Paths.h"
#include "platform/PngEncode.h"

namespace gw::cli {

namespace {

constexpr int kLargestSide = 4096;

// The PNG of the image a picture of size pixels is best made from: stored
// PNG bytes as they are when they fit, else the image decoded at its drawn
// size, scaled down to size (keeping its aspect) when larger.
Bytes GroupPng(const IconGroup& group, int size) {
    std::vector<ImageChoice> choices = ChoicesOf(group);
    std::vector<size_t> present;
    for (size_t i = 0; i < group.Images.size(); ++i)
        if (!group.Images[i].Missing) present.push_back(i);
    while (!present.empty()) {
        std::vector<ImageChoice> left;
        for (size_t i : present) left.push_back(choices[i]);
        const int best = LargestImageWithin(left, size);
        if (best < 0) break;
        const size_t index = present[size_t(best)];
        const ImageChoice c = choices[index];
        const IconImage& image = group.Images[index];
        const int side = std::max(c.width, c.height);
        int width = c.width, height = c.height;
        if (side > size) {
            width = std::max(1, c.width * size / side);
            height = std::max(1, c.height * size / side);
        }
        if (Handle picture = DecodeIconImage(image.Data.view(), true, width, height)) {
            if (picture->fromPng && width == picture->storedWidth && height == picture->storedHeight)
                return image.Data.ToBytes();
            if (Bytes png = IconImagePng(*picture); !png.empty()) return png;
        }
        present.erase(present.begin() + best);
    }
    return {};
}

} // namespace

void AddIconCommand(CLI::App& app, IconCommandOptions& options) {
    CLI::App* command = app.add_subcommand(
        "icon", "Write the icon a Windows icon location (FILE,INDEX) names, as an .ico file or a PNG picture");
    command->add_option("--size", options.size, "PNG: the picture's largest side (default: the largest image)")
        ->check(CLI::Range(1, kLargestSide));
    command->add_option("--wine-prefix", options.winePrefix,
                        "The Wine prefix a Windows path is found in (default: $WINEPREFIX or ~/.wine)")
        ->type_name("DIR");
    command->add_flag("--overwrite", options.overwrite, "Replace OUTPUT when it exists");
    command->add_option("LOCATION", options.location,
                        "FILE,INDEX: INDEX 0 or more counts icon groups in the file's order, a negative INDEX "
                        "is the group whose id is -INDEX; FILE may be a Windows path with %VARIABLES%")
        ->required();
    command->add_option("OUTPUT", options.output, "OUTPUT.ico (the group) or OUTPUT.png (its best picture)")
        ->required();
    options.command = command;
}

int RunIconCommand(const IconCommandOptions& options) {
    if (!options.command || !*options.command) return -1;
    const std::optional<IconLocation> location = ParseIconLocation(options.location);
    if (!location) {
        std::cerr << "grabwell-cli: icon: \"" << options.location << "\" is not an icon location (FILE,INDEX)\n";
        return kExitUsage;
    }
    const std::string extension = LowerExtension(options.output);
    if (extension != ".ico" && extension != ".png") {
        std::cerr << "grabwell-cli: icon: OUTPUT must end in .ico or .png: " << options.output << "\n";
        return kExitUsage;
    }
    if (extension == ".ico" && options.size) {
        std::cerr << "grabwell-cli: icon: --size is for a PNG picture; an .ico file holds the whole group\n";
        return kExitUsage;
    }
    const std::string prefix = options.winePrefix.empty() ? DefaultWinePrefix() : options.winePrefix;
    const std::string file = IconFileOnLinux(prefix, location->path);
    if (file.empty()) {
        std::cerr << "grabwell-cli: icon: \"" << location->path << "\" is a Windows path and "
                  << (prefix.empty() ? std::string("no Wine prefix is known (give --wine-prefix)")
                                     : "the Wine prefix " + prefix + " does not map its drive")
                  << "\n";
        return kExitFailed;
    }
    const auto doc = Document::Open(file);
    if (!doc->Readable()) {
        Complain(file, NothingShownReason(*doc, "cannot be read"));
        return kExitFailed;
    }
    const IconGroup* group = PickIconGroup(*doc, location->index);
    if (!group) {
        Complain(file, location->index < 0 ? "holds no icon group with the id " + std::to_string(-location->index)
                                           : "holds no icon group " + std::to_string(location->index) + " (it holds " +
                                                 std::to_string(doc->Counts().iconGroups) + ")");
        return kExitFailed;
    }
    const IconGroup present = WithoutMissingImages(*group);
    const Bytes bytes = extension == ".ico" ? (present.Images.empty() ? Bytes() : WriteIconGroup(present))
                                            : GroupPng(present, options.size ? options.size : kLargestSide);
    if (bytes.empty()) {
        Complain(file, "icon group " + group->Name + " has no image that can be written");
        return kExitFailed;
    }
    if (const std::string error = WriteFileAtomic(options.output, bytes, options.overwrite); !error.empty()) {
        std::cerr << "grabwell-cli: " << error << (EntryExists(options.output) && !options.overwrite ? " (give --overwrite)" : "")
                  << "\n";
        return kExitFailed;
    }
    std::cerr << "grabwell-cli: " << file << ": icon group " << group->Name << " -> " << options.output << "\n";
    return kExitOk;
}

} // namespace gw::cli
