#include "platform/Bitmap.h"

namespace gw {

const char* PixelFormatText(PixelFormat f) {
    switch (f) {
    case PixelFormat::pfDevice: return "device";
    case PixelFormat::pf1bit: return "1";
    case PixelFormat::pf4bit: return "4";
    case PixelFormat::pf8bit: return "8";
    case PixelFormat::pf15bit: return "15";
    case PixelFormat::pf16bit: return "16";
    case PixelFormat::pf24bit: return "24";
    case PixelFormat::pf32bit: return "32";
    case PixelFormat::pfCustom: return "custom";
    }
    return "custom";
}

} // namespace gw
