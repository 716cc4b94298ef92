// Compiled resource files: one walk over the entries of either layout serves
// the three readers and the two counters, so that what the explorer counts
// and what the readers load are the same entries.
#include "formats/ResFile.h"

#include <algorithm>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "formats/AniFile.h"
#include "formats/BmpManage.h"
#include "formats/GroupDirectory.h"
#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/PeLayout.h"
#include "platform/Text.h"
#include "platform/Paths.h"

namespace gw {

namespace {

using pe_layout::kRes32IdMarker;
constexpr uint8_t kRes16IdMarker = 0xFF;
// Type and resource names keep at most this many characters; longer names
// are read past to their terminator.
constexpr size_t kMaxStoredName = 251;

constexpr uint64_t kCursorPrefixSize = 4;

struct ResEntry {
    uint64_t start = 0;
    ResourceKey type;
    ResourceKey name;
    uint64_t dataStart = 0;
    uint64_t dataSize = 0; // as the entry states it
    ByteView data;         // the entry's data, cut short where the file ends
    uint16_t language = 0; // the 32-bit layout's LANGID; the 16-bit layout has none
};

// A string type maps to a number only where a reader or counter looks for it.
struct TypeName {
    const char* text;
    uint16_t number;
};
using TypeNames = std::span<const TypeName>;

constexpr TypeName kIconTypeNames[] = {{"RT_GROUP_ICON", RT_GROUP_ICON}, {"RT_ICON", RT_ICON}};
constexpr TypeName kCursorTypeNames[] = {{"RT_GROUP_CURSOR", RT_GROUP_CURSOR}, {"RT_CURSOR", RT_CURSOR}};
constexpr TypeName kBitmapTypeNames[] = {{"RT_BITMAP", RT_BITMAP}};
constexpr TypeName kCountedTypeNames[] = {
    {"RT_BITMAP", RT_BITMAP}, {"RT_GROUP_CURSOR", RT_GROUP_CURSOR}, {"RT_GROUP_ICON", RT_GROUP_ICON}};

uint16_t TypeNumber(const ResourceKey& type, TypeNames names) {
    if (type.isId) return type.id;
    for (const TypeName& n : names)
        if (type.name.size() == std::char_traits<char>::length(n.text) &&
            std::equal(type.name.begin(), type.name.end(), n.text))
            return n.number;
    return 0;
}

// The text a record of a resource file shows for its name: the id in
// decimal, or the name's first 251 characters (a surrogate pair at the limit
// kept whole, so a cut never splits a character).
std::string ShownName(const ResourceKey& key) {
    if (key.isId) return std::to_string(key.id);
    const std::u16string& units = key.name;
    size_t keep = std::min(units.size(), kMaxStoredName);
    if (keep == kMaxStoredName && units.size() > keep && units[keep - 1] >= 0xD800 && units[keep - 1] < 0xDC00 &&
        units[keep] >= 0xDC00 && units[keep] < 0xE000)
        ++keep;
    const std::vector<uint16_t> shown(units.begin(), units.begin() + ptrdiff_t(keep));
    return Utf16ToUtf8(shown);
}

// 0xFF and a uint16 id, or Windows-1252 characters up to a zero byte, kept
// as UTF-8.
ResourceKey ReadIdent16(ByteReader& r) {
    const uint8_t first = r.u8();
    if (first == kRes16IdMarker) return ResourceKey::Id(r.u16());
    if (first == 0 || !r.ok()) return ResourceKey::Named(std::u16string());
    const std::string bytes = char(first) + r.cstring8(kMaxStoredName - 1);
    return ResourceKey::Named(Windows1252ToUtf8(bytes));
}

ByteView ClippedData(ByteView file, uint64_t start, uint64_t size) {
    if (start >= file.size()) return {};
    return file.subspan(size_t(start), size_t(std::min<uint64_t>(size, file.size() - start)));
}

// Walks the entries of a resource file. An entry is complete when its type
// and name (and, in the 16-bit layout, its flags and size) could be read;
// its data may be cut short by the end of the file. The walk ends at the
// first incomplete entry and never revisits a position: every entry ends
// after it starts. Both an incomplete entry and data cut short are damage,
// which the walk keeps (the first of them) for the readers to report.
class ResWalk {
public:
    ResWalk(ByteView file, bool is32, uint64_t start) : m_file(file), m_is32(is32), m_pos(start) {}
    ResWalk(ByteView file, bool is32) : ResWalk(file, is32, is32 ? kRes32LeadSize : 0) {}

    bool Next(ResEntry& e) {
        if (m_done || m_pos >= m_file.size()) return false;
        e.start = m_pos;
        m_done = !(m_is32 ? Next32(e) : Next16(e));
        if (m_done && !OnlyZerosFrom(m_file, e.start))
            Note(ReadError{ReadErrorKind::Truncated, m_file.size(),
                           "the resource entry at " + GroupedNumber(e.start) + " is cut short or damaged"});
        else if (e.data.size() < e.dataSize)
            Note(ReadError::Truncated(e.dataStart, "the data of the resource entry at " + GroupedNumber(e.start),
                                      e.dataSize, m_file.size()));
        return !m_done;
    }

    const std::optional<ReadError>& Damage() const { return m_damage; }

    // Continues at a position inside or after the entry just read (the 16-bit
    // icon and cursor readers go on right after a group's directory).
    void ContinueAt(uint64_t pos) { m_pos = pos; }

private:
    bool Next32(ResEntry& e) {
        std::optional<Res32Entry> entry = ReadRes32Entry(m_file, e.start);
        // Type and name must lie inside the header the entry states: a header
        // size too small for them is a damaged entry, and the walk ends there.
        // A header too short to hold the language says none.
        if (!entry || !entry->keysWhole) return false;
        const Res32Frame& frame = entry->frame;
        e.type = std::move(entry->type);
        e.name = std::move(entry->name);
        e.language = entry->language;
        e.dataStart = frame.DataStart();
        e.dataSize = frame.dataSize;
        e.data = ClippedData(m_file, e.dataStart, e.dataSize);
        const uint64_t next = frame.Next();
        if (next <= e.start) return false;
        m_pos = next;
        return true;
    }

    bool Next16(ResEntry& e) {
        ByteReader r(m_file, e.start);
        e.type = ReadIdent16(r);
        e.name = ReadIdent16(r);
        r.u16(); // flags
        const uint32_t dataSize = r.u32();
        if (!r.ok()) return false;
        e.dataStart = r.pos();
        e.dataSize = dataSize;
        e.data = ClippedData(m_file, e.dataStart, dataSize);
        m_pos = e.dataStart + dataSize;
        return true;
    }

    void Note(ReadError e) {
        if (!m_damage) m_damage = std::move(e);
    }

    ByteView m_file;
    bool m_is32;
    uint64_t m_pos;
    bool m_done = false;
    std::optional<ReadError> m_damage;
};

// One resource as the readers list it: the entries that hold it, one per
// language, in file order. In the 32-bit layout an entry whose type and
// name were seen before in other languages joins that resource; one whose
// language that resource already holds starts another, as each entry did
// before languages were told apart. In the 16-bit layout each entry is a
// resource of its own.
struct HeldResource {
    uint16_t type = 0;
    std::vector<ResEntry> entries;

    const ResourceKey& Name() const { return entries.front().name; }
    // The entry in language when the resource is held in it, else the first.
    const ResEntry& In(std::optional<uint16_t> language) const {
        if (language)
            for (const ResEntry& e : entries)
                if (e.language == *language) return e;
        return entries.front();
    }
    // Every language it is held in, ascending; none in the 16-bit layout.
    std::vector<uint16_t> Languages(bool is32) const {
        std::vector<uint16_t> out;
        if (!is32) return out;
        for (const ResEntry& e : entries) out.push_back(e.language);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
};

// Names compare as the platform compares them: ids by value, strings
// case-insensitively (ASCII).
std::string NameKey(uint16_t type, const ResourceKey& name) {
    std::string key = std::to_string(type);
    key += name.isId ? '#' : '$';
    key += ShownName(name);
    return UpperAscii(key);
}

// The resources of the given types from start, in file order, and the
// walk's damage. Bounded by the file: each resource holds at least one entry.
std::vector<HeldResource> HeldResources(ByteView file, bool is32, uint64_t start, TypeNames names,
                                        std::initializer_list<uint16_t> types,
                                        std::optional<ReadError>* damage = nullptr) {
    std::vector<HeldResource> held;
    std::unordered_map<std::string, size_t> latest;             // name key -> its latest resource
    std::unordered_map<std::string, size_t> latestWithLanguage; // name key and language -> the same
    ResWalk walk(file, is32, start);
    ResEntry e;
    while (walk.Next(e)) {
        const uint16_t type = TypeNumber(e.type, names);
        if (std::find(types.begin(), types.end(), type) == types.end()) continue;
        if (is32) {
            const std::string key = NameKey(type, e.name);
            const std::string withLanguage = key + "@" + std::to_string(e.language);
            const auto found = latest.find(key);
            const auto taken = latestWithLanguage.find(withLanguage);
            if (found != latest.end() && (taken == latestWithLanguage.end() || taken->second != found->second)) {
                held[found->second].entries.push_back(e);
                latestWithLanguage[withLanguage] = found->second;
                continue;
            }
            latest[key] = held.size();
            latestWithLanguage[withLanguage] = held.size();
        }
        held.push_back({type, {e}});
    }
    if (damage) *damage = walk.Damage();
    return held;
}

int CountEntries(ByteView file, bool is32, uint64_t start, uint16_t resType) {
    if (is32) return int(HeldResources(file, true, start, kCountedTypeNames, {resType}).size());
    ResWalk walk(file, is32, start);
    ResEntry e;
    int count = 0;
    while (walk.Next(e))
        if (TypeNumber(e.type, kCountedTypeNames) == resType) ++count;
    return count;
}

template <class Record>
void SetName(Record& record, const ResourceKey& name) {
    record.Name = ShownName(name);
    record.Named = !name.isId;
}

// The image resources of one type by id, built once per load so that
// finding the images of every group stays linear in the file. An image is
// found in its group's language when it is held in it, else the first entry
// of its id in file order.
class ImageIndex {
public:
    ImageIndex(ByteView file, bool is32, TypeNames names, uint16_t imageType) {
        ResWalk walk(file, is32);
        ResEntry e;
        while (walk.Next(e)) {
            if (!e.name.isId || TypeNumber(e.type, names) != imageType) continue;
            m_first.emplace(e.name.id, e.data);
            m_byLanguage.emplace(uint32_t(e.name.id) << 16 | e.language, e.data);
        }
    }

    std::optional<ByteView> Find(uint16_t id, uint16_t language) const {
        const auto inLanguage = m_byLanguage.find(uint32_t(id) << 16 | language);
        if (inLanguage != m_byLanguage.end()) return inLanguage->second;
        const auto first = m_first.find(id);
        if (first == m_first.end()) return std::nullopt;
        return first->second;
    }

private:
    std::unordered_map<uint16_t, ByteView> m_first;
    std::unordered_map<uint32_t, ByteView> m_byLanguage;
};

// The bytes an image takes from its resource: BytesInRes of them, or all the
// resource holds when it is shorter, as a view when owner keeps the file's
// bytes alive. BytesInRes is lowered to match, so Data always holds exactly
// BytesInRes bytes. False, taking nothing, when the load's budget has no
// room for a copy.
template <class Image>
bool TakeImageBytes(Image& im, ByteView resource, const std::shared_ptr<const void>& owner) {
    const uint64_t n = std::min<uint64_t>(im.BytesInRes, resource.size());
    if (!owner && !SpendLoadBudget(n)) return false;
    im.Data = SharedBytes(owner, resource.first(size_t(n)));
    im.BytesInRes = uint32_t(n);
    return true;
}

// The resource-file policy for icon group entries: colour count, reserved
// and planes are not taken from the entry.
void ReadIconEntry(IconImage& im, ByteReader& r) {
    im.Width = r.u8();
    im.Height = r.u8();
    r.skip(4); // colour count, reserved and planes are left 0
    im.BitCount = r.u16();
    im.BytesInRes = r.u32();
    im.ResId = r.u16();
}

bool LoadIconImage(IconImage& im, ByteView resource, const std::shared_ptr<const void>& owner) {
    if (!TakeImageBytes(im, resource, owner)) return false;
    im.Picture.Defer(true, im.Width, im.Height);
    return true;
}

bool LoadCursorImage(CursorImage& im, ByteView resource, const std::shared_ptr<const void>& owner) {
    if (!TakeImageBytes(im, resource, owner)) return false;
    im.HotspotX = PeekU16(im.Data, 0);
    im.HotspotY = PeekU16(im.Data, 2);
    if (ByteView(im.Data).size() >= kCursorPrefixSize) ApplyCursorImageSize(im, ByteView(im.Data).subspan(kCursorPrefixSize));
    im.Picture.Defer(false, im.Width, im.Height / 2);
    return true;
}

// Reads a group's directory (the resource-file policy: the stated count
// believed as far as the group's bytes hold entries) and finds its images;
// the first image id that is not in the file, or whose bytes the load's
// budget cannot take, ends the group (the images after it keep no data).
// Returns the bytes of the group's data that the directory took.
template <class Group, class ReadEntry, class LoadImage>
uint64_t ReadGroup(Group& group, const ResEntry& e, const ImageIndex& images, ReadEntry readEntry,
                   LoadImage loadImage, uint64_t fileSize, std::optional<ReadError>& why) {
    const ByteView data = e.data;
    group.Images.clear();
    if (data.size() < kGroupHeaderSize) return data.size();
    const uint16_t count = HeldGroupCount(data);
    group.Images.assign(count, {});
    for (uint16_t j = 0; j < count; ++j) {
        ByteReader r = GroupEntryReader(data, j);
        readEntry(group.Images[j], r);
    }
    for (uint16_t j = 0; j < count; ++j) {
        auto& im = group.Images[j];
        const uint64_t entryAt = e.dataStart + kGroupHeaderSize + uint64_t(j) * kGroupEntrySize;
        const std::string item = "image " + std::to_string(j) + " of group " + group.Name;
        const std::optional<ByteView> found = images.Find(im.ResId, e.language);
        if (!found) {
            why = ReadError::Invalid(entryAt, item + " names image " + std::to_string(im.ResId) +
                                                  ", which is not in the file", fileSize);
            break;
        }
        if (!loadImage(im, *found)) {
            why = ReadError::OverBudget(entryAt, item, fileSize);
            break;
        }
    }
    // Images after a missing one keep no data either; their stated sizes go
    // with it so that writers never pad a block out of nothing.
    for (auto& im : group.Images) {
        if (!im.Data.empty()) continue;
        im.BytesInRes = 0;
        im.Missing = true;
    }
    return kGroupHeaderSize + uint64_t(count) * kGroupEntrySize;
}

template <class Group, class ReadEntry, class LoadImage>
ReadResult<std::vector<Group>> ParseGroups(ByteView file, size_t count, TypeNames names, uint16_t groupType,
                                           uint16_t imageType, ReadEntry readEntry, LoadImage loadImage,
                                           std::optional<uint16_t> language) {
    const LoadBudget budget(file.size());
    ReadResult<std::vector<Group>> result;
    result.records.resize(count);
    if (count == 0) return result;
    const bool is32 = IsRes32(file);
    std::optional<ImageIndex> images;
    size_t index = 0;
    if (is32) {
        // Each group once, in the language asked for when it is held in it.
        std::optional<ReadError> damage;
        for (const HeldResource& held : HeldResources(file, true, kRes32LeadSize, names, {groupType}, &damage)) {
            if (index >= count) break;
            if (!images) images.emplace(file, is32, names, imageType);
            const ResEntry& e = held.In(language);
            Group& group = result.records[index++];
            SetName(group, e.name);
            group.Language = e.language;
            group.Languages = held.Languages(true);
            std::optional<ReadError> why;
            ReadGroup(group, e, *images, readEntry, loadImage, file.size(), why);
            if (why) result.Note(std::move(*why));
        }
        if (damage) result.Note(*damage);
        return result;
    }
    ResWalk walk(file, is32);
    ResEntry e;
    while (index < count && walk.Next(e)) {
        if (TypeNumber(e.type, names) != groupType) continue;
        if (!images) images.emplace(file, is32, names, imageType);
        Group& group = result.records[index++];
        SetName(group, e.name);
        std::optional<ReadError> why;
        const uint64_t used = ReadGroup(group, e, *images, readEntry, loadImage, file.size(), why);
        if (why) result.Note(std::move(*why));
        // The 16-bit layout goes on right after the group's directory.
        if (!is32) walk.ContinueAt(e.dataStart + used);
    }
    if (walk.Damage()) result.Note(*walk.Damage());
    return result;
}

size_t CountOf(int32_t count) { return count > 0 ? size_t(count) : 0; }

} // namespace

bool IsRes32(ByteView file) {
    if (file.size() < kRes32LeadSize) return false;
    static constexpr uint8_t kLead[kRes32LeadSize] = {
        0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0,
    };
    return std::equal(std::begin(kLead), std::end(kLead), file.begin());
}

ByteReader Res32Frame::Keys(ByteView file) const {
    const uint64_t end = std::min<uint64_t>(HeaderEnd(), file.size());
    return ByteReader(file.first(size_t(end)), start + 8);
}

std::optional<Res32Entry> ReadRes32Entry(ByteView file, uint64_t start) {
    const std::optional<Res32Frame> frame = Res32FrameAt(file, start);
    if (!frame) return std::nullopt;
    Res32Entry e;
    e.frame = *frame;
    ByteReader header = frame->Keys(file);
    e.keysWhole = ReadRes32Key(header, e.type) && ReadRes32Key(header, e.name);
    if (!e.keysWhole) return e;
    // Entries start on multiples of 4, so the fields' place is aligned in
    // the file as in the entry.
    const uint64_t fieldsAt = (header.pos() + 3) / 4 * 4;
    const uint64_t headerEnd = std::min<uint64_t>(frame->HeaderEnd(), file.size());
    const auto held = [&](uint64_t at, uint64_t size) { return at + size <= headerEnd; };
    if (held(fieldsAt, 4)) e.dataVersion = PeekU32(file, fieldsAt);
    if (held(fieldsAt + 4, 2)) e.memoryFlags = PeekU16(file, fieldsAt + 4);
    if (held(fieldsAt + 6, 2)) e.language = PeekU16(file, fieldsAt + 6);
    if (held(fieldsAt + 8, 4)) e.version = PeekU32(file, fieldsAt + 8);
    if (held(fieldsAt + 12, 4)) e.characteristics = PeekU32(file, fieldsAt + 12);
    e.fieldsWhole = held(fieldsAt, 16);
    return e;
}

bool ReadRes32Key(ByteReader& r, ResourceKey& key) {
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

std::optional<Res32Frame> Res32FrameAt(ByteView file, uint64_t start) {
    ByteReader fixed(file, start);
    Res32Frame frame;
    frame.start = start;
    frame.dataSize = fixed.u32();
    frame.headerSize = fixed.u32();
    if (!fixed.ok()) return std::nullopt;
    return frame;
}

bool OnlyZerosFrom(ByteView file, uint64_t pos) {
    const ByteView rest = file.subspan(size_t(std::min<uint64_t>(pos, file.size())));
    return std::all_of(rest.begin(), rest.end(), [](uint8_t b) { return b == 0; });
}

int Conta32(ByteView file, uint64_t start, uint16_t resType) {
    return CountEntries(file, true, start, resType);
}

int Conta16(ByteView file, uint64_t start, uint16_t resType) {
    return CountEntries(file, false, start, resType);
}

int CountResEntries(ByteView file, uint16_t resType) {
    return IsRes32(file) ? Conta32(file, kRes32LeadSize, resType) : Conta16(file, 0, resType);
}

std::optional<ReadError> ResFileDamage(ByteView file) {
    ResWalk walk(file, IsRes32(file));
    ResEntry e;
    while (walk.Next(e)) {
    }
    return walk.Damage();
}

ReadResult<std::vector<IconGroup>> ParseResIconGroups(ByteView file, size_t count,
                                                      const std::shared_ptr<const void>& owner,
                                                      std::optional<uint16_t> language) {
    return ParseGroups<IconGroup>(
        file, count, kIconTypeNames, RT_GROUP_ICON, RT_ICON, ReadIconEntry,
        [&](IconImage& im, ByteView resource) { return LoadIconImage(im, resource, owner); }, language);
}

ReadResult<std::vector<CursorGroup>> ParseResCursorGroups(ByteView file, size_t count,
                                                          const std::shared_ptr<const void>& owner,
                                                          std::optional<uint16_t> language) {
    return ParseGroups<CursorGroup>(
        file, count, kCursorTypeNames, RT_GROUP_CURSOR, RT_CURSOR, ReadCursorGroupEntry,
        [&](CursorImage& im, ByteView resource) { return LoadCursorImage(im, resource, owner); }, language);
}

void LoadResIcons(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner,
                  std::optional<uint16_t> language) {
    auto read = ParseResIconGroups(file, CountOf(contents.IconGroupCount), owner, language);
    contents.IconGroups = std::move(read.records);
    contents.NoteError(read.error);
}

void LoadResCursors(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner,
                    std::optional<uint16_t> language) {
    auto read = ParseResCursorGroups(file, CountOf(contents.CursorGroupCount), owner, language);
    contents.CursorGroups = std::move(read.records);
    contents.NoteError(read.error);
}

// A single pass through the shared bitmap loop; bitmaps of resource files
// keep TransparentColor 0.
void LoadResBitmaps(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner,
                    std::optional<uint16_t> language) {
    const LoadBudget budget(file.size());
    contents.MaxBmpWidth = 0;
    contents.MaxBmpHeight = 0;
    contents.Bitmaps.resize(CountOf(contents.BitmapCount));
    BitmapListFiller list(contents, BitmapTransparency::None, owner);
    const bool is32 = IsRes32(file);
    std::optional<ReadError> damage;
    size_t filled = 0;
    for (const HeldResource& held :
         HeldResources(file, is32, is32 ? kRes32LeadSize : 0, kBitmapTypeNames, {RT_BITMAP}, &damage)) {
        if (list.Full()) break;
        const ResEntry& e = held.In(language);
        if (!list.Offer(ShownName(e.name), !e.name.isId, e.data)) continue;
        // Offer fills the list in order, so the bitmap just offered is this one.
        BitmapRecord& bitmap = contents.Bitmaps[filled++];
        bitmap.Language = e.language;
        bitmap.Languages = held.Languages(is32);
    }
    contents.NoteError(damage);
}

constexpr uint16_t kAnimatedCursor = 21;
constexpr uint16_t kAnimatedIcon = 22;
constexpr TypeName kAnimationTypeNames[] = {{"RT_ANICURSOR", kAnimatedCursor}, {"RT_ANIICON", kAnimatedIcon}};

int CountResAnimations(ByteView file) {
    const bool is32 = IsRes32(file);
    return int(HeldResources(file, is32, is32 ? kRes32LeadSize : 0, kAnimationTypeNames,
                             {kAnimatedCursor, kAnimatedIcon})
                   .size());
}

// Every animated cursor and icon entry, in file order, each read whole by
// the animated cursor reader; damage is placed in the file.
ReadResult<std::vector<AnimatedCursor>> ParseResAnimations(ByteView file, const std::shared_ptr<const void>& owner,
                                                           std::optional<uint16_t> language) {
    ReadResult<std::vector<AnimatedCursor>> result;
    const bool is32 = IsRes32(file);
    std::optional<ReadError> damage;
    for (const HeldResource& held : HeldResources(file, is32, is32 ? kRes32LeadSize : 0, kAnimationTypeNames,
                                                  {kAnimatedCursor, kAnimatedIcon}, &damage)) {
        const uint16_t type = held.type;
        const ResEntry& e = held.In(language);
        ReadResult<AnimatedCursor> read = ParseAniFile(e.data, owner);
        if (read.error) {
            result.Note(read.error->At(e.dataStart, file.size()));
        }
        AnimatedCursor& ani = read.records;
        ani.AnimatedIcon = type == kAnimatedIcon;
        ani.Name = ShownName(e.name);
        ani.Named = !e.name.isId;
        ani.Language = e.language;
        ani.Languages = held.Languages(is32);
        result.records.push_back(std::move(ani));
        if (result.records.size() >= kMaxAniSteps) break;
    }
    if (damage) result.Note(*damage);
    return result;
}

std::optional<ByteView> FirstResEntry(ByteView file, uint16_t resType) {
    ResWalk walk(file, IsRes32(file));
    ResEntry e;
    while (walk.Next(e))
        if (e.type.isId && e.type.id == resType) return e.data.data() ? e.data : file.subspan(file.size());
    return std::nullopt;
}

} // namespace gw
