#pragma once
// Icon files: the .ico reader and its loader.
#include <string>

#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// The .ico reader into the first entry of contents.IconGroups: the images
// read before any damage, and the damage noted in contents. With an owner
// that keeps the bytes alive, the images are views of them.
void LoadIconFile(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner = nullptr);

// The .ico reader itself: the group's images, those read before any damage
// included, and the damage. The group's name is the caller's to give. With
// an owner that keeps the file's bytes alive, the images' bytes are views of
// them; without one they are copies.
ReadResult<IconGroup> ParseIconFile(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

} // namespace gw
