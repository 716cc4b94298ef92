#include "batch/core/DesktopEntry.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "batch/core/TreeWalk.h"
#include "formats/Document.h"
#include "formats/IconFormat.h"
#include "formats/VersionInfo.h"
#include "platform/FileIo.h"
#include "platform/IconImage.h"
#include "platform/Md5.h"
#include "platform/Paths.h"
#include "platform/PngEncode.h"
#include "platform/Text.h"

namespace gw {

namespace fs = std::filesystem;

namespace {

constexpr int kLargerSize = 48;     // the least size a menu shows an icon at without blurring it
constexpr int kFolderDepth = 3;     // how deep a folder is searched for its main program
constexpr size_t kMaxCandidates = 500;

std::string LowerAsciiText(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// Letters and digits only, lower-cased: names compared whatever their
// spacing, punctuation and case ("Deep Space II" and "deepspace2.exe" alike
// up to the digit).
std::string Folded(const std::string& s) {
    std::string out;
    for (char c : LowerAsciiText(s))
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
    return out;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The first non-empty value of a key in the program's string tables.
std::string VersionText(const std::optional<VersionInfo>& version, std::string_view key) {
    if (!version) return {};
    for (const VersionStringTable& table : version->tables)
        if (const std::string* value = table.Find(key))
            if (std::string text = Trimmed(*value); !text.empty()) return text;
    return {};
}

std::string BaseNameWithoutExtension(const std::string& path) {
    const std::string name = PathFileName(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// One image of the program's first icon group, decoded at its own size.
struct StoredImage {
    ByteView bytes;
    int width = 0, height = 0;
    int depth = 0; // bits per pixel; a PNG image counts as 32
    bool png = false;
    Handle picture;
};

std::vector<StoredImage> FirstGroupImages(Document& doc) {
    std::vector<StoredImage> images;
    doc.Load(RecordKind::Icons);
    if (doc.Contents().IconGroups.empty()) return images;
    for (const IconImage& im : doc.Contents().IconGroups.front().Images) {
        if (im.Missing) continue;
        StoredImage s;
        s.bytes = im.Data.view();
        s.picture = CreateIconFromResourceEx(s.bytes, true, kIconVersion, 0, 0, 0);
        if (!s.picture) continue;
        s.width = s.picture->storedWidth;
        s.height = s.picture->storedHeight;
        s.png = s.picture->fromPng;
        s.depth = s.png ? 32 : std::max<int>(im.BitCount, s.picture->bitCount);
        images.push_back(std::move(s));
    }
    return images;
}

bool IsExeName(const std::string& name) { return LowerExtension(name) == ".exe"; }

// Why a program is not the one a menu should start, by its file name or its
// description; empty when nothing speaks against it.
std::string ExclusionReason(const std::string& fileName, const std::string& description) {
    const std::string name = LowerAsciiText(fileName);
    static const char* const kNameParts[] = {"unins",  "uninstall", "setup",   "install", "crash",    "redist",
                                             "dxsetup", "dotnetfx", "update",  "patcher", "reporter", "helper",
                                             "prereq", "vcredist",  "elevate", "oalinst", "physx"};
    for (const char* part : kNameParts)
        if (name.find(part) != std::string::npos) return std::string("file name has \"") + part + "\"";
    const std::string text = LowerAsciiText(description);
    static const char* const kDescriptionParts[] = {"uninstall", "setup",  "installer",       "crash",
                                                    "redistributable", "updater", "update", "helper"};
    for (const char* part : kDescriptionParts)
        if (text.find(part) != std::string::npos) return std::string("description has \"") + part + "\"";
    return {};
}

bool NamesMatch(const std::string& a, const std::string& b) {
    const std::string fa = Folded(a), fb = Folded(b);
    if (fa.size() < 3 || fb.size() < 3) return fa == fb && !fa.empty();
    return fa == fb || fa.find(fb) != std::string::npos || fb.find(fa) != std::string::npos;
}

ProgramCandidate Judge(const std::string& path, const std::string& folderName) {
    ProgramCandidate c;
    c.path = path;
    std::error_code ec;
    c.fileSize = fs::file_size(path, ec);
    if (ec) c.fileSize = 0;
    const auto doc = Document::Open(path);
    const FileCounts& counts = doc->Counts();
    if (!doc->Readable() || (counts.kind != FileKind::Pe && counts.kind != FileKind::Ne)) {
        c.excluded = true;
        c.reasons.push_back("not a Windows program");
    } else if (counts.iconGroups < 1) {
        c.excluded = true;
        c.reasons.push_back("no icon");
    }
    std::string description, product;
    if (!c.excluded) {
        const std::optional<VersionInfo>& version = doc->Version();
        description = VersionText(version, "FileDescription");
        product = VersionText(version, "ProductName");
        if (const std::string why = ExclusionReason(PathFileName(path), description); !why.empty()) {
            c.excluded = true;
            c.reasons.push_back(why);
        }
        const std::vector<StoredImage> images = FirstGroupImages(*doc);
        c.iconImages = int(images.size());
        for (const StoredImage& s : images) c.largestIcon = std::max(c.largestIcon, s.width);
        c.reasons.push_back("icon: " + CountText(uint64_t(c.iconImages), "image") + ", largest " +
                            std::to_string(c.largestIcon));
    }
    if (!folderName.empty()) {
        if (NamesMatch(BaseNameWithoutExtension(path), folderName)) {
            c.matchesFolder = true;
            c.reasons.push_back("file name matches the folder");
        } else if ((!product.empty() && NamesMatch(product, folderName)) ||
                   (!description.empty() && NamesMatch(description, folderName))) {
            c.matchesFolder = true;
            c.reasons.push_back("version information matches the folder");
        }
    }
    // The order as one number: each part outweighs all the parts after it.
    const int64_t richness = std::min<int64_t>(c.iconImages, 99) * 1000 + std::min(c.largestIcon, 999);
    c.score = (c.excluded ? -1'000'000'000 : 0) + (c.matchesFolder ? 100'000'000 : 0) + richness;
    return c;
}

std::string Utf8OrEmpty(const std::string& text) { return IsUtf8(text) ? text : std::string(); }

} // namespace

std::string DesktopEntryId(const std::string& absolutePath) {
    std::string base;
    for (char c : LowerAsciiText(BaseNameWithoutExtension(absolutePath))) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep)
            base += c;
        else if (!base.empty() && base.back() != '-')
            base += '-';
    }
    while (!base.empty() && base.back() == '-') base.pop_back();
    if (base.empty()) base = "program";
    const std::string hash = Md5Hex(ByteView(reinterpret_cast<const uint8_t*>(absolutePath.data()), absolutePath.size()));
    return "grabwell-" + base + "-" + hash.substr(0, 4);
}

std::string DesktopString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
        }
    }
    return out;
}

std::string DesktopExecQuote(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    for (char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return needsQuotes ? "\"" + quoted + "\"" : quoted;
}

std::string DesktopExecArgument(const std::string& argument) { return DesktopString(DesktopExecQuote(argument)); }

std::string UserDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    return home && home[0] ? JoinPath(home, ".local/share") : std::string();
}

std::vector<ProgramCandidate> RankPrograms(const std::string& folder) {
    std::vector<ProgramCandidate> out;
    std::error_code ec;
    std::string absolute = fs::absolute(folder, ec).lexically_normal().string();
    while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
    const std::string folderName = PathFileName(ec ? folder : absolute);
    WalkOptions walk;
    walk.maxDepth = kFolderDepth - 1; // the folder and two levels below it
    walk.order = WalkOrder::ByteOrder;
    FolderWalk files(folder, walk);
    WalkEntry entry;
    while (out.size() < kMaxCandidates && files.Next(entry))
        if (entry.kind == WalkEntry::Kind::File && IsExeName(entry.name)) out.push_back(Judge(entry.path, folderName));
    std::stable_sort(out.begin(), out.end(), [](const ProgramCandidate& a, const ProgramCandidate& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.fileSize != b.fileSize) return a.fileSize > b.fileSize;
        return a.path < b.path;
    });
    return out;
}

DesktopEntryPlan PlanDesktopEntry(const DesktopEntryRequest& request) {
    DesktopEntryPlan plan;
    std::error_code ec;
    std::string program = fs::absolute(request.program, ec).lexically_normal().string();
    if (ec || !EntryExists(program)) {
        plan.error = "cannot be read: No such file or directory";
        return plan;
    }
    if (IsFolder(program)) {
        while (program.size() > 1 && program.back() == '/') program.pop_back();
        const std::vector<ProgramCandidate> ranked = RankPrograms(program);
        if (ranked.empty() || ranked.front().excluded) {
            plan.error = "holds no program with an icon to make a menu entry for";
            return plan;
        }
        program = ranked.front().path;
    }
    plan.program = program;
    const auto doc = Document::Open(program);
    if (!doc->Readable()) {
        plan.error = NothingShownReason(*doc, "cannot be read");
        return plan;
    }
    if (doc->Kind() != FileKind::Pe && doc->Kind() != FileKind::Ne) {
        plan.error = std::string("is not a Windows program (") + FileKindText(doc->Kind()) + ")";
        return plan;
    }
    std::vector<StoredImage> images = FirstGroupImages(*doc);
    if (images.empty()) {
        plan.error = "holds no icon that can be drawn";
        return plan;
    }

    plan.id = DesktopEntryId(program);
    const std::optional<VersionInfo>& version = doc->Version();
    const std::string description = VersionText(version, "FileDescription");
    const std::string product = VersionText(version, "ProductName");
    const std::string company = VersionText(version, "CompanyName");
    plan.name = Trimmed(request.name);
    if (plan.name.empty()) plan.name = !description.empty() ? description : !product.empty() ? product : "";
    if (plan.name.empty()) plan.name = Utf8OrEmpty(BaseNameWithoutExtension(program));
    if (plan.name.empty()) plan.name = "Windows program";
    if (!IsUtf8(plan.name)) {
        plan.error = "the program's name is not UTF-8 text; give one with --name";
        return plan;
    }

    // The icon set: for each size, the deepest image of exactly that size,
    // as stored when stored as PNG, never scaled up; a 48 made from the
    // largest image when none is at least that large.
    const std::string iconsDir = JoinPath(request.dataDir, "icons/hicolor");
    std::map<int, const StoredImage*> bySize;
    const StoredImage* largest = nullptr;
    for (const StoredImage& s : images) {
        if (!largest || s.width > largest->width || (s.width == largest->width && s.depth > largest->depth))
            largest = &s;
        if (s.width != s.height) continue;
        if (std::find(std::begin(kMenuIconSizes), std::end(kMenuIconSizes), s.width) == std::end(kMenuIconSizes))
            continue;
        const StoredImage*& best = bySize[s.width];
        if (!best || s.depth > best->depth) best = &s;
    }
    auto iconPath = [&](int size) {
        const std::string side = std::to_string(size);
        return JoinPath(iconsDir, side + "x" + side + "/apps/" + plan.id + ".png");
    };
    for (const auto& [size, s] : bySize) {
        Bytes png = s->png ? Bytes(s->bytes.begin(), s->bytes.end()) : IconImagePng(*s->picture);
        if (png.empty()) continue;
        plan.files.push_back({iconPath(size), std::move(png)});
        plan.iconSizes.push_back(size);
    }
    if (largest->width < kLargerSize && largest->height <= largest->width) {
        if (Handle scaled = CreateIconFromResourceEx(largest->bytes, true, kIconVersion, kLargerSize, kLargerSize, 0)) {
            plan.files.push_back({iconPath(kLargerSize), IconImagePng(*scaled)});
            plan.iconSizes.push_back(kLargerSize);
            plan.madeLarger = true;
        }
    }
    std::sort(plan.iconSizes.begin(), plan.iconSizes.end());
    plan.iconSizes.erase(std::unique(plan.iconSizes.begin(), plan.iconSizes.end()), plan.iconSizes.end());
    if (plan.iconSizes.empty()) {
        plan.error = "holds no square icon image of a size a menu uses";
        plan.files.clear();
        return plan;
    }

    std::string workingFolder;
    const std::string defaultExec = IsUtf8(program) ? "wine " + DesktopExecQuote(program) : std::string();
    plan.exec = Trimmed(request.exec).empty() ? defaultExec : request.exec;
    if (plan.exec.empty()) {
        plan.error = "the program's path is not UTF-8 text, which a menu entry cannot hold; give --exec";
        plan.files.clear();
        return plan;
    }
    if (!IsUtf8(plan.exec)) {
        plan.error = "--exec is not UTF-8 text";
        plan.files.clear();
        return plan;
    }
    if (plan.exec == defaultExec) {
        // Wine programs look for their files beside them.
        workingFolder = program.substr(0, program.find_last_of('/'));
        if (workingFolder.empty()) workingFolder = "/";
    }
    const std::string exec = DesktopString(plan.exec);
    std::vector<std::string> comment;
    for (const std::string& part : {description, company})
        if (!part.empty() && part != plan.name && IsUtf8(part) &&
            std::find(comment.begin(), comment.end(), part) == comment.end())
            comment.push_back(part);
    std::string entry = "[Desktop Entry]\nType=Application\nName=" + DesktopString(plan.name) + "\n";
    if (!comment.empty()) {
        std::string text = comment[0];
        for (size_t i = 1; i < comment.size(); ++i) text += " - " + comment[i];
        entry += "Comment=" + DesktopString(text) + "\n";
    }
    entry += "Icon=" + plan.id + "\nExec=" + exec + "\n";
    if (!workingFolder.empty()) entry += "Path=" + DesktopString(workingFolder) + "\n";
    entry += "Terminal=false\n";
    if (!request.categories.empty()) {
        std::string categories = DesktopString(request.categories);
        if (categories.back() != ';') categories += ';';
        entry += "Categories=" + categories + "\n";
    }
    plan.files.push_back({JoinPath(request.dataDir, "applications/" + plan.id + ".desktop"),
                          Bytes(entry.begin(), entry.end())});
    return plan;
}

std::string WriteDesktopEntry(const DesktopEntryPlan& plan) {
    for (const PlannedFile& file : plan.files) {
        const std::string folder = file.path.substr(0, file.path.find_last_of('/'));
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) return "cannot make the folder \"" + folder + "\": " + ec.message();
        if (std::string error = WriteFileAtomic(file.path, file.bytes, true); !error.empty()) return error;
    }
    if (!plan.files.empty())
        FlushFolder(plan.files.back().path.substr(0, plan.files.back().path.find_last_of('/')));
    return {};
}

void RefreshIconTheme(const std::string& dataDir) {
    const std::string hicolor = JoinPath(dataDir, "icons/hicolor");
    // Desktops watch the theme folder's time stamp for new icons.
    std::error_code ec;
    fs::last_write_time(hicolor, fs::file_time_type::clock::now(), ec);
    if (!EntryExists(JoinPath(hicolor, "icon-theme.cache"))) return;
    const pid_t child = fork();
    if (child == 0) {
        execlp("gtk-update-icon-cache", "gtk-update-icon-cache", "-q", "-t", "-f", hicolor.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child > 0) {
        int status = 0;
        waitpid(child, &status, 0);
    }
}

} // namespace gw
