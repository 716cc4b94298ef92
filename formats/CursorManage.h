#pragma once
// Cursor groups: the loader entry points and the .cur reader.
#include <string>

#include "formats/CommonData.h"

namespace gw {

// Cursor groups of cd.SelFilePath: fkNEFile and fkPEFile; other kinds return 0.
uint8_t LoadCursors(CommonData& cd, TFileKind kind);

// The .cur file cd.SelFilePath into the first entry of cd.CursorGroups. The
// file is not validated; a file that cannot be opened or read is reported as
// an error (returned message, empty on success), the images read before a
// failure stay loaded.
std::string LoadCursorFile(CommonData& cd);
std::string LoadCursorFileBytes(CommonData& cd, ByteView file);

} // namespace gw
