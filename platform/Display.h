#pragma once
// The screen's colour depth and the system icon sizes. The GUI sets them from
// the screen at start-up; tests and the command line keep the defaults or set
// their own.
#include <cstdint>

namespace gw::Display {

int Depth();               // bits per pixel x planes; 32 by default
void SetDepth(int bitsPerPixel);
int LargeIconSize();       // 32 by default
int SmallIconSize();       // 16 by default
void SetIconSizes(int large, int small);

} // namespace gw::Display
