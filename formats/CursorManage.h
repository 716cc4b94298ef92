#pragma once
// Cursor groups: the loader entry points and the .cur reader.
#include <string>

#include "formats/FileContents.h"
#include "platform/ReadError.h"

namespace gw {

// Cursor groups of the file at path, sized to contents.CursorGroupCount:
// FileKind::Ne and FileKind::Pe; other kinds return 0.
uint8_t LoadCursors(FileContents& contents, const std::string& path, FileKind kind);

// The .cur file at path into the first entry of contents.CursorGroups, named
// after the file (fileName up to its first "."). The file is not validated;
// a file that cannot be opened or read is reported as an error (returned
// message, empty on success), the images read before a failure stay loaded.
std::string LoadCursorFile(FileContents& contents, const std::string& path, const std::string& fileName);
std::string LoadCursorFileBytes(FileContents& contents, ByteView file, const std::string& fileName,
                                const std::shared_ptr<const void>& owner = nullptr);

// The .cur reader itself: the group's images, those read before any damage
// included, and the damage.
ReadResult<CursorGroup> ParseCursorFile(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

} // namespace gw
