#pragma once
// A 32-bit executable or library opened as data: a reader of the PE resource
// directory (PE32 and PE32+) that offers what the resource loaders need from
// the platform's module services. It never runs anything from the file and
// touches only the headers, the section table and the resource directory.
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/FileIo.h"
#include "platform/ReadError.h"
#include "platform/ResourceKey.h"

namespace gw {

class ResourceModule {
private:
    struct Impl;

public:
    // The name directory of one resource type, read once: what a loader walks
    // when it enumerates the names of a type and then reopens each of them by
    // name or id. Lookups are hashed, so reopening every name of a large
    // library costs no more than reading its directory. Keeps the module's
    // bytes alive.
    class TypeTable {
    public:
        // The names in directory order, one per name whatever its languages.
        const std::vector<ResourceKey>& Names() const { return m_names; }
        // The bytes of the first language of the first entry with that id, or
        // with that name compared case-insensitively (ASCII). When there are
        // none and why is given, says what is wrong and where.
        std::optional<ByteView> Find(const ResourceKey& name, ReadError* why = nullptr) const;
        // The same in language when the name is held in it, else in its
        // first language (as the platform's loader falls back); shown, when
        // given, receives the language whose bytes these are.
        std::optional<ByteView> Find(const ResourceKey& name, std::optional<uint16_t> language, uint16_t* shown,
                                     ReadError* why = nullptr) const;
        // Every language the name is held in, ascending and each once
        // (language entries that are names or directories are passed over,
        // and a damaged directory is read to its 256th entry at most);
        // empty when the name is not there.
        std::vector<uint16_t> Languages(const ResourceKey& name) const;

    private:
        friend class ResourceModule;
        // The index of the first entry with that name; false when there is none.
        bool IndexOf(const ResourceKey& name, size_t& index) const;
        std::shared_ptr<const Impl> m_impl;
        std::vector<ResourceKey> m_names;
        std::vector<uint32_t> m_languageDirs; // per name: its language directory
        std::unordered_map<uint16_t, size_t> m_byId;
        std::unordered_map<std::string, size_t> m_byName; // key: the name as UTF-8, ASCII upper-cased
    };

    // Opens a file as a data module; null (with error set) when it is not a
    // PE file with a readable header. A file without a resource directory
    // opens and has no resources.
    static std::unique_ptr<ResourceModule> Open(const std::string& path, std::string* error = nullptr);
    // The same over bytes that the caller keeps alive. With an owner (what
    // keeps the bytes alive), records read from the module view its bytes
    // and hold the owner, instead of copying them (see Owner()).
    static std::unique_ptr<ResourceModule> FromBytes(ByteView bytes, std::string* error = nullptr,
                                                     std::shared_ptr<const void> owner = nullptr);

    // The names of a numeric resource type in directory order (named entries
    // first, then ids ascending, as the directory stores them), one per name
    // whatever its languages.
    std::vector<ResourceKey> EnumNames(uint16_t type) const;
    // The bytes of the resource of a type with that name or id (first
    // language); nullopt when there is none or its data lies outside the file.
    std::optional<ByteView> Find(uint16_t type, const ResourceKey& name) const;
    // The same in language when it is held in it, else in its first
    // language; shown, when given, receives the language read.
    std::optional<ByteView> Find(uint16_t type, const ResourceKey& name, std::optional<uint16_t> language,
                                 uint16_t* shown = nullptr) const;
    // Every language a resource of a type is held in, ascending; empty when
    // there is no such resource.
    std::vector<uint16_t> Languages(uint16_t type, const ResourceKey& name) const;
    // The number of names of a type whose data (in their first language)
    // the file holds: what a load can read, and the explorer's count. A file
    // cut short counts only what is left of it. Reads no strings.
    int Count(uint16_t type) const;
    // The names of a type with hashed lookups, for loaders that reopen them all.
    TypeTable Table(uint16_t type) const;
    // The names of a type given by id or by name (such as "MUI", compared
    // case-insensitively in ASCII); an empty table when the type is not there.
    TypeTable Table(const ResourceKey& type) const;
    // The size of the file in bytes.
    uint64_t FileSize() const;
    // Damage found when the module opened: the resource section (or, when it
    // is whole, another section) cut short by the end of the file, or a
    // resource directory that lies in no section. The resources still
    // readable are offered as usual.
    const std::optional<ReadError>& Damage() const;
    // What keeps the file's bytes alive for views of them that outlive the
    // module (a module opened from a path owns its mapping, one over bytes
    // may be given their owner); null when there is none.
    std::shared_ptr<const void> Owner() const;

private:
    ResourceModule() = default;
    std::shared_ptr<Impl> m_impl;
};

} // namespace gw
