// grabwell-cli: the same core as the desktop program, without a display.
//   info [--json|--jsonl] [--counts] [--decode] [--hash] [-j N] [--files-from FILE [-0]] [--recurse [--follow]] PATH...
//                                                  what each file holds
//   extract [--as-bitmaps|--as-png] [--language LANGID] FILE OUTDIR   every image as its own .ico/.cur (or .bmp, .png)
//   save [--icons|--cursors|--bitmaps] [--language LANGID] FILE OUTDIR   every group or bitmap whole
//   wizard (--icons|--cursors|--bitmaps|--animated) ... FOLDER OUTDIR   (cli/WizardCommand)
//   cursor-theme [--name NAME] INPUT... OUTDIR      Windows cursors as a Linux cursor theme
//   set-icon / set-cursor ... PROGRAM ICON            replace a program's icon or cursor group (cli/SetIconCommand)
//   desktop-entry [--name N] [--exec C] [--wine W] (--prefix DIR | --install) [--dry-run]
//                 [--list | --sync | --remove] PROGRAM|FOLDER|SHORTCUT|WINEPREFIX
//                                                  menu entries for Windows programs (cli/DesktopEntryCommand)
//   icon [--size N] [--wine-prefix DIR] FILE,INDEX OUTPUT.ico|OUTPUT.png   the icon an icon location names
// info lives in cli/InfoCommand; this file writes files and reads the arguments.
#include <csignal>
#include <CLI/CLI.hpp>

#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>

#include "batch/core/BatchWriter.h"
#include "batch/core/CursorTheme.h"
#include "batch/core/FileInformation.h"
#include "batch/core/GroupImages.h"
#include "batch/core/OutputNames.h"
#include "batch/core/ScriptedPrompts.h"
#include "platform/FileIo.h"
#include "cli/CliCommon.h"
#include "cli/DesktopEntryCommand.h"
#include "cli/IconCommand.h"
#include "cli/InfoCommand.h"
#include "cli/SetIconCommand.h"
#include "cli/WizardCommand.h"
#include "formats/BmpManage.h"
#include "formats/FileContents.h"
#include "formats/Document.h"
#include "formats/FileKinds.h"
#include "formats/IconFormat.h"
#include "platform/BmpCodec.h"
#include "platform/LanguageName.h"
#include "platform/PngEncode.h"

using namespace gw;
using namespace gw::cli;

namespace {

// Writes through the batch writer every command shares; the existing-file
// question is answered once, for all others, by the --existing choice.
struct Writer {
    Writer(ExistingAction existing, const std::string& outDir)
        : batch(outDir, flags, &prompts, CollisionMode::Ask) {
        prompts.fallbackAnswer = ExistingAnswer{existing, true};
    }
    ~Writer() { Finish(); }

    void Write(const std::string& base, const std::string& ext, const Bytes& bytes) {
        if (bytes.empty() || batch.Failed()) return;
        const auto target = batch.Settle(base, ext);
        if (!target) return;
        if (batch.Commit(*target, bytes)) std::cout << target->path << "\n";
    }
    // Ends the batch; false when a write failed (the message is printed).
    bool Finish() {
        if (finished) return !batch.Failed();
        finished = true;
        batch.End();
        for (const auto& note : batch.Notes()) std::cerr << "grabwell-cli: " << note << "\n";
        if (batch.Failed()) std::cerr << "grabwell-cli: " << batch.Error() << "\n";
        return !batch.Failed();
    }
    int Written() const { return batch.Stats().filesWritten; }
    int Skipped() const { return batch.Stats().filesSkipped; }

    ActionFlags flags;
    ScriptedPrompts prompts;
    BatchWriter batch;
    bool finished = false;
};

bool ParseExisting(const std::string& s, ExistingAction& out) {
    if (s == "skip") out = ExistingAction::Skip;
    else if (s == "overwrite") out = ExistingAction::Overwrite;
    else if (s == "rename") out = ExistingAction::AutoRename;
    else return false;
    return true;
}

// Opens and reads a file for writing; ok is false (with a message) when it
// is damaged or unreadable. What could be read is written all the same.
struct ForWriting {
    std::shared_ptr<Document> file;
    bool ok = false;
    const FileContents& contents() const { return file->Contents(); }
    const FileCounts& counts() const { return file->Counts(); }
};

ForWriting LoadForWriting(const std::string& path, std::optional<uint16_t> language) {
    ForWriting out;
    out.file = Document::Open(path);
    out.file->SetLanguage(language);
    if (!out.file->Readable()) {
        Complain(path, NothingShownReason(*out.file, "cannot be read"));
        return out;
    }
    out.file->LoadAll();
    if (const std::string note = LanguageNotHeldText(*out.file); !note.empty()) Complain(path, note);
    out.ok = !ComplainOfDamage(*out.file);
    return out;
}

// What extract writes each image as.
enum class ExtractAs { ImageFile, Bitmap, Png };

// The output folder of extract and save, made with its parents when it is
// missing, as desktop-entry makes its prefix. False (said) when it cannot be.
bool MadeOutputFolder(const std::string& outDir) {
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (!error && IsFolder(outDir)) return true;
    std::cerr << "grabwell-cli: cannot make the folder \"" << outDir << "\": "
              << (error ? error.message() : std::string("a file of that name is in the way")) << "\n";
    return false;
}

int RunExtract(const std::string& file, const std::string& outDir, ExtractAs as, ExistingAction existing,
               std::optional<uint16_t> language) {
    const ForWriting read = LoadForWriting(file, language);
    const FileContents& contents = read.contents();
    const FileCounts& counts = read.counts();
    bool ok = read.ok;
    Writer w(existing, outDir);
    // A file that is one group names its images after itself.
    const bool single = RowOf(counts.kind).listing == FileListing::Alone;
    const CursorDataForm form = counts.kind == FileKind::Cursor ? CursorDataForm::CurFile : CursorDataForm::Resource;
    // Every image of every group: as its own one-image file, or as a bitmap.
    ForEachGroupImage(contents, true, true, [&](const GroupImage& im) {
        const std::string base = single ? LowerBaseName(PathFileName(file)) : *im.groupName;
        const std::string name = base + "_" + std::to_string(im.image);
        if (im.Missing()) {
            Complain(file, "image " + name + " is not in the file; not written");
            ok = false;
        } else if (as == ExtractAs::ImageFile) {
            w.Write(name, im.Extension(), im.AsImageFile(form));
        } else if (const Bytes picture = as == ExtractAs::Png ? im.AsPngFile(form) : im.AsBitmapFile();
                   !picture.empty()) {
            w.Write(name, as == ExtractAs::Png ? ".png" : ".bmp", picture);
        } else {
            Complain(file, "image " + name + " cannot be decoded; not converted");
            ok = false;
        }
        return true;
    });
    // Animated cursors and icons: each frame as the .cur (or .ico) file it
    // is stored as, or each image of each frame as a .png.
    for (const AnimatedCursor& a : contents.Animations) {
        for (size_t k = 0; k < a.Frames.size(); ++k) {
            const AnimationFrame& frame = a.Frames[k];
            const std::string name = a.Name + "_" + std::to_string(k);
            if (as != ExtractAs::Png) {
                w.Write(name, FrameFileExtension(frame), frame.Data.ToBytes());
                continue;
            }
            for (size_t j = 0; j < frame.Images.Images.size(); ++j) {
                const Handle& picture = frame.Images.Images[j].Handle();
                if (picture) w.Write(name + "_" + std::to_string(j), ".png", IconImagePng(*picture));
            }
        }
    }
    const bool written = w.Finish();
    if (w.Written() == 0 && w.Skipped() == 0 && ok) std::cerr << "grabwell-cli: " << file << ": no icons or cursors\n";
    return (ok && written) ? kExitOk : kExitFailed;
}

int RunSave(const std::string& file, const std::string& outDir, bool icons, bool cursors, bool bitmaps,
            ExistingAction existing, std::optional<uint16_t> language) {
    const ForWriting read = LoadForWriting(file, language);
    const FileContents& contents = read.contents();
    const FileCounts& counts = read.counts();
    bool ok = read.ok;
    Writer w(existing, outDir);
    const CursorDataForm form = counts.kind == FileKind::Cursor ? CursorDataForm::CurFile : CursorDataForm::Resource;
    // A group file holds only the images that are in the file; a group left
    // with none writes nothing.
    auto saveGroups = [&](const auto& groups, const char* ext, auto writeGroup) {
        for (const auto& g : groups) {
            if (g.Images.empty()) continue;
            const auto present = WithoutMissingImages(g);
            if (present.Images.empty()) {
                Complain(file, "group " + g.Name + " has no image in the file; not written");
                ok = false;
                continue;
            }
            w.Write(g.Name, ext, writeGroup(present));
        }
    };
    if (icons) saveGroups(contents.IconGroups, ".ico", [](const IconGroup& g) { return WriteIconGroup(g); });
    if (cursors)
        saveGroups(contents.CursorGroups, ".cur", [&](const CursorGroup& g) { return WriteCursorGroup(g, form); });
    // An animated cursor or icon is written whole, as stored.
    if (cursors)
        for (const AnimatedCursor& a : contents.Animations) w.Write(a.Name, ".ani", a.Data.ToBytes());
    if (bitmaps)
        for (const auto& b : contents.Bitmaps) {
            if (!IsFilled(b)) continue;
            const std::string base = counts.kind == FileKind::Bitmap ? NameBeforeFirstDot(b.Name) : b.Name;
            w.Write(base, ".bmp", EncodeBmp(*b.Bitmap()));
        }
    return (ok && w.Finish()) ? kExitOk : kExitFailed;
}

// A Linux cursor theme: the written files and links, then what was noted.
int RunCursorTheme(std::vector<std::string> args, const std::string& name) {
    CursorThemeRequest request;
    request.outDir = args.back();
    args.pop_back();
    request.inputs = std::move(args);
    request.name = name;
    const CursorThemeResult result = WriteCursorTheme(request);
    for (const std::string& note : result.notes) std::cerr << "grabwell-cli: " << note << "\n";
    if (!result.ok) {
        std::cerr << "grabwell-cli: " << result.error << "\n";
        return kExitFailed;
    }
    for (const std::string& cursor : result.cursors) std::cout << JoinPath(JoinPath(request.outDir, "cursors"), cursor) << "\n";
    std::cerr << "grabwell-cli: " << result.cursors.size() << " cursors and " << result.links << " links in "
              << request.outDir << "\n";
    return kExitOk;
}

// --language LANGID on a command: decimal or 0x hexadecimal.
void AddLanguageOption(CLI::App* command, std::string& text) {
    command
        ->add_option("--language", text,
                     "Show each resource held in this language (LANGID, e.g. 1033 or 0x0409) in it; the others in "
                     "their first language")
        ->type_name("LANGID")
        ->check(CLI::Validator(
            [](std::string& value) {
                return ParseLanguageId(value) ? std::string() : "not a language id (0 to 65535, or 0x0 to 0xffff): " + value;
            },
            "", "LANGID"));
}

std::optional<uint16_t> LanguageOf(const std::string& text) {
    return text.empty() ? std::nullopt : ParseLanguageId(text);
}

} // namespace

namespace {

// A command ended by SIGINT, SIGTERM or SIGHUP removes the temporary file it
// was writing, then ends as the signal would have ended it.
void EndOnSignal(int signal) {
    gw::RemovePendingTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main(int argc, char** argv) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, EndOnSignal);
    // Decoding allocates and frees picture buffers of a few hundred kilobytes
    // for every image. Kept in the heap, rather than mapped and unmapped each
    // time, and with the heap's top not handed back after every file, they
    // cost no page faults: info --decode over a folder of libraries runs a
    // sixth faster, and the peak memory stays what the largest file needs.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    CLI::App app{"grabwell-cli: finds, extracts and converts icons, cursors and bitmaps"};
    app.set_version_flag("--version", std::string("grabwell-cli ") + GRABWELL_VERSION);
    app.require_subcommand(1);

    cli::InfoRequest infoRequest;
    auto* info = app.add_subcommand("info", "Show what each file holds: kind, counts, groups, images and bitmaps");
    bool asJson = false, asJsonLines = false;
    info->add_flag("--json", asJson, "One JSON object per line and file");
    info->add_flag("--jsonl", asJsonLines,
                   "The same JSON object per line, for pipelines: every name gives its line, an unreadable one too "
                   "(with its error under \"errors\")");
    info->add_flag("--counts", infoRequest.counts, "Only the kind, the counts and the damage (decodes no images)");
    info->add_flag("--decode", infoRequest.decode, "Also decode every image and say whether it decodes (\"decoded\")");
    info->add_flag("--hash", infoRequest.hash,
                   "Also the fingerprints of the file's icon (\"icon_hash\": raw_md5, ico_md5, dhash; null when it "
                   "has none)");
    CLI::Option* filesFrom = info->add_option(
        "--files-from", infoRequest.files.listFile,
        "Also read the names in FILE (- for standard input), one per line, after the PATH arguments")
        ->type_name("FILE");
    info->add_flag("-0,--null", infoRequest.files.nulSeparated,
                   "The names in --files-from end with NUL, not a line break (find -print0)")
        ->needs(filesFrom);
    CLI::Option* recurse = info->add_flag(
        "--recurse", infoRequest.files.recurse,
        "A folder stands for every regular file below it (hidden ones too), in sorted order, depth first; "
        "links to files are read as the files, links to folders are not entered, /proc, /sys and /dev never");
    info->add_flag("--follow", infoRequest.files.followLinks,
                   "With --recurse, also enter links to folders (each folder once, a link's target on its own "
                   "file system only)")
        ->needs(recurse);
    infoRequest.jobs = std::max(1u, std::thread::hardware_concurrency());
    info->add_option("-j,--jobs", infoRequest.jobs,
                     "Files read at the same time (default: the number of cores, " +
                         std::to_string(infoRequest.jobs) + "); the output keeps the order of the names")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    info->add_option("PATH", infoRequest.files.paths, "Files (and folders, with --recurse) to look at");
    std::string languageText;
    AddLanguageOption(info, languageText);

    bool asBitmaps = false, asPng = false;
    std::string existingText = "rename";
    std::string file, outDir;
    auto* extract = app.add_subcommand("extract", "Write every image of every group as its own .ico or .cur file");
    CLI::Option* bitmapsFlag =
        extract->add_flag("--as-bitmaps", asBitmaps, "Convert each image to a .bmp on the key colour instead");
    extract
        ->add_flag("--as-png", asPng,
                   "Write each image as a .png instead (alpha from the mask when the image has none; PNG images "
                   "copied as stored)")
        ->excludes(bitmapsFlag);
    extract->add_option("--existing", existingText, "What to do with a name that exists: skip, overwrite or rename")
        ->check(CLI::IsMember({"skip", "overwrite", "rename"}));
    AddLanguageOption(extract, languageText);
    extract->add_option("FILE", file, "The file to read")->required();
    extract->add_option("OUTDIR", outDir, "The folder to write into (made, with its parents, when missing)")->required();

    bool onlyIcons = false, onlyCursors = false, onlyBitmaps = false;
    std::string saveExisting = "rename";
    auto* save = app.add_subcommand("save", "Write every icon group, cursor group or bitmap whole (.ico, .cur, .bmp)");
    save->add_flag("--icons", onlyIcons, "Icon groups only");
    save->add_flag("--cursors", onlyCursors, "Cursor groups only");
    save->add_flag("--bitmaps", onlyBitmaps, "Bitmaps only");
    save->add_option("--existing", saveExisting, "What to do with a name that exists: skip, overwrite or rename")
        ->check(CLI::IsMember({"skip", "overwrite", "rename"}));
    AddLanguageOption(save, languageText);
    save->add_option("FILE", file, "The file to read")->required();
    save->add_option("OUTDIR", outDir, "The folder to write into (made, with its parents, when missing)")->required();

    std::string themeName;
    std::vector<std::string> themeArgs;
    auto* theme = app.add_subcommand(
        "cursor-theme", "Make a Linux cursor theme of Windows cursors: INPUT... (files, libraries, folders) OUTDIR");
    theme->add_option("--name", themeName, "The theme's name (default: OUTDIR's name)");
    theme->add_option("INPUT_AND_OUTDIR", themeArgs, "The inputs, then the theme's folder")->required()->expected(2, -1);

    cli::WizardCommandOptions wizardOptions;
    CLI::App* wizard = cli::AddWizardCommand(app, wizardOptions);
    cli::SetGroupCommands setGroup;
    cli::AddSetGroupCommands(app, setGroup);
    cli::DesktopEntryOptions desktopEntry;
    cli::AddDesktopEntryCommand(app, desktopEntry);
    cli::IconCommandOptions iconCommand;
    cli::AddIconCommand(app, iconCommand);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help and --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // A first word that names no command is said as such, with the
        // commands there are, rather than as a missing command.
        std::string names;
        bool known = false;
        for (const CLI::App* command : app.get_subcommands({})) {
            names += (names.empty() ? "" : ", ") + command->get_name();
            known = known || (argc > 1 && command->get_name() == argv[1]);
        }
        if (argc > 1 && argv[1][0] != '-' && !known) {
            std::cerr << "grabwell-cli: unknown command '" << argv[1] << "'\nCommands: " << names
                      << "\nRun with --help for more information.\n";
            return kExitUsage;
        }
        app.exit(e);
        return kExitUsage;
    }

    if (*info) {
        if (infoRequest.files.paths.empty() && infoRequest.files.listFile.empty()) {
            info->exit(CLI::RequiredError("PATH"));
            return kExitUsage;
        }
        infoRequest.output = asJsonLines ? cli::InfoOutput::JsonLines
                             : asJson    ? cli::InfoOutput::Json
                                         : cli::InfoOutput::Text;
        infoRequest.language = LanguageOf(languageText);
        return cli::RunInfo(infoRequest);
    }
    if (*wizard) return cli::RunWizardCommand(wizardOptions);
    if (const int status = cli::RunSetGroupCommands(setGroup); status >= 0) return status;
    if (const int status = cli::RunDesktopEntryCommand(desktopEntry); status >= 0) return status;
    if (const int status = cli::RunIconCommand(iconCommand); status >= 0) return status;
    if (*theme) return RunCursorTheme(themeArgs, themeName);
    if ((*extract || *save) && !MadeOutputFolder(outDir)) return kExitFailed;
    if (*extract) {
        ExistingAction existing;
        ParseExisting(existingText, existing);
        return RunExtract(file, outDir, asPng ? ExtractAs::Png : asBitmaps ? ExtractAs::Bitmap : ExtractAs::ImageFile,
                          existing, LanguageOf(languageText));
    }
    if (*save) {
        ExistingAction existing;
        ParseExisting(saveExisting, existing);
        const bool any = onlyIcons || onlyCursors || onlyBitmaps;
        return RunSave(file, outDir, !any || onlyIcons, !any || onlyCursors, !any || onlyBitmaps, existing,
                       LanguageOf(languageText));
    }
    return kExitUsage;
}
