#include "platform/LanguageName.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

namespace gw {

namespace {

struct Named {
    uint16_t id;
    const char* name;
};

// Primary languages (the low 10 bits).
constexpr Named kPrimary[] = {
    {0x01, "Arabic"},     {0x02, "Bulgarian"},  {0x03, "Catalan"},    {0x04, "Chinese"},    {0x05, "Czech"},
    {0x06, "Danish"},     {0x07, "German"},     {0x08, "Greek"},      {0x09, "English"},    {0x0a, "Spanish"},
    {0x0b, "Finnish"},    {0x0c, "French"},     {0x0d, "Hebrew"},     {0x0e, "Hungarian"},  {0x0f, "Icelandic"},
    {0x10, "Italian"},    {0x11, "Japanese"},   {0x12, "Korean"},     {0x13, "Dutch"},      {0x14, "Norwegian"},
    {0x15, "Polish"},     {0x16, "Portuguese"}, {0x17, "Romansh"},    {0x18, "Romanian"},   {0x19, "Russian"},
    {0x1a, "Croatian"},   {0x1b, "Slovak"},     {0x1c, "Albanian"},   {0x1d, "Swedish"},    {0x1e, "Thai"},
    {0x1f, "Turkish"},    {0x20, "Urdu"},       {0x21, "Indonesian"}, {0x22, "Ukrainian"},  {0x23, "Belarusian"},
    {0x24, "Slovenian"},  {0x25, "Estonian"},   {0x26, "Latvian"},    {0x27, "Lithuanian"}, {0x29, "Persian"},
    {0x2a, "Vietnamese"}, {0x2b, "Armenian"},   {0x2c, "Azerbaijani"}, {0x2d, "Basque"},    {0x2f, "Macedonian"},
    {0x36, "Afrikaans"},  {0x37, "Georgian"},   {0x38, "Faroese"},    {0x39, "Hindi"},      {0x3c, "Irish"},
    {0x3e, "Malay"},      {0x3f, "Kazakh"},     {0x41, "Swahili"},    {0x43, "Uzbek"},      {0x45, "Bangla"},
    {0x46, "Punjabi"},    {0x47, "Gujarati"},   {0x49, "Tamil"},      {0x4a, "Telugu"},     {0x4b, "Kannada"},
    {0x4c, "Malayalam"},  {0x4e, "Marathi"},    {0x50, "Mongolian"},  {0x52, "Welsh"},      {0x56, "Galician"},
    {0x7f, "Invariant"},
};

// Whole LANGIDs, sorted by id.
constexpr Named kFull[] = {
    {0x0000, "Neutral"},
    {0x0401, "Arabic (Saudi Arabia)"},
    {0x0402, "Bulgarian (Bulgaria)"},
    {0x0403, "Catalan (Catalan)"},
    {0x0404, "Chinese (Taiwan)"},
    {0x0405, "Czech (Czech Republic)"},
    {0x0406, "Danish (Denmark)"},
    {0x0407, "German (Germany)"},
    {0x0408, "Greek (Greece)"},
    {0x0409, "English (United States)"},
    {0x040a, "Spanish (Spain, traditional sort)"},
    {0x040b, "Finnish (Finland)"},
    {0x040c, "French (France)"},
    {0x040d, "Hebrew (Israel)"},
    {0x040e, "Hungarian (Hungary)"},
    {0x040f, "Icelandic (Iceland)"},
    {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese (Japan)"},
    {0x0412, "Korean (Korea)"},
    {0x0413, "Dutch (Netherlands)"},
    {0x0414, "Norwegian Bokmål (Norway)"},
    {0x0415, "Polish (Poland)"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0417, "Romansh (Switzerland)"},
    {0x0418, "Romanian (Romania)"},
    {0x0419, "Russian (Russia)"},
    {0x041a, "Croatian (Croatia)"},
    {0x041b, "Slovak (Slovakia)"},
    {0x041c, "Albanian (Albania)"},
    {0x041d, "Swedish (Sweden)"},
    {0x041e, "Thai (Thailand)"},
    {0x041f, "Turkish (Turkey)"},
    {0x0420, "Urdu (Pakistan)"},
    {0x0421, "Indonesian (Indonesia)"},
    {0x0422, "Ukrainian (Ukraine)"},
    {0x0423, "Belarusian (Belarus)"},
    {0x0424, "Slovenian (Slovenia)"},
    {0x0425, "Estonian (Estonia)"},
    {0x0426, "Latvian (Latvia)"},
    {0x0427, "Lithuanian (Lithuania)"},
    {0x0429, "Persian (Iran)"},
    {0x042a, "Vietnamese (Vietnam)"},
    {0x042b, "Armenian (Armenia)"},
    {0x042c, "Azerbaijani (Latin, Azerbaijan)"},
    {0x042d, "Basque (Basque)"},
    {0x042f, "Macedonian (North Macedonia)"},
    {0x0436, "Afrikaans (South Africa)"},
    {0x0437, "Georgian (Georgia)"},
    {0x0438, "Faroese (Faroe Islands)"},
    {0x0439, "Hindi (India)"},
    {0x043e, "Malay (Malaysia)"},
    {0x043f, "Kazakh (Kazakhstan)"},
    {0x0441, "Swahili (Kenya)"},
    {0x0443, "Uzbek (Latin, Uzbekistan)"},
    {0x0445, "Bangla (India)"},
    {0x0446, "Punjabi (India)"},
    {0x0447, "Gujarati (India)"},
    {0x0449, "Tamil (India)"},
    {0x044a, "Telugu (India)"},
    {0x044b, "Kannada (India)"},
    {0x044c, "Malayalam (India)"},
    {0x044e, "Marathi (India)"},
    {0x0450, "Mongolian (Cyrillic, Mongolia)"},
    {0x0452, "Welsh (United Kingdom)"},
    {0x0456, "Galician (Galician)"},
    {0x0400, "User default"},
    {0x0800, "System default"},
    {0x0801, "Arabic (Iraq)"},
    {0x0804, "Chinese (People's Republic of China)"},
    {0x0807, "German (Switzerland)"},
    {0x0809, "English (United Kingdom)"},
    {0x080a, "Spanish (Mexico)"},
    {0x080c, "French (Belgium)"},
    {0x0810, "Italian (Switzerland)"},
    {0x0813, "Dutch (Belgium)"},
    {0x0814, "Norwegian Nynorsk (Norway)"},
    {0x0816, "Portuguese (Portugal)"},
    {0x081a, "Serbian (Latin, Serbia)"},
    {0x081d, "Swedish (Finland)"},
    {0x083c, "Irish (Ireland)"},
    {0x0c01, "Arabic (Egypt)"},
    {0x0c04, "Chinese (Hong Kong SAR)"},
    {0x0c07, "German (Austria)"},
    {0x0c09, "English (Australia)"},
    {0x0c0a, "Spanish (Spain)"},
    {0x0c0c, "French (Canada)"},
    {0x0c1a, "Serbian (Cyrillic, Serbia)"},
    {0x1004, "Chinese (Singapore)"},
    {0x1007, "German (Luxembourg)"},
    {0x1009, "English (Canada)"},
    {0x100c, "French (Switzerland)"},
    {0x1401, "Arabic (Algeria)"},
    {0x1404, "Chinese (Macao SAR)"},
    {0x1407, "German (Liechtenstein)"},
    {0x1409, "English (New Zealand)"},
    {0x140c, "French (Luxembourg)"},
    {0x141a, "Bosnian (Latin, Bosnia and Herzegovina)"},
    {0x1809, "English (Ireland)"},
    {0x1c09, "English (South Africa)"},
    {0x2009, "English (Jamaica)"},
    {0x2c0a, "Spanish (Argentina)"},
    {0x4009, "English (India)"},
    {0x4809, "English (Singapore)"},
    {0x540a, "Spanish (United States)"},
};

const char* Find(const Named* begin, const Named* end, uint16_t id) {
    const Named* found = std::find_if(begin, end, [&](const Named& n) { return n.id == id; });
    return found == end ? nullptr : found->name;
}

} // namespace

std::string LanguageName(uint16_t langid) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04x", unsigned(langid));
    if (const char* full = Find(std::begin(kFull), std::end(kFull), langid)) return std::string(full) + ", " + number;
    if (const char* primary = Find(std::begin(kPrimary), std::end(kPrimary), uint16_t(langid & 0x3FF)))
        return std::string(primary) + ", " + number;
    return std::string("Language ") + number;
}

std::optional<uint16_t> ParseLanguageId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end || value > 0xFFFF) return std::nullopt;
    return uint16_t(value);
}

} // namespace gw
