#include "platform/Bitmap.h"

namespace gw {

const char* PixelFormatText(PixelFormat f) {
    switch (f) {
    case PixelFormat::Device: return "device";
    case PixelFormat::Bits1: return "1";
    case PixelFormat::Bits4: return "4";
    case PixelFormat::Bits8: return "8";
    case PixelFormat::Bits15: return "15";
    case PixelFormat::Bits16: return "16";
    case PixelFormat::Bits24: return "24";
    case PixelFormat::Bits32: return "32";
    case PixelFormat::Custom: return "custom";
    }
    return "custom";
}

} // namespace gw
