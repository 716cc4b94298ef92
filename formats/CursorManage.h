#pragma once
// Cursor files: the .cur reader and its loader.
#include <string>

#include "formats/CursorFile.h"
#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// The .cur reader into the first entry of contents.CursorGroups, named after
// the file (fileName up to its first "."): the images read before any
// damage, and the damage noted in contents.
void LoadCursorFile(FileContents& contents, ByteView file, const std::string& fileName,
                    const std::shared_ptr<const void>& owner = nullptr);

} // namespace gw
