#pragma once
// Paths and names: joining and splitting them, the name rules every layer
// shares, and the one lister of a folder's entries. Names are lower-cased for
// display and output only, never a path that is then opened: this file
// system tells case apart.
#include <string>
#include <vector>

namespace gw {

// Joins a folder and a name with "/" without doubling it at the root.
std::string JoinPath(const std::string& folder, const std::string& name);

// The file name part of a path.
std::string PathFileName(const std::string& path);

// The upper-cased extension of a path's file name, dot included (".ICO"), or "".
std::string UpperExtension(const std::string& path);

// The extension of a file name as the listings compare it: the last "." and
// what follows, lower-cased; "" for a name without a ".".
std::string LowerExtension(const std::string& fileName);

// A name's text before its first "." (the whole name when it has none).
std::string NameBeforeFirstDot(const std::string& name);

// The path made absolute from the current folder, "." and ".." folded
// lexically, without a trailing "/" (but "/" itself); the path as given when
// the current folder cannot be told.
std::string AbsolutePath(const std::string& path);

// ASCII lower-casing of a name (names only: never of a path that is opened).
std::string LowerAscii(std::string text);

// ASCII upper-casing of one code unit (char, char16_t, uint16_t): a-z only,
// so every other unit, the bytes of multi-byte UTF-8 among them, stays as it
// is. Resource names and extensions compare so, as the system compares them.
template <class Unit>
constexpr Unit UpperAsciiUnit(Unit c) {
    return c >= Unit('a') && c <= Unit('z') ? Unit(c - Unit('a') + Unit('A')) : c;
}
// The same over a whole name.
std::string UpperAscii(std::string text);

// Names starting with "." are hidden: neither listed nor entered.
bool IsHiddenName(const std::string& name);

// True for the file system's root and the folders the system itself keeps
// (/usr, /etc, /bin, /lib, /proc ... and what lies under them), where a
// command writes only into a folder the user typed or picked, never into one
// it offers on its own.
bool IsSystemFolder(const std::string& path);

// True when any entry (file, folder, link) exists at path.
bool EntryExists(const std::string& path);
// True for a folder, or a link to one.
bool IsFolder(const std::string& path);
// True for a regular file, or a link to one. Opening anything else (a FIFO, a
// device) could block or read without end.
bool IsRegularFile(const std::string& path);

// The temporary folder from the environment (TMPDIR, else /tmp), without a
// trailing "/" unless it is the root.
std::string TempFolderFromEnvironment();

enum class EntryType : uint8_t { File, Folder, Other };

struct FolderEntry {
    std::string name;
    EntryType type = EntryType::Other; // links are followed; a broken link is Other

    bool IsFolder() const { return type == EntryType::Folder; }
};

// Every entry of a folder in the file system's order, "." and ".." left out.
// Empty when the folder cannot be listed; an error half-way keeps what was
// listed before it.
std::vector<FolderEntry> ListFolder(const std::string& folder);

} // namespace gw
