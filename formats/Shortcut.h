#pragma once
// A Windows shortcut (.lnk) with its paths made Linux paths: the program it
// starts, its working folder and the file of its icon, found through the
// Wine prefix the shortcut lies in (ShellLink.h reads the file; WinePrefix.h
// resolves Windows paths).
#include <cstdint>
#include <optional>
#include <string>

#include "formats/ShellLink.h"
#include "platform/ByteReader.h"

namespace gw {

struct Shortcut {
    std::string path;   // the shortcut file
    ShellLink link;     // as read (Windows paths)
    std::optional<ReadError> error;
    std::string prefix; // the Wine prefix the shortcut lies in, "" when none

    // The Linux paths, "" when a path cannot be told (no prefix, a drive the
    // prefix does not map, nothing stored).
    std::string target;        // the target: its local path, else its path relative to the shortcut
    std::string workingFolder; // the working folder
    // The icon the shortcut shows: its icon location, else the target's
    // first icon (iconFile is then the target and iconIndex 0). A negative
    // index names an icon group by its id (IconLocation.h).
    std::string iconFile;
    int32_t iconIndex = 0;
    bool iconFromLocation = false; // the icon location named the file, rather than the target standing in

    // The name a menu shows for it: the file name without ".lnk".
    std::string Name() const;
};

// Reads the shortcut at path and resolves its paths. A file that cannot be
// opened or is no shortcut: error set (kind Io or Invalid), nothing else.
Shortcut ReadShortcut(const std::string& path);
// The same for bytes a caller holds, as if they were the file at path (the
// prefix is found from path).
Shortcut ReadShortcut(const std::string& path, ByteView bytes);

// A Windows path of a shortcut as a Linux path: environment variables
// expanded and the drive resolved through prefix; without a prefix only
// Z:\ (Wine's drive for "/") is known. "" when it cannot be told.
std::string ShortcutPathOnLinux(const std::string& prefix, const std::string& windowsPath);

// The prefix Wine uses when none is named: $WINEPREFIX, else ~/.wine; ""
// when that is no prefix.
std::string DefaultWinePrefix();

// The Linux file an icon location's path names: a Windows path (one with a
// drive letter, a backslash or a %VARIABLE%) through prefix as
// ShortcutPathOnLinux resolves it, a Linux path as it is.
std::string IconFileOnLinux(const std::string& prefix, const std::string& path);

} // namespace gw
