#pragma once
// 16-bit (NE) executables and icon libraries: the resource-table walk, the
// icon-group, cursor-group and bitmap readers, the icon-library names and
// the resource counter.
#include <optional>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// Every icon group 0 .. contents.IconGroupCount - 1 of the NE file's bytes
// into contents.IconGroups, each read or left as far as it could be read,
// with the damage noted in contents. name (the file's name or path) gives
// the extension and the names of named resources; when every group was read
// and the extension is ".ICL", the groups are renamed from the
// resident-name table. With an owner that keeps the bytes alive, images are
// views of them, not copies.
void LoadIconsNE(FileContents& contents, ByteView file, const std::string& name,
                 const std::shared_ptr<const void>& owner = nullptr);
// Every cursor group 0 .. contents.CursorGroupCount - 1.
void LoadCursorsNE(FileContents& contents, ByteView file, const std::string& name,
                   const std::shared_ptr<const void>& owner = nullptr);
// Every bitmap 0 .. contents.BitmapCount - 1 (decoded at load).
void LoadBitmapsNE(FileContents& contents, ByteView file, const std::string& name);

// The readers themselves: count entries, each read or left as it was made;
// failed says how many could not be read, error what the first failure was.
ReadResult<std::vector<IconGroup>> ParseNeIconGroups(ByteView file, const std::string& name, size_t count,
                                                             const std::shared_ptr<const void>& owner = nullptr);
ReadResult<std::vector<CursorGroup>> ParseNeCursorGroups(ByteView file, const std::string& name,
                                                                 size_t count,
                                                                 const std::shared_ptr<const void>& owner = nullptr);
ReadResult<std::vector<BitmapRecord>> ParseNeBitmaps(ByteView file, const std::string& name, size_t count);

// The number of bitmaps (isBitmap) or cursor groups in an NE file; 0 when it
// is not a readable NE file with resources or has none of that type.
int CountNEResources(ByteView file, bool isBitmap);
// The number of icon groups of an NE file (the icon count of the explorer).
int CountNEIconGroups(ByteView file);

// Animated cursors (type 21) and animated icons (22): how many, and each
// read whole by the animated cursor reader.
int CountNEAnimations(ByteView file);
ReadResult<std::vector<AnimatedCursor>> ParseNeAnimations(ByteView file, const std::string& name,
                                                      const std::shared_ptr<const void>& owner = nullptr);

// The data of the first resource of a numeric type (16 for version
// information; the resource table stores it as 0x8000 | type) in an NE file,
// cut short where the file ends (an empty view at the end when it starts
// past it); nullopt when the file holds none or its entry cannot be read.
std::optional<ByteView> FirstNeResource(ByteView file, uint16_t type);

} // namespace gw
