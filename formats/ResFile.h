#pragma once
// Compiled resource files (.res, .r32, .r16, .dcr) in the 32-bit and the
// 16-bit layout: the readers and the counters.
#include <string>

#include "formats/CommonData.h"

namespace gw {

// Read cd.SelFilePath into cd.IconGroups / cd.CursorGroups / cd.Bitmaps,
// which the caller has sized to the counts. Entries not found stay as the
// caller left them.
void LoadResIcons(CommonData& cd);
void LoadResCursors(CommonData& cd);
void LoadResBitmaps(CommonData& cd);
// The same over bytes in memory (the whole file).
void LoadResIconsBytes(CommonData& cd, ByteView file);
void LoadResCursorsBytes(CommonData& cd, ByteView file);
void LoadResBitmapsBytes(CommonData& cd, ByteView file);

// True when the file starts with the empty 32-byte leading entry of the
// 32-bit layout.
bool IsRes32(ByteView file);

// The counters: the number of entries of resource type resType (2, 12 or
// 14) from offset start (32 for the 32-bit layout, 0 for the 16-bit one).
int Conta32(ByteView file, uint64_t start, uint16_t resType);
int Conta16(ByteView file, uint64_t start, uint16_t resType);

} // namespace gw
