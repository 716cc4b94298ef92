#pragma once
// The key of a resource's type or name in every container Grabwell reads
// and writes (PE directories, resource files): an integer id, or a name kept
// as the UTF-16 code units stored, so that a name written back is the name
// read and a name shown is converted once, where it is shown.
#include <cstdint>
#include <string>
#include <string_view>

namespace gw {

struct ResourceKey {
    bool isId = true;
    uint16_t id = 0;
    std::u16string name;

    static ResourceKey Id(uint16_t id) { return {true, id, {}}; }
    static ResourceKey Named(std::u16string name) { return {false, 0, std::move(name)}; }
    // A name given as UTF-8 (ill-formed bytes become U+FFFD).
    static ResourceKey Named(std::string_view utf8);
    // The id in decimal, or the name as UTF-8 (an unpaired surrogate
    // becomes U+FFFD).
    std::string Text() const;

    bool operator==(const ResourceKey&) const = default;
};

// The order of a PE resource directory: named entries before ids, names by
// an ordinal comparison of their UTF-16 code units, ids ascending.
bool KeyBefore(const ResourceKey& a, const ResourceKey& b);
// Whether a stored key is the one asked for: the same id, or the same name
// compared case-insensitively in ASCII, as the system's resource lookup does.
bool KeyMatches(const ResourceKey& stored, const ResourceKey& wanted);

} // namespace gw
