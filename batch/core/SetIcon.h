#pragma once
// Setting a program's icon or cursor: replaces an icon or cursor group of a
// program, library or 32-bit resource file with the images of an .ico or
// .cur file (formats/SetGroup.h), or edits its version information
// (formats/SetVersion.h), and writes the result to a new file, or over the
// program when asked. What grabwell-cli set-icon, set-cursor and set-version
// and Python's set_icon, set_cursor and set_version do; in the
// installed API (<grabwell/grabwell.h>).
//
// Both calls work on files by path and never throw for what they find:
// every failure comes back in the outcome (ok false, error saying what and
// naming the file), and nothing is written then. The program is read whole
// and the result written whole (platform/FileIo.h ReplaceFileWhole): the
// target is always either as it was or the whole new file.
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "formats/SetGroup.h"
#include "formats/SetVersion.h"

namespace gw {

// Which group of which file takes which images, and where the result goes.
struct SetGroupRequest {
    GroupKind kind = GroupKind::Icon;
    std::string program;   // the program, library or resource file to change
    std::string imageFile; // the .ico (Icon) or .cur (Cursor) whose images it takes, or a PNG image
    // Icon: further PNG images when imageFile is one; the group is then made
    // of them all (formats/SetGroup.h IcoFileFromPngs).
    std::vector<std::string> morePngFiles;
    GroupTarget target; // the group (the first icon or cursor group when none is named) and its languages
    // Where the changed file goes; with inPlace, over program itself. The
    // program is never changed otherwise, and output must not name it.
    std::string output;
    bool inPlace = false;
    bool stripSignature = false;       // a signed program loses its signature instead of being refused
    bool ignoreInstallerCheck = false; // write an installer that checks its own CRC all the same
};

// What SetProgramGroup did, or why it did not.
struct SetGroupOutcome {
    bool ok = false;
    std::string error;              // what went wrong, naming the file
    int systemError = 0;            // the errno of a failure of the system's (no such file, no permission, disk full), else 0
    std::string systemErrorPath;    // the file that failure is about
    bool refusedSigned = false;     // the program is signed and the signature was not to be removed
    bool refusedInstaller = false;  // the program is an installer that checks its own CRC
    std::vector<std::string> notes; // what the user should know about the result
    std::string written;            // the file written (output, or program in place)
    uint64_t sizeBefore = 0;        // the program's size, in bytes
    uint64_t sizeAfter = 0;         // the file written's
    GroupChange change;             // the group, its languages and images (formats/SetGroup.h)
};

// Reads the program and the images, replaces the group (ReplaceGroupInFile)
// and writes the whole result to a file in the target's folder that takes
// the target's name only once it is complete, with the program's permission
// bits. A symbolic link given as the program or the output is followed and
// kept: the file it leads to is changed. In place, the program is locked
// for the whole change (a second change waits and then starts from the
// first one's result) and keeps its owner, group, ACLs and extended
// attributes. A PNG given as imageFile (with morePngFiles) makes an icon
// group of those images; another kind of file where an .ico or .cur is
// wanted is refused, naming what it is. Damage in either file is said of
// that file with its offset; nothing is written when anything fails.
SetGroupOutcome SetProgramGroup(const SetGroupRequest& request);

// The edits (formats/SetVersion.h: the language, the versions and the
// strings), and which file to change and where the result goes.
struct SetVersionRequest : VersionEdits {
    std::string program; // the program, library or resource file to change
    std::string output;  // or inPlace, as for a group
    bool inPlace = false;
    bool stripSignature = false;
    bool ignoreInstallerCheck = false;
};

// What SetProgramVersion did, or why it did not; the fields as a group's.
struct SetVersionOutcome {
    bool ok = false;
    std::string error;
    int systemError = 0;
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
// file (ReplaceVersionInFile): the fixed part's versions and the strings
// given, every other entry kept as it was; a file without version
// information gets one (US English, Unicode code page) with the values
// given. Edits that set nothing are refused before any file is read; a
// version that is not "a.b.c.d", damaged version information, a damaged
// file or a signed one (without stripSignature) is refused with nothing
// written; the result is written as a group's is.
SetVersionOutcome SetProgramVersion(const SetVersionRequest& request);

// A group as typed (for SetGroupRequest::target.name): a number (or "#" and
// a number) is an id, anything else a name. False when it is empty, or a
// number beyond 65,535.
bool ParseGroupName(const std::string& text, ResourceKey& out);

} // namespace gw
