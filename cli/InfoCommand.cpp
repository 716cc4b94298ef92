#include "cli/InfoCommand.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <sstream>

#include "batch/core/InfoJson.h"
#include "cli/CliCommon.h"
#include "cli/WorkerProcesses.h"
#include "formats/Document.h"

namespace gw::cli {

using json = nlohmann::json;

namespace {

// The fingerprints line of the text form.
void PrintHash(std::ostream& out, const json& j) {
    const json& h = j["icon_hash"];
    if (h.is_null()) {
        out << "  icon hash: none\n";
        return;
    }
    out << "  icon hash: raw MD5 " << h["raw_md5"].get<std::string>() << ", .ico MD5 "
        << h["ico_md5"].get<std::string>() << ", dhash "
        << (h["dhash"].get<std::string>().empty() ? "none (does not decode)" : h["dhash"].get<std::string>())
        << "\n";
}

// The version line of the text form: the fixed part's versions and the
// description of the first string table that has one.
void PrintVersion(std::ostream& out, const json& v) {
    out << "  version:";
    if (v.contains("file_version"))
        out << " file " << v["file_version"].get<std::string>() << ", product "
            << v["product_version"].get<std::string>();
    for (const json& strings : v["strings"]) {
        if (!strings.contains("FileDescription")) continue;
        out << (v.contains("file_version") ? ", " : " ") << "\"" << strings["FileDescription"].get<std::string>()
            << "\"";
        break;
    }
    out << "\n";
}

// The languages of a record held in more than one: all of them, and the one
// shown ("", for any other record).
std::string LanguagesText(const json& record) {
    if (!record.contains("languages") || record["languages"].size() < 2) return "";
    std::string text = ", languages";
    char hex[8];
    for (const json& l : record["languages"]) {
        std::snprintf(hex, sizeof hex, "%04x", l.get<unsigned>());
        text += std::string(" 0x") + hex;
    }
    std::snprintf(hex, sizeof hex, "%04x", record["language"].get<unsigned>());
    return text + " (shown 0x" + hex + ")";
}

// The path as the file system spells it; every other text is UTF-8.
void PrintText(std::ostream& out, const std::string& path, const json& j) {
    out << path << ": " << j["kind"].get<std::string>() << "\n";
    out << "  icon groups: " << j["icon_groups"] << ", cursor groups: " << j["cursor_groups"]
        << ", bitmaps: " << j["bitmaps"];
    if (j["animations"].get<int>() > 0) out << ", animated cursors and icons: " << j["animations"];
    out << "\n";
    if (j.contains("resources_from")) out << "  images from: " << j["resources_from"].get<std::string>() << "\n";
    for (const auto& g : j["groups"]) {
        out << "  " << g["type"].get<std::string>() << " group \"" << g["name"].get<std::string>() << "\""
            << (g["named"].get<bool>() ? " (named)" : " (id)") << ", " << g["images"].size() << " images"
            << LanguagesText(g) << "\n";
        for (const auto& im : g["images"]) {
            out << "    " << im["format"].get<std::string>() << ", " << im["bit_count"] << " bits, " << im["bytes"]
                << " bytes";
            if (im.contains("hotspot_x")) out << ", hot spot " << im["hotspot_x"] << "," << im["hotspot_y"];
            if (im["png"].get<bool>()) out << ", PNG";
            if (im.contains("missing")) out << ", missing";
            if (im.contains("decoded") && !im["decoded"].get<bool>()) out << ", not decodable";
            out << "\n";
        }
    }
    for (const auto& a : j["animation_list"]) {
        out << "  animated " << a["type"].get<std::string>() << " \"" << a["name"].get<std::string>() << "\", "
            << a["frames"] << " frames, " << a["steps"] << " steps, default " << a["default_rate_ms"] << " ms";
        if (!a["title"].get<std::string>().empty()) out << ", title \"" << a["title"].get<std::string>() << "\"";
        if (!a["artist"].get<std::string>().empty()) out << ", by \"" << a["artist"].get<std::string>() << "\"";
        out << LanguagesText(a) << "\n    rates (ms):";
        for (const auto& r : a["rates_ms"]) out << " " << r;
        out << "\n";
        int k = 0;
        for (const auto& f : a["frame_list"]) {
            out << "    frame " << k++ << ":";
            for (const auto& im : f["images"])
                out << " " << im["format"].get<std::string>() << " hot spot " << im["hotspot_x"] << ","
                    << im["hotspot_y"] << ";";
            out << "\n";
        }
    }
    for (const auto& b : j["bitmap_list"]) {
        out << "  bitmap \"" << b["name"].get<std::string>() << "\" " << b["width"] << " x " << b["height"]
            << ", pixel format " << b["pixel_format"].get<std::string>() << LanguagesText(b) << "\n";
    }
    if (j.contains("version")) PrintVersion(out, j["version"]);
    if (j.contains("icon_hash")) PrintHash(out, j);
}

void PrintCountsText(std::ostream& out, const std::string& path, const json& j) {
    out << path << ": " << j["kind"].get<std::string>() << ", icon groups " << j["icon_groups"]
        << ", cursor groups " << j["cursor_groups"] << ", bitmaps " << j["bitmaps"];
    if (j["animations"].get<int>() > 0) out << ", animated cursors and icons " << j["animations"];
    out << "\n";
    if (j.contains("icon_hash")) PrintHash(out, j);
}

// What info says of one file: its standard output and standard error text,
// and whether it was whole.
using Described = WorkResult;

// A shortcut: what it starts and the icon it shows.
Described DescribeShortcut(const Shortcut& shortcut, const InfoRequest& request) {
    Described d;
    const json j = ShortcutJsonObject(shortcut);
    if (shortcut.error) d.err = ComplaintText(shortcut.path, shortcut.error->Describe());
    d.ok = !shortcut.error;
    if (request.output != InfoOutput::Text) {
        d.out = DumpJsonLine(j) + "\n";
        return d;
    }
    std::ostringstream text;
    const auto said = [](const json& value) { return value.is_null() ? std::string("(not found)") : value.get<std::string>(); };
    text << shortcut.path << ": Shortcut\n";
    text << "  target: " << j["target_windows"].get<std::string>() << " -> " << said(j["target"]) << "\n";
    if (!shortcut.link.arguments.empty()) text << "  arguments: " << j["arguments"].get<std::string>() << "\n";
    if (!shortcut.link.workingDirectory.empty())
        text << "  working folder: " << j["working_folder_windows"].get<std::string>() << " -> "
             << said(j["working_folder"]) << "\n";
    if (!shortcut.link.description.empty()) text << "  description: " << j["description"].get<std::string>() << "\n";
    const json& icon = j["icon_location"];
    text << "  icon: " << said(icon["file"]) << "," << icon["index"].get<int>()
         << (icon["from_target"].get<bool>() ? " (the target's)" : "") << "\n";
    if (!shortcut.prefix.empty()) text << "  Wine prefix: " << shortcut.prefix << "\n";
    d.out = text.str();
    return d;
}

Described Describe(const std::string& path, const InfoRequest& request) {
    Described d;
    const InfoOptions options{request.decode, request.hash, request.jobs};
    std::shared_ptr<Document> doc = Document::Open(path);
    doc->SetLanguage(request.language);
    if (doc->Kind() == FileKind::Shortcut) return DescribeShortcut(ReadShortcut(path, doc->Bytes()), request);
    if (!doc->Readable()) {
        d.err = ComplaintText(path, NothingShownReason(*doc, "cannot be read"));
        d.ok = false;
        if (request.output == InfoOutput::JsonLines)
            d.out = (request.counts ? CountsJsonLine(path, *doc, options) : InfoJsonLine(path, *doc, options)) + "\n";
        return d;
    }
    // The object first: it reads what it says, so the damage is known after it.
    const json j = request.counts ? CountsJsonObject(path, *doc, options) : InfoJsonObject(path, *doc, options);
    d.err = DamageText(*doc);
    d.ok = !doc->Damaged();
    if (request.output != InfoOutput::Text) {
        d.out = DumpJsonLine(j) + "\n";
    } else {
        std::ostringstream text;
        if (request.counts)
            PrintCountsText(text, path, j);
        else
            PrintText(text, path, j);
        d.out = text.str();
    }
    return d;
}

// A file whose reading threw (out of memory, say) is said as unreadable and
// the run goes on.
Described DescribeOrComplain(const std::string& path, const InfoRequest& request) {
    try {
        return Describe(path, request);
    } catch (const std::exception& e) {
        return {{}, ComplaintText(path, std::string("cannot be read: ") + e.what()), false};
    }
}

// Says one file's result; with flush the output goes out at once, for a
// reader at the other end of a pipe that waits for each line.
bool Emit(const Described& d, bool flush) {
    std::cerr << d.err;
    std::cout << d.out;
    if (flush) std::cout.flush();
    return d.ok;
}

// Describes the files one at a time on this thread.
bool RunInOrder(FileList& files, const InfoRequest& request, bool flush) {
    bool ok = true;
    std::string path;
    while (files.Next(path)) ok = Emit(DescribeOrComplain(path, request), flush) && ok;
    return ok;
}

// Describes the files in jobs worker processes, the results said strictly
// in the order of the names. Each worker decodes a file's images on one
// thread: the workers keep the processors busy, and a large library is
// handed out first (see WorkerPlan::window).
bool RunInParallel(FileList& files, const InfoRequest& request, bool flush) {
    bool ok = true;
    InfoRequest inWorker = request;
    inWorker.jobs = 1;
    WorkerPlan plan;
    plan.processes = request.jobs;
    plan.next = [&](std::string& path) { return files.Next(path); };
    plan.work = [&](const std::string& path) { return DescribeOrComplain(path, inWorker); };
    plan.say = [&](const Described& d) { ok = Emit(d, flush) && ok; };
    plan.lost = [](const std::string& path, const std::string& why) {
        return Described{{}, ComplaintText(path, "cannot be read: " + why), false};
    };
    if (!RunInWorkerProcesses(plan)) return RunInOrder(files, request, flush);
    return ok;
}

} // namespace

int RunInfo(const InfoRequest& request) {
    FileList files(request.files);
    if (files.Failed()) {
        std::cerr << "grabwell-cli: " << files.Error() << "\n";
        return kExitFailed;
    }
    // Names coming down a pipe may come slowly: each result goes out as soon
    // as it is said.
    const bool flush = request.files.listFile == "-";
    // One named file is described here, its images decoded on jobs threads.
    const bool oneFile = request.files.paths.size() == 1 && request.files.listFile.empty() && !request.files.recurse;
    const bool ok = request.jobs <= 1 || oneFile ? RunInOrder(files, request, flush)
                                                 : RunInParallel(files, request, flush);
    return ok ? kExitOk : kExitFailed;
}

} // namespace gw::cli
