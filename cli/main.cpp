// grabwell-cli: the same core as the desktop program, without a display.
//   info [--json] [--counts] [--decode] PATH...   what each file holds
//   extract [--as-bitmaps|--as-png] FILE OUTDIR    every image as its own .ico/.cur (or .bmp, .png)
//   save [--icons|--cursors|--bitmaps] FILE OUTDIR   every group or bitmap whole
//   wizard (--icons|--cursors|--bitmaps) [--resources] [--as-bitmaps] [--recurse] FOLDER OUTDIR
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

#include "batch/core/BatchWriter.h"
#include "batch/core/CursorTheme.h"
#include "batch/core/GroupImages.h"
#include "batch/core/OutputNames.h"
#include "batch/core/ScriptedPrompts.h"
#include "cli/WizardCommand.h"
#include "formats/BmpManage.h"
#include "formats/FileContents.h"
#include "formats/OpenedFile.h"
#include "formats/IconFormat.h"
#include "platform/BmpCodec.h"
#include "platform/FileIo.h"
#include "platform/PngEncode.h"
#include "platform/Text.h"

using namespace gw;
using json = nlohmann::json;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Complain(const std::string& path, const std::string& what) {
    std::cerr << "grabwell-cli: " << path << ": " << what << "\n";
}

// The colour count an image's label shows, as a number (0 when it has no
// exact 64-bit value).
uint64_t ColorCount(uint16_t bitCount) {
    if (bitCount == 0) return 256;
    return bitCount < 64 ? uint64_t(1) << bitCount : 0;
}

// Opens a file once for a command; null (having said why) when it cannot
// be read at all.
std::shared_ptr<OpenedFile> OpenOrComplain(const std::string& path) {
    auto opened = OpenedFile::Open(path);
    if (opened->Readable()) return opened;
    Complain(path, opened->OpenError());
    return nullptr;
}

// A bitmap entry the load filled (its header decodes); entries it could not
// fill keep no size.
bool Usable(const TAdvBmp& b) { return b.Width > 0 && b.Height > 0; }

// ---- info -------------------------------------------------------------

// One JSON document on one line. Every string is valid UTF-8 before it gets
// here; the replacing handler is what makes serialising unable to throw on
// one that is not.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
        out.push_back(kDigits[static_cast<unsigned char>(c) & 0xF]);
    }
    return out;
}

// "path" as text; a path that is not UTF-8 shows U+FFFD in its place and
// gives its exact bytes, in hexadecimal, as "path_hex".
json PathJson(const std::string& path) {
    json j = {{"path", ValidUtf8(path)}};
    if (!IsUtf8(path)) j["path_hex"] = Hex(path);
    return j;
}

// Whether each image decodes is said only when asked for: telling it means
// decoding every image, which nothing else that info prints needs.
json IconImageJson(const TAdvIconImage& im, bool decode) {
    const int w = int(DrawnSide(im.Width)), h = int(DrawnSide(im.Height));
    json j = {{"width", w},          {"height", h},
              {"bit_count", im.BitCount}, {"colors", ColorCount(im.BitCount)},
              {"format", FormatLabel(im.Width, im.Height, im.BitCount)},
              {"bytes", im.BytesInRes}, {"png", IsPngData(im.Data)}};
    if (im.Missing) j["missing"] = true;
    if (decode) j["decoded"] = bool(im.Handle());
    return j;
}

json CursorImageJson(const TAdvCursorImage& im, bool decode) {
    const ByteView bytes(im.Data);
    json j = {{"width", im.Width},
            {"height", im.Height / 2},
            {"bit_count", im.BitCount},
            {"colors", ColorCount(im.BitCount)},
            {"format", FormatLabel(im.Width, im.Height / 2, im.BitCount)},
            {"bytes", im.BytesInRes},
            {"png", IsPngData(bytes) || (bytes.size() > 4 && IsPngData(bytes.subspan(4)))},
            {"hotspot_x", im.HotspotX},
            {"hotspot_y", im.HotspotY}};
    if (im.Missing) j["missing"] = true;
    if (decode) j["decoded"] = bool(im.Handle());
    return j;
}

// Animated cursors and icons: their steps with the frame each shows and its
// time in milliseconds, their texts, and each frame's images.
json AnimationsJson(const std::vector<TAniCursor>& animations, bool decode) {
    json out = json::array();
    for (const TAniCursor& a : animations) {
        json frames = json::array();
        for (const TAniFrame& f : a.Frames) {
            json images = json::array();
            for (const auto& im : f.Images.Images) images.push_back(CursorImageJson(im, decode));
            frames.push_back({{"cursor", f.IsCursor}, {"images", images}});
        }
        json rates = json::array();
        for (uint32_t r : a.StepRates) rates.push_back(JiffiesToMs(r));
        out.push_back({{"type", a.AnimatedIcon ? "icon" : "cursor"},
                       {"name", ValidUtf8(a.Name)},
                       {"named", a.IsNamed != 0},
                       {"frames", a.Frames.size()},
                       {"steps", a.StepFrames.size()},
                       {"default_rate_ms", JiffiesToMs(a.DefaultRate)},
                       {"rates_ms", rates},
                       {"sequence", a.StepFrames},
                       {"title", ValidUtf8(a.Title)},
                       {"artist", ValidUtf8(a.Artist)},
                       {"frame_list", frames}});
    }
    return out;
}

json ErrorsJson(const std::vector<ReadError>& errors) {
    json out = json::array();
    for (const ReadError& e : errors)
        out.push_back({{"kind", ReadErrorKindName(e.kind)}, {"offset", e.offset}, {"message", ValidUtf8(e.message)}});
    return out;
}

json FileJson(const std::string& path, const FileCounts& counts, const FileContents& contents, bool decode) {
    json groups = json::array();
    for (const auto& g : contents.IconGroups) {
        if (g.Name.empty() && g.Images.empty()) continue; // an entry the file did not fill
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(IconImageJson(im, decode));
        groups.push_back({{"type", "icon"}, {"name", ValidUtf8(g.Name)}, {"named", g.IsNamed != 0}, {"images", images}});
    }
    for (const auto& g : contents.CursorGroups) {
        if (g.Name.empty() && g.Images.empty()) continue;
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(CursorImageJson(im, decode));
        groups.push_back({{"type", "cursor"}, {"name", ValidUtf8(g.Name)}, {"named", g.IsNamed != 0}, {"images", images}});
    }
    json bitmaps = json::array();
    for (const auto& b : contents.Bitmaps) {
        if (!Usable(b)) continue;
        bitmaps.push_back({{"name", ValidUtf8(b.Name)},
                           {"named", b.IsNamed != 0},
                           {"width", b.Width},
                           {"height", b.Height},
                           {"pixel_format", PixelFormatText(b.PixelFormat)}});
    }
    json j = PathJson(path);
    j.update({{"kind", ContainerKindText(counts.kind)},
              {"icon_groups", counts.iconGroups},
              {"cursor_groups", counts.cursorGroups},
              {"bitmaps", counts.bitmaps},
              {"animations", counts.animations},
              {"groups", groups},
              {"bitmap_list", bitmaps},
              {"animation_list", AnimationsJson(contents.Animations, decode)},
              {"errors", ErrorsJson(contents.Errors)}});
    return j;
}

// The path as the file system spells it; every other text is UTF-8.
void PrintText(const std::string& path, const json& j) {
    std::cout << path << ": " << j["kind"].get<std::string>() << "\n";
    std::cout << "  icon groups: " << j["icon_groups"] << ", cursor groups: " << j["cursor_groups"]
              << ", bitmaps: " << j["bitmaps"];
    if (j["animations"].get<int>() > 0) std::cout << ", animated cursors and icons: " << j["animations"];
    std::cout << "\n";
    for (const auto& g : j["groups"]) {
        std::cout << "  " << g["type"].get<std::string>() << " group \"" << g["name"].get<std::string>() << "\""
                  << (g["named"].get<bool>() ? " (named)" : " (id)") << ", " << g["images"].size() << " images\n";
        for (const auto& im : g["images"]) {
            std::cout << "    " << im["format"].get<std::string>() << ", " << im["bit_count"] << " bits, "
                      << im["bytes"] << " bytes";
            if (im.contains("hotspot_x")) std::cout << ", hot spot " << im["hotspot_x"] << "," << im["hotspot_y"];
            if (im["png"].get<bool>()) std::cout << ", PNG";
            if (im.contains("missing")) std::cout << ", missing";
            if (im.contains("decoded") && !im["decoded"].get<bool>()) std::cout << ", not decodable";
            std::cout << "\n";
        }
    }
    for (const auto& a : j["animation_list"]) {
        std::cout << "  animated " << a["type"].get<std::string>() << " \"" << a["name"].get<std::string>() << "\", "
                  << a["frames"] << " frames, " << a["steps"] << " steps, default " << a["default_rate_ms"] << " ms";
        if (!a["title"].get<std::string>().empty()) std::cout << ", title \"" << a["title"].get<std::string>() << "\"";
        if (!a["artist"].get<std::string>().empty()) std::cout << ", by \"" << a["artist"].get<std::string>() << "\"";
        std::cout << "\n    rates (ms):";
        for (const auto& r : a["rates_ms"]) std::cout << " " << r;
        std::cout << "\n";
        int k = 0;
        for (const auto& f : a["frame_list"]) {
            std::cout << "    frame " << k++ << ":";
            for (const auto& im : f["images"])
                std::cout << " " << im["format"].get<std::string>() << " hot spot " << im["hotspot_x"] << ","
                          << im["hotspot_y"] << ";";
            std::cout << "\n";
        }
    }
    for (const auto& b : j["bitmap_list"]) {
        std::cout << "  bitmap \"" << b["name"].get<std::string>() << "\" " << b["width"] << " x " << b["height"]
                  << ", pixel format " << b["pixel_format"].get<std::string>() << "\n";
    }
}

// Says what reading a file found wrong and where; false when it found
// nothing. A loader that failed without saying where gives its own text.
bool ComplainOfDamage(const OpenedFile& file, const LoadResult& result) {
    for (const ReadError& e : file.Errors()) Complain(file.Path(), e.Describe());
    if (!file.Damaged() && !result.ok) Complain(file.Path(), result.error);
    return file.Damaged() || !result.ok;
}

// Only the kind and the counts the explorer shows: touches the headers and
// resource directories, never the images.
int RunCounts(const std::vector<std::string>& paths, bool asJson) {
    int status = kExitOk;
    for (const auto& path : paths) {
        const auto opened = OpenOrComplain(path);
        if (!opened) {
            status = kExitFailed;
            continue;
        }
        const FileCounts& c = opened->Counts();
        if (ComplainOfDamage(*opened, {})) status = kExitFailed;
        if (asJson) {
            json j = PathJson(path);
            j.update({{"kind", ContainerKindText(c.kind)},
                      {"icon_groups", c.iconGroups},
                      {"cursor_groups", c.cursorGroups},
                      {"bitmaps", c.bitmaps},
                      {"animations", c.animations},
                      {"errors", ErrorsJson(opened->Errors())}});
            std::cout << Dump(j) << "\n";
        } else {
            std::cout << path << ": " << ContainerKindText(c.kind) << ", icon groups " << c.iconGroups
                      << ", cursor groups " << c.cursorGroups << ", bitmaps " << c.bitmaps;
            if (c.animations > 0) std::cout << ", animated cursors and icons " << c.animations;
            std::cout << "\n";
        }
    }
    return status;
}

int RunInfo(const std::vector<std::string>& paths, bool asJson, bool decode) {
    int status = kExitOk;
    for (const auto& path : paths) {
        const auto opened = OpenOrComplain(path);
        if (!opened) {
            status = kExitFailed;
            continue;
        }
        const LoadResult r = opened->LoadAll();
        if (ComplainOfDamage(*opened, r)) status = kExitFailed;
        const json j = FileJson(path, opened->Counts(), opened->Contents(), decode);
        if (asJson)
            std::cout << Dump(j) << "\n";
        else
            PrintText(path, j);
    }
    return status;
}

// ---- writing ----------------------------------------------------------

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
    std::shared_ptr<OpenedFile> file;
    bool ok = false;
    const FileContents& contents() const { return file->Contents(); }
    const FileCounts& counts() const { return file->Counts(); }
};

ForWriting LoadForWriting(const std::string& path) {
    ForWriting out;
    out.file = OpenedFile::Open(path);
    if (!out.file->Readable()) {
        Complain(path, out.file->OpenError());
        return out;
    }
    const LoadResult r = out.file->LoadAll();
    out.ok = !ComplainOfDamage(*out.file, r);
    return out;
}

// What extract writes each image as.
enum class ExtractAs { ImageFile, Bitmap, Png };

int RunExtract(const std::string& file, const std::string& outDir, ExtractAs as, ExistingAction existing) {
    const ForWriting read = LoadForWriting(file);
    const FileContents& contents = read.contents();
    const FileCounts& counts = read.counts();
    bool ok = read.ok;
    Writer w(existing, outDir);
    const bool single = counts.kind == ContainerKind::IconFile || counts.kind == ContainerKind::CursorFile;
    const CursorDataForm form = counts.kind == ContainerKind::CursorFile ? CursorDataForm::CurFile : CursorDataForm::Resource;
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
    for (const TAniCursor& a : contents.Animations) {
        for (size_t k = 0; k < a.Frames.size(); ++k) {
            const TAniFrame& frame = a.Frames[k];
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
            ExistingAction existing) {
    const ForWriting read = LoadForWriting(file);
    const FileContents& contents = read.contents();
    const FileCounts& counts = read.counts();
    bool ok = read.ok;
    Writer w(existing, outDir);
    const CursorDataForm form = counts.kind == ContainerKind::CursorFile ? CursorDataForm::CurFile : CursorDataForm::Resource;
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
    if (icons) saveGroups(contents.IconGroups, ".ico", [](const TAdvIconGroupList& g) { return WriteIconGroup(g); });
    if (cursors)
        saveGroups(contents.CursorGroups, ".cur", [&](const TAdvCursorGroupList& g) { return WriteCursorGroup(g, form); });
    // An animated cursor or icon is written whole, as stored.
    if (cursors)
        for (const TAniCursor& a : contents.Animations) w.Write(a.Name, ".ani", a.Data.ToBytes());
    if (bitmaps)
        for (const auto& b : contents.Bitmaps) {
            if (!Usable(b)) continue;
            const std::string base = counts.kind == ContainerKind::BitmapFile ? NameBeforeFirstDot(b.Name) : b.Name;
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

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"grabwell-cli: finds, extracts and converts icons, cursors and bitmaps"};
    app.set_version_flag("--version", std::string("grabwell-cli ") + GRABWELL_VERSION);
    app.require_subcommand(1);

    bool asJson = false;
    std::vector<std::string> infoPaths;
    auto* info = app.add_subcommand("info", "Show what each file holds: kind, counts, groups, images and bitmaps");
    bool countsOnly = false;
    info->add_flag("--json", asJson, "One JSON object per line and file");
    info->add_flag("--counts", countsOnly, "Only the kind and the counts (reads no images)");
    bool decode = false;
    info->add_flag("--decode", decode, "Also decode every image and say whether it decodes (\"decoded\")");
    info->add_option("PATH", infoPaths, "Files to look at")->required();

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
    extract->add_option("FILE", file, "The file to read")->required();
    extract->add_option("OUTDIR", outDir, "The folder to write into")->required()->check(CLI::ExistingDirectory);

    bool onlyIcons = false, onlyCursors = false, onlyBitmaps = false;
    std::string saveExisting = "rename";
    auto* save = app.add_subcommand("save", "Write every icon group, cursor group or bitmap whole (.ico, .cur, .bmp)");
    save->add_flag("--icons", onlyIcons, "Icon groups only");
    save->add_flag("--cursors", onlyCursors, "Cursor groups only");
    save->add_flag("--bitmaps", onlyBitmaps, "Bitmaps only");
    save->add_option("--existing", saveExisting, "What to do with a name that exists: skip, overwrite or rename")
        ->check(CLI::IsMember({"skip", "overwrite", "rename"}));
    save->add_option("FILE", file, "The file to read")->required();
    save->add_option("OUTDIR", outDir, "The folder to write into")->required()->check(CLI::ExistingDirectory);

    std::string themeName;
    std::vector<std::string> themeArgs;
    auto* theme = app.add_subcommand(
        "cursor-theme", "Make a Linux cursor theme of Windows cursors: INPUT... (files, libraries, folders) OUTDIR");
    theme->add_option("--name", themeName, "The theme's name (default: OUTDIR's name)");
    theme->add_option("INPUT_AND_OUTDIR", themeArgs, "The inputs, then the theme's folder")->required()->expected(2, -1);

    cli::WizardCommandOptions wizardOptions;
    CLI::App* wizard = cli::AddWizardCommand(app, wizardOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help and --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    if (*info) return countsOnly ? RunCounts(infoPaths, asJson) : RunInfo(infoPaths, asJson, decode);
    if (*wizard) return cli::RunWizardCommand(wizardOptions);
    if (*theme) return RunCursorTheme(themeArgs, themeName);
    if (*extract) {
        ExistingAction existing;
        ParseExisting(existingText, existing);
        return RunExtract(file, outDir, asPng ? ExtractAs::Png : asBitmaps ? ExtractAs::Bitmap : ExtractAs::ImageFile,
                          existing);
    }
    if (*save) {
        ExistingAction existing;
        ParseExisting(saveExisting, existing);
        const bool any = onlyIcons || onlyCursors || onlyBitmaps;
        return RunSave(file, outDir, !any || onlyIcons, !any || onlyCursors, !any || onlyBitmaps, existing);
    }
    return kExitUsage;
}
