#include "batch/core/JsonLine.h"

#include <nlohmann/json.hpp>

namespace gw {

std::string DumpJsonLine(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace gw
