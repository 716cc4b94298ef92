#pragma once
// The first icon group of a 32-bit executable's resource directory, read
// without loading the others: what the first-icon extraction and the
// thumbnailer draw from.
#include <optional>
#include <vector>

#include "formats/FileContents.h"
#include "platform/ResourceModule.h"

namespace gw {

// The first icon group of a module in directory order: its entries, and the
// bytes of each entry's image (nullopt where the module lacks it). Nullopt
// when the module holds no icon group or the first one is not in it.
struct FirstGroupImages {
    IconGroup directory;
    std::vector<std::optional<ByteView>> bytes;
};
std::optional<FirstGroupImages> FirstPeGroupImages(const ResourceModule& module);

} // namespace gw
