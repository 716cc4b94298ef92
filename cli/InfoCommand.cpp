#include "cli/InfoCommand.h"

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>

#include "batch/core/InfoJson.h"
#include "cli/CliCommon.h"
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
struct Described {
    std::string out;
    std::string err;
    bool ok = true;
};

Described Describe(const std::string& path, const InfoRequest& request) {
    Described d;
    const InfoOptions options{request.decode, request.hash, request.jobs};
    std::shared_ptr<Document> doc = Document::Open(path);
    doc->SetLanguage(request.language);
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

// Describes the files on jobs threads, this one among them. Each thread
// takes the next name (numbering it), describes the file, and leaves the
// result in the file's slot; whichever thread finds the next result to say
// ready says it and every ready one after it. At most a window of files is
// in hand, so memory does not grow with their number, and the results are
// said strictly in the order of the names.
bool RunInParallel(FileList& files, const InfoRequest& request, bool flush) {
    struct Slot {
        Described result;
        bool ready = false;
    };
    const size_t window = size_t(request.jobs) * 4;
    std::vector<Slot> slots(window);
    std::mutex mutex;            // the slots and the counts below
    std::mutex reading;          // one thread reads the list at a time, so names are numbered in order
    std::condition_variable roomCame;
    uint64_t taken = 0, said = 0;
    bool listEnded = false, saying = false, ok = true;

    auto work = [&] {
        for (;;) {
            std::string path;
            uint64_t number;
            {
                std::unique_lock read(reading);
                {
                    std::unique_lock lock(mutex);
                    roomCame.wait(lock, [&] { return listEnded || taken - said < window; });
                    if (listEnded) return;
                }
                // Read without the slots' lock: a list that comes slowly
                // keeps no finished result from being said.
                const bool more = files.Next(path);
                std::lock_guard lock(mutex);
                if (!more) {
                    listEnded = true;
                    roomCame.notify_all();
                    return;
                }
                number = taken++;
            }
            Described result = DescribeOrComplain(path, request);
            std::unique_lock lock(mutex);
            slots[number % window] = {std::move(result), true};
            if (saying) continue; // the thread saying results will come to it
            saying = true;
            while (slots[said % window].ready) {
                const Described next = std::move(slots[said % window].result);
                slots[said % window] = {};
                ++said;
                roomCame.notify_all();
                lock.unlock();
                const bool whole = Emit(next, flush);
                lock.lock();
                ok = whole && ok;
            }
            saying = false;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < request.jobs; ++i) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
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
    const bool ok = request.jobs <= 1 ? RunInOrder(files, request, flush) : RunInParallel(files, request, flush);
    return ok ? kExitOk : kExitFailed;
}

} // namespace gw::cli
