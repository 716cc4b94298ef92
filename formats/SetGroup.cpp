#include "formats/SetGroup.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "formats/CursorManage.h"
#include "formats/GroupDirectory.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "formats/ResTypes.h"
#include "platform/PngDecode.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr uint64_t kFileEntrySize = 16;        // an .ico/.cur directory entry
constexpr uint64_t kGroupEntryIdOffset = 12;  // a group entry's image id
constexpr uint16_t kIconType = 1;
constexpr uint16_t kCursorType = 2;

// One image as the resources store it: its data and its group entry
// without the id (12 bytes).
struct NewImage {
    Bytes data;
    Bytes entryHead;
};

// An image of an .ico or .cur file that does not decode, said with its
// number and what is wrong, at its data's offset in the file: a program must
// not be given an icon that nothing can draw.
template <class Image>
std::optional<ReadError> Undecodable(ByteView file, const std::vector<Image>& images) {
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& im = images[i];
        if (im.Decodes()) continue;
        const uint64_t at = std::min<uint64_t>(PeekU32(file, kGroupHeaderSize + kFileEntrySize * i + 12), file.size());
        const ByteView data(im.Data.data(), im.Data.size());
        static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::string why;
        if (data.empty())
            why = "it holds no bytes";
        else if (data.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, data.begin()))
            why = "its PNG data is damaged";
        else if (const uint32_t header = PeekU32(data, 0); header == 12 || header == 40 || header == 52 || header == 56 || header == 64 ||
                                                          header == 108 || header == 124)
            why = "its bitmap (" + std::to_string(int32_t(PeekU32(data, 4))) + " x " +
                  std::to_string(int32_t(PeekU32(data, 8)) / 2) + ") does not decode from its " +
                  GroupedNumber(data.size()) + " bytes";
        else
            why = "it is neither a PNG image nor a bitmap";
        return ReadError::Invalid(at, "image " + std::to_string(i + 1) + " of " + std::to_string(images.size()) +
                                          " does not decode: " + why,
                                  file.size());
    }
    return std::nullopt;
}

std::optional<ReadError> IconImages(ByteView file, std::vector<NewImage>& out) {
    ReadResult<IconGroup> read = ParseIconFile(file);
    if (read.error) return read.error;
    if (std::optional<ReadError> e = Undecodable(file, read.records.Images)) return e;
    for (const IconImage& im : read.records.Images) {
        NewImage n;
        n.data = im.Data.ToBytes();
        PutU8(n.entryHead, im.Width);
        PutU8(n.entryHead, im.Height);
        PutU8(n.entryHead, im.ColorCount);
        PutU8(n.entryHead, im.Reserved);
        PutU16(n.entryHead, im.Planes);
        PutU16(n.entryHead, im.BitCount);
        PutU32(n.entryHead, uint32_t(n.data.size()));
        out.push_back(std::move(n));
    }
    return std::nullopt;
}

std::optional<ReadError> CursorImages(ByteView file, std::vector<NewImage>& out) {
    ByteReader header(file);
    const uint16_t reserved = header.u16(), type = header.u16(), count = header.u16();
    if (!header.ok()) return ReadError::Truncated(0, "the cursor file header", kGroupHeaderSize, file.size());
    if (reserved != 0 || type != kCursorType || count == 0)
        return ReadError::Invalid(0, "not a cursor file (its header is not that of a .cur file)", file.size());
    ReadResult<CursorGroup> read = ParseCursorFile(file);
    if (read.error) return read.error;
    if (std::optional<ReadError> e = Undecodable(file, read.records.Images)) return e;
    for (size_t j = 0; j < read.records.Images.size(); ++j) {
        CursorImage im = read.records.Images[j];
        // The directory's width and height stand in when the image's own
        // header gives none.
        const uint64_t entry = kGroupHeaderSize + kFileEntrySize * j;
        if (im.Width == 0) im.Width = DrawnSide(PeekU16(file, entry) & 0xFF);
        if (im.Height == 0) im.Height = uint16_t(2 * DrawnSide(PeekU16(file, entry) >> 8));
        NewImage n;
        PutU16(n.data, im.HotspotX);
        PutU16(n.data, im.HotspotY);
        n.data.insert(n.data.end(), im.Data.begin(), im.Data.end());
        PutU16(n.entryHead, im.Width);
        PutU16(n.entryHead, im.Height);
        PutU16(n.entryHead, 1);
        PutU16(n.entryHead, im.BitCount);
        PutU32(n.entryHead, uint32_t(n.data.size()));
        out.push_back(std::move(n));
    }
    return std::nullopt;
}

// The image ids a group resource names (as many entries as its bytes hold).
std::vector<uint16_t> NamedIds(const Bytes& group) {
    std::vector<uint16_t> ids;
    for (uint64_t i = 0; i < HeldGroupCount(group); ++i)
        ids.push_back(PeekU16(group, kGroupHeaderSize + kGroupEntrySize * i + kGroupEntryIdOffset));
    return ids;
}

bool IsType(const ResourceEntry& e, uint16_t type) { return e.type.isId && e.type.id == type; }

// A new name as resource compilers store names: upper-cased in ASCII, as
// the system's lookup upper-cases the name it is asked for.
ResourceKey StoredForm(ResourceKey key) {
    for (char16_t& c : key.name) c = UpperAsciiUnit(c);
    return key;
}

} // namespace

GroupReplace ReplaceGroup(ResourceTable& table, GroupKind kind, ByteView imageFile, const GroupTarget& target) {
    GroupReplace result;
    const uint16_t groupType = kind == GroupKind::Icon ? RT_GROUP_ICON : RT_GROUP_CURSOR;
    const uint16_t imageType = kind == GroupKind::Icon ? RT_ICON : RT_CURSOR;
    std::vector<NewImage> images;
    result.error = kind == GroupKind::Icon ? IconImages(imageFile, images) : CursorImages(imageFile, images);
    if (!result.error && images.empty()) result.error = ReadError::Invalid(0, "the file holds no images", imageFile.size());
    if (result.error) {
        result.inImageFile = true;
        return result;
    }

    // The group: the one named, else the first of its type.
    GroupChange& change = result.change;
    const ResourceEntry* found = nullptr;
    for (const ResourceEntry& e : table.entries)
        if (IsType(e, groupType) && (!target.name || KeyMatches(e.name, *target.name))) {
            found = &e;
            break;
        }
    if (!found && target.name && !target.addGroup) {
        // A group asked for by name that is not there: most likely a typo,
        // and adding it would change the icon a desktop shows.
        std::vector<std::string> names;
        for (const ResourceEntry& e : table.entries)
            if (IsType(e, groupType) && (names.empty() || names.back() != e.name.Text())) names.push_back(e.name.Text());
        const char* noun = kind == GroupKind::Icon ? "icon" : "cursor";
        result.refusal = std::string("there is no ") + noun + " group " + target.name->Text() + "; ";
        if (names.empty()) {
            result.refusal += std::string("the file has no ") + noun + " groups";
        } else {
            result.refusal += "the file's " + std::string(noun) + " groups are ";
            for (size_t i = 0; i < names.size(); ++i) result.refusal += (i ? ", " : "") + names[i];
        }
        result.refusal += " (adding a new group must be asked for)";
        return result;
    }
    change.name = found ? found->name : target.name ? StoredForm(*target.name) : ResourceKey::Id(1);
    change.created = !found;
    if (target.language) {
        change.languages = {*target.language};
    } else {
        for (const ResourceEntry& e : table.entries)
            if (IsType(e, groupType) && e.name == change.name) change.languages.push_back(e.language);
        if (change.languages.empty()) change.languages = {0};
    }
    auto replaced = [&](const ResourceEntry& e) {
        return IsType(e, groupType) && e.name == change.name &&
               std::find(change.languages.begin(), change.languages.end(), e.language) != change.languages.end();
    };

    // The old images, and those another group still names.
    std::set<uint16_t> old, stillNamed;
    for (const ResourceEntry& e : table.entries) {
        if (!IsType(e, groupType)) continue;
        for (uint16_t id : NamedIds(e.data)) (replaced(e) ? old : stillNamed).insert(id);
    }
    std::set<uint16_t> removable;
    std::set_difference(old.begin(), old.end(), stillNamed.begin(), stillNamed.end(),
                        std::inserter(removable, removable.end()));

    // The lowest ids no remaining image or group uses.
    std::set<uint16_t> used = stillNamed;
    for (const ResourceEntry& e : table.entries)
        if (IsType(e, imageType) && e.name.isId && !removable.count(e.name.id)) used.insert(e.name.id);
    for (uint32_t id = 1; id <= 0xFFFF && change.imageIds.size() < images.size(); ++id)
        if (!used.count(uint16_t(id))) change.imageIds.push_back(uint16_t(id));
    if (change.imageIds.size() < images.size()) {
        result.error = ReadError{ReadErrorKind::Unsupported, 0, "no free image ids are left for the group's images"};
        change.imageIds.clear();
        return result;
    }

    // The new group resource.
    Bytes group;
    PutU16(group, 0);
    PutU16(group, kind == GroupKind::Icon ? kIconType : kCursorType);
    PutU16(group, uint16_t(images.size()));
    for (size_t j = 0; j < images.size(); ++j) {
        group.insert(group.end(), images[j].entryHead.begin(), images[j].entryHead.end());
        PutU16(group, change.imageIds[j]);
    }
    change.imageLanguage = change.languages.front();

    // The old images go; the new ones stand where the group stands (resource
    // compilers put the images before their group), or at the end.
    std::vector<ResourceEntry>& entries = table.entries;
    const size_t before = entries.size();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const ResourceEntry& e) {
                                     return IsType(e, imageType) && e.name.isId && removable.count(e.name.id);
                                 }),
                  entries.end());
    change.removedImages = before - entries.size();
    size_t at = entries.size();
    for (size_t i = 0; i < entries.size(); ++i)
        if (replaced(entries[i])) {
            at = i;
            break;
        }
    std::vector<ResourceEntry> added;
    for (size_t j = 0; j < images.size(); ++j)
        added.push_back(NewResource(ResourceKey::Id(imageType), ResourceKey::Id(change.imageIds[j]),
                                    change.imageLanguage, std::move(images[j].data)));
    entries.insert(entries.begin() + at, std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    for (uint16_t language : change.languages)
        ReplaceResource(table, ResourceKey::Id(groupType), change.name, language, group);
    return result;
}

PngIcoFile IcoFileFromPngs(const std::vector<ByteView>& pngs) {
    PngIcoFile out;
    if (pngs.empty() || pngs.size() > 0xFFFF) {
        out.error = ReadError::Invalid(0, "an icon group takes from 1 to 65,535 images", 0);
        return out;
    }
    constexpr uint32_t kStoredAsPng = 256;
    std::vector<Bytes> images;
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    for (size_t i = 0; i < pngs.size(); ++i) {
        PngPixels pixels;
        if (!IsPng(pngs[i]) || !DecodePng(pngs[i], pixels)) {
            out.failed = i;
            out.error = ReadError::Invalid(0, IsPng(pngs[i]) ? "its PNG data is damaged" : "it is not a PNG image",
                                           pngs[i].size());
            return out;
        }
        sizes.emplace_back(pixels.width, pixels.height);
        if (pixels.width >= kStoredAsPng || pixels.height >= kStoredAsPng)
            images.emplace_back(pngs[i].begin(), pngs[i].end());
        else
            images.push_back(IconDibFromArgb(pixels.width, pixels.height, pixels.argb));
    }
    Bytes& ico = out.ico;
    PutU16(ico, 0);
    PutU16(ico, kIconType);
    PutU16(ico, uint16_t(images.size()));
    uint64_t at = kGroupHeaderSize + kFileEntrySize * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        // A side of 256 or more is written as 0, as .ico files say it.
        PutU8(ico, sizes[i].first >= kStoredAsPng ? 0 : uint8_t(sizes[i].first));
        PutU8(ico, sizes[i].second >= kStoredAsPng ? 0 : uint8_t(sizes[i].second));
        PutU8(ico, 0);
        PutU8(ico, 0);
        PutU16(ico, 1);
        PutU16(ico, 32);
        PutU32(ico, uint32_t(images[i].size()));
        PutU32(ico, uint32_t(at));
        at += images[i].size();
    }
    for (const Bytes& image : images) ico.insert(ico.end(), image.begin(), image.end());
    return out;
}

std::string OtherImageKind(ByteView file) {
    if (IsPng(file)) return "a PNG image";
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return "a BMP image";
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') return "a program or library";
    return {};
}

FileGroupReplace ReplaceGroupInFile(ByteView file, GroupKind kind, ByteView imageFile, const GroupTarget& target,
                                    const ResourceWriteOptions& options) {
    FileGroupReplace out;
    ResourceTableRead read = ReadResourceTable(file);
    if (read.error) {
        out.write.error = read.error;
        return out;
    }
    GroupReplace replace = ReplaceGroup(read.table, kind, imageFile, target);
    out.change = replace.change;
    out.refusal = replace.refusal;
    if (!replace.refusal.empty()) return out;
    if (replace.error) {
        out.write.error = replace.error;
        out.inImageFile = replace.inImageFile;
        return out;
    }
    out.write = WriteResourceTable(file, read.table, options);
    return out;
}

} // namespace gw
