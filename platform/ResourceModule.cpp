#include "platform/ResourceModule.h"

#include "platform/PeHeaders.h"
#include "platform/PeLayout.h"
#include "platform/ResourceDirectory.h"

#include "platform/Paths.h"

#include <algorithm>

namespace gw {

namespace {

using namespace pe_layout;

constexpr uint32_t kResourceDirectoryIndex = 2;

// The language entries of one name looked at: far more than the languages
// there are, and a bound on the work when the names of a damaged file all
// point at one huge directory.
constexpr uint64_t kMaxLanguagesPerName = 256;

using Section = PeSection;

} // namespace

struct ResourceModule::Impl {
    MappedFile file; // keeps the mapping alive when the module was opened from a path
    std::shared_ptr<const void> owner; // or what keeps the bytes alive, when given
    ByteView bytes;
    std::vector<Section> sections;
    size_t resourceSection = 0;
    // The bytes from the resource directory root to the end of its section
    // (as far as the file holds them): every directory offset indexes this view.
    ByteView rsrc;
    uint64_t rsrcStart = 0; // its offset in the file
    std::optional<ReadError> damage;
    std::vector<DirectoryEntry> types; // the root directory, read once

    // A name entry of a type, as the walk delivers it.
    struct NameEntry {
        DirectoryEntry entry;
        ByteView nameUnits; // UTF-16 units of a named entry
    };

    std::optional<uint64_t> RvaToOffset(uint64_t rva, uint64_t length) const {
        auto inSection = [&](const Section& s) -> std::optional<uint64_t> {
            const uint64_t offset = uint64_t(s.rawPointer) + (rva - s.virtualAddress);
            if (!InBounds(offset, length, bytes.size())) return std::nullopt;
            return offset;
        };
        // Resource data nearly always lies in the resource section itself.
        if (resourceSection < sections.size() && sections[resourceSection].Contains(rva))
            return inSection(sections[resourceSection]);
        for (const Section& s : sections)
            if (s.Contains(rva)) return inSection(s);
        return std::nullopt;
    }

    // The entries of the directory at offset; a count larger than the bytes
    // that remain is cut to the entries really there.
    std::vector<DirectoryEntry> ReadDirectory(uint32_t offset, uint64_t maxEntries = UINT64_MAX) const {
        std::vector<DirectoryEntry> entries;
        const std::optional<uint64_t> stated = StatedEntries(rsrc, offset);
        if (!stated) return entries;
        const uint64_t room = (rsrc.size() - offset - kDirectoryHeaderSize) / kDirectoryEntrySize;
        const uint64_t count = std::min({*stated, room, maxEntries});
        entries.reserve(size_t(count));
        for (uint64_t i = 0; i < count; ++i) entries.push_back(DirectoryEntryAt(rsrc, offset, i));
        return entries;
    }

    // The sub-directory holding the names of a type, or nullopt: the first
    // type entry with that id, or with that name compared case-insensitively
    // (ASCII).
    std::optional<uint32_t> NameDirectory(const ResourceKey& type) const {
        for (const DirectoryEntry& e : types) {
            if (e.Named() == type.isId) continue;
            if (type.isId) {
                if (e.Id() != type.id) continue;
                return NamesOf(e);
            }
            // Unit by unit, on the stored bytes: a name of another length
            // never matches and no string is made.
            const std::optional<ByteView> units = NameUnitsAt(rsrc, e.NameOffset());
            if (!units || units->size() != 2 * type.name.size()) continue;
            bool same = true;
            for (size_t i = 0; i < type.name.size() && same; ++i)
                same = UpperAsciiUnit(PeekU16(*units, 2 * i)) == UpperAsciiUnit(uint16_t(type.name[i]));
            if (same) return NamesOf(e);
        }
        return std::nullopt;
    }

    // A data entry at the type level, or a directory pointing back at the
    // root, holds no names.
    static std::optional<uint32_t> NamesOf(const DirectoryEntry& type) {
        if (!type.IsDirectory() || type.Offset() == 0) return std::nullopt;
        return type.Offset();
    }

    // Calls visit(NameEntry) for each name of a type in directory order. An
    // entry that is not a directory or that points back at an ancestor, or
    // whose name string does not lie inside the resource bytes, is passed
    // over. The name strings delivered are bounded in total by the size of
    // the resource bytes, so entries sharing one long string cannot make a
    // walk allocate more than the file holds.
    template <class Visit>
    void WalkNames(const ResourceKey& type, Visit&& visit) const {
        const std::optional<uint32_t> nameDir = NameDirectory(type);
        if (!nameDir) return;
        // The directories visited on the way down: a language directory at one
        // of them would be a loop.
        const uint32_t visited[] = {0, *nameDir};
        auto isVisited = [&](uint32_t dir) { return std::find(std::begin(visited), std::end(visited), dir) != std::end(visited); };
        uint64_t nameBudget = rsrc.size();
        for (const DirectoryEntry& e : ReadDirectory(*nameDir)) {
            if (!e.IsDirectory() || isVisited(e.Offset())) continue;
            NameEntry n{e, {}};
            if (e.Named()) {
                const std::optional<ByteView> units = NameUnitsAt(rsrc, e.NameOffset());
                if (!units) continue;
                const uint64_t stringBytes = 2 + units->size();
                if (stringBytes > nameBudget) return;
                nameBudget -= stringBytes;
                n.nameUnits = *units;
            }
            visit(n);
        }
    }

    // The data under a name's language directory: in language when one of
    // its entries is that language, else in its first language; why not,
    // when it is given. shown receives the language read.
    std::optional<ByteView> LanguageData(uint32_t languageDir, std::optional<uint16_t> language, uint16_t* shown,
                                         ReadError* why) const {
        auto fail = [&](ReadError e) -> std::optional<ByteView> {
            if (why) *why = std::move(e);
            return std::nullopt;
        };
        const uint64_t dirAt = rsrcStart + languageDir;
        // Only the first entry is needed unless a language is asked for.
        const std::vector<DirectoryEntry> languages = ReadDirectory(languageDir, language ? kMaxLanguagesPerName : 1);
        const DirectoryEntry* chosen = languages.empty() ? nullptr : &languages[0];
        if (language)
            for (const DirectoryEntry& e : languages)
                if (!e.Named() && !e.IsDirectory() && e.Id() == *language) {
                    chosen = &e;
                    break;
                }
        // A directory where a data entry belongs would nest deeper than three levels.
        if (!chosen || chosen->IsDirectory())
            return fail(ReadError::Invalid(dirAt, "a resource without a language entry", bytes.size()));
        if (shown) *shown = chosen->Named() ? 0 : chosen->Id();
        const uint64_t dataEntry = chosen->Offset();
        const std::optional<DataEntry> entry = DataEntryAt(rsrc, dataEntry);
        if (!entry)
            return fail(ReadError::Truncated(rsrcStart + dataEntry, "a resource's data entry", kDataEntrySize,
                                             bytes.size()));
        const uint32_t rva = entry->rva;
        const uint32_t size = entry->size;
        const std::optional<uint64_t> offset = RvaToOffset(rva, size);
        if (!offset) {
            const std::optional<uint64_t> start = RvaToOffset(rva, 0);
            if (!start)
                return fail(ReadError::Invalid(rsrcStart + dataEntry, "resource data at an address in no section",
                                               bytes.size()));
            return fail(ReadError::Truncated(*start, "resource data", size, bytes.size()));
        }
        return bytes.subspan(size_t(*offset), size);
    }

    static ResourceKey NameOf(const NameEntry& n) { return KeyOf(n.entry, n.nameUnits); }
};

namespace {

// The headers and the section table as the module reads them, leniently:
// an optional header cut short after the data directories it needs still
// serves. On success fills the module's sections and resource view.
// Returns an error message, empty on success.
std::string ParseHeaders(ByteView bytes, std::vector<Section>& sections, uint64_t& rsrcRva,
                         bool& hasResources) {
    hasResources = false;
    PeHeaders headers;
    switch (ScanPeHeaders(bytes, headers)) {
    case PeHeaderStop::NotMz: return "not an MZ executable";
    case PeHeaderStop::PeHeaderOutside: return "new header offset outside the file";
    case PeHeaderStop::NoSignature: return "no PE signature";
    case PeHeaderStop::MagicOutside:
    case PeHeaderStop::CountOutside: return "truncated optional header";
    case PeHeaderStop::UnknownMagic: return "unknown optional header magic";
    case PeHeaderStop::SectionTableOutside: return "truncated section table";
    case PeHeaderStop::Whole: break;
    }
    sections = std::move(headers.sections);
    // Fewer than three data directories, or an empty resource entry: the
    // file simply has no resources.
    if (headers.statedDirectoryCount <= kResourceDirectoryIndex) return {};
    const uint64_t directory = headers.directories + kResourceDirectoryIndex * kDataDirectorySize;
    if (!InBounds(directory, kDataDirectorySize, bytes.size())) return "truncated data directories";
    rsrcRva = PeekU32(bytes, directory);
    hasResources = rsrcRva != 0;
    return {};
}

} // namespace

std::unique_ptr<ResourceModule> ResourceModule::FromBytes(ByteView bytes, std::string* error,
                                                          std::shared_ptr<const void> owner) {
    auto impl = std::make_shared<Impl>();
    impl->bytes = bytes;
    impl->owner = std::move(owner);
    uint64_t rsrcRva = 0;
    bool hasResources = false;
    const std::string problem = ParseHeaders(bytes, impl->sections, rsrcRva, hasResources);
    if (!problem.empty()) {
        if (error) *error = problem;
        return nullptr;
    }
    if (hasResources) {
        // The resource directory lives in the section holding its root; a root
        // outside every section or outside the file leaves no resources.
        const auto& sections = impl->sections;
        bool inSection = false;
        for (size_t i = 0; i < sections.size(); ++i) {
            if (!sections[i].Contains(rsrcRva)) continue;
            inSection = true;
            impl->resourceSection = i;
            const uint64_t start = uint64_t(sections[i].rawPointer) + (rsrcRva - sections[i].virtualAddress);
            const uint64_t rawEnd = uint64_t(sections[i].rawPointer) + sections[i].rawSize;
            if (rawEnd > bytes.size())
                impl->damage = ReadError::Truncated(sections[i].rawPointer, "the resource section", sections[i].rawSize,
                                                    bytes.size());
            if (start < bytes.size()) {
                const uint64_t length = std::min<uint64_t>(bytes.size() - start, sections[i].VirtualEnd() - rsrcRva);
                impl->rsrc = bytes.subspan(size_t(start), size_t(length));
                impl->rsrcStart = start;
            }
            break;
        }
        if (!inSection)
            impl->damage = ReadError::Invalid(0, "the resource directory is at an address in no section", bytes.size());
        impl->types = impl->ReadDirectory(0);
    }
    // A file cut short elsewhere still loses what its other sections held.
    for (size_t i = 0; i < impl->sections.size() && !impl->damage; ++i) {
        const Section& s = impl->sections[i];
        if (uint64_t(s.rawPointer) + s.rawSize > bytes.size())
            impl->damage = ReadError::Truncated(s.rawPointer, "section " + std::to_string(i + 1), s.rawSize,
                                                bytes.size());
    }
    std::unique_ptr<ResourceModule> module(new ResourceModule());
    module->m_impl = std::move(impl);
    return module;
}

std::unique_ptr<ResourceModule> ResourceModule::Open(const std::string& path, std::string* error) {
    MappedFile file;
    if (!file.Open(path)) {
        if (error) *error = file.error();
        return nullptr;
    }
    std::string problem;
    // The mapping's address does not change when the file object moves into
    // the module, so the views taken here stay valid.
    std::unique_ptr<ResourceModule> module = FromBytes(file.bytes(), &problem);
    if (!module) {
        if (error) *error = "cannot read \"" + path + "\" as a PE module: " + problem;
        return nullptr;
    }
    module->m_impl->file = std::move(file);
    return module;
}

std::vector<ResourceKey> ResourceModule::EnumNames(uint16_t type) const {
    std::vector<ResourceKey> names;
    m_impl->WalkNames(ResourceKey::Id(type), [&](const Impl::NameEntry& n) { names.push_back(Impl::NameOf(n)); });
    return names;
}

int ResourceModule::Count(uint16_t type) const {
    int count = 0;
    m_impl->WalkNames(ResourceKey::Id(type), [&](const Impl::NameEntry& n) {
        if (m_impl->LanguageData(n.entry.Offset(), std::nullopt, nullptr, nullptr)) ++count;
    });
    return count;
}

ResourceModule::TypeTable ResourceModule::Table(const ResourceKey& type) const {
    TypeTable table;
    table.m_impl = m_impl;
    m_impl->WalkNames(type, [&](const Impl::NameEntry& n) {
        const size_t index = table.m_names.size();
        table.m_names.push_back(Impl::NameOf(n));
        table.m_languageDirs.push_back(n.entry.Offset());
        // The first entry of a name wins, as a linear search would find it.
        if (n.entry.Named())
            table.m_byName.try_emplace(UpperAscii(table.m_names.back().Text()), index);
        else
            table.m_byId.try_emplace(n.entry.Id(), index);
    });
    return table;
}

ResourceModule::TypeTable ResourceModule::Table(uint16_t type) const { return Table(ResourceKey::Id(type)); }

uint64_t ResourceModule::FileSize() const { return m_impl->bytes.size(); }

const std::optional<ReadError>& ResourceModule::Damage() const { return m_impl->damage; }

std::shared_ptr<const void> ResourceModule::Owner() const {
    if (!m_impl->file.IsOpen() && !m_impl->owner) return nullptr;
    return m_impl;
}

std::optional<ByteView> ResourceModule::Find(uint16_t type, const ResourceKey& name) const {
    return Table(type).Find(name);
}

std::optional<ByteView> ResourceModule::Find(uint16_t type, const ResourceKey& name, std::optional<uint16_t> language,
                                             uint16_t* shown) const {
    return Table(type).Find(name, language, shown);
}

std::vector<uint16_t> ResourceModule::Languages(uint16_t type, const ResourceKey& name) const {
    return Table(type).Languages(name);
}

bool ResourceModule::TypeTable::IndexOf(const ResourceKey& name, size_t& index) const {
    if (name.isId) {
        const auto it = m_byId.find(name.id);
        if (it == m_byId.end()) return false;
        index = it->second;
    } else {
        const auto it = m_byName.find(UpperAscii(name.Text()));
        if (it == m_byName.end()) return false;
        index = it->second;
    }
    return true;
}

std::vector<uint16_t> ResourceModule::TypeTable::Languages(const ResourceKey& name) const {
    std::vector<uint16_t> languages;
    size_t index = 0;
    if (!m_impl || !IndexOf(name, index)) return languages;
    for (const DirectoryEntry& e : m_impl->ReadDirectory(m_languageDirs[index], kMaxLanguagesPerName))
        if (!e.Named() && !e.IsDirectory()) languages.push_back(e.Id());
    std::sort(languages.begin(), languages.end());
    languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
    return languages;
}

std::optional<ByteView> ResourceModule::TypeTable::Find(const ResourceKey& name, ReadError* why) const {
    return Find(name, std::nullopt, nullptr, why);
}

std::optional<ByteView> ResourceModule::TypeTable::Find(const ResourceKey& name, std::optional<uint16_t> language,
                                                        uint16_t* shown, ReadError* why) const {
    auto missing = [&]() -> std::optional<ByteView> {
        if (why)
            *why = ReadError::Invalid(m_impl ? m_impl->rsrcStart : 0,
                                      "resource " + name.Text() +
                                          " is not in the resource directory",
                                      m_impl ? m_impl->bytes.size() : 0);
        return std::nullopt;
    };
    size_t index = 0;
    if (!m_impl || !IndexOf(name, index)) return missing();
    return m_impl->LanguageData(m_languageDirs[index], language, shown, why);
}

} // namespace gw
