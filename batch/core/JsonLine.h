#pragma once
// One JSON value on one line, as info, the menu entries and the Python
// module print JSON.
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace gw {

// Compact, and any string that is not UTF-8 serialised with U+FFFD rather
// than failing.
std::string DumpJsonLine(const nlohmann::json& value);

} // namespace gw
