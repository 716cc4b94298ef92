#pragma once
// Resource type numbers.
#include <cstdint>

namespace gw {

constexpr uint16_t RT_CURSOR = 1;
constexpr uint16_t RT_BITMAP = 2;
constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_GROUP_CURSOR = 12;
constexpr uint16_t RT_GROUP_ICON = 14;
constexpr uint16_t RT_ANICURSOR = 21;
constexpr uint16_t RT_ANIICON = 22;


} // namespace gw
