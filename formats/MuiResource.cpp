#include "formats/MuiResource.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/ResourceModule.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr uint64_t kChecksumsAt = 28;
constexpr uint64_t kSpansAt = 84;

// The bytes of a span, or nothing when it is absent or outside the resource.
std::optional<ByteView> SpanBytes(ByteView resource, const MuiSpan& span) {
    if (span.offset == 0 && span.size == 0) return ByteView{};
    if (!InBounds(span.offset, span.size, resource.size())) return std::nullopt;
    return resource.subspan(span.offset, span.size);
}

// A list of names, each ending in a zero unit, the list in an empty name.
std::vector<std::string> ReadNames(ByteView bytes) {
    std::vector<std::string> names;
    std::vector<uint16_t> units;
    for (uint64_t at = 0; at + 2 <= bytes.size(); at += 2) {
        const uint16_t unit = PeekU16(bytes, at);
        if (unit != 0) {
            units.push_back(unit);
            continue;
        }
        if (units.empty()) break;
        names.push_back(Utf16ToUtf8(units));
        units.clear();
    }
    if (!units.empty()) names.push_back(Utf16ToUtf8(units));
    return names;
}

std::vector<uint32_t> ReadIds(ByteView bytes) {
    std::vector<uint32_t> ids;
    ids.reserve(size_t(bytes.size() / 4));
    for (uint64_t at = 0; at + 4 <= bytes.size(); at += 4) ids.push_back(PeekU32(bytes, at));
    return ids;
}

// One name up to its zero unit.
std::string ReadText(ByteView bytes) {
    std::vector<std::string> names = ReadNames(bytes);
    return names.empty() ? std::string() : std::move(names.front());
}

// The one entry of folder named name, ignoring ASCII case; an exact match first.
std::optional<std::string> EntryNamed(const std::string& folder, const std::string& name, bool wantFolder) {
    const std::string wanted = LowerAscii(name);
    std::vector<std::string> matches;
    for (const FolderEntry& e : ListFolder(folder)) {
        if (e.IsFolder() != wantFolder || LowerAscii(e.name) != wanted) continue;
        if (e.name == name) return JoinPath(folder, e.name);
        matches.push_back(e.name);
    }
    if (matches.empty()) return std::nullopt;
    // Several names differing only in case: the same one every time.
    return JoinPath(folder, *std::min_element(matches.begin(), matches.end()));
}

// The folder holding path's folder, spelt so that it can be opened.
std::string ParentOfFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "..";
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    if (folder == "/") return "/";
    const size_t up = folder.find_last_of('/');
    const std::string last = up == std::string::npos ? folder : folder.substr(up + 1);
    // A folder named "." or ".." has no parent to cut to.
    if (last == "." || last == ".." || last.empty()) return folder + "/..";
    if (up == std::string::npos) return ".";
    return up == 0 ? "/" : folder.substr(0, up);
}

} // namespace

ReadResult<MuiResource> ParseMuiResource(ByteView resource) {
    ReadResult<MuiResource> result;
    MuiResource& mui = result.records;
    const uint64_t size = resource.size();
    if (size < 4 || PeekU32(resource, 0) != kMuiSignature) {
        result.Note(ReadError::Invalid(0, "the MUI resource does not start with its signature", size));
        return result;
    }
    if (size < kMuiHeaderSize) {
        result.Note(ReadError::Truncated(0, "the MUI resource's header", kMuiHeaderSize, size));
        return result;
    }
    mui.Size = PeekU32(resource, 4);
    mui.Version = PeekU32(resource, 8);
    mui.FileType = PeekU32(resource, 16);
    mui.SystemAttributes = PeekU32(resource, 20);
    mui.FallbackLocation = PeekU32(resource, 24);
    std::copy_n(resource.begin() + kChecksumsAt, 16, mui.Checksum.begin());
    std::copy_n(resource.begin() + kChecksumsAt + 16, 16, mui.ServiceChecksum.begin());
    if (mui.Size > size) result.Note(ReadError::Truncated(0, "the MUI resource", mui.Size, size));
    MuiSpan* spans[] = {&mui.MainTypeNamesAt, &mui.MainTypeIdsAt, &mui.MuiTypeNamesAt,
                        &mui.MuiTypeIdsAt,    &mui.LanguageAt,    &mui.FallbackLanguageAt};
    static constexpr const char* kParts[] = {"main type names", "main type ids", "language file type names",
                                             "language file type ids", "language", "fallback language"};
    std::optional<ByteView> parts[6];
    for (size_t i = 0; i < 6; ++i) {
        spans[i]->offset = PeekU32(resource, kSpansAt + i * 8);
        spans[i]->size = PeekU32(resource, kSpansAt + i * 8 + 4);
        parts[i] = SpanBytes(resource, *spans[i]);
        if (!parts[i])
            result.Note(ReadError::Invalid(kSpansAt + i * 8,
                                           std::string("the MUI resource's ") + kParts[i] + " (" +
                                               GroupedNumber(spans[i]->size) + " " +
                                               CountNoun(spans[i]->size, "byte") + " at " +
                                               GroupedNumber(spans[i]->offset) + ") lie outside it",
                                           size));
    }
    if (parts[0]) mui.MainTypeNames = ReadNames(*parts[0]);
    if (parts[1]) mui.MainTypeIds = ReadIds(*parts[1]);
    if (parts[2]) mui.MuiTypeNames = ReadNames(*parts[2]);
    if (parts[3]) mui.MuiTypeIds = ReadIds(*parts[3]);
    if (parts[4]) mui.Language = ReadText(*parts[4]);
    if (parts[5]) mui.FallbackLanguage = ReadText(*parts[5]);
    return result;
}

std::optional<ReadResult<MuiResource>> ReadModuleMui(const ResourceModule& module, ByteView file) {
    const ResourceModule::TypeTable table = module.Table(ResourceKey::Named("MUI"));
    if (table.Names().empty()) return std::nullopt;
    ReadError why;
    const std::optional<ByteView> data = table.Find(ResourceKey::Id(1), &why);
    if (!data) {
        // Type "MUI" without id 1 is some other program's resource.
        bool hasOne = false;
        for (const ResourceKey& n : table.Names()) hasOne = hasOne || (n.isId && n.id == 1);
        if (!hasOne) return std::nullopt;
        ReadResult<MuiResource> failed;
        failed.Note(why);
        return failed;
    }
    ReadResult<MuiResource> read = ParseMuiResource(*data);
    if (read.error) {
        const bool inside = data->data() >= file.data() && data->data() + data->size() <= file.data() + file.size();
        read.error = read.error->At(inside ? uint64_t(data->data() - file.data()) : 0, file.size());
    }
    return read;
}

std::optional<std::string> FindMunFile(const std::string& path) {
    const std::optional<std::string> folder = EntryNamed(ParentOfFolderOf(path), "SystemResources", true);
    if (!folder) return std::nullopt;
    const std::optional<std::string> mun = EntryNamed(*folder, PathFileName(path) + ".mun", false);
    if (!mun || !IsRegularFile(*mun)) return std::nullopt;
    return mun;
}

} // namespace gw
