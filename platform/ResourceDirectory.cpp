#include "platform/ResourceDirectory.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "platform/PeHeaders.h"

namespace gw {

using namespace pe_layout;

std::optional<uint64_t> StatedEntries(ByteView tree, uint64_t offset) {
    if (!InBounds(offset, kDirectoryHeaderSize, tree.size())) return std::nullopt;
    return uint64_t(PeekU16(tree, offset + 12)) + PeekU16(tree, offset + 14);
}

DirectoryEntry DirectoryEntryAt(ByteView tree, uint64_t offset, uint64_t i) {
    const uint64_t at = offset + kDirectoryHeaderSize + kDirectoryEntrySize * i;
    return {PeekU32(tree, at), PeekU32(tree, at + 4)};
}

std::optional<ByteView> NameUnitsAt(ByteView tree, uint64_t offset) {
    if (!InBounds(offset, 2, tree.size())) return std::nullopt;
    const uint64_t bytes = 2ull * PeekU16(tree, offset);
    if (!InBounds(offset + 2, bytes, tree.size())) return std::nullopt;
    return tree.subspan(size_t(offset) + 2, size_t(bytes));
}

ResourceKey KeyOf(const DirectoryEntry& entry, ByteView nameUnits) {
    if (!entry.Named()) return ResourceKey::Id(entry.Id());
    std::u16string units(nameUnits.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(PeekU16(nameUnits, i * 2));
    return ResourceKey::Named(std::move(units));
}

std::optional<DataEntry> DataEntryAt(ByteView tree, uint64_t offset) {
    if (!InBounds(offset, kDataEntrySize, tree.size())) return std::nullopt;
    return DataEntry{PeekU32(tree, offset), PeekU32(tree, offset + 4), PeekU32(tree, offset + 8)};
}

namespace {

// The bytes of names a directory may make copies of: this many per byte of
// the file, and this many more.
constexpr uint64_t kNameBudgetPerByte = 4;
constexpr uint64_t kNameBudgetBase = 1 << 20;

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

// The whole read: exactly three levels (type, name, language), each
// directory once, every part placed once, stopping at the first fault.
class WholeWalk {
public:
    WholeWalk(ByteView file, const PeHeaders& pe, uint64_t root, ByteView tree, WholeDirectoryRead& out)
        : m_file(file), m_pe(pe), m_root(root), m_tree(tree), m_out(out),
          m_nameBudget(kNameBudgetPerByte * file.size() + kNameBudgetBase) {}

    void Run() {
        std::vector<const ResourceKey*> path;
        Walk(0, 0, path);
    }

private:
    struct Entry {
        ResourceKey key;
        uint32_t target = 0;
        uint64_t at = 0; // relative to the root
    };

    uint64_t FileSize() const { return m_file.size(); }
    uint64_t InFile(uint64_t relative) const { return m_root + relative; }
    bool Failed() const { return m_out.error.has_value(); }

    void Fail(ReadError e) {
        if (!m_out.error) m_out.error = std::move(e);
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

    // The entries of the directory at offset, its parts placed; empty on a fault.
    std::vector<Entry> ReadDirectory(uint64_t offset, int level) {
        static const char* const kLevel[] = {"type", "name", "language"};
        const std::string what = std::string("the ") + kLevel[level] + " directory at " + GroupedNumber(InFile(offset));
        if (!m_visited.insert(offset).second) {
            Invalid(offset, what + " is reached twice");
            return {};
        }
        const std::optional<uint64_t> count = StatedEntries(m_tree, offset);
        if (!count) {
            Fail(ReadError::Truncated(InFile(offset), what, kDirectoryHeaderSize, FileSize()));
            return {};
        }
        const uint64_t length = kDirectoryHeaderSize + kDirectoryEntrySize * *count;
        if (!InBounds(offset, length, m_tree.size())) {
            Fail(ReadError::Truncated(InFile(offset), what, length, FileSize()));
            return {};
        }
        if (!PlaceOrFail(InFile(offset), length, what)) return {};
        std::vector<Entry> entries;
        entries.reserve(size_t(*count));
        for (uint64_t i = 0; i < *count; ++i) {
            const DirectoryEntry d = DirectoryEntryAt(m_tree, offset, i);
            Entry e;
            e.at = offset + kDirectoryHeaderSize + kDirectoryEntrySize * i;
            e.target = d.target;
            if (d.Named()) {
                if (level == 2) {
                    Invalid(e.at, "a language given by name at " + GroupedNumber(InFile(e.at)));
                    return {};
                }
                const std::optional<ByteView> units = ReadName(d.NameOffset());
                if (!units) return {};
                e.key = KeyOf(d, *units);
            } else {
                e.key = ResourceKey::Id(d.Id());
            }
            entries.push_back(std::move(e));
        }
        return entries;
    }

    // A name string, placed the first time it is met (one string may serve
    // several entries) and paid for each time.
    std::optional<ByteView> ReadName(uint64_t offset) {
        const std::string what = "the name string at " + GroupedNumber(InFile(offset));
        if (!InBounds(offset, 2, m_tree.size())) {
            Fail(ReadError::Truncated(InFile(offset), what, 2, FileSize()));
            return std::nullopt;
        }
        const uint64_t length = 2 + 2ull * PeekU16(m_tree, offset);
        const std::optional<ByteView> units = NameUnitsAt(m_tree, offset);
        if (!units) {
            Fail(ReadError::Truncated(InFile(offset), what, length, FileSize()));
            return std::nullopt;
        }
        if (m_names.insert(offset).second && !PlaceOrFail(InFile(offset), length, what)) return std::nullopt;
        if (!SpendOnNames(length, offset)) return std::nullopt;
        return units;
    }

    // path: the keys of the directories above, the entry's own last.
    void Walk(uint64_t offset, int level, std::vector<const ResourceKey*>& path) {
        const std::vector<Entry> entries = ReadDirectory(offset, level);
        for (const Entry& e : entries) {
            if (Failed()) return;
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
            if (Failed()) return;
        }
    }

    void ReadData(uint64_t offset, const std::vector<const ResourceKey*>& keys) {
        const std::string what = "the data entry at " + GroupedNumber(InFile(offset));
        const std::optional<DataEntry> d = DataEntryAt(m_tree, offset);
        if (!d) {
            Fail(ReadError::Truncated(InFile(offset), what, kDataEntrySize, FileSize()));
            return;
        }
        if (!PlaceOrFail(InFile(offset), kDataEntrySize, what)) return;
        if (!SpendOnNames(2 * (keys[0]->name.size() + keys[1]->name.size()), offset)) return;
        ResourceInFile entry;
        entry.type = *keys[0];
        entry.name = *keys[1];
        entry.language = keys[2]->id;
        entry.codePage = d->codePage;
        if (d->size != 0) {
            const std::string data = "the data of resource " + entry.type.Text() + "/" + entry.name.Text() + "/" +
                                     std::to_string(entry.language);
            const std::optional<uint64_t> at = m_pe.FileOffset(d->rva, d->size, FileSize());
            if (!at) {
                Fail(ReadError::Invalid(InFile(offset), data + " lies outside the file's bytes", FileSize()));
                return;
            }
            if (!PlaceOrFail(*at, d->size, data)) return;
            entry.data = m_file.subspan(size_t(*at), d->size);
            entry.dataAt = *at;
        }
        m_out.entries.push_back(std::move(entry));
    }

    ByteView m_file;
    const PeHeaders& m_pe;
    uint64_t m_root;
    ByteView m_tree; // from the root to the end of its section's bytes in the file
    WholeDirectoryRead& m_out;
    PlacedParts m_placed;
    std::set<uint64_t> m_visited; // directories
    std::set<uint64_t> m_names;   // name strings already placed
    uint64_t m_nameBudget;
};

} // namespace

WholeDirectoryRead ReadWholeResourceDirectory(ByteView file) {
    WholeDirectoryRead out;
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
    const ByteView tree = file.subspan(size_t(*root), size_t(end - *root));
    WholeWalk(file, pe, *root, tree, out).Run();
    return out;
}

} // namespace gw
