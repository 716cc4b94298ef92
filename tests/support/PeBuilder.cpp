#include "tests/support/PeBuilder.h"

#include <algorithm>

#include "tests/support/Builders.h"

namespace gw::test {

namespace {

constexpr uint32_t kPeHeaderOffset = 0x80;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kTextRva = 0x1000;
constexpr uint32_t kTextOffset = 0x200;
constexpr uint32_t kRsrcOffset = 0x400;

uint32_t AlignUp(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

void PatchU16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// Named entries first, ordered by their UTF-16 text, then ids ascending.
bool ComesBefore(const ResourceKey& a, const ResourceKey& b) { return KeyBefore(a, b); }
bool SameName(const ResourceKey& a, const ResourceKey& b) { return a == b; }

struct LanguageNode {
    uint16_t language;
    const Bytes* data;
};
struct NameNode {
    ResourceKey name;
    std::vector<LanguageNode> languages;
};
struct TypeNode {
    ResourceKey type;
    std::vector<NameNode> names;
};

std::vector<TypeNode> BuildTree(const std::vector<PeResource>& resources) {
    std::vector<TypeNode> types;
    for (const PeResource& r : resources) {
        auto t = std::find_if(types.begin(), types.end(), [&](const TypeNode& n) { return SameName(n.type, r.type); });
        if (t == types.end()) t = types.insert(types.end(), TypeNode{r.type, {}});
        auto n = std::find_if(t->names.begin(), t->names.end(), [&](const NameNode& x) { return SameName(x.name, r.name); });
        if (n == t->names.end()) n = t->names.insert(t->names.end(), NameNode{r.name, {}});
        n->languages.push_back({r.language, &r.data});
    }
    std::stable_sort(types.begin(), types.end(), [](auto& a, auto& b) { return ComesBefore(a.type, b.type); });
    for (TypeNode& t : types) {
        std::stable_sort(t.names.begin(), t.names.end(), [](auto& a, auto& b) { return ComesBefore(a.name, b.name); });
        for (NameNode& n : t.names)
            std::stable_sort(n.languages.begin(), n.languages.end(),
                             [](auto& a, auto& b) { return a.language < b.language; });
    }
    return types;
}

// Lays out the resource section: every directory first (root, the name
// directories of each type, the language directories of each name), then the
// data entries, the name strings and the data, each block 8-aligned.
class RsrcWriter {
public:
    RsrcWriter(const std::vector<TypeNode>& types, uint32_t rva) : m_types(types), m_rva(rva) {}

    Bytes Write() {
        uint32_t at = DirSize(m_types.size());
        std::vector<uint32_t> nameDirs, langDirs, dataEntries;
        for (const TypeNode& t : m_types) {
            nameDirs.push_back(at);
            at += DirSize(t.names.size());
        }
        for (const TypeNode& t : m_types)
            for (const NameNode& n : t.names) {
                langDirs.push_back(at);
                at += DirSize(n.languages.size());
            }
        for (const TypeNode& t : m_types)
            for (const NameNode& n : t.names)
                for (size_t k = 0; k < n.languages.size(); ++k) {
                    dataEntries.push_back(at);
                    at += 16;
                }
        m_out.assign(at, 0);

        size_t nameIndex = 0, dataIndex = 0;
        WriteDirHeader(0, m_types);
        for (size_t i = 0; i < m_types.size(); ++i) {
            WriteEntry(16 + 8 * i, m_types[i].type, 0x80000000u | nameDirs[i]);
            WriteDirHeader(nameDirs[i], m_types[i].names);
            for (size_t j = 0; j < m_types[i].names.size(); ++j, ++nameIndex) {
                const NameNode& n = m_types[i].names[j];
                WriteEntry(nameDirs[i] + 16 + 8 * j, n.name, 0x80000000u | langDirs[nameIndex]);
                WriteLanguageDir(langDirs[nameIndex], n, dataEntries, dataIndex);
            }
        }
        WriteData();
        return std::move(m_out);
    }

private:
    static uint32_t DirSize(size_t entries) { return uint32_t(16 + 8 * entries); }

    template <class Node>
    void WriteDirHeader(uint32_t at, const std::vector<Node>& nodes) {
        uint16_t named = 0, ids = 0;
        for (const Node& n : nodes) (Key(n).isId ? ids : named)++;
        PatchU16(m_out, at + 12, named);
        PatchU16(m_out, at + 14, ids);
    }
    static const ResourceKey& Key(const TypeNode& n) { return n.type; }
    static const ResourceKey& Key(const NameNode& n) { return n.name; }

    void WriteEntry(uint32_t at, const ResourceKey& name, uint32_t target) {
        PatchU32(m_out, at, name.isId ? name.id : (0x80000000u | AppendString(name.name)));
        PatchU32(m_out, at + 4, target);
    }

    void WriteLanguageDir(uint32_t at, const NameNode& n, const std::vector<uint32_t>& dataEntries, size_t& dataIndex) {
        PatchU16(m_out, at + 14, uint16_t(n.languages.size()));
        for (size_t k = 0; k < n.languages.size(); ++k, ++dataIndex) {
            const uint32_t entry = dataEntries[dataIndex];
            PatchU32(m_out, at + 16 + 8 * k, n.languages[k].language);
            PatchU32(m_out, at + 16 + 8 * k + 4, entry);
            m_pendingData.push_back({entry, n.languages[k].data});
        }
    }

    // The data go after every name string, as compilers place them.
    void WriteData() {
        for (const auto& [entry, data] : m_pendingData) {
            const uint32_t at = AppendData(*data);
            PatchU32(m_out, entry, m_rva + at);
            PatchU32(m_out, entry + 4, uint32_t(data->size()));
        }
    }

    uint32_t AppendString(const std::u16string& units) {
        const uint32_t at = uint32_t(m_out.size());
        PutU16(m_out, uint16_t(units.size()));
        for (uint16_t u : units) PutU16(m_out, u);
        return at;
    }

    uint32_t AppendData(const Bytes& data) {
        m_out.resize(AlignUp(uint32_t(m_out.size()), 8), 0);
        const uint32_t at = uint32_t(m_out.size());
        m_out.insert(m_out.end(), data.begin(), data.end());
        return at;
    }

    const std::vector<TypeNode>& m_types;
    uint32_t m_rva;
    Bytes m_out;
    std::vector<std::pair<uint32_t, const Bytes*>> m_pendingData;
};

} // namespace

PeImage BuildPe(const PeLayout& layout) {
    const std::vector<TypeNode> types = BuildTree(layout.resources);
    const Bytes rsrc = RsrcWriter(types, layout.rsrcRva).Write();

    PeImage pe;
    pe.rsrcRva = layout.rsrcRva;
    pe.rsrcOffset = kRsrcOffset;
    Bytes& b = pe.bytes;
    b.assign(kRsrcOffset, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PatchU32(b, 0x3C, kPeHeaderOffset);
    PatchU32(b, kPeHeaderOffset, 0x00004550);

    const uint32_t fileHeader = kPeHeaderOffset + 4;
    const uint32_t directoriesAt = layout.pe32Plus ? 112 : 96;
    const uint32_t optionalSize = directoriesAt + 8 * layout.numberOfRvaAndSizes;
    PatchU16(b, fileHeader, layout.pe32Plus ? 0x8664 : 0x014C);
    PatchU16(b, fileHeader + 2, 2);
    PatchU16(b, fileHeader + 16, uint16_t(optionalSize));
    PatchU16(b, fileHeader + 18, 0x2102); // executable, DLL

    const uint32_t rsrcRawSize = AlignUp(uint32_t(rsrc.size()), kFileAlignment);
    const uint32_t optional = fileHeader + 20;
    PatchU16(b, optional, layout.pe32Plus ? 0x20B : 0x10B);
    PatchU32(b, optional + 32, kSectionAlignment);
    PatchU32(b, optional + 36, kFileAlignment);
    PatchU32(b, optional + 56, AlignUp(layout.rsrcRva + uint32_t(rsrc.size()), kSectionAlignment));
    PatchU32(b, optional + 60, kTextOffset); // size of headers
    PatchU32(b, optional + directoriesAt - 4, layout.numberOfRvaAndSizes);
    pe.dataDirectory = optional + directoriesAt + 16;
    if (layout.resourceDirectory && layout.numberOfRvaAndSizes > 2) {
        PatchU32(b, pe.dataDirectory, layout.rsrcRva);
        PatchU32(b, pe.dataDirectory + 4, uint32_t(rsrc.size()));
    }

    pe.sectionTable = optional + optionalSize;
    auto writeSection = [&](uint32_t at, const char* name, uint32_t virtualSize, uint32_t rva, uint32_t rawSize,
                            uint32_t rawPointer) {
        for (size_t i = 0; name[i] && i < 8; ++i) b[at + i] = uint8_t(name[i]);
        PatchU32(b, at + 8, virtualSize);
        PatchU32(b, at + 12, rva);
        PatchU32(b, at + 16, rawSize);
        PatchU32(b, at + 20, rawPointer);
    };
    writeSection(pe.sectionTable, ".text", 0x10, kTextRva, kFileAlignment, kTextOffset);
    writeSection(pe.sectionTable + 40, ".rsrc", uint32_t(rsrc.size()), layout.rsrcRva, rsrcRawSize, kRsrcOffset);
    b[kTextOffset] = 0xC3; // ret

    b.insert(b.end(), rsrc.begin(), rsrc.end());
    b.resize(kRsrcOffset + rsrcRawSize, 0);
    return pe;
}

} // namespace gw::test
