#include "formats/ResourceWriter.h"

#include "platform/PeLayout.h"

#include <algorithm>
#include <limits>

#include "formats/InstallerSelfCheck.h"
#include "platform/PeHeaders.h"

namespace gw {

namespace {

using namespace pe_layout;

constexpr uint64_t kDataAlignment = 8;
// The loader maps at most this many sections.
constexpr size_t kMaxSections = 96;
// A section of initialized data that is read, never written or run.
constexpr uint32_t kResourceSectionFlags = 0x40000040u;

uint64_t AlignUp(uint64_t v, uint64_t a) { return a ? (v + a - 1) / a * a : v; }
bool PowerOfTwo(uint32_t v) { return v && (v & (v - 1)) == 0; }

void PatchU16(Bytes& b, uint64_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

uint32_t Saturated(int64_t v) {
    return uint32_t(std::clamp<int64_t>(v, 0, std::numeric_limits<uint32_t>::max()));
}

ResourceWrite Refused(ReadError e) {
    ResourceWrite w;
    w.error = std::move(e);
    return w;
}

// A write refused at its end: its bytes dropped, the reason's flags kept.
ResourceWrite RefusedAs(const ResourceWrite& written, ReadError e) {
    ResourceWrite w = Refused(std::move(e));
    w.refusedInstaller = written.refusedInstaller;
    return w;
}

// The directory tree of a table: types, their names, their languages.
struct NameNode {
    const ResourceKey* name;
    std::vector<const ResourceEntry*> languages;
};
struct TypeNode {
    const ResourceKey* type;
    std::vector<NameNode> names;
};

std::vector<TypeNode> Tree(const std::vector<ResourceEntry>& entries) {
    std::vector<const ResourceEntry*> order;
    order.reserve(entries.size());
    for (const ResourceEntry& e : entries) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](const ResourceEntry* a, const ResourceEntry* b) {
        if (KeyBefore(a->type, b->type) || KeyBefore(b->type, a->type)) return KeyBefore(a->type, b->type);
        if (KeyBefore(a->name, b->name) || KeyBefore(b->name, a->name)) return KeyBefore(a->name, b->name);
        return a->language < b->language;
    });
    std::vector<TypeNode> types;
    for (const ResourceEntry* e : order) {
        if (types.empty() || !(*types.back().type == e->type)) types.push_back({&e->type, {}});
        std::vector<NameNode>& names = types.back().names;
        if (names.empty() || !(*names.back().name == e->name)) names.push_back({&e->name, {}});
        names.back().languages.push_back(e);
    }
    return types;
}

template <class Node, class Key>
void WriteDirectoryHeader(Bytes& out, uint64_t at, const std::vector<Node>& nodes, Key key) {
    uint16_t named = 0, ids = 0;
    for (const Node& n : nodes) (key(n).isId ? ids : named)++;
    PatchU16(out, at + 12, named);
    PatchU16(out, at + 14, ids);
}

void AppendKey32(Bytes& out, const ResourceKey& key) {
    if (key.isId) {
        PutU16(out, kRes32IdMarker);
        PutU16(out, key.id);
        return;
    }
    for (char16_t unit : key.name) PutU16(out, uint16_t(unit));
    PutU16(out, 0);
}

void PadTo4(Bytes& out) { out.resize(AlignUp(out.size(), 4), 0); }

// A new 32-bit resource entry: header (padded to 4), data, padding to 4.
void AppendResEntry(Bytes& out, const ResourceEntry& e) {
    const size_t start = out.size();
    PutU32(out, uint32_t(e.data.size()));
    PutU32(out, 0); // the header's size, patched below
    AppendKey32(out, e.type);
    AppendKey32(out, e.name);
    PadTo4(out);
    PutU32(out, e.dataVersion);
    PutU16(out, e.memoryFlags);
    PutU16(out, e.language);
    PutU32(out, e.version);
    PutU32(out, e.characteristics);
    PatchU32(out, start + 4, uint32_t(out.size() - start));
    out.insert(out.end(), e.data.begin(), e.data.end());
    PadTo4(out);
}

// The empty entry every 32-bit resource file starts with.
Bytes LeadingEntry() {
    Bytes b;
    PutU32(b, 0);
    PutU32(b, 32);
    AppendKey32(b, ResourceKey::Id(0));
    AppendKey32(b, ResourceKey::Id(0));
    b.resize(32, 0);
    return b;
}

} // namespace

std::optional<ReadError> BuildPeResourceDirectory(const std::vector<ResourceEntry>& entries, uint32_t rva,
                                                  Bytes& out) {
    const std::vector<TypeNode> types = Tree(entries);
    auto tooLarge = [](const std::string& what) {
        return ReadError{ReadErrorKind::Unsupported, 0, what};
    };
    // Where everything goes: directories, data entries, strings, data.
    uint64_t at = kDirectoryHeaderSize + kDirectoryEntrySize * types.size();
    std::vector<uint64_t> nameDirs, languageDirs;
    for (const TypeNode& t : types) {
        nameDirs.push_back(at);
        at += kDirectoryHeaderSize + kDirectoryEntrySize * t.names.size();
    }
    for (const TypeNode& t : types)
        for (const NameNode& n : t.names) {
            languageDirs.push_back(at);
            at += kDirectoryHeaderSize + kDirectoryEntrySize * n.languages.size();
        }
    const uint64_t dataEntries = at;
    at += kDataEntrySize * entries.size();
    uint64_t total = at;
    auto stringSize = [](const ResourceKey& k) { return k.isId ? 0 : 2 + 2 * uint64_t(k.name.size()); };
    for (const TypeNode& t : types) {
        if (!t.type->isId && t.type->name.size() > 0xFFFF) return tooLarge("a resource type name is too long");
        total += stringSize(*t.type);
        for (const NameNode& n : t.names) {
            if (!n.name->isId && n.name->name.size() > 0xFFFF) return tooLarge("a resource name is too long");
            total += stringSize(*n.name);
        }
    }
    for (const ResourceEntry& e : entries) {
        total = AlignUp(total, kDataAlignment) + e.data.size();
        if (total > uint64_t(std::numeric_limits<uint32_t>::max()) - rva)
            return tooLarge("the resources do not fit in a program (4 GB)");
    }

    out.assign(size_t(at), 0);
    out.reserve(size_t(total));
    auto appendString = [&](const ResourceKey& k) {
        const uint64_t offset = out.size();
        PutU16(out, uint16_t(k.name.size()));
        for (char16_t unit : k.name) PutU16(out, uint16_t(unit));
        return uint32_t(offset);
    };
    auto writeEntry = [&](uint64_t entryAt, const ResourceKey& k, uint32_t target) {
        PatchU32(out, entryAt, k.isId ? k.id : (kHighBit | appendString(k)));
        PatchU32(out, entryAt + 4, target);
    };
    WriteDirectoryHeader(out, 0, types, [](const TypeNode& t) -> const ResourceKey& { return *t.type; });
    size_t nameIndex = 0, dataIndex = 0;
    std::vector<std::pair<uint64_t, const ResourceEntry*>> data;
    for (size_t i = 0; i < types.size(); ++i) {
        const TypeNode& t = types[i];
        writeEntry(kDirectoryHeaderSize + kDirectoryEntrySize * i, *t.type, kHighBit | uint32_t(nameDirs[i]));
        WriteDirectoryHeader(out, nameDirs[i], t.names, [](const NameNode& n) -> const ResourceKey& { return *n.name; });
        for (size_t j = 0; j < t.names.size(); ++j, ++nameIndex) {
            const NameNode& n = t.names[j];
            const uint64_t languageDir = languageDirs[nameIndex];
            writeEntry(nameDirs[i] + kDirectoryHeaderSize + kDirectoryEntrySize * j, *n.name,
                       kHighBit | uint32_t(languageDir));
            PatchU16(out, languageDir + 14, uint16_t(n.languages.size()));
            for (size_t k = 0; k < n.languages.size(); ++k, ++dataIndex) {
                const uint64_t entry = dataEntries + kDataEntrySize * dataIndex;
                PatchU32(out, languageDir + kDirectoryHeaderSize + kDirectoryEntrySize * k, n.languages[k]->language);
                PatchU32(out, languageDir + kDirectoryHeaderSize + kDirectoryEntrySize * k + 4, uint32_t(entry));
                data.emplace_back(entry, n.languages[k]);
            }
        }
    }
    for (const auto& [entry, e] : data) {
        out.resize(size_t(AlignUp(out.size(), kDataAlignment)), 0);
        PatchU32(out, entry, rva + uint32_t(out.size()));
        PatchU32(out, entry + 4, uint32_t(e->data.size()));
        PatchU32(out, entry + 8, e->codePage);
        out.insert(out.end(), e->data.begin(), e->data.end());
    }
    return std::nullopt;
}

namespace {

// What every placement of the resources ends with: the data directories,
// the checksum, and the checks of the file written: it reads back as the
// table, passes the checks this writer makes of its input (so that a file
// it writes can be changed again), and keeps the loader's layout rules when
// the input kept them (anything else, a header this writer does not
// understand, is refused rather than written).
// An installer's header (FindInstallerSelfCheck) is given where it now lies.
std::optional<ReadError> Finish(ResourceWrite& w, const PeHeaders& pe, uint64_t rva, uint64_t size,
                                const ResourceTable& table, bool keepLayout,
                                std::optional<InstallerSelfCheck> installer, bool ignoreInstallerCheck) {
    Bytes& out = w.bytes;
    const bool signatureRemoved = w.signatureRemoved;
    PatchU32(out, pe.DirectoryAt(kPeResourceDirectory), uint32_t(rva));
    PatchU32(out, pe.DirectoryAt(kPeResourceDirectory) + 4, uint32_t(size));
    if (signatureRemoved) {
        PatchU32(out, pe.DirectoryAt(kPeCertificateDirectory), 0);
        PatchU32(out, pe.DirectoryAt(kPeCertificateDirectory) + 4, 0);
    }
    if (installer) {
        w.installerCrcUpdated = UpdateInstallerCrc(out, *installer);
        if (!w.installerCrcUpdated && !ignoreInstallerCheck) {
            w.refusedInstaller = true;
            return ReadError{ReadErrorKind::Unsupported, installer->headerAt,
                             "the program is an installer that checks a CRC of its own file when it starts, and "
                             "its CRC cannot be brought up to date here; changed, it would refuse to install"};
        }
    }
    if (pe.checkSum != 0) PatchU32(out, pe.CheckSumAt(), PeCheckSum(out, pe.CheckSumAt()));
    const ResourceTableRead back = ReadPeResourceTable(out);
    if (back.error || !SameResources(back.table, table))
        return ReadError{ReadErrorKind::Unsupported, 0, "the rewritten file would not read back whole"};
    PeHeaders after;
    if (ReadPeHeaders(out, after) || OverlappingSection(after))
        return ReadError{ReadErrorKind::Unsupported, 0, "the rewritten file's sections would overlap in memory"};
    if (keepLayout)
        if (std::optional<ReadError> broken = CheckLoaderLayout(after, out.size(), PeekU32(out, after.SizeOfImageAt())))
            return ReadError{ReadErrorKind::Unsupported, 0,
                             "the rewritten program would break the loader's layout rules (" + broken->message + ")"};
    return std::nullopt;
}

} // namespace

// Why the 40 bytes after the section table cannot take a new entry, though
// they are zero: the data directories the optional header states run into
// them (a loader reads as many as NumberOfRvaAndSizes says, whatever the
// header's size), a directory's data lies there, or an empty entry before
// them ends the table for readers that stop at one. nullopt when free.
static std::optional<std::string> NewEntryTaken(ByteView file, const PeHeaders& pe, uint64_t at) {
    const uint64_t end = at + kSectionEntrySize;
    const uint64_t stated = std::min<uint64_t>(PeekU32(file, pe.directories - 4), 16);
    if (pe.directories + 8 * stated > at) return "holds the header's data directories";
    for (uint32_t i = 0; i < stated; ++i) {
        if (i == kPeCertificateDirectory) continue; // a file offset, after the sections
        const uint64_t rva = PeekU32(file, pe.directories + 8ull * i), length = PeekU32(file, pe.directories + 8ull * i + 4);
        if (rva != 0 && length != 0 && rva < end && rva + length > at) return "holds the data of data directory " + std::to_string(i);
    }
    for (const PeSection& s : pe.sections)
        if (std::all_of(file.begin() + s.headerAt, file.begin() + s.headerAt + kSectionEntrySize,
                        [](uint8_t b) { return b == 0; }))
            return "follows an empty entry, after which some readers see no sections";
    return std::nullopt;
}

ResourceWrite WritePeResources(ByteView original, const ResourceTable& table, const ResourceWriteOptions& options) {
    const uint64_t size = original.size();
    PeHeaders pe;
    if (std::optional<ReadError> e = ReadPeHeaders(original, pe)) return Refused(*e);
    // The file's own resources must read whole, or what is kept could not
    // be trusted to be what was there.
    if (std::optional<ReadError> e = ReadPeResourceTable(original).error) return Refused(*e);
    if (!PowerOfTwo(pe.fileAlignment) || !PowerOfTwo(pe.sectionAlignment) || pe.sectionAlignment < pe.fileAlignment)
        return Refused(ReadError::Invalid(pe.optional + 32, "the section and file alignments are not usable", size));
    if (pe.directoryCount <= kPeResourceDirectory)
        return Refused({ReadErrorKind::Unsupported, pe.directories, "the header has no place for a resource directory"});
    if (pe.sections.empty())
        return Refused({ReadErrorKind::Unsupported, pe.sectionTable, "the file has no sections"});
    for (size_t i = 0; i < pe.sections.size(); ++i) {
        const PeSection& s = pe.sections[i];
        if (s.rawSize && !InBounds(s.rawPointer, s.rawSize, size))
            return Refused(ReadError::Truncated(s.rawPointer, "section " + std::to_string(i + 1), s.rawSize, size));
    }

    // Sections that share addresses leave no one place where the new
    // resources would be found.
    if (std::optional<uint64_t> at = OverlappingSection(pe))
        return Refused(ReadError::Invalid(*at, "sections overlap in memory", size));
    // A program the system would load must stay one it loads.
    const bool keepLayout = !CheckLoaderLayout(pe, size, PeekU32(original, pe.SizeOfImageAt()));

    ResourceWrite w;
    uint64_t keptEnd = size;
    const uint64_t rawEnd = std::max<uint64_t>(pe.RawDataEnd(), pe.sizeOfHeaders);
    const PeDataDirectory certificate = pe.Directory(original, kPeCertificateDirectory);
    if (certificate.size != 0) {
        if (!options.stripSignature) {
            ResourceWrite refused = Refused({ReadErrorKind::Unsupported, pe.DirectoryAt(kPeCertificateDirectory),
                                             "the file is signed, and a changed file would no longer verify"});
            refused.refusedSigned = true;
            return refused;
        }
        if (uint64_t(certificate.rva) + certificate.size != size || certificate.rva < rawEnd)
            return Refused(ReadError::Invalid(pe.DirectoryAt(kPeCertificateDirectory),
                                              "the certificate table is not at the end of the file", size));
        keptEnd = certificate.rva;
        w.signatureRemoved = true;
    }
    if (rawEnd > keptEnd) return Refused(ReadError::Truncated(0, "the sections' data", rawEnd, size));
    // An installer that checks a CRC of its own file gets its CRC brought up
    // to date once the file is changed (below), or it would refuse to run.
    const std::optional<InstallerSelfCheck> installer =
        keptEnd > rawEnd ? FindInstallerSelfCheck(original.first(keptEnd), rawEnd) : std::nullopt;

    // Where the resources go: the last section, when the directory starts it
    // and it is last in memory and in the file, or a new section after it.
    const PeDataDirectory directory = pe.Directory(original, kPeResourceDirectory);
    const size_t last = pe.sections.size() - 1;
    // The headers take the start of the image, whatever the sections say.
    // A section ends where the loader's mapping of it ends, in a program that
    // keeps the loader's rules; elsewhere past its raw data too, whichever
    // is larger.
    uint64_t memoryEnd = AlignUp(std::max<uint64_t>(pe.sizeOfHeaders, 1), pe.sectionAlignment);
    for (const PeSection& s : pe.sections)
        memoryEnd = std::max(memoryEnd, AlignUp(keepLayout ? s.virtualAddress + s.LoaderSpan() : s.VirtualEnd(),
                                                pe.sectionAlignment));
    const PeSection& lastSection = pe.sections[last];
    uint64_t othersEnd = pe.sizeOfHeaders; // where the headers' and the other sections' bytes end
    for (size_t i = 0; i < last; ++i)
        if (pe.sections[i].rawSize) othersEnd = std::max(othersEnd, pe.sections[i].RawEnd());
    // A section the directory starts and fills (its stated size covers the
    // section's contents) holds nothing but resources and may be rewritten.
    // (or covers all but zero bytes: the rest of a section whose resources
    // this writer replaced in place before).
    auto heldWhole = [&](const PeSection& s) {
        if (directory.rva == 0 || s.virtualAddress != directory.rva || s.rawSize == 0) return false;
        if (s.virtualSize == 0 || directory.size >= s.virtualSize) return true;
        const uint64_t tail = std::min<uint64_t>(s.virtualSize, s.rawSize);
        return std::all_of(original.begin() + s.rawPointer + std::min<uint64_t>(directory.size, tail),
                           original.begin() + s.rawPointer + tail, [](uint8_t b) { return b == 0; });
    };
    const bool inPlace = heldWhole(lastSection) && lastSection.RawEnd() == rawEnd && lastSection.rawPointer >= othersEnd &&
                         AlignUp(lastSection.VirtualEnd(), pe.sectionAlignment) == memoryEnd;

    // Resources in a section of their own before the last one: when the new
    // ones fit in its bytes they take its start, the rest of it is zeroed and
    // nothing else moves; its place in memory stays as it is (its virtual
    // size is never shrunk), so the sections still follow each other.
    const std::optional<size_t> own = directory.rva ? pe.SectionOf(directory.rva) : std::nullopt;
    if (!inPlace && own && heldWhole(pe.sections[*own])) {
        const PeSection& s = pe.sections[*own];
        bool alone = s.rawPointer >= std::max<uint64_t>(pe.sizeOfHeaders, pe.sectionTable + kSectionEntrySize * pe.sections.size());
        for (size_t i = 0; i < pe.sections.size() && alone; ++i)
            if (i != *own && pe.sections[i].rawSize)
                alone = pe.sections[i].RawEnd() <= s.rawPointer || pe.sections[i].rawPointer >= s.RawEnd();
        // The directory may grow into the section's raw bytes as far as its
        // place in memory reaches (its virtual size then grows with it).
        const uint64_t span = AlignUp(s.LoaderSpan(), pe.sectionAlignment);
        Bytes rsrc;
        if (alone && !BuildPeResourceDirectory(table.entries, s.virtualAddress, rsrc) && rsrc.size() <= s.rawSize &&
            rsrc.size() <= span) {
            Bytes& out = w.bytes;
            out.assign(original.begin(), original.begin() + keptEnd);
            std::copy(rsrc.begin(), rsrc.end(), out.begin() + s.rawPointer);
            std::fill(out.begin() + s.rawPointer + rsrc.size(), out.begin() + s.RawEnd(), 0);
            if (s.virtualSize && rsrc.size() > s.virtualSize) PatchU32(out, s.headerAt + 8, uint32_t(rsrc.size()));
            w.overlayKept = keptEnd - rawEnd;
            if (std::optional<ReadError> e = Finish(w, pe, s.virtualAddress, rsrc.size(), table, keepLayout,
                                                   installer, options.ignoreInstallerCheck))
                return RefusedAs(w, *e);
            return w;
        }
    }
    uint64_t rva, rawPointer, oldRawSize = 0, sectionAt;
    if (inPlace) {
        rva = lastSection.virtualAddress;
        rawPointer = lastSection.rawPointer;
        oldRawSize = lastSection.rawSize;
        sectionAt = lastSection.headerAt;
    } else {
        sectionAt = pe.sectionTable + kSectionEntrySize * pe.sections.size();
        uint64_t firstRaw = size;
        for (const PeSection& s : pe.sections)
            if (s.rawSize) firstRaw = std::min<uint64_t>(firstRaw, s.rawPointer);
        const uint64_t headersEnd = sectionAt + kSectionEntrySize;
        const bool room = pe.sections.size() < kMaxSections && headersEnd <= firstRaw &&
                          (headersEnd <= pe.sizeOfHeaders || AlignUp(headersEnd, pe.fileAlignment) <= firstRaw) &&
                          std::all_of(original.begin() + sectionAt, original.begin() + sectionAt + kSectionEntrySize,
                                      [](uint8_t b) { return b == 0; });
        if (!room)
            return Refused({ReadErrorKind::Unsupported, sectionAt,
                            "the resources are not in the last section, and the headers have no room for a new one"});
        if (std::optional<std::string> taken = NewEntryTaken(original, pe, sectionAt))
            return Refused({ReadErrorKind::Unsupported, sectionAt,
                            "the resources are not in the last section, and the place for a new section entry " +
                                *taken});
        rva = memoryEnd;
        rawPointer = AlignUp(rawEnd, pe.fileAlignment);
        w.sectionAdded = true;
    }
    if (rva > std::numeric_limits<uint32_t>::max()) return Refused({ReadErrorKind::Unsupported, 0, "the image is too large"});
    // Every header this writer patches must lie in the bytes kept where they are.
    const uint64_t headersEnd = pe.sectionTable + kSectionEntrySize * (pe.sections.size() + (inPlace ? 0 : 1));
    if (headersEnd > (inPlace ? rawPointer : rawEnd))
        return Refused(ReadError::Invalid(pe.sectionTable, "the headers lie among the sections' data", size));

    Bytes rsrc;
    if (std::optional<ReadError> e = BuildPeResourceDirectory(table.entries, uint32_t(rva), rsrc)) return Refused(*e);
    const uint64_t rawSize = AlignUp(rsrc.size(), pe.fileAlignment);
    const uint64_t imageSize = AlignUp(rva + rsrc.size(), pe.sectionAlignment);
    if (rawPointer + rawSize > std::numeric_limits<uint32_t>::max() || imageSize > std::numeric_limits<uint32_t>::max())
        return Refused({ReadErrorKind::Unsupported, 0, "the resources do not fit in a program (4 GB)"});

    Bytes& out = w.bytes;
    out.reserve(size_t(rawPointer + rawSize + (keptEnd - rawEnd)));
    out.assign(original.begin(), original.begin() + (inPlace ? rawPointer : rawEnd));
    out.resize(size_t(rawPointer), 0);
    out.insert(out.end(), rsrc.begin(), rsrc.end());
    out.resize(size_t(rawPointer + rawSize), 0);
    out.insert(out.end(), original.begin() + rawEnd, original.begin() + keptEnd);
    w.overlayKept = keptEnd - rawEnd;

    // The headers.
    if (!inPlace) {
        static const char kName[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
        std::copy(std::begin(kName), std::end(kName), out.begin() + sectionAt);
        PatchU32(out, sectionAt + 12, uint32_t(rva));
        PatchU32(out, sectionAt + 20, uint32_t(rawPointer));
        PatchU32(out, sectionAt + 36, kResourceSectionFlags);
        PatchU16(out, pe.SectionCountAt(), uint16_t(pe.sections.size() + 1));
        const uint64_t headersEnd = sectionAt + kSectionEntrySize;
        if (headersEnd > pe.sizeOfHeaders) PatchU32(out, pe.SizeOfHeadersAt(), uint32_t(AlignUp(headersEnd, pe.fileAlignment)));
    }
    PatchU32(out, sectionAt + 8, uint32_t(rsrc.size()));
    PatchU32(out, sectionAt + 16, uint32_t(rawSize));
    PatchU32(out, pe.SizeOfImageAt(), uint32_t(std::max(imageSize, inPlace ? 0 : memoryEnd)));
    const int64_t initialized = int64_t(PeekU32(original, pe.SizeOfInitializedDataAt())) + int64_t(rawSize) -
                                int64_t(oldRawSize);
    PatchU32(out, pe.SizeOfInitializedDataAt(), Saturated(initialized));
    // A COFF symbol table among the bytes carried over (left there by some
    // linkers, its string table naming the long section names) moved with them.
    const uint64_t symbols = PeekU32(original, pe.fileHeader + 8);
    if (symbols >= rawEnd && symbols < keptEnd) {
        const uint64_t moved = symbols - rawEnd + rawPointer + rawSize;
        if (moved > std::numeric_limits<uint32_t>::max())
            return Refused({ReadErrorKind::Unsupported, 0, "the symbol table would move beyond 4 GB"});
        PatchU32(out, pe.fileHeader + 8, uint32_t(moved));
    }
    std::optional<InstallerSelfCheck> moved = installer;
    if (moved) moved->headerAt = moved->headerAt - rawEnd + rawPointer + rawSize;
    if (std::optional<ReadError> e =
            Finish(w, pe, rva, rsrc.size(), table, keepLayout, moved, options.ignoreInstallerCheck))
        return RefusedAs(w, *e);
    return w;
}

Bytes WriteResResources(const ResourceTable& table) {
    Bytes out = table.leading.empty() ? LeadingEntry() : table.leading;
    for (const ResourceEntry& e : table.entries) {
        PadTo4(out);
        if (!e.stored.empty())
            out.insert(out.end(), e.stored.begin(), e.stored.end());
        else
            AppendResEntry(out, e);
    }
    out.insert(out.end(), table.trailing.begin(), table.trailing.end());
    return out;
}

ResourceWrite WriteResourceTable(ByteView original, const ResourceTable& table, const ResourceWriteOptions& options) {
    if (table.container == ResourceContainer::Pe) return WritePeResources(original, table, options);
    ResourceWrite w;
    w.bytes = WriteResResources(table);
    return w;
}

ResourceWrite ReplaceResourceInFile(ByteView file, const ResourceKey& type, const ResourceKey& name, uint16_t language,
                                    Bytes data, const ResourceWriteOptions& options) {
    ResourceTableRead read = ReadResourceTable(file);
    if (read.error) return Refused(*read.error);
    ReplaceResource(read.table, type, name, language, std::move(data));
    return WriteResourceTable(file, read.table, options);
}

} // namespace gw
