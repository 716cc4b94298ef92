#include "formats/SetVersion.h"

#include <cstdlib>

#include "formats/VersionInfo.h"
#include "platform/ReadError.h"

namespace gw {

namespace {

constexpr size_t kMaxVersionSize = 0xFFFF;

} // namespace

FileVersionReplace ReplaceVersionInFile(ByteView file, const VersionEdits& edits, const ResourceWriteOptions& options) {
    FileVersionReplace out;
    if (edits.Empty()) {
        out.refusal = kNoVersionEdits;
        return out;
    }
    ResourceTableRead read = ReadResourceTable(file);
    if (read.error) {
        out.write.error = read.error;
        return out;
    }
    // The version resource of the language asked for, else the first in the
    // file; a file without one gets one in US English.
    const ResourceKey versionType = ResourceKey::Id(kVersionResourceType);
    ResourceKey name = ResourceKey::Id(1);
    uint16_t language = edits.language.value_or(kUsEnglish);
    const ResourceEntry* existing = nullptr;
    for (const ResourceEntry& e : read.table.entries)
        if (e.type == versionType && (!edits.language || e.language == *edits.language)) {
            existing = &e;
            break;
        }
    VersionInfo info;
    out.created = !existing;
    if (existing) {
        name = existing->name;
        language = existing->language;
        ReadResult<std::optional<VersionInfo>> parsed = ParseVersionInfo(ByteView(existing->data));
        if (parsed.error || !parsed.records) {
            // Said at its offset in the file, as info says it.
            out.write.error = (parsed.error ? *parsed.error
                                            : ReadError::Invalid(0, "the version information is empty", 0))
                                  .At(existing->dataAt, file.size());
            return out;
        }
        info = std::move(*parsed.records);
    }
    std::string why;
    if (!edits.fileVersion.empty() && !SetFileVersion(info, edits.fileVersion, &why)) {
        out.refusal = "the file version: " + why;
        return out;
    }
    if (!edits.productVersion.empty() && !SetProductVersion(info, edits.productVersion, &why)) {
        out.refusal = "the product version: " + why;
        return out;
    }
    if (!info.fixed) info.fixed.emplace(); // a new block always has its fixed part
    // The strings go into the table of the resource's language, else the
    // first table (a neutral resource's table names a language).
    std::optional<uint16_t> tableLanguage;
    for (const VersionStringTable& table : info.tables)
        if (table.language.size() >= 4 && std::strtoul(table.language.substr(0, 4).c_str(), nullptr, 16) == language)
            tableLanguage = language;
    for (const auto& [key, value] : edits.strings)
        if (!SetVersionString(info, key, value, tableLanguage)) {
            out.refusal = "a version string needs a key";
            return out;
        }
    if (info.tables.empty() && info.translations.empty()) info.translations.push_back(VersionTranslation{});
    Bytes block = WriteVersionInfo(info);
    // Every block's length is 16 bits, the whole resource's too: a longer
    // one would be written cut, its last strings lost.
    if (block.size() > kMaxVersionSize) {
        out.refusal = "the version information would be " + GroupedNumber(block.size()) +
                      " bytes long, more than the " + GroupedNumber(kMaxVersionSize) + " a version resource can hold";
        return out;
    }
    out.name = name;
    out.language = language;
    ReplaceResource(read.table, versionType, name, language, std::move(block));
    out.write = WriteResourceTable(file, read.table, options);
    return out;
}

} // namespace gw
