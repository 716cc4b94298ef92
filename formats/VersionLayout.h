#pragma once
// The layout of a version resource that its reader and its writer share:
// the fixed part's signature and size, the block headers, the value types
// and the keys of the standard blocks.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace gw::version_layout {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint64_t kFixedSize = 52; // signature and twelve more 32-bit fields
constexpr uint64_t kWideHeader = 6;   // length, value length, type
constexpr uint64_t kNarrowHeader = 4; // length, value length
constexpr uint16_t kBinaryValue = 0;
constexpr uint16_t kTextValue = 1;
constexpr std::string_view kRootKey = "VS_VERSION_INFO";
constexpr std::string_view kStringFileInfo = "StringFileInfo";
constexpr std::string_view kVarFileInfo = "VarFileInfo";
constexpr std::string_view kTranslation = "Translation";

// Text as it is quoted in messages, made valid UTF-8.
inline std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted += ValidUtf8(text);
    quoted += '"';
    return quoted;
}

} // namespace gw::version_layout
