#pragma once
// Setting a program's icon or cursor: replaces an icon or cursor group of a
// program, library or 32-bit resource file with the images of an .ico or
// .cur file (formats/SetGroup.h), or edits its version information, and
// writes the result to a new file, or over the program when asked. What
// grabwell-cli set-icon, set-cursor and set-version do.
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "formats/SetGroup.h"

namespace gw {

struct SetGroupRequest {
    GroupKind kind = GroupKind::Icon;
    std::string program;   // the program, library or resource file to change
    std::string imageFile; // the .ico (Icon) or .cur (Cursor) whose images it takes, or a PNG image
    // Icon: further PNG images when imageFile is one; the group is then made
    // of them all (formats/SetGroup.h IcoFileFromPngs).
    std::vector<std::string> morePngFiles;
    GroupTarget target;
    // Where the changed file goes; with inPlace, over program itself. The
    // program is never changed otherwise, and output must not name it.
    std::string output;
    bool inPlace = false;
    bool stripSignature = false;
    bool ignoreInstallerCheck = false; // write an installer that checks its own CRC all the same
};

struct SetGroupOutcome {
    bool ok = false;
    std::string error;              // what went wrong, naming the file
    int systemError = 0;            // the errno of a failure of the system's (no such file, no permission, disk full), else 0
    std::string systemErrorPath;    // the file that failure is about
    bool refusedSigned = false;     // the program is signed and the signature was not to be removed
    bool refusedInstaller = false;  // the program is an installer that checks its own CRC
    std::vector<std::string> notes; // what the user should know about the result
    std::string written;            // the file written
    uint64_t sizeBefore = 0;
    uint64_t sizeAfter = 0;
    GroupChange change;
};

// Reads both files, replaces the group and writes the whole result to a
// temporary file in the target's folder, then renames it into place (with
// the program's permission bits). Nothing is written when anything fails.
SetGroupOutcome SetProgramGroup(const SetGroupRequest& request);

// The language a program's new version information is written in.
constexpr uint16_t kUsEnglish = 0x0409;

struct SetVersionRequest {
    std::string program;
    std::string output; // or inPlace, as for a group
    bool inPlace = false;
    bool stripSignature = false;
    bool ignoreInstallerCheck = false;
    // The version resource of this language; nullopt: the first one.
    std::optional<uint16_t> language;
    std::string fileVersion;    // "a.b.c.d", or empty to keep it
    std::string productVersion; // the same
    std::vector<std::pair<std::string, std::string>> strings; // KEY, VALUE to set in its string table
};

struct SetVersionOutcome {
    bool ok = false;
    std::string error;
    int systemError = 0; // as for a group
    std::string systemErrorPath;
    bool refusedSigned = false;
    bool refusedInstaller = false;
    std::vector<std::string> notes;
    std::string written;
    uint64_t sizeBefore = 0;
    uint64_t sizeAfter = 0;
    bool created = false;  // the program had no version information; it now has one
    uint16_t language = 0; // the language of the resource written
};

// Edits the version information of a program, library or 32-bit resource
// file: the fixed part's versions and the strings given, every other entry
// kept as it was; a file without version information gets one (US English,
// Unicode code page) with the values given. Damaged version information, a
// damaged file or a signed one (without stripSignature) is refused with
// nothing written; the result is written as a group's is.
SetVersionOutcome SetProgramVersion(const SetVersionRequest& request);

// A group argument: a number (or "#" and a number) is an id, anything else
// a name. False when it is empty, or a number beyond 65,535.
bool ParseGroupName(const std::string& text, ResourceKey& out);

} // namespace gw
