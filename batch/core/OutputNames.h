#pragma once
// Output file names: a base name taken from inside a file made safe for the
// file system, the wizard's output prefix, and the rule for a name that is
// already taken.
#include <string>

#include "platform/Paths.h"

namespace gw {

// Longest file name (one path component) the file systems we write to accept.
constexpr size_t kMaxFileNameBytes = 255;

// Replaces what must not reach a file name: "/" and NUL and other control
// characters (C0, DEL and C1) become "_", and the names "", "." and ".."
// become "_", so that a name never leaves the target folder. Long names are
// cut to fit, between two characters. Bytes that are not UTF-8 (a name taken
// from a file name the file system stores that way) are kept as they are.
std::string SafeBaseName(const std::string& name);

// Folder + base + extension, the folder's trailing "/" not doubled.
std::string OutputName(const std::string& folder, const std::string& base, const std::string& ext);

enum class ExistingAction : uint8_t { Skip = 0, Overwrite = 1, AutoRename = 2 };

// Appends "_" to the base until no entry (file or folder) of that name exists.
std::string AutoRenamed(const std::string& folder, const std::string& base, const std::string& ext);

// Lower-cased text of a name up to its first "." (output base names of the
// icon and cursor managers and of "Save all Bitmaps").
std::string LowerBaseName(const std::string& fileName);

// The wizard's output prefix without its folder: the source file's name up to
// its first "." followed by the first three characters after its last ".",
// lower-cased ("Shell32.DLL" and "my.icons.dll" give "shell32dll" and "mydll").
std::string WizardPrefixBase(const std::string& fileName);

} // namespace gw
