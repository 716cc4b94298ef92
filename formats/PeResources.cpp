#include "formats/PeResources.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "formats/AniFile.h"
#include "formats/BmpManage.h"
#include "formats/GroupDirectory.h"
#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

constexpr uint64_t kCursorPrefixSize = 4;
// An image entry may state more bytes than its resource holds: the image's
// Data block keeps the stated size, zero-filled past the resource. A stated
// size more than this beyond the resource is not believed; the resource's
// own size is taken instead, so that one damaged entry cannot allocate
// gigabytes.
constexpr uint64_t kMaxBytesInResBeyondResource = uint64_t(1) << 20;

using TypeTable = ResourceModule::TypeTable;
using Damage = std::optional<ReadError>;

template <class Group>
Group NamedGroup(const ResourceKey& name) {
    Group group;
    group.Name = name.Text();
    group.Named = !name.isId;
    return group;
}

// A Data block of bytesInRes bytes filled from the start of the resource,
// the rest zero: a view of the resource when the module's bytes outlive it
// and no zeros are needed, else a copy. bytesInRes is lowered to the
// resource's size when it states implausibly more (see
// kMaxBytesInResBeyondResource). False, with nothing filled, when the load's
// budget has no room for a copy.
bool ImageBlock(const std::optional<ByteView>& resource, uint32_t& bytesInRes, SharedBytes& data,
                const std::shared_ptr<const void>& owner) {
    const uint64_t available = resource ? resource->size() : 0;
    if (bytesInRes > available + kMaxBytesInResBeyondResource) bytesInRes = uint32_t(available);
    if (owner && resource && bytesInRes <= available) {
        data = SharedBytes(owner, resource->first(bytesInRes));
        return true;
    }
    if (!SpendLoadBudget(bytesInRes)) return false;
    Bytes block(bytesInRes, 0);
    if (resource) {
        const size_t n = size_t(std::min<uint64_t>(bytesInRes, available));
        std::copy_n(resource->begin(), n, block.begin());
    }
    data = SharedBytes(std::move(block));
    return true;
}

// What one group load shares: the module's tables and where damage is noted.
struct PeLoad {
    const ResourceModule& module;
    TypeTable groups;
    TypeTable images;
    const char* what; // "icon group", "cursor group"
    std::optional<uint16_t> language; // the language asked for; nullopt: each resource's first
    std::shared_ptr<const void> owner = module.Owner(); // images are views of the module's bytes when set

    ReadError OverBudget(const std::string& item) const {
        return ReadError::OverBudget(0, item, module.FileSize());
    }
};

// The readers of one image entry: false when the load's budget cannot take
// its bytes. A missing image resource is noted as damage. An image is a
// resource of its own with its own languages: it is read in its group's
// language when it is held in it, else in its first language, as the
// platform's loader finds it.
bool ReadIconImage(const PeLoad& load, IconImage& im, ByteReader& entry, Damage& missing, uint16_t language) {
    ReadIconGroupEntry(im, entry);
    im.ImageOffset = 0;
    ReadError why;
    const std::optional<ByteView> resource = load.images.Find(ResourceKey::Id(im.ResId), language, nullptr, &why);
    if (!resource && !missing) missing = why;
    im.Missing = !resource;
    if (!ImageBlock(resource, im.BytesInRes, im.Data, load.owner)) return false;
    if (!resource)
        im.Picture.Set(nullptr);
    else if (resource->size() <= im.Data.size())
        // Data starts with the whole resource: the picture is the resource's.
        im.Picture.Defer(true, im.Width, im.Height, resource->size());
    else
        // An entry stating fewer bytes than its resource keeps only those in
        // Data; the picture is the whole resource's, so it is decoded now.
        im.Picture.Set(DecodeIconImage(*resource, true, im.Width, im.Height));
    return true;
}

bool ReadCursorImage(const PeLoad& load, CursorImage& im, ByteReader& entry, Damage& missing, uint16_t language) {
    ReadCursorGroupEntry(im, entry);
    ReadError why;
    const std::optional<ByteView> resource = load.images.Find(ResourceKey::Id(im.ResId), language, nullptr, &why);
    if (!resource) {
        im.Missing = true;
        if (!missing) missing = why;
        im.Picture.Set(nullptr);
        return ImageBlock(resource, im.BytesInRes, im.Data, load.owner);
    }
    if (!load.owner && !SpendLoadBudget(resource->size())) return false;
    // Data holds the whole resource, hot-spot prefix included, and BytesInRes
    // says exactly how many bytes that is, so writers copy exactly Data.
    im.Data = SharedBytes(load.owner, *resource);
    im.BytesInRes = uint32_t(resource->size());
    im.HotspotX = PeekU16(*resource, 0);
    im.HotspotY = PeekU16(*resource, 2);
    if (resource->size() >= kCursorPrefixSize) ApplyCursorImageSize(im, resource->subspan(kCursorPrefixSize));
    im.Picture.Defer(false, im.Width, im.Height / 2);
    return true;
}

// Reopens group by its name value and reads its directory and images.
// False (with why set) when the group resource cannot be found. An image
// whose bytes the load's budget cannot take ends the group there.
template <class Group, class ReadImage>
bool ReadGroup(const PeLoad& load, Group& group, Damage& why, ReadImage readImage) {
    const std::optional<ResourceKey> name = ReopenName(group.Name, group.Named);
    ReadError notFound = ReadError::Invalid(0, std::string(load.what) + " \"" + group.Name + "\" has no resource name",
                                            load.module.FileSize());
    const std::optional<ByteView> bytes =
        name ? load.groups.Find(*name, load.language, &group.Language, &notFound) : std::nullopt;
    if (!bytes) {
        why = notFound;
        return false;
    }
    group.Languages = load.groups.Languages(*name);
    const uint16_t count = HeldGroupCount(*bytes);
    group.Images.assign(count, {});
    for (uint16_t j = 0; j < count; ++j) {
        ByteReader entry = GroupEntryReader(*bytes, j);
        if (!readImage(load, group.Images[j], entry, why, group.Language)) {
            if (!why) why = load.OverBudget("image " + std::to_string(j) + " of " + load.what + " " + group.Name);
            group.Images.resize(j);
            break;
        }
    }
    return true;
}

// The shared walk of icon and cursor groups: names in directory order, then
// every group reopened and read. A group that cannot be found is damage: it
// is left out, and the groups after it are still read.
template <class Group, class ReadImage>
ReadResult<std::vector<Group>> ParseGroups(const ResourceModule& module, size_t count, const char* what,
                                           uint16_t groupType, uint16_t imageType, ReadImage readImage,
                                           std::optional<uint16_t> language) {
    const LoadBudget budget(module.FileSize());
    ReadResult<std::vector<Group>> result;
    if (module.Damage()) result.Note(*module.Damage());
    const PeLoad load{module, module.Table(groupType), module.Table(imageType), what, language};
    // The count is of the groups the file holds data for: a name whose data
    // is missing does not take the place of one after it. Past the count,
    // names are only looked up, so that their damage is still said.
    const std::vector<ResourceKey>& names = load.groups.Names();
    result.records.reserve(std::min(count, names.size()));
    for (const ResourceKey& name : names) {
        if (result.records.size() == count) {
            ReadError why;
            uint16_t shown = 0;
            if (!load.groups.Find(name, language, &shown, &why)) {
                result.Note(std::move(why));
                ++result.failed;
            }
            continue;
        }
        Group group = NamedGroup<Group>(name);
        Damage why;
        const bool found = ReadGroup(load, group, why, readImage);
        if (why) result.Note(std::move(*why));
        if (found)
            result.records.push_back(std::move(group));
        else
            ++result.failed;
    }
    return result;
}

// A group load: the groups read, and the first damage.
template <class Group>
void Finish(FileContents& contents, ReadResult<std::vector<Group>>& read, std::vector<Group>& list) {
    list = std::move(read.records);
    contents.NoteError(read.error);
}

size_t CountOf(int32_t count) { return count > 0 ? size_t(count) : 0; }

} // namespace

std::optional<ResourceKey> ReopenName(const std::string& name, bool isNamed) {
    if (isNamed) return ResourceKey::Named(name);
    uint32_t id = 0;
    const char* end = name.data() + name.size();
    const auto [ptr, ec] = std::from_chars(name.data(), end, id);
    if (ec != std::errc() || ptr != end || name.empty() || id > 0xFFFF) return std::nullopt;
    return ResourceKey::Id(uint16_t(id));
}

Bitmap ReadPeBitmapAgain(const ResourceModule& module, const std::string& name, bool isNamed,
                         std::optional<uint16_t> language) {
    const std::optional<ResourceKey> value = ReopenName(name, isNamed);
    const std::optional<ByteView> resource = value ? module.Find(RT_BITMAP, *value, language) : std::nullopt;
    return resource ? DecodeBitmapResource(*resource) : Bitmap{};
}

ReadResult<std::vector<IconGroup>> ParsePeIconGroups(const ResourceModule& module, size_t count,
                                                     std::optional<uint16_t> language) {
    return ParseGroups<IconGroup>(module, count, "icon group", RT_GROUP_ICON, RT_ICON, ReadIconImage, language);
}

ReadResult<std::vector<CursorGroup>> ParsePeCursorGroups(const ResourceModule& module, size_t count,
                                                         std::optional<uint16_t> language) {
    return ParseGroups<CursorGroup>(module, count, "cursor group", RT_GROUP_CURSOR, RT_CURSOR, ReadCursorImage,
                                    language);
}

void LoadIconsPE(FileContents& contents, const ResourceModule& module, std::optional<uint16_t> language) {
    auto read = ParsePeIconGroups(module, CountOf(contents.IconGroupCount), language);
    Finish(contents, read, contents.IconGroups);
}

void LoadCursorsPE(FileContents& contents, const ResourceModule& module, std::optional<uint16_t> language) {
    auto read = ParsePeCursorGroups(module, CountOf(contents.CursorGroupCount), language);
    Finish(contents, read, contents.CursorGroups);
}

void LoadBitmapsPE(FileContents& contents, const ResourceModule& module, std::optional<uint16_t> language) {
    const LoadBudget budget(module.FileSize());
    contents.Bitmaps.resize(CountOf(contents.BitmapCount));
    contents.NoteError(module.Damage());
    const TypeTable bitmaps = module.Table(RT_BITMAP);
    BitmapListFiller list(contents, BitmapTransparency::BottomLeftPixel, module.Owner());
    size_t filled = 0;
    for (const ResourceKey& name : bitmaps.Names()) {
        if (list.Full()) break;
        uint16_t shown = 0;
        const std::optional<ByteView> resource = bitmaps.Find(name, language, &shown);
        if (!list.Offer(name.Text(), !name.isId, resource.value_or(ByteView{})))
            continue;
        // Offer fills the list in order, so the bitmap just offered is this one.
        BitmapRecord& bitmap = contents.Bitmaps[filled++];
        bitmap.Language = shown;
        bitmap.Languages = bitmaps.Languages(name);
    }
}

// Animated cursors (type 21) and icons (22), each resource read whole by
// the animated cursor reader; damage is placed in the file.
ReadResult<std::vector<AnimatedCursor>> ParsePeAnimations(const ResourceModule& module, ByteView file,
                                                      const std::shared_ptr<const void>& owner,
                                                      std::optional<uint16_t> language) {
    constexpr uint16_t kAnimatedCursor = 21, kAnimatedIcon = 22;
    ReadResult<std::vector<AnimatedCursor>> result;
    for (uint16_t type : {kAnimatedCursor, kAnimatedIcon}) {
        const auto table = module.Table(type);
        for (const ResourceKey& name : table.Names()) {
            ReadError why;
            uint16_t shown = 0;
            const std::optional<ByteView> data = table.Find(name, language, &shown, &why);
            if (!data) {
                result.Note(why);
                continue;
            }
            ReadResult<AnimatedCursor> read = ParseAniFile(*data, owner);
            if (read.error) {
                const bool inside = data->data() >= file.data() && data->data() <= file.data() + file.size();
                result.Note(read.error->At(inside ? uint64_t(data->data() - file.data()) : 0, file.size()));
            }
            AnimatedCursor& ani = read.records;
            ani.AnimatedIcon = type == kAnimatedIcon;
            ani.Name = name.Text();
            ani.Named = !name.isId;
            ani.Language = shown;
            ani.Languages = table.Languages(name);
            result.records.push_back(std::move(ani));
        }
    }
    return result;
}

int CountPeAnimations(const ResourceModule& module) { return module.Count(21) + module.Count(22); }

} // namespace gw
