#include "formats/Shortcut.h"

#include <cstdlib>
#include <filesystem>

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/WinePrefix.h"

namespace gw {

namespace {

bool IsZDrive(const std::string& path) {
    return path.size() >= 3 && (path[0] == 'z' || path[0] == 'Z') && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// A relative Windows path ("..\Game\game.exe") from the shortcut's folder.
std::string RelativeToShortcut(const std::string& shortcutPath, const std::string& relative) {
    if (relative.empty() || relative.find(':') != std::string::npos || relative[0] == '\\') return {};
    std::string path = relative;
    for (char& c : path)
        if (c == '\\') c = '/';
    const size_t slash = shortcutPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : shortcutPath.substr(0, slash);
    return std::filesystem::path(JoinPath(folder, path)).lexically_normal().string();
}

} // namespace

std::string Shortcut::Name() const {
    std::string name = PathFileName(path);
    if (LowerExtension(name) == ".lnk") name.resize(name.size() - 4);
    return name;
}

std::string ShortcutPathOnLinux(const std::string& prefix, const std::string& windowsPath) {
    if (windowsPath.empty()) return {};
    if (prefix.empty()) {
        if (!IsZDrive(windowsPath)) return {};
        std::string path = windowsPath.substr(2);
        for (char& c : path)
            if (c == '\\') c = '/';
        return path;
    }
    const std::string expanded = ExpandWindowsEnvironment(prefix, windowsPath);
    return ResolveWindowsPath(prefix, expanded).value_or(std::string());
}

std::string DefaultWinePrefix() {
    std::string prefix;
    if (const char* named = std::getenv("WINEPREFIX"); named && named[0]) prefix = named;
    else if (const char* home = std::getenv("HOME"); home && home[0]) prefix = JoinPath(home, ".wine");
    if (prefix.empty()) return {};
    const std::string absolute = AbsolutePath(prefix);
    return IsWinePrefix(absolute) ? absolute : std::string();
}

std::string IconFileOnLinux(const std::string& prefix, const std::string& path) {
    const bool windows = (path.size() >= 2 && path[1] == ':') || path.find('\\') != std::string::npos ||
                         path.find('%') != std::string::npos;
    return windows ? ShortcutPathOnLinux(prefix, path) : path;
}

Shortcut ReadShortcut(const std::string& path, ByteView bytes) {
    Shortcut shortcut;
    shortcut.path = path;
    if (!LooksLikeShellLink(bytes)) {
        shortcut.error = ReadError::Invalid(0, "not a Windows shortcut (no shell link header)", bytes.size());
        return shortcut;
    }
    ReadResult<ShellLink> read = ParseShellLink(bytes);
    shortcut.link = std::move(read.records);
    shortcut.error = std::move(read.error);
    const ShellLink& link = shortcut.link;
    shortcut.prefix = FindWinePrefix(path).value_or(std::string());

    shortcut.target = ShortcutPathOnLinux(shortcut.prefix, link.targetPath);
    if (shortcut.target.empty()) shortcut.target = RelativeToShortcut(path, link.relativePath);
    shortcut.workingFolder = ShortcutPathOnLinux(shortcut.prefix, link.workingDirectory);

    const ShortcutIcon icon = ShortcutIconOf(link);
    if (!icon.path.empty()) {
        shortcut.iconFile = ShortcutPathOnLinux(shortcut.prefix, icon.path);
        if (shortcut.iconFile.empty()) shortcut.iconFile = RelativeToShortcut(path, icon.path);
        shortcut.iconFromLocation = !shortcut.iconFile.empty();
        shortcut.iconIndex = icon.index;
    }
    if (shortcut.iconFile.empty()) {
        shortcut.iconFile = shortcut.target;
        shortcut.iconIndex = 0;
    }
    return shortcut;
}

Shortcut ReadShortcut(const std::string& path) {
    MappedFile file;
    if (!file.Open(path)) {
        Shortcut shortcut;
        shortcut.path = path;
        shortcut.error = ReadError{ReadErrorKind::Io, 0, file.reason()};
        return shortcut;
    }
    return ReadShortcut(path, file.bytes());
}

} // namespace gw
