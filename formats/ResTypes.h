#pragma once
// Resource type numbers and the file kinds that decide which reader runs.
#include <cstdint>

namespace gw {

constexpr uint16_t RT_CURSOR = 1;
constexpr uint16_t RT_BITMAP = 2;
constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_GROUP_CURSOR = 12;
constexpr uint16_t RT_GROUP_ICON = 14;
constexpr uint16_t RT_ANICURSOR = 21;
constexpr uint16_t RT_ANIICON = 22;

enum TFileKind : uint8_t {
    fkIconFile = 0,
    fkCursorFile = 1,
    fkBitmapFile = 2,
    fkNEFile = 3,
    fkPEFile = 4,
    fkNonExecutable = 5,
};

// The text the workdesks show for a kind; empty for the kinds that have none.
const char* FileKindText(TFileKind kind);

} // namespace gw
