#include "formats/NeResources.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "formats/AniFile.h"
#include "formats/BmpManage.h"
#include "formats/ExeHeader.h"
#include "formats/FileKind.h"
#include "formats/GroupDirectory.h"
#include "formats/IconFormat.h"
#include "platform/IconImage.h"
#include "platform/LoadBudget.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {
namespace {

// Numeric resource types of the NE resource table (high bit set).
constexpr uint16_t kNeCursor = 0x8001;
constexpr uint16_t kNeBitmap = 0x8002;
constexpr uint16_t kNeIcon = 0x8003;
constexpr uint16_t kNeCursorGroup = 0x800C;
constexpr uint16_t kNeIconGroup = 0x800E;
constexpr uint16_t kNeAnimatedCursor = 0x8015;
constexpr uint16_t kNeAnimatedIcon = 0x8016;

constexpr uint64_t kResourceEntrySize = 12;
constexpr uint64_t kResourceIdAt = 6;
constexpr uint16_t kNumericId = 0x8000; // set: the id is a number in the low 15 bits
constexpr uint16_t kIdNumber = 0x7FFF;
constexpr uint64_t kIconDirEntrySize = 16; // the entry an .ico file gives each image
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

struct TypeTable {
    uint16_t typeId = 0;
    uint64_t entries = 0; // file offset of the first resource entry
    uint16_t count = 0;
    bool found = false;
};

struct ResourceTables {
    ExeHeader header;
    uint16_t alignShift = 0;
    TypeTable first;
    TypeTable second; // typeId 0 when only one table is wanted
};

// Walks the type blocks until the wanted tables are found (one, or two for
// the group readers). The walk ends at type id 0, at a non-zero reserved
// field, or where the bytes end; every block moves it forward by at least
// its 8-byte header, so it cannot loop.
std::optional<ResourceTables> FindTables(ByteView file, uint16_t firstType, uint16_t secondType = 0) {
    const std::optional<ExeHeader> header = ReadExeHeader(file);
    if (!header || !header->HasNeResources()) return std::nullopt;
    ResourceTables t;
    t.header = *header;
    t.first.typeId = firstType;
    t.second.typeId = secondType;
    t.second.found = secondType == 0;

    ByteReader r(file, header->newHeader + header->resourceTable);
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
    NeLoad(ByteView bytes, const std::shared_ptr<const void>& owner, const std::string& name, const char* what,
           uint16_t groupType, uint16_t imageType = 0)
        : file(bytes), owner(owner), tables(FindTables(bytes, groupType, imageType)), what(what),
          budget(bytes.size()) {
        if (tables && imageType != 0) images.emplace(bytes, tables->second);
        // The text before the first "."; a name without one gives nothing, so
        // its resources are named " 000", " 001", ...
        const std::string fileName = PathFileName(name);
        const size_t dot = fileName.find('.');
        if (dot != std::string::npos) namePrefix = fileName.substr(0, dot);
    }

    std::string Item(uint64_t index) const { return std::string(what) + " " + std::to_string(index); }
    ReadError Cut(const std::string& item, uint64_t length, uint64_t at) const {
        return ReadError::Truncated(at, item, length, file.size());
    }
    ReadError Bad(uint64_t at, std::string message) const { return ReadError::Invalid(at, std::move(message), file.size()); }

    ByteView file;
    std::shared_ptr<const void> owner; // keeps file alive: images are views, not copies
    std::optional<ResourceTables> tables;
    std::optional<ImageTableIndex> images;
    std::string namePrefix;
    const char* what; // "icon group", "cursor group", "bitmap"
    LoadBudget budget;
};

using Damage = std::optional<ReadError>;

// Why a load found no tables: not an NE file with resources, or no table of
// the types it reads.
ReadError NoTables(const NeLoad& load) {
    const std::optional<ExeHeader> h = ReadExeHeader(load.file);
    if (!h || !h->HasNeResources()) return load.Bad(0, "not an NE file with a resource table");
    return load.Bad(h->newHeader + h->resourceTable, std::string("no resource table of the ") + load.what + "s");
}

// The resource entry of item index in its table, or why it cannot be read.
std::optional<ResourceEntry> EntryOf(const NeLoad& load, const TypeTable& table, uint64_t index, Damage& why) {
    if (const auto e = ReadEntry(load.file, table, index)) return e;
    const uint64_t at = table.entries + index * kResourceEntrySize;
    why = index >= table.count ? load.Bad(table.entries, load.Item(index) + " is beyond the " +
                                                             CountText(table.count, "entry", "entries") + " of its table")
                               : load.Cut("the resource entry of " + load.Item(index), kResourceEntrySize, at);
    return std::nullopt;
}

// Where a resource's data starts, or why it cannot be told.
std::optional<uint64_t> StartOf(const NeLoad& load, const ResourceEntry& e, Damage& why) {
    if (const auto start = DataOffset(*load.tables, e)) return start;
    const ExeHeader& h = load.tables->header;
    why = ReadError{ReadErrorKind::Unsupported, std::min<uint64_t>(h.newHeader + h.resourceTable, load.file.size()),
                    "alignment shift " + std::to_string(load.tables->alignShift) + " is larger than " +
                        std::to_string(kMaxAlignShift)};
    return std::nullopt;
}

// Numeric ids give their decimal text; named resources get a name made from
// the file name and the index, since the name strings are not read.
void NameResource(const NeLoad& load, const ResourceEntry& e, uint64_t index, std::string& name,
                  bool& isNamed) {
    if (e.id & kNumericId) {
        name = std::to_string(e.id & kIdNumber);
        isNamed = false;
        return;
    }
    std::string digits = std::to_string(index);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    name = load.namePrefix + " " + digits;
    isNamed = true;
}

// The NE policy for a group directory: it is read from the file at the
// group's offset, entry after entry, and an entry cut short by the end of
// the file fails the group. The images are added one by one as they are
// read, so a count the file cannot hold never becomes an allocation.
template <typename Group>
std::optional<uint16_t> StartGroup(NeLoad& load, uint64_t index, Group& group, ByteReader& r, Damage& why) {
    if (!load.tables || !load.images) {
        why = NoTables(load);
        return std::nullopt;
    }
    const std::optional<ResourceEntry> entry = EntryOf(load, load.tables->first, index, why);
    if (!entry) return std::nullopt;
    NameResource(load, *entry, index, group.Name, group.Named);
    const std::optional<uint64_t> start = StartOf(load, *entry, why);
    if (!start) return std::nullopt;
    r = ByteReader(load.file, *start);
    r.skip(4); // reserved and type are not tested
    const uint16_t count = r.u16();
    if (!r.ok()) {
        why = load.Cut(load.Item(index), kGroupHeaderSize, *start);
        return std::nullopt;
    }
    group.Images.clear();
    group.Images.reserve(size_t(std::min<uint64_t>(count, r.remaining() / kGroupEntrySize)));
    return count;
}

// The image resource an entry names, or why it is not there.
std::optional<ResourceEntry> ImageOf(const NeLoad& load, uint16_t id, const std::string& item, uint64_t entryAt,
                                     Damage& why) {
    if (const auto image = load.images->Find(id)) return image;
    why = load.Bad(entryAt, item + " names image " + std::to_string(id) + ", which is not in the file");
    return std::nullopt;
}

// The image bytes at an image resource's offset, or why they cannot be had:
// not all in the file, or the load has copied enough already.
std::optional<ByteView> ImageBytes(NeLoad& load, const ResourceEntry& image, uint64_t size, const std::string& item,
                                   uint64_t entryAt, Damage& why) {
    const std::optional<uint64_t> start = StartOf(load, image, why);
    if (!start) return std::nullopt;
    if (!InBounds(*start, size, load.file.size())) {
        why = load.Cut(item, size, *start);
        return std::nullopt;
    }
    if (!load.owner && !SpendLoadBudget(size)) {
        why = ReadError::OverBudget(entryAt, item, load.file.size());
        return std::nullopt;
    }
    return load.file.subspan(size_t(*start), size_t(size));
}

Damage ReadIconGroup(NeLoad& load, uint64_t index, IconGroup& group) {
    Damage why;
    ByteReader r;
    const std::optional<uint16_t> count = StartGroup(load, index, group, r, why);
    if (!count) return why;
    // Each image's offset in the .ico file that holds the whole group.
    uint64_t imageOffset = kGroupHeaderSize + kIconDirEntrySize * *count;
    for (uint16_t j = 0; j < *count; ++j) {
        const std::string item = "image " + std::to_string(j) + " of " + load.Item(index);
        const uint64_t entryAt = r.pos();
        IconImage im;
        ReadIconGroupEntry(im, r);
        if (!r.ok()) return load.Cut("the entry of " + item, kGroupEntrySize, entryAt);
        im.ImageOffset = uint32_t(imageOffset);
        const std::optional<ResourceEntry> image = ImageOf(load, im.ResId, load.Item(index), entryAt, why);
        if (!image) return why;
        const std::optional<ByteView> bytes = ImageBytes(load, *image, im.BytesInRes, item, entryAt, why);
        if (!bytes) return why;
        im.Data = SharedBytes(load.owner, *bytes);
        imageOffset += im.BytesInRes;
        im.Picture.Defer(true, im.Width, im.Height);
        group.Images.push_back(std::move(im));
    }
    return std::nullopt;
}

Damage ReadCursorGroup(NeLoad& load, uint64_t index, CursorGroup& group) {
    Damage why;
    ByteReader r;
    const std::optional<uint16_t> count = StartGroup(load, index, group, r, why);
    if (!count) return why;
    for (uint16_t j = 0; j < *count; ++j) {
        const std::string item = "image " + std::to_string(j) + " of " + load.Item(index);
        const uint64_t entryAt = r.pos();
        r.skip(8); // width, height, planes and bit count come from the image itself
        CursorImage im;
        im.BytesInRes = r.u32();
        im.ResId = r.u16();
        if (!r.ok()) return load.Cut("the entry of " + item, kGroupEntrySize, entryAt);
        const std::optional<ResourceEntry> image = ImageOf(load, im.ResId, load.Item(index), entryAt, why);
        if (!image) return why;
        const std::optional<uint64_t> start = StartOf(load, *image, why);
        if (!start) return why;
        if (!InBounds(*start + kCursorSizeFieldsAt, kCursorSizeFieldsLength, load.file.size()))
            return load.Cut("the header of " + item, kCursorSizeFieldsAt + kCursorSizeFieldsLength, *start);
        im.HotspotX = PeekU16(load.file, *start);
        im.HotspotY = PeekU16(load.file, *start + 2);
        ApplyCursorImageSize(im, load.file.subspan(size_t(*start + kHotspotSize)));
        // The whole resource, hot-spot prefix included.
        const std::optional<ByteView> bytes = ImageBytes(load, *image, im.BytesInRes, item, entryAt, why);
        if (!bytes) return why;
        im.Data = SharedBytes(load.owner, *bytes);
        im.Picture.Defer(false, im.Width, im.Height / 2);
        group.Images.push_back(std::move(im));
    }
    return std::nullopt;
}

Damage ReadBitmap(NeLoad& load, uint64_t index, BitmapRecord& bmp) {
    Damage why;
    if (!load.tables) return NoTables(load);
    const std::optional<ResourceEntry> entry = EntryOf(load, load.tables->first, index, why);
    if (!entry) return why;
    NameResource(load, *entry, index, bmp.Name, bmp.Named);
    const std::optional<uint64_t> start = StartOf(load, *entry, why);
    if (!start) return why;
    if (!InBounds(*start, kBitmapInfoSize, load.file.size()))
        return load.Cut("the header of " + load.Item(index), kBitmapInfoSize, *start);
    const uint64_t wanted = NeBitmapByteCount(load.file.subspan(size_t(*start), kBitmapInfoSize));
    // The byte count includes 40 bytes beyond the bitmap, which a bitmap at
    // the end of the file does not have; a damaged one may lack more. Take
    // what there is and let the decoder judge it.
    const uint64_t take = std::min(wanted, load.file.size() - *start);
    bmp.Picture.Set(nullptr);
    if (!SpendLoadBudget(take)) return ReadError::OverBudget(*start, load.Item(index), load.file.size());
    Bitmap decoded = DecodeBitmapResource(load.file.subspan(size_t(*start), size_t(take)));
    if (!decoded.HasHandle()) {
        bmp.Picture.Set(std::make_shared<Bitmap>(GwFakeBitmap()));
        bmp.PixelFormat = PixelFormat::Bits4; // the code the placeholder is reported with
        bmp.Width = 16;
        bmp.Height = 16;
    } else {
        bmp.PixelFormat = decoded.pixelFormat;
        bmp.Width = decoded.width;
        bmp.Height = decoded.height;
        bmp.Picture.Set(std::make_shared<Bitmap>(std::move(decoded)));
    }
    return std::nullopt;
}

// Icon libraries keep their group names in the resident-name table: the
// module name (with its ordinal), then one name and ordinal per group, in
// the Windows-1252 code page.
void RenameLibraryGroups(std::vector<IconGroup>& groups, const NeLoad& load) {
    if (!load.tables) return;
    const ExeHeader& h = load.tables->header;
    ByteReader r(load.file, h.newHeader + h.residentNames);
    const uint8_t moduleLength = r.u8();
    if (!r.ok() || moduleLength == 0 || !r.skip(uint64_t(moduleLength) + 2)) return;
    for (IconGroup& group : groups) {
        const uint8_t length = r.u8();
        if (!r.ok() || length == 0) return;
        const ByteView name = r.view(length);
        r.u16(); // ordinal
        if (!r.ok()) return;
        const size_t keep = std::min<size_t>(length, kMaxLibraryNameLength);
        group.Name = Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(name.data()), keep));
    }
}

// Runs a reader for indices 0 .. count - 1, each into its own entry; counts
// the failures and keeps the first one's damage.
template <typename Record, typename ReadOne>
ReadResult<std::vector<Record>> ReadAll(size_t count, ReadOne readOne) {
    ReadResult<std::vector<Record>> result;
    result.records.resize(count);
    for (size_t g = 0; g < count; ++g) {
        if (Damage why = readOne(g, result.records[g])) {
            ++result.failed;
            result.Note(std::move(*why));
        }
    }
    return result;
}

// A list load: the records as read, and the first damage.
template <typename Record>
void Finish(FileContents& contents, ReadResult<std::vector<Record>>& read, std::vector<Record>& list) {
    list = std::move(read.records);
    contents.NoteError(read.error);
}

size_t CountOf(int32_t count) { return count > 0 ? size_t(count) : 0; }

} // namespace

ReadResult<std::vector<IconGroup>> ParseNeIconGroups(ByteView file, const std::string& name, size_t count,
                                                             const std::shared_ptr<const void>& owner) {
    NeLoad load(file, owner, name, "icon group", kNeIconGroup, kNeIcon);
    auto read = ReadAll<IconGroup>(count, [&](uint64_t g, IconGroup& group) {
        return ReadIconGroup(load, g, group);
    });
    if (read.failed == 0 && UpperExtension(name) == ".ICL") RenameLibraryGroups(read.records, load);
    return read;
}

ReadResult<std::vector<CursorGroup>> ParseNeCursorGroups(ByteView file, const std::string& name,
                                                                 size_t count, const std::shared_ptr<const void>& owner) {
    NeLoad load(file, owner, name, "cursor group", kNeCursorGroup, kNeCursor);
    return ReadAll<CursorGroup>(
        count, [&](uint64_t g, CursorGroup& group) { return ReadCursorGroup(load, g, group); });
}

ReadResult<std::vector<BitmapRecord>> ParseNeBitmaps(ByteView file, const std::string& name, size_t count) {
    NeLoad load(file, nullptr, name, "bitmap", kNeBitmap);
    return ReadAll<BitmapRecord>(count, [&](uint64_t g, BitmapRecord& bmp) { return ReadBitmap(load, g, bmp); });
}

void LoadIconsNE(FileContents& contents, ByteView file, const std::string& name,
                 const std::shared_ptr<const void>& owner) {
    auto read = ParseNeIconGroups(file, name, CountOf(contents.IconGroupCount), owner);
    Finish(contents, read, contents.IconGroups);
}

void LoadCursorsNE(FileContents& contents, ByteView file, const std::string& name,
                   const std::shared_ptr<const void>& owner) {
    auto read = ParseNeCursorGroups(file, name, CountOf(contents.CursorGroupCount), owner);
    Finish(contents, read, contents.CursorGroups);
}

// Bitmaps are decoded at load (an NE bitmap that does not decode shows the
// placeholder), so they keep no view of the file.
void LoadBitmapsNE(FileContents& contents, ByteView file, const std::string& name) {
    auto read = ParseNeBitmaps(file, name, CountOf(contents.BitmapCount));
    for (const BitmapRecord& bmp : read.records) contents.RaiseMaxBmpSize(bmp.Width, bmp.Height);
    Finish(contents, read, contents.Bitmaps);
}

int CountNEResources(ByteView file, bool isBitmap) {
    const std::optional<ResourceTables> t = FindTables(file, isBitmap ? kNeBitmap : kNeCursorGroup);
    return t ? t->first.count : 0;
}

int CountNEIconGroups(ByteView file) {
    const std::optional<ResourceTables> t = FindTables(file, kNeIconGroup);
    return t ? t->first.count : 0;
}

int CountNEAnimations(ByteView file) {
    int count = 0;
    for (uint16_t type : {kNeAnimatedCursor, kNeAnimatedIcon})
        if (const std::optional<ResourceTables> t = FindTables(file, type)) count += t->first.count;
    return count;
}

// Each resource is a whole animated cursor (or icon) file, read by its own
// reader; the first damage is kept, and a resource whose data is cut short
// is read as far as it goes.
ReadResult<std::vector<AnimatedCursor>> ParseNeAnimations(ByteView file, const std::string& name,
                                                      const std::shared_ptr<const void>& owner) {
    ReadResult<std::vector<AnimatedCursor>> result;
    for (uint16_t type : {kNeAnimatedCursor, kNeAnimatedIcon}) {
        NeLoad load(file, owner, name, type == kNeAnimatedCursor ? "animated cursor" : "animated icon", type);
        if (!load.tables) continue;
        const TypeTable& table = load.tables->first;
        for (uint64_t i = 0; i < table.count; ++i) {
            Damage why;
            const std::optional<ResourceEntry> e = EntryOf(load, table, i, why);
            const std::optional<uint64_t> start = e ? StartOf(load, *e, why) : std::nullopt;
            if (!start) {
                if (why) result.Note(*why);
                break;
            }
            const uint64_t length = uint64_t(e->length) << load.tables->alignShift;
            if (*start >= file.size() || length > file.size() - *start) {
                result.Note(load.Cut(load.Item(i), length, *start));
                if (*start >= file.size()) continue;
            }
            const ByteView data = file.subspan(size_t(*start), size_t(std::min(length, file.size() - *start)));
            ReadResult<AnimatedCursor> read = ParseAniFile(data, owner);
            if (read.error) {
                result.Note(read.error->At(*start, file.size()));
            }
            AnimatedCursor& ani = read.records;
            ani.AnimatedIcon = type == kNeAnimatedIcon;
            NameResource(load, *e, i, ani.Name, ani.Named);
            result.records.push_back(std::move(ani));
        }
    }
    return result;
}

std::optional<ByteView> FirstNeResource(ByteView file, uint16_t type) {
    const std::optional<ResourceTables> t = FindTables(file, uint16_t(type | kNumericId));
    if (!t) return std::nullopt;
    const std::optional<ResourceEntry> e = ReadEntry(file, t->first, 0);
    const std::optional<uint64_t> start = e ? DataOffset(*t, *e) : std::nullopt;
    if (!start) return std::nullopt;
    if (*start >= file.size()) return file.subspan(file.size());
    const uint64_t length = uint64_t(e->length) << t->alignShift;
    return file.subspan(size_t(*start), size_t(std::min(length, file.size() - *start)));
}

} // namespace gw
