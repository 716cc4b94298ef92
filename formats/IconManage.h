#pragma once
// Icon groups: the loader entry points and the .ico reader.
#include <string>

#include "formats/CommonData.h"

namespace gw {

// Fills cd.IconGroups from the file at path (status 0 = loaded):
// fkIconFile -> the .ico reader into the first entry; fkNEFile -> every group
// of the NE file, then the icon-library names for ".ICL"; fkPEFile -> the PE
// reader; any other kind loads nothing and returns 0.
uint8_t LoadIcons(CommonData& cd, const std::string& path, TFileKind kind);

// The .ico reader: 0 when every image was read, 1 otherwise (cd.LastError says why).
uint8_t ReadIconFile(CommonData& cd, const std::string& path);
uint8_t ReadIconFileBytes(CommonData& cd, ByteView file);

} // namespace gw
