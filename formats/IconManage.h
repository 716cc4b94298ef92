#pragma once
// Icon groups: the loader entry points and the .ico reader.
#include <string>

#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// Fills contents.IconGroups, sized to contents.IconGroupCount, from the file
// at path (status 0 = loaded): FileKind::Icon -> the .ico reader into the first
// entry; FileKind::Ne -> every group of the NE file, then the icon-library names
// for ".ICL"; FileKind::Pe -> the PE reader; any other kind loads nothing and
// returns 0.
uint8_t LoadIcons(FileContents& contents, const std::string& path, FileKind kind);

// The .ico reader into the first entry: 0 when every image was read, 1
// otherwise (contents.LastError says why in the system's words).
uint8_t ReadIconFile(FileContents& contents, const std::string& path);
// The same over bytes; with an owner that keeps them alive, the images are views of them.
uint8_t ReadIconFileBytes(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner = nullptr);

// The .ico reader itself: the group's images, those read before any damage
// included, and the damage. The group's name is the caller's to give. With
// an owner that keeps the file's bytes alive, the images' bytes are views of
// them; without one they are copies.
ReadResult<IconGroup> ParseIconFile(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

} // namespace gw
