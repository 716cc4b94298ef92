#pragma once
// Wine prefixes: the folder a compatibility layer keeps one Windows
// installation in (drive_c, the drive links in dosdevices, the registry in
// system.reg and user.reg). Windows programs, shortcuts and registry values
// name their icons by Windows paths ("%ProgramFiles%\Game\game.exe,0");
// these functions turn such a path into the Linux path of the file inside
// the prefix, as a Windows program running there would find it.
#include <map>
#include <optional>
#include <string>

namespace gw {

// The prefix path lies in: the nearest folder at or above it that holds a
// folder drive_c and also a system.reg or a dosdevices folder. The walk up
// is lexical over the absolute path (a relative path is taken from the
// current folder; "." and ".." are folded, links are not followed), so a
// file reached through a link into a prefix is not found in it. The
// prefix's path without a trailing "/", or nullopt when no folder up to the
// root is one.
std::optional<std::string> FindWinePrefix(const std::string& path);
// True when folder itself is a prefix: it holds a folder drive_c and also a
// system.reg or a dosdevices folder.
bool IsWinePrefix(const std::string& folder);

// The Linux path of a Windows path inside prefix. Takes "C:\dir\file",
// "c:/dir/file", "\\?\C:\dir\file" and "\??\C:\dir\file" ("/" and "\" both
// separate); a path without a drive letter (relative, "\dir", UNC) gives
// nullopt, and so does a drive the prefix does not map (every drive but C:
// must be in dosdevices; C: falls back to drive_c). A drive-relative path
// ("C:dir\file") is taken from the drive's root. The drive's root is
// where PREFIX/dosdevices/<letter>: leads: its link target (a relative one
// taken from dosdevices), or the entry itself when it is no link. "." and
// ".." are folded lexically, never above the drive's root. Each component
// is then matched as Windows matches names: the exact name when it exists,
// else the entry equal to it ignoring ASCII case (the first in byte order
// when several are). The first component with no entry, and every one after
// it, keeps its spelling: the result is the path the file would have, even
// when its last components do not exist (yet).
std::optional<std::string> ResolveWindowsPath(const std::string& prefix, const std::string& windowsPath);

// The environment a Windows program sees in a prefix, by lower-cased name:
// the variables naming the system's folders and the user's (SystemRoot,
// windir, SystemDrive, ProgramFiles, ProgramFiles(x86), CommonProgramFiles,
// CommonProgramFiles(x86), ProgramData, ALLUSERSPROFILE, PUBLIC,
// USERPROFILE, APPDATA, LOCALAPPDATA, USERNAME, TEMP, TMP), as Windows
// paths. Defaults are the standard folders of the prefix's user (the one
// folder in drive_c/users other than Public; of several, the one named
// $USER, else the first in byte order; without any, $USER). The values the
// prefix's registry holds replace them: the Environment keys of system.reg
// and user.reg (the user's over the system's), the folder values of
// CurrentVersion (ProgramFilesDir ...) and the user's Shell Folders
// (AppData, Local AppData). An expandable registry value ("windir" =
// "%SystemRoot%") is expanded once, against the defaults and the plain
// values. A 32-bit prefix has no ProgramFiles(x86) and
// CommonProgramFiles(x86), as 32-bit Windows has none. Each registry file is
// scanned line by line up to the end of the last key wanted from it, at most
// its first 64 MiB; a file that is missing or not in the registry's text
// form adds nothing.
using WindowsEnvironment = std::map<std::string, std::string>;
WindowsEnvironment ReadWindowsEnvironment(const std::string& prefix);

// text with every %NAME% of a variable the environment holds replaced by its
// value, the name matched ignoring ASCII case. %NAME% of an unknown
// variable, and a "%" without a closing one, stay as they are; values are
// not expanded again.
std::string ExpandWindowsEnvironment(const WindowsEnvironment& environment, const std::string& text);
// The same with the prefix's environment (ReadWindowsEnvironment), read for
// this one text.
std::string ExpandWindowsEnvironment(const std::string& prefix, const std::string& text);

} // namespace gw
