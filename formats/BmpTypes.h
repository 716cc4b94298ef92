#pragma once
// The record of one bitmap.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Bitmap.h"

namespace gw {

struct TAdvBmp {
    std::string Name;
    uint8_t IsNamed = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    gw::PixelFormat PixelFormat = PixelFormat::pfDevice;
    TColor TransparentColor = 0;
    std::shared_ptr<gw::Bitmap> Bitmap = std::make_shared<gw::Bitmap>(); // owned
};

} // namespace gw
