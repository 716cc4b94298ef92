#include "platform/WinePrefix.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr std::string_view kLongPathPrefix = "\\\\?\\";  // \\?\C:\...
constexpr std::string_view kObjectPathPrefix = "\\??\\"; // \??\C:\...
constexpr char kWindowsSeparator = '\\';

// A registry file is read up to the last key wanted from it; one whose keys
// are not in sight by then is not one this scan can use.
constexpr uint64_t kMaxRegistryScan = uint64_t(64) << 20;
// The longest value Windows keeps in an environment variable, in UTF-16 units.
constexpr size_t kMaxVariableLength = 32767;
constexpr size_t kMaxHexEscapeDigits = 4;
constexpr std::string_view kExpandableValue = "str(2):";
constexpr std::string_view kWin32Architecture = "#arch=win32";

// ---- Linux paths

// The names of a path split at separator, empty names and "." dropped and
// each ".." folded with the name before it. A ".." with no name before it
// is kept when keepLeadingUp (a relative path), else dropped: a path never
// climbs above its root.
std::vector<std::string> FoldedNames(std::string_view path, char separator, bool keepLeadingUp) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at <= path.size()) {
        const size_t end = std::min(path.find(separator, at), path.size());
        const std::string name(path.substr(at, end - at));
        at = end + 1;
        if (name.empty() || name == ".") continue;
        if (name != "..")
            names.push_back(name);
        else if (!names.empty() && names.back() != "..")
            names.pop_back();
        else if (keepLeadingUp)
            names.push_back(name);
    }
    return names;
}

// The path with "." and empty names dropped and ".." folded.
std::string LexicallyNormal(const std::string& path) {
    const bool absolute = !path.empty() && path[0] == '/';
    std::string out = absolute ? "/" : "";
    for (const std::string& name : FoldedNames(path, '/', !absolute)) out = JoinPath(out, name);
    return out.empty() ? "." : out;
}

std::optional<std::string> CurrentFolder() {
    const std::unique_ptr<char, void (*)(void*)> cwd(getcwd(nullptr, 0), std::free);
    if (!cwd) return std::nullopt;
    return std::string(cwd.get());
}

// The folder holding an absolute, normal path; "/" for the root itself.
std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}


// The name of the entry of folder that Windows opens for name: name itself
// when it exists, else the entry equal to it ignoring ASCII case (of
// several, the first in byte order, the same one every time).
std::optional<std::string> EntryIgnoringCase(const std::string& folder, const std::string& name) {
    if (EntryExists(JoinPath(folder, name))) return name;
    const std::string wanted = LowerAscii(name);
    std::optional<std::string> first;
    for (const FolderEntry& e : ListFolder(folder))
        if (LowerAscii(e.name) == wanted && (!first || e.name < *first)) first = e.name;
    return first;
}

// Where a drive entry of dosdevices leads: its link target, a relative one
// taken from dosdevices; the entry itself when it is no link.
std::string LinkDestination(const std::string& entry, const std::string& devices) {
    std::vector<char> target(PATH_MAX);
    const ssize_t length = readlink(entry.c_str(), target.data(), target.size());
    if (length <= 0 || size_t(length) >= target.size()) return entry;
    const std::string text(target.data(), size_t(length));
    return LexicallyNormal(text[0] == '/' ? text : JoinPath(devices, text));
}

// ---- Windows paths

struct DrivePath {
    char drive = 'c'; // lower case
    std::vector<std::string> components; // "." and ".." folded
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The drive and the components of an absolute Windows path; nullopt for a
// path with no drive letter.
std::optional<DrivePath> SplitDrivePath(std::string text) {
    if (text.find('\0') != std::string::npos) return std::nullopt;
    std::replace(text.begin(), text.end(), '/', kWindowsSeparator);
    for (const std::string_view prefix : {kLongPathPrefix, kObjectPathPrefix})
        if (text.starts_with(prefix)) text.erase(0, prefix.size());
    if (text.size() < 2 || !IsAsciiLetter(text[0]) || text[1] != ':') return std::nullopt;
    DrivePath path;
    path.drive = LowerAscii(text.substr(0, 1))[0];
    path.components = FoldedNames(std::string_view(text).substr(2), kWindowsSeparator, false);
    return path;
}

// The Linux folder a drive of the prefix stands for.
std::optional<std::string> DriveRoot(const std::string& prefix, char drive) {
    const std::string devices = JoinPath(prefix, "dosdevices");
    if (const auto entry = EntryIgnoringCase(devices, std::string(1, drive) + ":"))
        return LinkDestination(JoinPath(devices, *entry), devices);
    if (drive == 'c') return JoinPath(prefix, "drive_c");
    return std::nullopt;
}

// ---- The registry's text form

// One registry value a scan takes: a value of a key (valueName null: every
// value of it, each as the variable of its own name).
struct WantedValue {
    const char* key;
    const char* valueName;
    const char* variable;
};

constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr WantedValue kSystemValues[] = {
    {kWindowsKey, "ProgramFilesDir", "ProgramFiles"},
    {kWindowsKey, "ProgramFilesDir (x86)", "ProgramFiles(x86)"},
    {kWindowsKey, "CommonFilesDir", "CommonProgramFiles"},
    {kWindowsKey, "CommonFilesDir (x86)", "CommonProgramFiles(x86)"},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "SystemRoot"},
    {"System\\CurrentControlSet\\Control\\Session Manager\\Environment", nullptr, nullptr},
};
constexpr WantedValue kUserValues[] = {
    {"Environment", nullptr, nullptr},
    {kShellFoldersKey, "AppData", "APPDATA"},
    {kShellFoldersKey, "Local AppData", "LOCALAPPDATA"},
};

struct RegistryValue {
    std::string text;
    bool expandable = false;
};

struct RegistryScan {
    std::map<std::string, RegistryValue> values; // by lower-cased variable name
    bool win32 = false;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint16_t EscapedCharacter(char c) {
    switch (c) {
    case 'a': return 7;
    case 'b': return 8;
    case 't': return 9;
    case 'n': return 10;
    case 'v': return 11;
    case 'f': return 12;
    case 'r': return 13;
    case 'e': return 27;
    default: return uint16_t(uint8_t(c));
    }
}

// The text from line[at] up to the unescaped closer, its escapes undone
// ("\\", "\"", "\n", "\x4e2d"), as UTF-8; at is left past the closer.
// nullopt when the line ends first. The files escape every character
// beyond ASCII; a raw byte beyond it is taken as the character of its value.
std::optional<std::string> Unescaped(std::string_view line, size_t& at, char closer) {
    std::vector<uint16_t> units;
    while (at < line.size() && line[at] != closer) {
        const char c = line[at++];
        if (c != '\\') {
            units.push_back(uint8_t(c));
            continue;
        }
        if (at == line.size()) return std::nullopt;
        const char escaped = line[at++];
        if (escaped != 'x') {
            units.push_back(EscapedCharacter(escaped));
            continue;
        }
        uint16_t unit = 0;
        for (size_t digits = 0; digits < kMaxHexEscapeDigits && at < line.size() && HexDigit(line[at]) >= 0; ++digits)
            unit = uint16_t(unit << 4 | HexDigit(line[at++]));
        units.push_back(unit);
    }
    if (at == line.size()) return std::nullopt;
    ++at;
    return Utf16ToUtf8(units);
}

// The key a "[key] time" line opens.
std::optional<std::string> KeyOf(std::string_view line) {
    size_t at = 1;
    return line.starts_with('[') ? Unescaped(line, at, ']') : std::nullopt;
}

// A string value line, "name"="text" or "name"=str(2):"text".
struct ValueLine {
    std::string name;
    RegistryValue value;
};
std::optional<ValueLine> ValueOf(std::string_view line) {
    size_t at = 1;
    if (!line.starts_with('"')) return std::nullopt;
    std::optional<std::string> name = Unescaped(line, at, '"');
    if (!name || at == line.size() || line[at++] != '=') return std::nullopt;
    const bool expandable = line.substr(at).starts_with(kExpandableValue);
    if (expandable) at += kExpandableValue.size();
    if (at == line.size() || line[at++] != '"') return std::nullopt;
    std::optional<std::string> text = Unescaped(line, at, '"');
    if (!text || Utf8ToUtf16(*text).size() > kMaxVariableLength) return std::nullopt;
    return ValueLine{std::move(*name), {std::move(*text), expandable}};
}

bool EqualIgnoringCase(const std::string& a, const char* b) { return LowerAscii(a) == LowerAscii(b); }

// The variable a value of key sets, or nullptr when none is wanted.
template <size_t N>
const char* VariableFor(const WantedValue (&wanted)[N], const std::string& key, const std::string& valueName) {
    for (const WantedValue& w : wanted) {
        if (!EqualIgnoringCase(key, w.key)) continue;
        if (!w.valueName) return valueName.c_str();
        if (EqualIgnoringCase(valueName, w.valueName)) return w.variable;
    }
    return nullptr;
}

template <size_t N>
bool IsWantedKey(const WantedValue (&wanted)[N], const std::string& key) {
    return std::any_of(std::begin(wanted), std::end(wanted), [&](const WantedValue& w) { return EqualIgnoringCase(key, w.key); });
}

template <size_t N>
size_t DistinctKeys(const WantedValue (&wanted)[N]) {
    size_t count = 0;
    for (size_t i = 0; i < N; ++i)
        count += std::none_of(wanted, wanted + i, [&](const WantedValue& w) {
            return std::string_view(w.key) == std::string_view(wanted[i].key);
        });
    return count;
}

// Adds the wanted values of one registry file to scan, a later file's over
// an earlier one's. The scan stops when it leaves the last wanted key.
template <size_t N>
void ScanRegistryFile(const std::string& path, const WantedValue (&wanted)[N], RegistryScan& scan) {
    MappedFile file(path);
    if (!file.IsOpen()) return;
    const ByteView bytes = file.bytes().first(size_t(std::min(file.size(), kMaxRegistryScan)));
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const size_t keysWanted = DistinctKeys(wanted);
    size_t keysSeen = 0;
    std::string key;
    bool inWantedKey = false;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line == kWin32Architecture) scan.win32 = true;
        if (const std::optional<std::string> opened = KeyOf(line)) {
            if (inWantedKey && keysSeen == keysWanted) return;
            key = *opened;
            inWantedKey = IsWantedKey(wanted, key);
            keysSeen += inWantedKey;
            continue;
        }
        if (!inWantedKey) continue;
        std::optional<ValueLine> value = ValueOf(line);
        if (!value) continue;
        if (const char* variable = VariableFor(wanted, key, value->name))
            scan.values[LowerAscii(variable)] = std::move(value->value);
    }
}

// ---- The environment

// The prefix's user: the one folder of drive_c/users other than Public.
std::string PrefixUser(const std::string& prefix) {
    const char* env = std::getenv("USER");
    const std::string current = env ? env : "";
    std::vector<std::string> users;
    for (const FolderEntry& e : ListFolder(JoinPath(prefix, "drive_c/users")))
        if (e.IsFolder() && LowerAscii(e.name) != "public") users.push_back(e.name);
    if (users.empty() || std::find(users.begin(), users.end(), current) != users.end()) return current;
    return *std::min_element(users.begin(), users.end());
}

void Set(WindowsEnvironment& environment, const std::string& name, const std::string& value) {
    environment[LowerAscii(name)] = value;
}

WindowsEnvironment DefaultEnvironment(const std::string& user, bool win32) {
    WindowsEnvironment environment;
    Set(environment, "SystemDrive", "C:");
    Set(environment, "SystemRoot", "C:\\windows");
    Set(environment, "windir", "C:\\windows");
    Set(environment, "ProgramFiles", "C:\\Program Files");
    Set(environment, "CommonProgramFiles", "C:\\Program Files\\Common Files");
    if (!win32) {
        Set(environment, "ProgramFiles(x86)", "C:\\Program Files (x86)");
        Set(environment, "CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files");
    }
    Set(environment, "ProgramData", "C:\\ProgramData");
    Set(environment, "ALLUSERSPROFILE", "C:\\ProgramData");
    Set(environment, "PUBLIC", "C:\\users\\Public");
    if (user.empty()) return environment;
    const std::string profile = "C:\\users\\" + user;
    Set(environment, "USERNAME", user);
    Set(environment, "USERPROFILE", profile);
    Set(environment, "APPDATA", profile + "\\AppData\\Roaming");
    Set(environment, "LOCALAPPDATA", profile + "\\AppData\\Local");
    Set(environment, "TEMP", profile + "\\AppData\\Local\\Temp");
    Set(environment, "TMP", profile + "\\AppData\\Local\\Temp");
    return environment;
}

} // namespace

bool IsWinePrefix(const std::string& folder) {
    return IsFolder(JoinPath(folder, "drive_c")) &&
           (IsRegularFile(JoinPath(folder, "system.reg")) || IsFolder(JoinPath(folder, "dosdevices")));
}

std::optional<std::string> FindWinePrefix(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::string absolute = path;
    if (path[0] != '/') {
        const std::optional<std::string> current = CurrentFolder();
        if (!current) return std::nullopt;
        absolute = JoinPath(*current, path);
    }
    // Every step drops one component, so the walk ends at the root.
    for (std::string folder = LexicallyNormal(absolute);; folder = ParentFolder(folder)) {
        if (IsWinePrefix(folder)) return folder;
        if (folder == "/") return std::nullopt;
    }
}

std::optional<std::string> ResolveWindowsPath(const std::string& prefix, const std::string& windowsPath) {
    const std::optional<DrivePath> split = SplitDrivePath(windowsPath);
    if (!split) return std::nullopt;
    std::optional<std::string> path = DriveRoot(prefix, split->drive);
    if (!path) return std::nullopt;
    bool exists = true;
    for (const std::string& component : split->components) {
        const std::optional<std::string> entry = exists ? EntryIgnoringCase(*path, component) : std::nullopt;
        exists = entry.has_value();
        *path = JoinPath(*path, entry.value_or(component));
    }
    return path;
}

WindowsEnvironment ReadWindowsEnvironment(const std::string& prefix) {
    RegistryScan scan;
    ScanRegistryFile(JoinPath(prefix, "system.reg"), kSystemValues, scan);
    ScanRegistryFile(JoinPath(prefix, "user.reg"), kUserValues, scan);
    WindowsEnvironment environment = DefaultEnvironment(PrefixUser(prefix), scan.win32);
    for (const auto& [name, value] : scan.values)
        if (!value.expandable) environment[name] = value.text;
    const WindowsEnvironment plain = environment;
    for (const auto& [name, value] : scan.values)
        if (value.expandable) environment[name] = ExpandWindowsEnvironment(plain, value.text);
    return environment;
}

std::string ExpandWindowsEnvironment(const WindowsEnvironment& environment, const std::string& text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, at, open - at);
        const auto found = environment.find(LowerAscii(text.substr(open + 1, close - open - 1)));
        if (close > open + 1 && found != environment.end())
            out += found->second;
        else
            out.append(text, open, close + 1 - open);
        at = close + 1;
    }
    if (at < text.size()) out.append(text, at);
    return out;
}

std::string ExpandWindowsEnvironment(const std::string& prefix, const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    return ExpandWindowsEnvironment(ReadWindowsEnvironment(prefix), text);
}

} // namespace gw
