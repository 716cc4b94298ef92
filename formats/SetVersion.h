#pragma once
// Edits the version information (resource type 16) of a program, library or
// 32-bit resource file: the fixed part's file and product versions and the
// strings of its string table, every other entry kept as it was. The version
// information's counterpart of formats/SetGroup.h.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/ResourceTable.h"
#include "formats/ResourceWriter.h"
#include "platform/ByteReader.h"

namespace gw {

// The language a file's first version information is written in.
constexpr uint16_t kUsEnglish = 0x0409;

// What to change in the version information.
struct VersionEdits {
    // The version resource of this language; nullopt: the first one in the
    // file. A file without one of that language gets one in it (US English
    // when nullopt).
    std::optional<uint16_t> language;
    std::string fileVersion;    // "a.b.c.d", or empty to keep it
    std::string productVersion; // the same
    std::vector<std::pair<std::string, std::string>> strings; // key, value to set in its string table

    bool Empty() const { return fileVersion.empty() && productVersion.empty() && strings.empty(); }
};

// What ReplaceVersionInFile says of edits that set nothing.
inline constexpr const char* kNoVersionEdits = "nothing to set: no version and no string given";

// The whole change on a file's bytes.
struct FileVersionReplace {
    // The new file, or the first error found: damage in the file or in its
    // version information (said at its offset in the file), a signed file,
    // no room.
    ResourceWrite write;
    // Not damage but a change not made, the file left as it was: edits that
    // set nothing (kNoVersionEdits), a version that is not "a.b.c.d" ("the
    // file version: ..." or "the product version: ..."), a string without a
    // key, version information longer than the 65,535 bytes a version
// resource can hold. write is then empty.
    std::string refusal;
    bool created = false;  // the file had no version information of that language; it now has one
    ResourceKey name;      // the resource written (type 16): the one edited, or id 1 when created
    uint16_t language = 0; // its language
};

// Reads the resource table of file, edits its version resource (the first
// of the language asked for) and writes the file back: the versions and
// strings given are set, every other entry of the version information is
// kept. Strings go into the string table of the resource's language, else
// into the first table (a neutral resource's table names a language). A file
// without version information gets one with the values given, a fixed part
// and a Unicode string table of its language. Everything but the version
// resource comes out byte for byte as it went in.
FileVersionReplace ReplaceVersionInFile(ByteView file, const VersionEdits& edits,
                                        const ResourceWriteOptions& options = {});

} // namespace gw
