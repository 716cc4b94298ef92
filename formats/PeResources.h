#pragma once
// Icon groups, cursor groups and bitmaps of 32-bit executables and libraries,
// read through ResourceModule.
#include <optional>
#include <string>
#include <vector>

#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

class ResourceModule;
struct ResourceKey;

// The name value a resource listed by the loaders is found again by: its
// name when named, else the integer its decimal text stands for (nullopt
// when that is not an id from 0 to 65535).
std::optional<ResourceKey> ReopenName(const std::string& name, bool isNamed);

// A bitmap resource of the module found again by the name a load gave it,
// decoded; a bitmap without a handle when it is not there or does not decode.
// In language when the bitmap is held in it, else in its first language.
Bitmap ReadPeBitmapAgain(const ResourceModule& module, const std::string& name, bool isNamed,
                         std::optional<uint16_t> language = std::nullopt);

// The groups and bitmaps of an open module into contents, the lists sized
// to the counts in contents (names beyond them are ignored), with the damage
// noted in contents. A group resource that cannot be found is left out of
// the list; the groups after it are still read. Each record is read in
// language when it is held in it, else in its first language (in directory
// order, the lowest); its Language says which, its Languages all it is held in.
void LoadIconsPE(FileContents& contents, const ResourceModule& module,
                 std::optional<uint16_t> language = std::nullopt);
void LoadCursorsPE(FileContents& contents, const ResourceModule& module,
                   std::optional<uint16_t> language = std::nullopt);
void LoadBitmapsPE(FileContents& contents, const ResourceModule& module,
                   std::optional<uint16_t> language = std::nullopt);

// The group readers themselves: the entries named in directory order read
// until count are found, those that cannot be found left out (failed counts
// them); images
// whose resource is missing keep a zero-filled block and are reported as
// damage. Languages as for the loads above; a group's images are read in the
// group's language when they are held in it, else in their first language.
ReadResult<std::vector<IconGroup>> ParsePeIconGroups(const ResourceModule& module, size_t count,
                                                     std::optional<uint16_t> language = std::nullopt);
ReadResult<std::vector<CursorGroup>> ParsePeCursorGroups(const ResourceModule& module, size_t count,
                                                         std::optional<uint16_t> language = std::nullopt);

// Animated cursors (type 21) and animated icons (22): how many, and each
// read whole by the animated cursor reader (file: the bytes the module reads).
int CountPeAnimations(const ResourceModule& module);
ReadResult<std::vector<AnimatedCursor>> ParsePeAnimations(const ResourceModule& module, ByteView file,
                                                      const std::shared_ptr<const void>& owner = nullptr,
                                                      std::optional<uint16_t> language = std::nullopt);

} // namespace gw
