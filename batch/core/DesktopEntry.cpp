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
#include "formats/FileKinds.h"
#include "formats/IconFormat.h"
#include "formats/IconLocation.h"
#include "formats/VersionInfo.h"
#include "platform/FileIo.h"
#include "platform/IconImage.h"
#include "platform/Md5.h"
#include "platform/Paths.h"
#include "platform/PngEncode.h"
#include "platform/Text.h"
#include "platform/WinePrefix.h"

#include <fstream>

namespace gw {

namespace fs = std::filesystem;

namespace {

constexpr int kLargerSize = 48;     // the least size a menu shows an icon at without blurring it
constexpr int kFolderDepth = 3;     // how deep a folder is searched for its main program
constexpr size_t kMaxCandidates = 500;

// Letters and digits only, lower-cased: names compared whatever their
// spacing, punctuation and case ("Deep Space II" and "deepspace2.exe" alike
// up to the digit).
std::string Folded(const std::string& s) {
    std::string out;
    for (char c : LowerAscii(s))
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

// The images of the icon group an icon location's index picks (0: the first).
std::vector<StoredImage> GroupImages(Document& doc, int32_t index = 0) {
    std::vector<StoredImage> images;
    const IconGroup* group = PickIconGroup(doc, index);
    if (!group) return images;
    for (const IconImage& im : group->Images) {
        if (im.Missing) continue;
        StoredImage s;
        s.bytes = im.Data.view();
        s.picture = DecodeIconImage(s.bytes, true);
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
    const std::string name = LowerAscii(fileName);
    static const char* const kNameParts[] = {"unins",  "uninstall", "setup",   "install", "crash",    "redist",
                                             "dxsetup", "dotnetfx", "update",  "patcher", "reporter", "helper",
                                             "prereq", "vcredist",  "elevate", "oalinst", "physx"};
    for (const char* part : kNameParts)
        if (name.find(part) != std::string::npos) return std::string("file name has \"") + part + "\"";
    const std::string text = LowerAscii(description);
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
    if (!doc->Readable() || !IsProgramKind(counts.kind)) {
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
        const std::vector<StoredImage> images = GroupImages(*doc);
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

// File names that tell nothing of the program ("game.exe", "Launcher.exe"):
// its folder names it better.
bool IsGenericProgramName(const std::string& baseName) {
    static const char* const kGeneric[] = {"game", "launcher", "launch", "start", "play", "main", "client",
                                           "app",  "application", "run", "program", "win32", "win64", "bin"};
    const std::string folded = Folded(baseName);
    return std::any_of(std::begin(kGeneric), std::end(kGeneric), [&](const char* g) { return folded == g; });
}

// The name of the folder a program stands in, above folders of binaries
// ("Game/bin/x64/game.exe" -> "Game").
std::string ProgramFolderName(const std::string& program) {
    static const char* const kBinaryFolders[] = {"bin", "bin32", "bin64", "binaries", "win32", "win64",
                                                 "x86", "x64",   "x8664", "amd64",    "system", "program"};
    fs::path folder = fs::path(program).parent_path();
    for (int level = 0; level < 3 && folder.has_parent_path() && folder != folder.root_path(); ++level) {
        const std::string name = folder.filename().string();
        const std::string folded = Folded(name);
        if (std::none_of(std::begin(kBinaryFolders), std::end(kBinaryFolders),
                         [&](const char* b) { return folded == b; }))
            return name;
        folder = folder.parent_path();
    }
    return {};
}

// The icon set: for each size, the deepest image of exactly that size, as
// stored when stored as PNG, never scaled up; a 48 made from the largest
// image when none is at least that large. No size a menu uses: no icon.
void PlanIcons(const std::vector<StoredImage>& images, const std::string& dataDir, DesktopEntryPlan& plan) {
    const std::string iconsDir = JoinPath(dataDir, "icons/hicolor");
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
    if (largest && largest->width < kLargerSize && largest->height <= largest->width) {
        if (Handle scaled = DecodeIconImage(largest->bytes, true, kLargerSize, kLargerSize)) {
            plan.files.push_back({iconPath(kLargerSize), IconImagePng(*scaled)});
            plan.iconSizes.push_back(kLargerSize);
            plan.madeLarger = true;
        }
    }
    std::sort(plan.iconSizes.begin(), plan.iconSizes.end());
    plan.iconSizes.erase(std::unique(plan.iconSizes.begin(), plan.iconSizes.end()), plan.iconSizes.end());
}

constexpr const char* kSourceKey = "X-Grabwell-Source";
constexpr const char* kProgramKey = "X-Grabwell-Program";
constexpr const char* kPrefixKey = "X-Grabwell-Prefix";
constexpr uintmax_t kMaxEntryBytes = 1 << 20; // a desktop entry larger than this is none of ours

} // namespace

std::string DesktopEntryId(const std::string& absolutePath) {
    std::string base;
    for (char c : LowerAscii(BaseNameWithoutExtension(absolutePath))) {
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

std::string UserDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    return home && home[0] ? JoinPath(home, ".local/share") : std::string();
}

std::string ProgramExclusionReason(const std::string& fileName, const std::string& description) {
    return ExclusionReason(fileName, description);
}

std::vector<ProgramCandidate> RankPrograms(const std::string& folder) {
    std::vector<ProgramCandidate> out;
    const std::string folderName = PathFileName(AbsolutePath(folder));
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
    if (!IsProgramKind(doc->Kind())) {
        plan.error = std::string("is not a Windows program (") + FileKindText(doc->Kind()) + ")";
        return plan;
    }
    // The icon of the shortcut's icon location, else the program's first.
    std::vector<StoredImage> images;
    std::shared_ptr<Document> iconDoc;
    if (!request.iconFile.empty()) {
        iconDoc = Document::Open(request.iconFile);
        if (iconDoc->Readable()) images = GroupImages(*iconDoc, request.iconIndex);
    }
    if (images.empty()) images = GroupImages(*doc);

    plan.id = DesktopEntryId(request.source.empty() ? program : request.source);
    const std::optional<VersionInfo>& version = doc->Version();
    const std::string description = VersionText(version, "FileDescription");
    const std::string product = VersionText(version, "ProductName");
    const std::string company = VersionText(version, "CompanyName");
    plan.name = Trimmed(request.name);
    if (plan.name.empty()) plan.name = !description.empty() ? description : !product.empty() ? product : "";
    if (plan.name.empty() && IsGenericProgramName(BaseNameWithoutExtension(program)))
        plan.name = Utf8OrEmpty(ProgramFolderName(program));
    if (plan.name.empty()) plan.name = Utf8OrEmpty(BaseNameWithoutExtension(program));
    if (plan.name.empty()) plan.name = "Windows program";
    if (!IsUtf8(plan.name)) {
        plan.error = "the program's name is not UTF-8 text; give one with --name";
        return plan;
    }
    if (!images.empty()) PlanIcons(images, request.dataDir, plan);

    if (const std::optional<std::string> prefix = FindWinePrefix(program)) plan.winePrefix = *prefix;
    std::vector<std::string> words;
    if (!plan.winePrefix.empty()) words = {"env", "WINEPREFIX=" + plan.winePrefix};
    for (const std::string& word : SpaceSeparated(request.wine.empty() ? "wine" : request.wine)) words.push_back(word);
    words.push_back(program);
    for (const std::string& word : SplitWindowsCommandLine(request.arguments)) words.push_back(word);
    const std::string defaultExec = ExecCommand(words);
    // The command as planned, handed back unchanged (a dialog shows it to edit), is no command of the caller's.
    const bool ownExec = !Trimmed(request.exec).empty() && request.exec != defaultExec;
    plan.exec = ownExec ? request.exec : defaultExec;
    if (!IsUtf8(plan.exec)) {
        plan.error = ownExec ? "the command is not UTF-8 text"
                             : "the program's path is not UTF-8 text, which a menu entry cannot hold; give --exec";
        plan.badExec = ownExec;
        plan.files.clear();
        return plan;
    }
    if (const std::string why = CheckDesktopExec(plan.exec); !why.empty()) {
        plan.error = (ownExec ? "the command is not one a menu entry can hold: " : "the command cannot be written: ") + why;
        plan.badExec = ownExec;
        plan.files.clear();
        return plan;
    }
    // Wine programs look for their files beside them, or where their shortcut says.
    std::string workingFolder = request.workingFolder;
    if (workingFolder.empty() && !ownExec) workingFolder = program.substr(0, program.find_last_of('/'));
    if (workingFolder.empty() && !ownExec) workingFolder = "/";

    std::vector<std::string> comment;
    for (const std::string& part : {Trimmed(request.comment), description, company})
        if (!part.empty() && part != plan.name && IsUtf8(part) &&
            std::find(comment.begin(), comment.end(), part) == comment.end())
            comment.push_back(part);
    std::string entry = "[Desktop Entry]\nType=Application\nName=" + DesktopString(plan.name) + "\n";
    if (!comment.empty()) {
        std::string text = comment[0];
        for (size_t i = 1; i < comment.size(); ++i) text += " - " + comment[i];
        entry += "Comment=" + DesktopString(text) + "\n";
    }
    if (!plan.iconSizes.empty()) entry += "Icon=" + plan.id + "\n";
    entry += "Exec=" + DesktopString(plan.exec) + "\n";
    if (!workingFolder.empty() && IsUtf8(workingFolder)) entry += "Path=" + DesktopString(workingFolder) + "\n";
    entry += "Terminal=false\nStartupNotify=true\n";
    // Wine names a program's windows by its file name in lower case: a dock
    // matches them to the entry by it.
    if (const std::string wmClass = LowerAscii(PathFileName(program)); IsUtf8(wmClass))
        entry += "StartupWMClass=" + DesktopString(wmClass) + "\n";
    if (!request.categories.empty()) {
        std::string categories = DesktopString(request.categories);
        if (categories.back() != ';') categories += ';';
        entry += "Categories=" + categories + "\n";
    }
    // What the entry was made for, so that a later run can find and remove it.
    const std::string source = request.source.empty() ? program : request.source;
    for (const auto& [key, value] : {std::pair{kSourceKey, source}, std::pair{kProgramKey, program},
                                     std::pair{kPrefixKey, plan.winePrefix}})
        if (!value.empty() && IsUtf8(value)) entry += std::string(key) + "=" + DesktopString(value) + "\n";
    plan.files.push_back({JoinPath(request.dataDir, "applications/" + plan.id + ".desktop"),
                          Bytes(entry.begin(), entry.end())});
    return plan;
}

namespace {

std::optional<Bytes> ReadSmallFile(const std::string& path) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxEntryBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    Bytes bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) return std::nullopt;
    return bytes;
}

// Every icon of an entry's id under the theme folder, whatever its size.
std::vector<std::string> IconsOf(const std::string& dataDir, const std::string& id) {
    std::vector<std::string> icons;
    std::error_code ec;
    for (const auto& size : fs::directory_iterator(JoinPath(dataDir, "icons/hicolor"), ec)) {
        const std::string icon = JoinPath(size.path().string(), "apps/" + id + ".png");
        if (EntryExists(icon)) icons.push_back(icon);
    }
    std::sort(icons.begin(), icons.end());
    return icons;
}

std::string DataDirOfEntry(const std::string& desktopFile) {
    return fs::path(desktopFile).parent_path().parent_path().string();
}

} // namespace

std::string WriteDesktopEntry(const DesktopEntryPlan& plan, int* written) {
    int count = 0;
    for (const PlannedFile& file : plan.files) {
        if (const std::optional<Bytes> old = ReadSmallFile(file.path); old && *old == file.bytes) continue;
        const std::string folder = file.path.substr(0, file.path.find_last_of('/'));
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) return "cannot make the folder \"" + folder + "\": " + ec.message();
        if (std::string error = WriteFileAtomic(file.path, file.bytes, true); !error.empty()) return error;
        ++count;
    }
    // Icons of sizes the entry no longer has (its program's icon changed).
    if (!plan.files.empty()) {
        const std::string dataDir = DataDirOfEntry(plan.files.back().path);
        for (const std::string& icon : IconsOf(dataDir, plan.id)) {
            const bool planned = std::any_of(plan.files.begin(), plan.files.end(),
                                             [&](const PlannedFile& f) { return f.path == icon; });
            std::error_code ec;
            if (!planned && fs::remove(icon, ec)) ++count;
        }
    }
    if (count > 0) FlushFolder(plan.files.back().path.substr(0, plan.files.back().path.find_last_of('/')));
    if (written) *written = count;
    return {};
}

std::vector<MadeEntry> MadeEntries(const std::string& dataDir) {
    std::vector<MadeEntry> entries;
    std::error_code ec;
    for (const auto& file : fs::directory_iterator(JoinPath(dataDir, "applications"), ec)) {
        const std::string name = file.path().filename().string();
        if (name.rfind("grabwell-", 0) != 0 || LowerExtension(name) != ".desktop") continue;
        const std::optional<Bytes> bytes = ReadSmallFile(file.path().string());
        if (!bytes) continue;
        MadeEntry made;
        made.id = name.substr(0, name.size() - std::string(".desktop").size());
        made.path = file.path().string();
        const std::string text(bytes->begin(), bytes->end());
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = std::min(text.find('\n', at), text.size());
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = line.substr(0, equals), value = UnescapedDesktopString(line.substr(equals + 1));
            if (key == kSourceKey) made.source = value;
            else if (key == kProgramKey) made.program = value;
            else if (key == kPrefixKey) made.prefix = value;
        }
        if (!made.source.empty()) entries.push_back(std::move(made));
    }
    std::sort(entries.begin(), entries.end(), [](const MadeEntry& a, const MadeEntry& b) { return a.path < b.path; });
    return entries;
}

Removal RemoveMadeEntry(const std::string& dataDir, const MadeEntry& entry, bool dryRun) {
    Removal removal;
    std::vector<std::string> files = IconsOf(dataDir, entry.id);
    files.insert(files.begin(), entry.path);
    for (const std::string& file : files) {
        std::error_code ec;
        if (!dryRun && !fs::remove(file, ec) && ec) {
            removal.error = "cannot remove \"" + file + "\": " + ec.message();
            return removal;
        }
        removal.removed.push_back(file);
    }
    return removal;
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
