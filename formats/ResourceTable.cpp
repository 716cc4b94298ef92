#include "formats/ResourceTable.h"

#include "platform/PeLayout.h"

#include <algorithm>
#include <map>
#include <iterator>
#include <set>

#include "formats/ExeHeader.h"
#include "platform/PeHeaders.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"
#include "platform/Text.h"
#include "platform/Paths.h"

namespace gw {

namespace {

using namespace pe_layout;

// The bytes of names a directory may make copies of: this many per byte of
// the file, and this many more.
constexpr uint64_t kNameBudgetPerByte = 4;
constexpr uint64_t kNameBudgetBase = 1 << 20;
// Memory flags a resource compiler gives new entries: images moveable and
// discardable, everything else also pure.
constexpr uint16_t kImageMemoryFlags = 0x1010;
constexpr uint16_t kOtherMemoryFlags = 0x1030;


uint64_t AlignUp4(uint64_t v) { return (v + 3) / 4 * 4; }

// The parts of a file a reader has placed things at: a part that overlaps
// one placed before is damage. Every part is added once, so the walk that
// adds them can never take more steps than the file has bytes.
class PlacedParts {
public:
    // False when [start, start + length) overlaps a part placed before.
    bool Place(uint64_t start, uint64_t length) {
        if (length == 0) return true;
        const uint64_t end = start + length;
        auto next = m_parts.lower_bound(start);
        if (next != m_parts.end() && next->first < end) return false;
        if (next != m_parts.begin() && std::prev(next)->second > start) return false;
        m_parts.emplace(start, end);
        return true;
    }

private:
    std::map<uint64_t, uint64_t> m_parts; // start -> end
};

// Walks a PE resource directory: exactly three levels (type, name,
// language), each directory once, every part placed once.
class PeWalk {
public:
    PeWalk(ByteView file, const PeHeaders& pe, uint64_t root, ByteView rsrc, ResourceTable& table)
        : m_file(file), m_pe(pe), m_root(root), m_rsrc(rsrc), m_table(table),
          m_nameBudget(kNameBudgetPerByte * file.size() + kNameBudgetBase) {}

    std::optional<ReadError> Run() {
        std::vector<const ResourceKey*> path;
        Walk(0, 0, path);
        return m_error;
    }

private:
    struct Entry {
        ResourceKey key;
        uint32_t target = 0;
        uint64_t at = 0; // relative to the root
    };

    uint64_t FileSize() const { return m_file.size(); }
    uint64_t InFile(uint64_t relative) const { return m_root + relative; }

    void Fail(ReadError e) {
        if (!m_error) m_error = std::move(e);
    }
    void Invalid(uint64_t relative, const std::string& what) {
        Fail(ReadError::Invalid(InFile(relative), what, FileSize()));
    }
    // Name strings may serve many entries, and every resource keeps its
    // type's and its own name: copies that stop at a multiple of the file's
    // size, so that no directory makes more of a name than a file could.
    bool SpendOnNames(uint64_t bytes, uint64_t at) {
        if (bytes <= m_nameBudget) {
            m_nameBudget -= bytes;
            return true;
        }
        Fail(ReadError::OverBudget(InFile(at), "the names of the resource directory", FileSize()));
        return false;
    }
    bool PlaceOrFail(uint64_t fileOffset, uint64_t length, const std::string& what) {
        if (m_placed.Place(fileOffset, length)) return true;
        Fail(ReadError::Invalid(fileOffset, what + " overlaps another part of the resource directory", FileSize()));
        return false;
    }

    // The entries of the directory at offset, its parts placed; empty on damage.
    std::vector<Entry> ReadDirectory(uint64_t offset, int level) {
        static const char* const kLevel[] = {"type", "name", "language"};
        const std::string what = std::string("the ") + kLevel[level] + " directory at " + GroupedNumber(InFile(offset));
        if (!m_visited.insert(offset).second) {
            Invalid(offset, what + " is reached twice");
            return {};
        }
        if (!InBounds(offset, kDirectoryHeaderSize, m_rsrc.size())) {
            Fail(ReadError::Truncated(FileSize(), what, kDirectoryHeaderSize, InFile(offset)));
            return {};
        }
        const uint64_t count = uint64_t(PeekU16(m_rsrc, offset + 12)) + PeekU16(m_rsrc, offset + 14);
        const uint64_t length = kDirectoryHeaderSize + kDirectoryEntrySize * count;
        if (!InBounds(offset, length, m_rsrc.size())) {
            Fail(ReadError::Truncated(FileSize(), what, length, InFile(offset)));
            return {};
        }
        if (!PlaceOrFail(InFile(offset), length, what)) return {};
        std::vector<Entry> entries;
        entries.reserve(size_t(count));
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t at = offset + kDirectoryHeaderSize + kDirectoryEntrySize * i;
            const uint32_t nameField = PeekU32(m_rsrc, at);
            Entry e;
            e.at = at;
            e.target = PeekU32(m_rsrc, at + 4);
            if (nameField & kHighBit) {
                if (level == 2) {
                    Invalid(at, "a language given by name at " + GroupedNumber(InFile(at)));
                    return {};
                }
                std::optional<std::u16string> name = ReadName(nameField & ~kHighBit);
                if (!name) return {};
                e.key = ResourceKey::Named(std::move(*name));
            } else {
                e.key = ResourceKey::Id(uint16_t(nameField));
            }
            entries.push_back(std::move(e));
        }
        return entries;
    }

    // A name string: a 16-bit length, then that many UTF-16 code units. One
    // string may serve several entries.
    std::optional<std::u16string> ReadName(uint64_t offset) {
        const std::string what = "the name string at " + GroupedNumber(InFile(offset));
        if (!InBounds(offset, 2, m_rsrc.size())) {
            Fail(ReadError::Truncated(FileSize(), what, 2, InFile(offset)));
            return std::nullopt;
        }
        const uint64_t length = 2 + 2ull * PeekU16(m_rsrc, offset);
        if (!InBounds(offset, length, m_rsrc.size())) {
            Fail(ReadError::Truncated(FileSize(), what, length, InFile(offset)));
            return std::nullopt;
        }
        if (m_names.insert(offset).second && !PlaceOrFail(InFile(offset), length, what)) return std::nullopt;
        if (!SpendOnNames(length, offset)) return std::nullopt;
        std::u16string name;
        name.reserve(size_t(length / 2 - 1));
        for (uint64_t at = offset + 2; at < offset + length; at += 2) name.push_back(char16_t(PeekU16(m_rsrc, at)));
        return name;
    }

    // path: the keys of the directories above, the entry's own last.
    void Walk(uint64_t offset, int level, std::vector<const ResourceKey*>& path) {
        const std::vector<Entry> entries = ReadDirectory(offset, level);
        for (const Entry& e : entries) {
            if (m_error) return;
            const bool isDirectory = (e.target & kHighBit) != 0;
            const uint64_t target = e.target & ~kHighBit;
            path.push_back(&e.key);
            struct Pop {
                std::vector<const ResourceKey*>& path;
                ~Pop() { path.pop_back(); }
            } pop{path};
            if (level < 2) {
                if (!isDirectory) {
                    Invalid(e.at, "the entry at " + GroupedNumber(InFile(e.at)) +
                                      " names data where a directory belongs (a tree too shallow)");
                    return;
                }
                Walk(target, level + 1, path);
            } else if (isDirectory) {
                Invalid(e.at, "the entry at " + GroupedNumber(InFile(e.at)) +
                                  " names a directory where data belongs (a tree too deep)");
                return;
            } else {
                ReadData(target, path);
            }
            if (m_error) return;
        }
    }

    void ReadData(uint64_t offset, const std::vector<const ResourceKey*>& keys) {
        const std::string what = "the data entry at " + GroupedNumber(InFile(offset));
        if (!InBounds(offset, kDataEntrySize, m_rsrc.size())) {
            Fail(ReadError::Truncated(FileSize(), what, kDataEntrySize, InFile(offset)));
            return;
        }
        if (!PlaceOrFail(InFile(offset), kDataEntrySize, what)) return;
        if (!SpendOnNames(2 * (keys[0]->name.size() + keys[1]->name.size()), offset)) return;
        const uint32_t rva = PeekU32(m_rsrc, offset);
        const uint32_t size = PeekU32(m_rsrc, offset + 4);
        ResourceEntry entry;
        entry.type = *keys[0];
        entry.name = *keys[1];
        entry.language = keys[2]->id;
        entry.codePage = PeekU32(m_rsrc, offset + 8);
        if (size != 0) {
            const std::string data = "the data of resource " + entry.type.Text() + "/" + entry.name.Text() + "/" +
                                     std::to_string(entry.language);
            const std::optional<uint64_t> at = m_pe.FileOffset(rva, size, FileSize());
            if (!at) {
                Fail(ReadError::Invalid(InFile(offset), data + " lies outside the file's bytes", FileSize()));
                return;
            }
            if (!PlaceOrFail(*at, size, data)) return;
            entry.data.assign(m_file.begin() + *at, m_file.begin() + *at + size);
            entry.dataAt = *at;
        }
        m_table.entries.push_back(std::move(entry));
    }

    ByteView m_file;
    const PeHeaders& m_pe;
    uint64_t m_root;
    ByteView m_rsrc; // from the root to the end of its section's bytes in the file
    ResourceTable& m_table;
    PlacedParts m_placed;
    std::set<uint64_t> m_visited; // directories
    std::set<uint64_t> m_names;   // name strings already placed
    uint64_t m_nameBudget;
    std::optional<ReadError> m_error;
};

// Type, name, then language: the order of a PE directory.
bool EntryLess(const ResourceEntry* a, const ResourceEntry* b) {
    if (!(a->type == b->type)) return KeyBefore(a->type, b->type);
    if (!(a->name == b->name)) return KeyBefore(a->name, b->name);
    return a->language < b->language;
}

std::vector<const ResourceEntry*> InDirectoryOrder(const ResourceTable& table) {
    std::vector<const ResourceEntry*> order;
    order.reserve(table.entries.size());
    for (const ResourceEntry& e : table.entries) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), EntryLess);
    return order;
}

// The same type, name and language twice: a directory no writer makes, and
// one that a replacement could not tell apart.
std::optional<ReadError> Duplicate(const ResourceTable& table) {
    const std::vector<const ResourceEntry*> order = InDirectoryOrder(table);
    for (size_t i = 1; i < order.size(); ++i)
        if (!EntryLess(order[i - 1], order[i]))
            return ReadError{ReadErrorKind::Invalid, 0,
                             "resource " + order[i]->type.Text() + "/" + order[i]->name.Text() + "/" +
                                 std::to_string(order[i]->language) + " appears twice"};
    return std::nullopt;
}

// A type or name of a 32-bit resource entry: 0xFFFF and an id, or UTF-16
// code units up to a zero unit.
bool ReadResKey(ByteReader& r, ResourceKey& key) {
    const uint16_t first = r.u16();
    if (first == kRes32IdMarker) {
        key = ResourceKey::Id(r.u16());
        return r.ok();
    }
    std::u16string name;
    for (uint16_t unit = first; unit != 0 && r.ok(); unit = r.u16()) name.push_back(char16_t(unit));
    key = ResourceKey::Named(std::move(name));
    return r.ok();
}

uint16_t DefaultMemoryFlags(const ResourceKey& type) {
    return type.isId && (type.id == RT_ICON || type.id == RT_CURSOR) ? kImageMemoryFlags : kOtherMemoryFlags;
}

} // namespace

ResourceTableRead ReadPeResourceTable(ByteView file) {
    ResourceTableRead out;
    out.table.container = ResourceContainer::Pe;
    PeHeaders pe;
    if (std::optional<ReadError> e = ReadPeHeaders(file, pe)) {
        out.error = std::move(e);
        return out;
    }
    const PeDataDirectory directory = pe.Directory(file, kPeResourceDirectory);
    if (directory.rva == 0) return out;
    const std::optional<size_t> section = pe.SectionOf(directory.rva);
    const std::optional<uint64_t> root = pe.FileOffset(directory.rva, kDirectoryHeaderSize, file.size());
    if (!section || !root) {
        out.error = ReadError::Invalid(pe.DirectoryAt(kPeResourceDirectory),
                                       "the resource directory lies outside the file's sections", file.size());
        return out;
    }
    const uint64_t end = std::min<uint64_t>(pe.sections[*section].RawEnd(), file.size());
    const ByteView rsrc = file.subspan(size_t(*root), size_t(end - *root));
    out.error = PeWalk(file, pe, *root, rsrc, out.table).Run();
    if (!out.error) out.error = Duplicate(out.table);
    return out;
}

ResourceTableRead ReadResResourceTable(ByteView file) {
    ResourceTableRead out;
    out.table.container = ResourceContainer::Res32;
    if (!IsRes32(file)) {
        out.error = ReadError{ReadErrorKind::Invalid, 0, "not a 32-bit resource file"};
        return out;
    }
    out.table.leading.assign(file.begin(), file.begin() + kRes32LeadSize);
    uint64_t pos = kRes32LeadSize;
    const uint64_t size = file.size();
    while (pos < size) {
        if (OnlyZerosFrom(file, pos)) {
            out.table.trailing.assign(file.begin() + pos, file.end());
            break;
        }
        const std::string what = "the resource entry at " + GroupedNumber(pos);
        const std::optional<Res32Frame> frame = Res32FrameAt(file, pos);
        if (!frame) {
            out.error = ReadError::Truncated(size, what, 8, pos);
            break;
        }
        const uint32_t dataSize = frame->dataSize;
        if (!InBounds(pos, frame->headerSize, size)) {
            out.error = ReadError::Truncated(size, "the header of " + what.substr(4), frame->headerSize, pos);
            break;
        }
        ByteReader header = frame->Keys(file);
        ResourceEntry e;
        ReadResKey(header, e.type);
        ReadResKey(header, e.name);
        header.seek(pos + AlignUp4(header.pos() - pos));
        e.dataVersion = header.u32();
        e.memoryFlags = header.u16();
        e.language = header.u16();
        e.version = header.u32();
        e.characteristics = header.u32();
        if (!header.ok()) {
            out.error = ReadError::Invalid(pos, "the header of " + what.substr(4) + " is too short for its fields", size);
            break;
        }
        const uint64_t dataStart = frame->DataStart();
        if (!InBounds(dataStart, dataSize, size)) {
            out.error = ReadError::Truncated(size, "the data of " + what.substr(4), dataSize, dataStart);
            break;
        }
        const uint64_t end = std::min<uint64_t>(frame->Next(), size);
        e.data.assign(file.begin() + dataStart, file.begin() + dataStart + dataSize);
        e.dataAt = dataStart;
        e.stored.assign(file.begin() + pos, file.begin() + end);
        out.table.entries.push_back(std::move(e));
        pos = end;
    }
    return out;
}

ResourceTableRead ReadResourceTable(ByteView file) {
    if (IsRes32(file)) return ReadResResourceTable(file);
    if (const std::optional<ExeHeader> exe = ReadExeHeader(file)) {
        if (exe->signature == kNeSignature) {
            ResourceTableRead out;
            out.error = ReadError{ReadErrorKind::Unsupported, 0,
                                  "16-bit (NE) programs and libraries cannot be changed, only read"};
            return out;
        }
        if (exe->signature == kPeSignature16) return ReadPeResourceTable(file);
    }
    ResourceTableRead out;
    out.error = ReadError{ReadErrorKind::Unsupported, 0,
                          "neither a 32-bit or 64-bit program or library nor a 32-bit resource file"};
    return out;
}

ResourceEntry* FindResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                            uint16_t language) {
    for (ResourceEntry& e : table.entries)
        if (e.language == language && KeyMatches(e.type, type) && KeyMatches(e.name, name)) return &e;
    return nullptr;
}

const ResourceEntry* FindResource(const ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                                  uint16_t language) {
    return FindResource(const_cast<ResourceTable&>(table), type, name, language);
}

void ReplaceResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language,
                     Bytes data) {
    if (ResourceEntry* e = FindResource(table, type, name, language)) {
        e->data = std::move(data);
        e->dataAt = 0;
        e->stored.clear();
        return;
    }
    table.entries.push_back(NewResource(type, name, language, std::move(data)));
}

bool SameResources(const ResourceTable& a, const ResourceTable& b) {
    if (a.entries.size() != b.entries.size()) return false;
    const std::vector<const ResourceEntry*> x = InDirectoryOrder(a), y = InDirectoryOrder(b);
    for (size_t i = 0; i < x.size(); ++i)
        if (!(x[i]->type == y[i]->type) || !(x[i]->name == y[i]->name) || x[i]->language != y[i]->language ||
            x[i]->codePage != y[i]->codePage || x[i]->data != y[i]->data)
            return false;
    return true;
}

ResourceEntry NewResource(const ResourceKey& type, const ResourceKey& name, uint16_t language, Bytes data) {
    ResourceEntry e;
    e.type = type;
    e.name = name;
    e.language = language;
    e.data = std::move(data);
    e.memoryFlags = DefaultMemoryFlags(type);
    return e;
}

bool RemoveResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language) {
    ResourceEntry* e = FindResource(table, type, name, language);
    if (!e) return false;
    table.entries.erase(table.entries.begin() + (e - table.entries.data()));
    return true;
}

} // namespace gw
