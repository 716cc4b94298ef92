#include "formats/PeResources.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "formats/BmpManage.h"
#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

constexpr uint64_t kGroupHeaderSize = 6;
constexpr uint64_t kGroupEntrySize = 14;
constexpr uint64_t kCursorPrefixSize = 4;
// An image entry may state more bytes than its resource holds: the image's
// Data block keeps the stated size, zero-filled past the resource. A stated
// size more than this beyond the resource is not believed; the resource's
// own size is taken instead, so that one damaged entry cannot allocate
// gigabytes.
constexpr uint64_t kMaxBytesInResBeyondResource = uint64_t(1) << 20;

using TypeTable = ResourceModule::TypeTable;

template <class Group>
void RecordNames(std::vector<Group>& groups, const std::vector<ResName>& names) {
    const size_t n = std::min(groups.size(), names.size());
    for (size_t i = 0; i < n; ++i) {
        groups[i].Name = names[i].isId ? std::to_string(names[i].id) : names[i].name;
        groups[i].IsNamed = names[i].isId ? 0 : 1;
    }
}

// The name value a group is reopened by: its string when named, else the
// integer its decimal text stands for.
std::optional<ResName> ReopenName(const std::string& name, uint8_t isNamed) {
    if (isNamed) return ResName::Named(name);
    uint32_t id = 0;
    const char* end = name.data() + name.size();
    const auto [ptr, ec] = std::from_chars(name.data(), end, id);
    if (ec != std::errc() || ptr != end || name.empty() || id > 0xFFFF) return std::nullopt;
    return ResName::Id(uint16_t(id));
}

// The number of 14-byte entries a group resource states, cut to the entries
// its bytes really hold.
uint16_t GroupEntryCount(ByteView group) {
    if (group.size() < kGroupHeaderSize) return 0;
    const uint64_t stated = PeekU16(group, 4);
    return uint16_t(std::min(stated, (group.size() - kGroupHeaderSize) / kGroupEntrySize));
}

// A Data block of bytesInRes bytes filled from the start of the resource,
// the rest zero. bytesInRes is lowered to the resource's size when it states
// implausibly more (see kMaxBytesInResBeyondResource). False, with nothing
// filled, when the load's budget has no room for the block.
bool ImageBlock(const std::optional<ByteView>& resource, uint32_t& bytesInRes, Bytes& data) {
    const uint64_t available = resource ? resource->size() : 0;
    if (bytesInRes > available + kMaxBytesInResBeyondResource) bytesInRes = uint32_t(available);
    if (!SpendLoadBudget(bytesInRes)) return false;
    data.assign(bytesInRes, 0);
    if (resource) {
        const size_t n = size_t(std::min<uint64_t>(bytesInRes, available));
        std::copy_n(resource->begin(), n, data.begin());
    }
    return true;
}

// The readers of one image entry: false when the load's budget cannot take
// its bytes.
bool ReadIconImage(TAdvIconImage& im, ByteReader& entry, const TypeTable& images) {
    ReadIconEntryHead(im, entry);
    im.ResId = entry.u16();
    im.ImageOffset = 0;
    const std::optional<ByteView> resource = images.Find(ResName::Id(im.ResId));
    if (!ImageBlock(resource, im.BytesInRes, im.Data)) return false;
    im.Handle = resource ? CreateIconFromResourceEx(*resource, true, kIconVersion, im.Width, im.Height, 0)
                         : nullptr;
    return true;
}

bool ReadCursorImage(TAdvCursorImage& im, ByteReader& entry, const TypeTable& images) {
    ReadCursorGroupEntry(im, entry);
    const std::optional<ByteView> resource = images.Find(ResName::Id(im.ResId));
    if (!resource) {
        im.Handle = nullptr;
        return ImageBlock(resource, im.BytesInRes, im.Data);
    }
    if (!SpendLoadBudget(resource->size())) return false;
    // Data holds the whole resource, hot-spot prefix included, and BytesInRes
    // says exactly how many bytes that is, so writers copy exactly Data.
    im.Data.assign(resource->begin(), resource->end());
    im.BytesInRes = uint32_t(resource->size());
    im.HotspotX = PeekU16(*resource, 0);
    im.HotspotY = PeekU16(*resource, 2);
    if (resource->size() >= kCursorPrefixSize) ApplyCursorImageSize(im, resource->subspan(kCursorPrefixSize));
    im.Handle = CreateIconFromResourceEx(*resource, false, kIconVersion, im.Width, im.Height / 2, 0);
    return true;
}

// Reopens group by its name value and reads its directory and images.
// False (with error set) when the group resource cannot be found. An image
// whose bytes the load's budget cannot take ends the group there.
template <class Group, class ReadImage>
bool ReadGroup(Group& group, const TypeTable& groups, const TypeTable& images, const std::string& path,
               std::string& error, ReadImage readImage) {
    const std::optional<ResName> name = ReopenName(group.Name, group.IsNamed);
    const std::optional<ByteView> bytes = name ? groups.Find(*name) : std::nullopt;
    if (!bytes) {
        error = "Resource " + group.Name + " not found in " + path;
        return false;
    }
    const uint16_t count = GroupEntryCount(*bytes);
    group.ImageCount = count;
    group.Images.assign(count, {});
    for (uint16_t j = 0; j < count; ++j) {
        ByteReader entry(*bytes, kGroupHeaderSize + uint64_t(j) * kGroupEntrySize);
        if (!readImage(group.Images[j], entry, images)) {
            group.Images.resize(j);
            group.ImageCount = j;
            break;
        }
    }
    return true;
}

// The shared walk of icon and cursor groups: names in directory order into
// the caller-sized list, then every group reopened and read.
template <class Group, class ReadImage>
uint8_t LoadGroups(CommonData& cd, const ResourceModule& module, const std::string& path, std::vector<Group>& list,
                   int32_t groupCount, uint16_t groupType, uint16_t imageType, ReadImage readImage) {
    const LoadBudget budget(module.FileSize());
    std::string error;
    const TypeTable groups = module.Table(groupType);
    const TypeTable images = module.Table(imageType);
    RecordNames(list, groups.Names());
    const size_t count = std::min(size_t(std::max(groupCount, 0)), list.size());
    for (size_t i = 0; i < count; ++i) {
        if (!ReadGroup(list[i], groups, images, path, error, readImage)) {
            cd.LastError = error;
            return 1;
        }
    }
    return 0;
}

// Opens path as a data module and runs load over it; status 1 with the
// error recorded when it does not open.
template <class Load>
uint8_t WithModule(CommonData& cd, const std::string& path, Load load) {
    std::string error;
    const std::unique_ptr<ResourceModule> module = ResourceModule::Open(path, &error);
    if (!module) {
        cd.LastError = error;
        return 1;
    }
    return load(*module);
}

} // namespace

uint8_t LoadIconsPE(CommonData& cd, const ResourceModule& module, const std::string& path) {
    return LoadGroups(cd, module, path, cd.IconGroups, cd.IconGroupCount, RT_GROUP_ICON, RT_ICON, ReadIconImage);
}

uint8_t LoadCursorsPE(CommonData& cd, const ResourceModule& module, const std::string& path) {
    return LoadGroups(cd, module, path, cd.CursorGroups, cd.CursorGroupCount, RT_GROUP_CURSOR, RT_CURSOR,
                      ReadCursorImage);
}

uint8_t LoadIconsPE(CommonData& cd, const std::string& path) {
    return WithModule(cd, path, [&](const ResourceModule& m) { return LoadIconsPE(cd, m, path); });
}

uint8_t LoadCursorsPE(CommonData& cd, const std::string& path) {
    return WithModule(cd, path, [&](const ResourceModule& m) { return LoadCursorsPE(cd, m, path); });
}

uint8_t LoadBitmapsPE(CommonData& cd, const std::string& path) {
    return WithModule(cd, path, [&](const ResourceModule& m) { return LoadBitmapsPE(cd, m); });
}

uint8_t LoadBitmapsPE(CommonData& cd, const ResourceModule& module) {
    const LoadBudget budget(module.FileSize());
    const TypeTable bitmaps = module.Table(RT_BITMAP);
    size_t index = 0;
    for (const ResName& name : bitmaps.Names()) {
        if (index >= cd.Bitmaps.size()) break;
        TAdvBmp& bmp = cd.Bitmaps[index];
        bmp.Name = name.isId ? std::to_string(name.id) : name.name;
        bmp.IsNamed = name.isId ? 0 : 1;
        const std::optional<ByteView> resource = bitmaps.Find(name);
        if (!resource) continue;
        Bitmap decoded = DecodeBitmapResource(*resource);
        // A bitmap that does not decode is skipped: the next one takes its entry.
        if (!decoded.HasHandle()) continue;
        bmp.PixelFormat = decoded.pixelFormat;
        bmp.Width = decoded.width;
        bmp.Height = decoded.height;
        bmp.TransparentColor = ColorFromArgb(decoded.Pixel(0, decoded.height - 1));
        bmp.Bitmap = std::make_shared<Bitmap>(std::move(decoded));
        RaiseMaxBmpSize(cd, bmp.Width, bmp.Height);
        ++index;
    }
    return 0;
}

} // namespace gw
