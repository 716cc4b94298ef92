#pragma once
// Shared pieces of the fuzz harnesses.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ByteReader.h"

namespace gw::fuzz {

// Writes the input to a per-process file in memory-backed storage whose
// name ends in ext, for the entry points that take a path. The same file is
// rewritten on every call, and removed when the process exits.
const std::string& InputFile(ByteView data, const std::string& ext);


} // namespace gw::fuzz
