#pragma once
// Resource languages (LANGIDs: a primary language in the low 10 bits, a
// sublanguage above) in words, for the property sheets and the command line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gw {

// The language in words with its number: "English (United States), 0x0409",
// "Neutral, 0x0000". A sublanguage not in the table gives the primary
// language's name ("Spanish, 0x400a"); a primary language not in it gives
// "Language 0x00ff".
std::string LanguageName(uint16_t langid);

// A LANGID as typed: decimal ("1033") or hexadecimal with 0x ("0x0409");
// nullopt for anything else or a value above 0xFFFF.
std::optional<uint16_t> ParseLanguageId(std::string_view text);

} // namespace gw
