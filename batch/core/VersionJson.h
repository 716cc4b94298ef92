#pragma once
// Version information as info --json says it (its "version" key) and as the
// Python module's Document.version gives it.
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "formats/VersionInfo.h"

namespace gw {

// {"file_version": "6.1.7601.17514", "product_version": "...", "file_flags":
// ["DEBUG", ...], "file_os": "VOS_NT_WINDOWS32", "file_type": "VFT_DLL",
// "strings": {"040904b0": {"CompanyName": "...", ...}}, "translations":
// ["040904b0"]}. The five keys of the fixed part are left out when the file
// has none. A table key or string key given twice keeps its first value
// (as the system's lookup finds it). Every text is valid UTF-8.
nlohmann::json VersionInfoJson(const VersionInfo& info);
// The same as one line of compact JSON text.
std::string VersionInfoJsonLine(const VersionInfo& info);

} // namespace gw
