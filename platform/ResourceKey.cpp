#include "platform/ResourceKey.h"

#include <algorithm>
#include <vector>

#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {

ResourceKey ResourceKey::Named(std::string_view utf8) { return Named(Utf8ToUtf16(utf8)); }

std::string ResourceKey::Text() const {
    if (isId) return std::to_string(id);
    const std::vector<uint16_t> units(name.begin(), name.end());
    return Utf16ToUtf8(units);
}

bool KeyBefore(const ResourceKey& a, const ResourceKey& b) {
    if (a.isId != b.isId) return !a.isId;
    if (a.isId) return a.id < b.id;
    return a.name < b.name; // char16_t compares as unsigned code units
}

bool KeyMatches(const ResourceKey& stored, const ResourceKey& wanted) {
    if (stored.isId != wanted.isId) return false;
    if (stored.isId) return stored.id == wanted.id;
    return stored.name.size() == wanted.name.size() &&
           std::equal(stored.name.begin(), stored.name.end(), wanted.name.begin(),
                      [](char16_t x, char16_t y) { return UpperAsciiUnit(x) == UpperAsciiUnit(y); });
}

} // namespace gw
