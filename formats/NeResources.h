#pragma once
// 16-bit (NE) executables and icon libraries: the resource-table walk, the
// icon-group, cursor-group and bitmap readers, the icon-library names and
// the resource counter.
#include <string>

#include "formats/CommonData.h"

namespace gw {

// Every icon group 0 .. cd.IconGroupCount - 1 of the NE file at path into
// cd.IconGroups (sized by the caller); status 1 when any group failed. When
// all were read and the extension is ".ICL", the groups are renamed from the
// resident-name table.
uint8_t LoadIconsNE(CommonData& cd, const std::string& path);
// Every cursor group 0 .. cd.CursorGroupCount - 1 of cd.SelFilePath.
uint8_t LoadCursorsNE(CommonData& cd);
// Every bitmap 0 .. cd.BitmapCount - 1 of cd.SelFilePath.
uint8_t LoadBitmapsNE(CommonData& cd);

// The same loads over bytes already in memory; path and cd.SelFileName give
// the extension and the file-derived names.
uint8_t LoadIconsNEOfBytes(CommonData& cd, ByteView file, const std::string& path);
uint8_t LoadCursorsNEOfBytes(CommonData& cd, ByteView file);
uint8_t LoadBitmapsNEOfBytes(CommonData& cd, ByteView file);

// The number of bitmaps (isBitmap) or cursor groups in an NE file; 0 when it
// is not a readable NE file with resources or has none of that type.
int CountNEResources(const std::string& path, bool isBitmap);
int CountNEResourcesOfBytes(ByteView file, bool isBitmap);
// The number of icon groups of an NE file (the icon count of the explorer).
int CountNEIconGroups(ByteView file);

} // namespace gw
