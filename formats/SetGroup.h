#pragma once
// Replaces an icon or cursor group of a resource table (formats/
// ResourceTable.h) with the images of an .ico or .cur file: the group
// resource (type 14 or 12) and one image resource (type 3 or 1) per image,
// the images stored byte for byte as the file holds them.
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/ResourceTable.h"
#include "formats/ResourceWriter.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

enum class GroupKind : uint8_t { Icon, Cursor };

// Which group to replace.
struct GroupTarget {
    // By id or by name (compared case-insensitively in ASCII); without one,
    // the first group of the kind in directory (or file) order, the one a
    // desktop shows. Without a name, a file that has no group of the kind
    // gets one, id 1; a named group that is not there is refused (listing
    // the groups there are) unless addGroup is set, so that a mistyped name
    // never adds a group.
    std::optional<ResourceKey> name;
    bool addGroup = false;
    // Only this language of the group (created when the group has no such
    // language); without one, every language the group has, or 0 for a new
    // group.
    std::optional<uint16_t> language;
};

// What the replacement did.
struct GroupChange {
    ResourceKey name;                 // the group replaced or created
    std::vector<uint16_t> languages;  // its languages that were written
    bool created = false;             // there was no such group before
    std::vector<uint16_t> imageIds;   // the new images' ids, in group order
    uint16_t imageLanguage = 0;       // the language the new images carry
    size_t removedImages = 0;         // old images no other group names, removed
};

struct GroupReplace {
    std::optional<ReadError> error; // the .ico/.cur is damaged, or no ids are left
    bool inImageFile = false;       // the error is the .ico/.cur file's
    // Not damage but a change not made: the group named is not there and
    // was not to be added. The table is left as it was.
    std::string refusal;
    GroupChange change;
};

// Replaces the group with the images of imageFile (an .ico for Icon, a .cur
// for Cursor; a damaged file is refused with its ReadError and the table is
// left as it was). The old group's images are removed unless another group
// still names them; the new images take the lowest ids no remaining image
// or group uses, so that replacing a group with the same file again gives
// the same table. Cursor images keep their hot spots (the 4-byte prefix of
// a cursor resource).
GroupReplace ReplaceGroup(ResourceTable& table, GroupKind kind, ByteView imageFile, const GroupTarget& target);

// An .ico file made from PNG images, as icon files are usually made: an
// image of 256 pixels or more a side is stored as the PNG it is, a smaller
// one as a 32-bit bitmap with its AND mask (transparent where the PNG is
// fully transparent), in the order given. error (the PNG's number and what
// is wrong) when one does not decode, or none is given; failed is then the
// index of the PNG that failed.
struct PngIcoFile {
    Bytes ico;
    std::optional<ReadError> error;
    size_t failed = 0;
};
PngIcoFile IcoFileFromPngs(const std::vector<ByteView>& pngs);

// What a file that is given where an .ico or .cur is wanted is, when it is
// something else that is easily told: "a PNG image", "a BMP image", "a
// program or library"; empty otherwise.
std::string OtherImageKind(ByteView file);

// The whole change on a file's bytes: reads the program, library or 32-bit
// resource file, replaces the group and writes it back. The first error
// found (damage in either file, a signed file, no room) leaves bytes empty.
struct FileGroupReplace {
    ResourceWrite write;
    bool inImageFile = false; // write.error is the .ico/.cur file's, not the program's
    std::string refusal;      // as GroupReplace's; write is then empty
    GroupChange change;
};
FileGroupReplace ReplaceGroupInFile(ByteView file, GroupKind kind, ByteView imageFile, const GroupTarget& target,
                                    const ResourceWriteOptions& options = {});

} // namespace gw
