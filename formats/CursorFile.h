#pragma once
// The .cur reader on its own, for readers below the loaders (an animated
// cursor's frames are .cur files).
#include <memory>

#include "formats/CurTypes.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

// The .cur reader itself: the group's images, those read before any damage
// included, and the damage.
ReadResult<CursorGroup> ParseCursorFile(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

} // namespace gw
