#include "formats/NeResources.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "formats/BmpManage.h"
#include "formats/IconFormat.h"
#include "platform/FileIo.h"
#include "platform/IconImage.h"
#include "platform/LoadBudget.h"

namespace gw {
namespace {

// Numeric resource types of the NE resource table (high bit set).
constexpr uint16_t kNeCursor = 0x8001;
constexpr uint16_t kNeBitmap = 0x8002;
constexpr uint16_t kNeIcon = 0x8003;
constexpr uint16_t kNeCursorGroup = 0x800C;
constexpr uint16_t kNeIconGroup = 0x800E;

constexpr uint16_t kMzSignature = 0x5A4D;
constexpr uint16_t kNeSignature = 0x454E;
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kNeHeaderSize = 64;
constexpr uint64_t kRelocationOffsetAt = 0x18;
constexpr uint16_t kMinRelocationOffset = 0x40;
constexpr uint64_t kNewHeaderOffsetAt = 0x3C;
constexpr uint64_t kResourceTableAt = 0x24;
constexpr uint64_t kResidentNamesAt = 0x26;

constexpr uint64_t kResourceEntrySize = 12;
constexpr uint64_t kResourceIdAt = 6;
constexpr uint16_t kNumericId = 0x8000; // set: the id is a number in the low 15 bits
constexpr uint16_t kIdNumber = 0x7FFF;
constexpr uint64_t kIconDirEntrySize = 16; // the entry an .ico file gives each image
constexpr uint64_t kGroupHeaderSize = 6;
constexpr uint64_t kGroupEntrySize = 14;
constexpr uint64_t kBitmapInfoSize = 40;
constexpr uint64_t kHotspotSize = 4;
// The size fields of a cursor image are read as one 18-byte block that
// starts behind the hot spot and the bitmap header's size field.
constexpr uint64_t kCursorSizeFieldsAt = 8;
constexpr uint64_t kCursorSizeFieldsLength = 18;

// Resource offsets are 16-bit counts of 2^shift bytes. A shift of 24 already
// puts the second possible offset 16 MiB into the file; larger shifts occur
// in no real file and are refused, which also keeps offset << shift far
// inside 64 bits.
constexpr uint16_t kMaxAlignShift = 24;
// Icon-library names are kept to this many characters.
constexpr size_t kMaxLibraryNameLength = 251;

struct NeHeader {
    uint64_t neOffset = 0;
    uint16_t resourceTable = 0; // relative to neOffset
    uint16_t residentNames = 0; // relative to neOffset
};

// The DOS and NE header checks every reader starts with.
std::optional<NeHeader> ReadNeHeader(ByteView file) {
    if (file.size() < kDosHeaderSize || PeekU16(file, 0) != kMzSignature) return std::nullopt;
    const uint16_t relocations = PeekU16(file, kRelocationOffsetAt);
    if (relocations < kMinRelocationOffset && relocations != 0) return std::nullopt;
    NeHeader h;
    h.neOffset = PeekU32(file, kNewHeaderOffsetAt);
    if (!InBounds(h.neOffset, kNeHeaderSize, file.size())) return std::nullopt;
    if (PeekU16(file, h.neOffset) != kNeSignature) return std::nullopt;
    h.resourceTable = PeekU16(file, h.neOffset + kResourceTableAt);
    h.residentNames = PeekU16(file, h.neOffset + kResidentNamesAt);
    if (h.resourceTable == h.residentNames) return std::nullopt; // no resources
    return h;
}

struct TypeTable {
    uint16_t typeId = 0;
    uint64_t entries = 0; // file offset of the first resource entry
    uint16_t count = 0;
    bool found = false;
};

struct ResourceTables {
    NeHeader header;
    uint16_t alignShift = 0;
    TypeTable first;
    TypeTable second; // typeId 0 when only one table is wanted
};

// Walks the type blocks until the wanted tables are found (one, or two for
// the group readers). The walk ends at type id 0, at a non-zero reserved
// field, or where the bytes end; every block moves it forward by at least
// its 8-byte header, so it cannot loop.
std::optional<ResourceTables> FindTables(ByteView file, uint16_t firstType, uint16_t secondType = 0) {
    const std::optional<NeHeader> header = ReadNeHeader(file);
    if (!header) return std::nullopt;
    ResourceTables t;
    t.header = *header;
    t.first.typeId = firstType;
    t.second.typeId = secondType;
    t.second.found = secondType == 0;

    ByteReader r(file, header->neOffset + header->resourceTable);
    t.alignShift = r.u16();
    while (r.ok()) {
        const uint16_t typeId = r.u16();
        const uint16_t count = r.u16();
        const uint32_t reserved = r.u32();
        if (!r.ok() || typeId == 0 || reserved != 0) break;
        for (TypeTable* table : {&t.first, &t.second}) {
            if (table->typeId != typeId) continue;
            table->entries = r.pos();
            table->count = count;
            table->found = true;
        }
        if (t.first.found && t.second.found) return t;
        r.skip(uint64_t(count) * kResourceEntrySize);
    }
    return std::nullopt;
}

struct ResourceEntry {
    uint16_t offset = 0; // in alignment units
    uint16_t length = 0;
    uint16_t flags = 0;
    uint16_t id = 0;
};

std::optional<ResourceEntry> ReadEntry(ByteView file, const TypeTable& table, uint64_t index) {
    if (index >= table.count) return std::nullopt;
    ByteReader r(file, table.entries + index * kResourceEntrySize);
    ResourceEntry e;
    e.offset = r.u16();
    e.length = r.u16();
    e.flags = r.u16();
    e.id = r.u16();
    r.skip(4); // handle and usage
    if (!r.ok()) return std::nullopt;
    return e;
}

std::optional<uint64_t> DataOffset(const ResourceTables& t, const ResourceEntry& e) {
    if (t.alignShift > kMaxAlignShift) return std::nullopt;
    return uint64_t(e.offset) << t.alignShift;
}

// Finds an image resource by id with the result of a scan of the image table
// from its first entry: the first entry whose id (high bit cleared) matches;
// with no match the last entry; and nothing where the scan would run past
// the end of the file first. Built once per load, so each image of each group
// costs a lookup instead of a scan.
class ImageTableIndex {
public:
    ImageTableIndex(ByteView file, const TypeTable& table) : m_file(file), m_table(table) {
        const uint64_t fit =
            table.entries <= file.size() ? (file.size() - table.entries) / kResourceEntrySize : 0;
        m_readable = std::min<uint64_t>(table.count, fit);
        m_byId.reserve(size_t(m_readable));
        for (uint64_t i = 0; i < m_readable; ++i) {
            const uint16_t id = PeekU16(file, table.entries + i * kResourceEntrySize + kResourceIdAt);
            m_byId.emplace_back(uint16_t(id & kIdNumber), uint16_t(i));
        }
        std::sort(m_byId.begin(), m_byId.end()); // by id, then by position: first match first
    }

    std::optional<ResourceEntry> Find(uint16_t id) const {
        auto it = std::lower_bound(m_byId.begin(), m_byId.end(), std::pair<uint16_t, uint16_t>(id, 0));
        if (it != m_byId.end() && it->first == id) return ReadEntry(m_file, m_table, it->second);
        if (m_table.count == 0 || m_readable < m_table.count) return std::nullopt;
        return ReadEntry(m_file, m_table, m_table.count - 1u);
    }

private:
    ByteView m_file;
    TypeTable m_table;
    uint64_t m_readable = 0;
    std::vector<std::pair<uint16_t, uint16_t>> m_byId;
};

// What one load shares between its groups: the mapped bytes, the tables
// found by one walk (every group would find the same), the image lookup, the
// prefix of file-derived names and the budget its copies and decodes draw
// from.
struct NeLoad {
    NeLoad(ByteView bytes, const std::string& selFileName, uint16_t groupType, uint16_t imageType = 0)
        : file(bytes), tables(FindTables(bytes, groupType, imageType)), budget(bytes.size()) {
        if (tables && imageType != 0) images.emplace(bytes, tables->second);
        // The text before the first "."; a name without one gives nothing, so
        // its resources are named " 000", " 001", ...
        const size_t dot = selFileName.find('.');
        if (dot != std::string::npos) namePrefix = selFileName.substr(0, dot);
    }

    ByteView file;
    std::optional<ResourceTables> tables;
    std::optional<ImageTableIndex> images;
    std::string namePrefix;
    LoadBudget budget;
};

// Numeric ids give their decimal text; named resources get a name made from
// the file name and the index, since the name strings are not read.
void NameResource(const NeLoad& load, const ResourceEntry& e, uint64_t index, std::string& name,
                  uint8_t& isNamed) {
    if (e.id & kNumericId) {
        name = std::to_string(e.id & kIdNumber);
        isNamed = 0;
        return;
    }
    std::string digits = std::to_string(index);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    name = load.namePrefix + " " + digits;
    isNamed = 1;
}

// Positions a reader on a group resource and reads its image count. The
// images are added one by one as they are read, so a count the file cannot
// hold never becomes an allocation.
template <typename Group>
std::optional<uint16_t> StartGroup(NeLoad& load, uint64_t index, Group& group, ByteReader& r) {
    if (!load.tables || !load.images) return std::nullopt;
    const std::optional<ResourceEntry> entry = ReadEntry(load.file, load.tables->first, index);
    if (!entry) return std::nullopt;
    NameResource(load, *entry, index, group.Name, group.IsNamed);
    const std::optional<uint64_t> start = DataOffset(*load.tables, *entry);
    if (!start) return std::nullopt;
    r = ByteReader(load.file, *start);
    r.skip(4); // reserved and type are not tested
    const uint16_t count = r.u16();
    if (!r.ok()) return std::nullopt;
    group.Images.clear();
    group.ImageCount = 0;
    group.Images.reserve(size_t(std::min<uint64_t>(count, r.remaining() / kGroupEntrySize)));
    return count;
}

// The image bytes at an image resource's offset, or nothing when they are
// not all in the file or the load has copied enough already.
std::optional<ByteView> ImageBytes(NeLoad& load, const ResourceEntry& image, uint64_t size) {
    const std::optional<uint64_t> start = DataOffset(*load.tables, image);
    if (!start || !InBounds(*start, size, load.file.size()) || !SpendLoadBudget(size)) return std::nullopt;
    return load.file.subspan(size_t(*start), size_t(size));
}

bool ReadIconGroup(NeLoad& load, uint64_t index, TAdvIconGroupList& group) {
    ByteReader r;
    const std::optional<uint16_t> count = StartGroup(load, index, group, r);
    if (!count) return false;
    // Each image's offset in the .ico file that holds the whole group.
    uint64_t imageOffset = kGroupHeaderSize + kIconDirEntrySize * *count;
    for (uint16_t j = 0; j < *count; ++j) {
        TAdvIconImage im;
        ReadIconEntryHead(im, r);
        im.ResId = r.u16();
        if (!r.ok()) return false;
        im.ImageOffset = uint32_t(imageOffset);
        const std::optional<ResourceEntry> image = load.images->Find(im.ResId);
        if (!image) return false;
        const std::optional<ByteView> bytes = ImageBytes(load, *image, im.BytesInRes);
        if (!bytes) return false;
        im.Data.assign(bytes->begin(), bytes->end());
        imageOffset += im.BytesInRes;
        im.Handle = CreateIconFromResourceEx(*bytes, true, kIconVersion, im.Width, im.Height, 0);
        group.Images.push_back(std::move(im));
        group.ImageCount = uint16_t(group.Images.size());
    }
    return true;
}

bool ReadCursorGroup(NeLoad& load, uint64_t index, TAdvCursorGroupList& group) {
    ByteReader r;
    const std::optional<uint16_t> count = StartGroup(load, index, group, r);
    if (!count) return false;
    for (uint16_t j = 0; j < *count; ++j) {
        r.skip(8); // width, height, planes and bit count come from the image itself
        TAdvCursorImage im;
        im.BytesInRes = r.u32();
        im.ResId = r.u16();
        if (!r.ok()) return false;
        const std::optional<ResourceEntry> image = load.images->Find(im.ResId);
        if (!image) return false;
        const std::optional<uint64_t> start = DataOffset(*load.tables, *image);
        if (!start || !InBounds(*start + kCursorSizeFieldsAt, kCursorSizeFieldsLength, load.file.size()))
            return false;
        im.HotspotX = PeekU16(load.file, *start);
        im.HotspotY = PeekU16(load.file, *start + 2);
        ApplyCursorImageSize(im, load.file.subspan(size_t(*start + kHotspotSize)));
        // The whole resource, hot-spot prefix included.
        const std::optional<ByteView> bytes = ImageBytes(load, *image, im.BytesInRes);
        if (!bytes) return false;
        im.Data.assign(bytes->begin(), bytes->end());
        im.Handle = CreateIconFromResourceEx(*bytes, false, kIconVersion, im.Width, im.Height / 2, 0);
        group.Images.push_back(std::move(im));
        group.ImageCount = uint16_t(group.Images.size());
    }
    return true;
}

bool ReadBitmap(NeLoad& load, CommonData& cd, uint64_t index, TAdvBmp& bmp) {
    if (!load.tables) return false;
    const std::optional<ResourceEntry> entry = ReadEntry(load.file, load.tables->first, index);
    if (!entry) return false;
    NameResource(load, *entry, index, bmp.Name, bmp.IsNamed);
    const std::optional<uint64_t> start = DataOffset(*load.tables, *entry);
    if (!start || !InBounds(*start, kBitmapInfoSize, load.file.size())) return false;
    const uint64_t wanted = NeBitmapByteCount(load.file.subspan(size_t(*start), kBitmapInfoSize));
    // The byte count includes 40 bytes beyond the bitmap, which a bitmap at
    // the end of the file does not have; a damaged one may lack more. Take
    // what there is and let the decoder judge it.
    const uint64_t take = std::min(wanted, load.file.size() - *start);
    bmp.Bitmap = std::make_shared<Bitmap>();
    if (!SpendLoadBudget(take)) return false;
    Bitmap decoded = DecodeBitmapResource(load.file.subspan(size_t(*start), size_t(take)));
    if (!decoded.HasHandle()) {
        *bmp.Bitmap = GwFakeBitmap();
        bmp.PixelFormat = PixelFormat::pf4bit; // the code the placeholder is reported with
        bmp.Width = 16;
        bmp.Height = 16;
    } else {
        bmp.PixelFormat = decoded.pixelFormat;
        bmp.Width = decoded.width;
        bmp.Height = decoded.height;
        *bmp.Bitmap = std::move(decoded);
    }
    RaiseMaxBmpSize(cd, bmp.Width, bmp.Height);
    return true;
}

// Icon libraries keep their group names in the resident-name table: the
// module name (with its ordinal), then one name and ordinal per group.
void RenameLibraryGroups(CommonData& cd, const NeLoad& load) {
    if (!load.tables) return;
    const NeHeader& h = load.tables->header;
    ByteReader r(load.file, h.neOffset + h.residentNames);
    const uint8_t moduleLength = r.u8();
    if (!r.ok() || moduleLength == 0 || !r.skip(uint64_t(moduleLength) + 2)) return;
    const size_t groups = std::min<size_t>(size_t(std::max(cd.IconGroupCount, 0)), cd.IconGroups.size());
    for (size_t g = 0; g < groups; ++g) {
        const uint8_t length = r.u8();
        if (!r.ok() || length == 0) return;
        const ByteView name = r.view(length);
        r.u16(); // ordinal
        if (!r.ok()) return;
        const size_t keep = std::min<size_t>(length, kMaxLibraryNameLength);
        cd.IconGroups[g].Name.assign(reinterpret_cast<const char*>(name.data()), keep);
    }
}

// Runs a reader for indices 0 .. count - 1 of a caller-sized list; indices
// beyond the list fail without touching anything. Returns how many failed.
template <typename List, typename ReadOne>
uint64_t ReadAll(int32_t count, List& list, ReadOne readOne) {
    const uint64_t wanted = count > 0 ? uint64_t(count) : 0;
    const uint64_t present = std::min<uint64_t>(wanted, list.size());
    uint64_t failed = wanted - present;
    for (uint64_t g = 0; g < present; ++g)
        if (!readOne(g, list[size_t(g)])) ++failed;
    return failed;
}

uint8_t Status(CommonData& cd, uint64_t failed, int32_t count, const char* what) {
    if (failed == 0) return 0;
    cd.LastError = "Cannot read " + std::to_string(failed) + " of " + std::to_string(count) + " " + what;
    return 1;
}

// A file that did not open says so rather than that its groups failed.
uint8_t WithOpenError(CommonData& cd, uint8_t status, const MappedFile& file) {
    if (status != 0 && !file.IsOpen()) cd.LastError = file.error();
    return status;
}

} // namespace

uint8_t LoadIconsNEOfBytes(CommonData& cd, ByteView file, const std::string& path) {
    NeLoad load(file, cd.SelFileName, kNeIconGroup, kNeIcon);
    const uint64_t failed = ReadAll(cd.IconGroupCount, cd.IconGroups, [&](uint64_t g, TAdvIconGroupList& group) {
        return ReadIconGroup(load, g, group);
    });
    if (failed != 0) return Status(cd, failed, cd.IconGroupCount, "icon groups");
    if (UpperExtension(path) == ".ICL") RenameLibraryGroups(cd, load);
    return 0;
}

uint8_t LoadCursorsNEOfBytes(CommonData& cd, ByteView file) {
    NeLoad load(file, cd.SelFileName, kNeCursorGroup, kNeCursor);
    const uint64_t failed = ReadAll(cd.CursorGroupCount, cd.CursorGroups,
                                    [&](uint64_t g, TAdvCursorGroupList& group) {
                                        return ReadCursorGroup(load, g, group);
                                    });
    return Status(cd, failed, cd.CursorGroupCount, "cursor groups");
}

uint8_t LoadBitmapsNEOfBytes(CommonData& cd, ByteView file) {
    NeLoad load(file, cd.SelFileName, kNeBitmap);
    const uint64_t failed =
        ReadAll(cd.BitmapCount, cd.Bitmaps, [&](uint64_t g, TAdvBmp& bmp) { return ReadBitmap(load, cd, g, bmp); });
    return Status(cd, failed, cd.BitmapCount, "bitmaps");
}

// The file is opened once per load and its result is not tested: a file
// that did not open has no bytes, so every group fails at its first read.
uint8_t LoadIconsNE(CommonData& cd, const std::string& path) {
    MappedFile file;
    OpenCheckedFile(file, path);
    return WithOpenError(cd, LoadIconsNEOfBytes(cd, file.bytes(), path), file);
}

uint8_t LoadCursorsNE(CommonData& cd) {
    MappedFile file;
    OpenCheckedFile(file, cd.SelFilePath);
    return WithOpenError(cd, LoadCursorsNEOfBytes(cd, file.bytes()), file);
}

uint8_t LoadBitmapsNE(CommonData& cd) {
    MappedFile file;
    OpenCheckedFile(file, cd.SelFilePath);
    return WithOpenError(cd, LoadBitmapsNEOfBytes(cd, file.bytes()), file);
}

int CountNEResourcesOfBytes(ByteView file, bool isBitmap) {
    const std::optional<ResourceTables> t = FindTables(file, isBitmap ? kNeBitmap : kNeCursorGroup);
    return t ? t->first.count : 0;
}

int CountNEResources(const std::string& path, bool isBitmap) {
    MappedFile file;
    if (!OpenCheckedFile(file, path)) return 0;
    return CountNEResourcesOfBytes(file.bytes(), isBitmap);
}

int CountNEIconGroups(ByteView file) {
    const std::optional<ResourceTables> t = FindTables(file, kNeIconGroup);
    return t ? t->first.count : 0;
}

} // namespace gw
