#pragma once
// Setting a program's icon or cursor: replaces an icon or cursor group of a
// program, library or 32-bit resource file with the images of an .ico or
// .cur file (formats/SetGroup.h) and writes the result to a new file, or
// over the program when asked. What grabwell-cli set-icon and set-cursor do.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/SetGroup.h"

namespace gw {

struct SetGroupRequest {
    GroupKind kind = GroupKind::Icon;
    std::string program;   // the program, library or resource file to change
    std::string imageFile; // the .ico (Icon) or .cur (Cursor) whose images it takes
    GroupTarget target;
    // Where the changed file goes; with inPlace, over program itself. The
    // program is never changed otherwise, and output must not name it.
    std::string output;
    bool inPlace = false;
    bool stripSignature = false;
};

struct SetGroupOutcome {
    bool ok = false;
    std::string error;              // what went wrong, naming the file
    bool refusedSigned = false;     // the program is signed and the signature was not to be removed
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

// A group argument: a number (or "#" and a number) is an id, anything else
// a name. False when it is empty, or a number beyond 65,535.
bool ParseGroupName(const std::string& text, ResourceKey& out);
// A language argument: decimal, or hexadecimal with "0x". False when it is
// not a number of 16 bits.
bool ParseLanguage(const std::string& text, uint16_t& out);

} // namespace gw
