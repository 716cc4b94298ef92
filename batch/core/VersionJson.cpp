#include "batch/core/VersionJson.h"

#include <nlohmann/json.hpp>

#include "batch/core/JsonLine.h"
#include "platform/Text.h"

namespace gw {

nlohmann::json VersionInfoJson(const VersionInfo& info) {
    using json = nlohmann::json;
    json j = json::object();
    if (info.fixed) {
        const FixedFileInfo& f = *info.fixed;
        j["file_version"] = VersionNumberText(f.fileVersion);
        j["product_version"] = VersionNumberText(f.productVersion);
        j["file_flags"] = FileFlagNames(f);
        j["file_os"] = FileOsText(f.fileOs);
        j["file_type"] = FileTypeText(f.fileType);
    }
    json strings = json::object();
    for (const VersionStringTable& table : info.tables) {
        json& entries = strings[ValidUtf8(table.language)];
        if (entries.is_null()) entries = json::object();
        for (const VersionString& s : table.strings) {
            const std::string key = ValidUtf8(s.key);
            if (!entries.contains(key)) entries[key] = ValidUtf8(s.value);
        }
    }
    j["strings"] = std::move(strings);
    json translations = json::array();
    for (const VersionTranslation& t : info.translations) translations.push_back(TranslationText(t));
    j["translations"] = std::move(translations);
    return j;
}

std::string VersionInfoJsonLine(const VersionInfo& info) { return DumpJsonLine(VersionInfoJson(info)); }

} // namespace gw
