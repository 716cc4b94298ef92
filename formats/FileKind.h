#pragma once
// The file-kind classifier that decides which reader runs.
#include <string>

#include "formats/ResTypes.h"
#include "platform/ByteReader.h"
#include "platform/FileIo.h"

namespace gw {

// Opens a path for reading; true when it opened and holds at least 64 bytes.
bool OpenCheckedFile(MappedFile& file, const std::string& path);

// Classifies a file; every failure yields fkNonExecutable.
TFileKind GetFileKind(const std::string& path);
// The same over bytes already in memory (the name gives the extension).
TFileKind GetFileKindOfBytes(const std::string& name, ByteView bytes);

} // namespace gw
