#pragma once
// Windows cursors as a cursor theme of the Linux desktop: a folder with
// index.theme and, under cursors/, one Xcursor file per cursor named for its
// role ("default", "text", "wait", ...) with the usual other names as
// symbolic links. Which cursor plays which role comes from an install.inf
// beside the files, else from the resource ids of a library's cursors, else
// from file names that already are a role's name.
#include <optional>
#include <string>
#include <vector>

#include "batch/core/BatchWriter.h"

namespace gw {

enum class CursorRole : uint8_t {
    Arrow, Help, AppStarting, Wait, Cross, IBeam, Pen, No, SizeNS, SizeWE, SizeNWSE, SizeNESW, SizeAll, UpArrow, Hand,
};

// The role's file name and its other names, linked to it.
const char* RoleFileName(CursorRole role);
std::vector<const char*> RoleAliases(CursorRole role);

// The role of a standard cursor resource id (32512 arrow, ...).
std::optional<CursorRole> RoleOfResourceId(uint16_t id);
// The role a file or resource name already names: a registry name
// ("IBeam"), a scheme name ("Text Select"), a Linux name ("xterm") or a
// resource id ("32513", as a library's cursor or a file saved from one).
std::optional<CursorRole> RoleOfName(const std::string& name);
// The roles an install.inf gives its files: the scheme's list of paths in
// role order, with its %strings% replaced. Lower-cased file names (without
// folder) to roles; empty when the text holds no scheme.
std::vector<std::pair<std::string, CursorRole>> RolesOfInstallInf(const std::string& text);

struct CursorThemeRequest {
    std::vector<std::string> inputs; // .cur and .ani files, libraries, resource files, folders of them
    std::string outDir;              // the theme's folder
    std::string name;                // empty: the folder's name
};

struct CursorThemeResult : BatchResult {
    std::vector<std::string> cursors; // file names written under cursors/
    int links = 0;
};

// Writes the theme: each file whole or not at all; files and links of the
// same names are replaced, as a theme made again should be.
CursorThemeResult WriteCursorTheme(const CursorThemeRequest& request);

} // namespace gw
