#include "batch/core/CursorTheme.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "batch/core/OutputNames.h"
#include "formats/Document.h"
#include "formats/XcursorFormat.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace gw {

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxInfBytes = 1 << 20;

struct RoleNames {
    CursorRole role;
    uint16_t resourceId;
    const char* registryName; // the value name under Control Panel\Cursors
    const char* schemeName;   // what the scheme dialog calls it
    const char* fileName;     // the Linux name the file gets
    std::vector<const char*> aliases;
};

// In the order of a scheme's list of paths.
const std::vector<RoleNames>& Roles() {
    static const std::vector<RoleNames> roles = {
        {CursorRole::Arrow, 32512, "Arrow", "Normal Select", "default", {"left_ptr", "arrow", "top_left_arrow"}},
        {CursorRole::Help, 32651, "Help", "Help Select", "help", {"question_arrow", "whats_this", "left_ptr_help"}},
        {CursorRole::AppStarting, 32650, "AppStarting", "Working in Background", "progress",
         {"left_ptr_watch", "half-busy"}},
        {CursorRole::Wait, 32514, "Wait", "Busy", "wait", {"watch"}},
        {CursorRole::Cross, 32515, "Crosshair", "Precision Select", "crosshair", {"cross", "tcross"}},
        {CursorRole::IBeam, 32513, "IBeam", "Text Select", "text", {"xterm", "ibeam"}},
        {CursorRole::Pen, 0, "NWPen", "Handwriting", "pencil", {}},
        {CursorRole::No, 32648, "No", "Unavailable", "not-allowed", {"crossed_circle", "forbidden"}},
        {CursorRole::SizeNS, 32645, "SizeNS", "Vertical Resize", "ns-resize",
         {"size_ver", "sb_v_double_arrow", "v_double_arrow", "n-resize", "s-resize", "row-resize"}},
        {CursorRole::SizeWE, 32644, "SizeWE", "Horizontal Resize", "ew-resize",
         {"size_hor", "sb_h_double_arrow", "h_double_arrow", "e-resize", "w-resize", "col-resize"}},
        {CursorRole::SizeNWSE, 32642, "SizeNWSE", "Diagonal Resize 1", "nwse-resize",
         {"size_fdiag", "bd_double_arrow", "nw-resize", "se-resize"}},
        {CursorRole::SizeNESW, 32643, "SizeNESW", "Diagonal Resize 2", "nesw-resize",
         {"size_bdiag", "fd_double_arrow", "ne-resize", "sw-resize"}},
        {CursorRole::SizeAll, 32646, "SizeAll", "Move", "move", {"fleur", "size_all", "all-scroll"}},
        {CursorRole::UpArrow, 32516, "UpArrow", "Alternate Select", "up-arrow", {"center_ptr"}},
        {CursorRole::Hand, 32649, "Hand", "Link Select", "pointer", {"hand2", "hand1", "pointing_hand"}},
    };
    return roles;
}

const RoleNames& NamesOf(CursorRole role) { return Roles()[size_t(role)]; }

std::string Trimmed(std::string s) {
    const auto space = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.back())) s.pop_back();
    size_t first = 0;
    while (first < s.size() && space(s[first])) ++first;
    return s.substr(first);
}

std::string Unquoted(std::string s) {
    s = Trimmed(std::move(s));
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

// %name% replaced by its [Strings] value, as often as names nest (bounded).
std::string Expanded(std::string text, const std::map<std::string, std::string>& strings) {
    for (int round = 0; round < 8; ++round) {
        std::string out;
        bool changed = false;
        for (size_t i = 0; i < text.size();) {
            const size_t open = text.find('%', i);
            const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
            if (close == std::string::npos) {
                out += text.substr(i);
                break;
            }
            out += text.substr(i, open - i);
            const auto found = strings.find(LowerAscii(text.substr(open + 1, close - open - 1)));
            if (found != strings.end()) {
                out += found->second;
                changed = true;
            } else {
                out += text.substr(open, close - open + 1);
            }
            i = close + 1;
        }
        text = out;
        if (!changed) break;
    }
    return text;
}

std::string FileNameOfWindowsPath(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return LowerAscii(Unquoted(cut == std::string::npos ? path : path.substr(cut + 1)));
}

// The quoted fields of an .inf line, commas inside quotes kept.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

struct ThemeCursor {
    std::string name; // the file's base name or the resource's name
    std::optional<CursorRole> role;
    std::vector<XcursorImage> images;
};

void AddOpenedFile(const std::string& path, const std::map<std::string, CursorRole>& infRoles,
                   std::vector<ThemeCursor>& cursors, CursorThemeResult& result) {
    const auto file = Document::Open(path);
    if (!file->Readable()) {
        result.notes.push_back("\"" + path + "\": " + NothingShownReason(*file, ""));
        return;
    }
    const std::string fileName = file->FileName();
    const auto infRole = [&]() -> std::optional<CursorRole> {
        const auto found = infRoles.find(LowerAscii(fileName));
        return found == infRoles.end() ? std::nullopt : std::optional(found->second);
    }();
    const bool single = file->Kind() == FileKind::Cursor || file->Kind() == FileKind::AnimatedCursor;
    if (UpperExtension(path) == ".CUR") file->LoadAsImageFile(FileKind::Cursor);
    file->Load(RecordKind::Cursors);
    file->Load(RecordKind::Animations);
    for (const ReadError& e : file->Errors()) result.notes.push_back("\"" + path + "\": " + e.Describe());
    const FileContents& c = file->Contents();
    const auto role = [&](const std::string& name) -> std::optional<CursorRole> {
        if (single) return infRole ? infRole : RoleOfName(NameBeforeFirstDot(fileName));
        return RoleOfName(name);
    };
    for (const CursorGroup& g : c.CursorGroups) {
        if (g.Images.empty()) continue;
        const std::string name = single ? NameBeforeFirstDot(fileName) : g.Name;
        cursors.push_back({name, role(g.Name), XcursorImagesOf(g)});
    }
    for (const AnimatedCursor& a : c.Animations) {
        if (a.AnimatedIcon) continue;
        const std::string name = single ? NameBeforeFirstDot(fileName) : a.Name;
        cursors.push_back({name, role(a.Name), XcursorImagesOf(a)});
    }
}

// The inputs' files: a folder gives its .cur and .ani files, sorted by
// name; an install.inf beside them gives their roles.
std::vector<std::string> FilesOf(const std::vector<std::string>& inputs, std::map<std::string, CursorRole>& infRoles) {
    std::vector<std::string> files;
    std::set<std::string> foldersRead;
    auto readInf = [&](const std::string& folder) {
        if (!foldersRead.insert(folder).second) return;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
            if (LowerAscii(entry.path().filename().string()) != "install.inf") continue;
            MappedFile inf;
            if (!inf.Open(entry.path().string())) continue;
            // A scheme's .inf is a few kilobytes; a larger one is read only so far.
            const ByteView bytes = inf.bytes().first(std::min<size_t>(inf.bytes().size(), kMaxInfBytes));
            for (const auto& [file, role] :
                 RolesOfInstallInf(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
                infRoles.emplace(file, role);
        }
    };
    for (const std::string& input : inputs) {
        if (IsFolder(input)) {
            readInf(input);
            std::vector<std::string> found;
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(input, ec)) {
                const std::string ext = UpperExtension(entry.path().string());
                if ((ext == ".CUR" || ext == ".ANI") && entry.is_regular_file(ec)) found.push_back(entry.path().string());
            }
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            const size_t slash = input.find_last_of('/');
            readInf(slash == std::string::npos ? std::string() : input.substr(0, slash));
            files.push_back(input);
        }
    }
    return files;
}

// A symbolic link name -> target in folder, replacing a file or link of that
// name but never a folder.
bool Link(const std::string& folder, const std::string& name, const std::string& target) {
    const fs::path at = fs::path(folder) / name;
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(at, ec))) return false;
    fs::remove(at, ec);
    fs::create_symlink(target, at, ec);
    return !ec;
}

} // namespace

const char* RoleFileName(CursorRole role) { return NamesOf(role).fileName; }
std::vector<const char*> RoleAliases(CursorRole role) { return NamesOf(role).aliases; }

std::optional<CursorRole> RoleOfResourceId(uint16_t id) {
    for (const RoleNames& r : Roles())
        if (r.resourceId != 0 && r.resourceId == id) return r.role;
    return std::nullopt;
}

std::optional<CursorRole> RoleOfName(const std::string& name) {
    const std::string lower = LowerAscii(Trimmed(name));
    // A resource id: a library's cursor, or a file saved from one under its id.
    if (!lower.empty() && lower.size() <= 5 && std::all_of(lower.begin(), lower.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
        const unsigned long id = std::stoul(lower);
        return id <= 0xFFFF ? RoleOfResourceId(uint16_t(id)) : std::nullopt;
    }
    for (const RoleNames& r : Roles()) {
        if (lower == LowerAscii(r.registryName) || lower == LowerAscii(r.schemeName) || lower == r.fileName)
            return r.role;
        for (const char* alias : r.aliases)
            if (lower == alias) return r.role;
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, CursorRole>> RolesOfInstallInf(const std::string& text) {
    std::map<std::string, std::string> strings;
    std::vector<std::string> lines;
    std::string section;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            section = LowerAscii(line);
            continue;
        }
        if (section == "[strings]") {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) strings[LowerAscii(Trimmed(line.substr(0, eq)))] = Unquoted(line.substr(eq + 1));
            continue;
        }
        lines.push_back(line);
    }
    std::vector<std::pair<std::string, CursorRole>> roles;
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = Fields(line);
        const std::string key = LowerAscii(Unquoted(fields.size() > 1 ? fields[1] : std::string()));
        if (key == "control panel\\cursors\\schemes" && fields.size() >= 5) {
            // The scheme: every role's path in role order, in one string.
            const std::vector<std::string> paths = Fields(Expanded(Unquoted(fields.back()), strings));
            for (size_t k = 0; k < paths.size() && k < Roles().size(); ++k) {
                const std::string file = FileNameOfWindowsPath(paths[k]);
                if (!file.empty()) roles.emplace_back(file, Roles()[k].role);
            }
        } else if (key == "control panel\\cursors" && fields.size() >= 5) {
            // One role: its registry value name and its path.
            if (const auto role = RoleOfName(Unquoted(fields[2])))
                roles.emplace_back(FileNameOfWindowsPath(Expanded(Unquoted(fields.back()), strings)), *role);
        }
    }
    return roles;
}

CursorThemeResult WriteCursorTheme(const CursorThemeRequest& request) {
    CursorThemeResult result;
    result.folder = request.outDir;
    std::map<std::string, CursorRole> infRoles;
    std::vector<ThemeCursor> cursors;
    for (const std::string& file : FilesOf(request.inputs, infRoles)) AddOpenedFile(file, infRoles, cursors, result);
    cursors.erase(std::remove_if(cursors.begin(), cursors.end(), [](const ThemeCursor& c) { return c.images.empty(); }),
                  cursors.end());
    if (cursors.empty()) {
        result.ok = false;
        result.error = "no cursor in the inputs can be drawn";
        return result;
    }
    const std::string folder = JoinPath(request.outDir, "cursors");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        result.ok = false;
        result.error = "cannot make the folder \"" + folder + "\": " + ec.message();
        return result;
    }
    // Each role once: the first cursor that plays it takes its name; the
    // others, and cursors without a role, keep their own names.
    std::set<CursorRole> taken;
    std::set<std::string> names;
    std::vector<std::pair<std::string, std::optional<CursorRole>>> written;
    for (ThemeCursor& c : cursors) {
        std::optional<CursorRole> role = c.role && taken.insert(*c.role).second ? c.role : std::nullopt;
        std::string name = role ? RoleFileName(*role) : SafeBaseName(c.name);
        while (!names.insert(name).second) name += "_";
        const Bytes file = WriteXcursor(c.images);
        const std::string error = WriteFileAtomic(JoinPath(folder, name), file, true);
        if (!error.empty()) {
            result.ok = false;
            result.error = error;
            return result;
        }
        ++result.stats.filesWritten;
        result.stats.bytesWritten += file.size();
        result.cursors.push_back(name);
        written.emplace_back(name, role);
    }
    for (const auto& [name, role] : written) {
        if (!role) continue;
        for (const char* alias : RoleAliases(*role))
            if (!names.count(alias) && Link(folder, alias, name)) ++result.links;
    }
    const std::string themeName = request.name.empty() ? PathFileName(request.outDir) : request.name;
    const std::string index = "[Icon Theme]\nName=" + themeName + "\nComment=Windows cursors made into a cursor theme\n";
    const std::string error =
        WriteFileAtomic(JoinPath(request.outDir, "index.theme"), Bytes(index.begin(), index.end()), true);
    if (!error.empty()) {
        result.ok = false;
        result.error = error;
    }
    return result;
}

} // namespace gw
