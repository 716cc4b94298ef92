#pragma once
// A 32-bit executable or library opened as data: a reader of the PE resource
// directory (PE32 and PE32+) that offers what the resource loaders need from
// the platform's module services. It never runs anything from the file and
// touches only the headers, the section table and the resource directory.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/FileIo.h"

namespace gw {

// A resource name value: an integer id or a name string.
struct ResName {
    bool isId = true;
    uint16_t id = 0;
    std::string name; // UTF-8, as stored (resource compilers store names upper-cased)
};

class ResourceModule {
public:
    // Opens a file as a data module; null (with error set) when it is not a
    // PE file with a readable header.
    static std::unique_ptr<ResourceModule> Open(const std::string& path, std::string* error = nullptr);
    // The same over bytes that the caller keeps alive.
    static std::unique_ptr<ResourceModule> FromBytes(ByteView bytes, std::string* error = nullptr);

    // The names of a numeric resource type in directory order (named entries
    // first, then ids ascending, as the directory stores them), one per name
    // whatever its languages.
    std::vector<ResName> EnumNames(uint16_t type) const;
    // The bytes of the resource of a type with that name or id (first
    // language); nullopt when there is none or its data lies outside the file.
    std::optional<ByteView> Find(uint16_t type, const ResName& name) const;
    // The number of names of a type (the explorer's count).
    int Count(uint16_t type) const;

private:
    ResourceModule() = default;
    struct Impl;
    std::shared_ptr<Impl> m_impl;
};

} // namespace gw
