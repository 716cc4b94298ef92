#include "batch/core/FileInformation.h"

#include "formats/Document.h"
#include "formats/FileContents.h"
#include "formats/FileKind.h"
#include "formats/VersionInfo.h"
#include "platform/LanguageName.h"

namespace gw {

namespace {

template <class Records>
void AddLanguages(const Records& records, std::set<uint16_t>& held, bool& told) {
    for (const auto& record : records) {
        told = told || TellsLanguage(record);
        held.insert(record.Languages.begin(), record.Languages.end());
    }
}

std::string Joined(const std::vector<std::string>& parts, const char* between) {
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : between) + part;
    return out;
}

} // namespace

std::set<uint16_t> LanguagesHeld(Document& doc, RecordKind kind) {
    doc.Load(kind);
    const FileContents& contents = doc.Contents();
    std::set<uint16_t> held;
    bool told = false;
    switch (kind) {
    case RecordKind::Icons: AddLanguages(contents.IconGroups, held, told); break;
    case RecordKind::Cursors: AddLanguages(contents.CursorGroups, held, told); break;
    case RecordKind::Bitmaps: AddLanguages(contents.Bitmaps, held, told); break;
    case RecordKind::Animations: AddLanguages(contents.Animations, held, told); break;
    default: break;
    }
    return told ? held : std::set<uint16_t>{};
}

std::set<uint16_t> LanguagesHeld(Document& doc) {
    doc.LoadAll();
    const FileContents& contents = doc.Contents();
    std::set<uint16_t> held;
    bool told = false;
    AddLanguages(contents.IconGroups, held, told);
    AddLanguages(contents.CursorGroups, held, told);
    AddLanguages(contents.Bitmaps, held, told);
    AddLanguages(contents.Animations, held, told);
    return told ? held : std::set<uint16_t>{};
}

namespace {

// The languages records are held in, and those they were read in.
template <class Records>
void AddUsedAndHeld(const Records& records, std::set<uint16_t>& used, std::set<uint16_t>& held) {
    for (const auto& record : records) {
        if (record.Languages.empty()) continue; // a file without languages
        used.insert(record.Language);
        held.insert(record.Languages.begin(), record.Languages.end());
    }
}

std::string LanguageList(const std::set<uint16_t>& languages, const char* between) {
    std::vector<std::string> names;
    for (uint16_t language : languages) names.push_back(LanguageName(language));
    return Joined(names, between);
}

} // namespace

std::string LanguageNotHeldText(Document& doc) {
    const std::optional<uint16_t> asked = doc.Language();
    if (!asked) return {};
    doc.LoadAll();
    const FileContents& contents = doc.Contents();
    std::set<uint16_t> used, held;
    AddUsedAndHeld(contents.IconGroups, used, held);
    AddUsedAndHeld(contents.CursorGroups, used, held);
    AddUsedAndHeld(contents.Bitmaps, used, held);
    AddUsedAndHeld(contents.Animations, used, held);
    if (held.empty() || held.count(*asked)) return {};
    return LanguageName(*asked) + " is not in the file; used " + LanguageList(used, " and ") +
           " instead (the file holds " + LanguageList(held, "; ") + ")";
}

std::string FileInformationText(Document& doc) {
    std::string text = "File: " + doc.Path() + "\n";
    text += std::string("Kind: ") + FileKindText(doc.Kind()) + "\n";
    if (!doc.Readable()) {
        for (const ReadError& e : doc.Errors()) text += "Cannot be read: " + e.Describe() + "\n";
        return text;
    }
    const std::set<uint16_t> languages = LanguagesHeld(doc);
    const FileCounts& counts = doc.Counts();
    text += "Icon groups: " + std::to_string(counts.iconGroups) + "\n";
    text += "Cursor groups: " + std::to_string(counts.cursorGroups) + "\n";
    text += "Bitmaps: " + std::to_string(counts.bitmaps) + "\n";
    text += "Animated cursors and icons: " + std::to_string(counts.animations) + "\n";
    if (!doc.ResourcesFrom().empty()) text += "Images read from: " + doc.ResourcesFrom() + "\n";
    if (!languages.empty()) {
        std::vector<std::string> names;
        for (uint16_t language : languages) names.push_back(LanguageName(language));
        text += "Languages: " + Joined(names, "; ") + "\n";
        if (doc.Language()) text += "Language shown: " + LanguageName(*doc.Language()) + "\n";
    }
    const std::optional<VersionInfo>& version = doc.Version();
    if (!version) {
        text += "Version information: none\n";
    } else {
        text += "Version information:\n";
        if (const auto& fixed = version->fixed) {
            text += "  File version: " + VersionNumberText(fixed->fileVersion) + "\n";
            text += "  Product version: " + VersionNumberText(fixed->productVersion) + "\n";
            if (const std::vector<std::string> flags = FileFlagWords(*fixed); !flags.empty())
                text += "  Flags: " + Joined(flags, ", ") + "\n";
            text += "  Operating system: " + FileOsWords(fixed->fileOs) + "\n";
            text += "  File type: " + FileTypeWords(fixed->fileType) + "\n";
        }
        for (const VersionStringTable& table : version->tables) {
            text += "  Strings (" + table.language + "):\n";
            for (const VersionString& s : table.strings) text += "    " + s.key + ": " + s.value + "\n";
        }
        if (!version->translations.empty()) {
            std::vector<std::string> translations;
            for (const VersionTranslation& t : version->translations) translations.push_back(TranslationText(t));
            text += "  Translations: " + Joined(translations, ", ") + "\n";
        }
    }
    if (doc.Errors().empty()) {
        text += "Damage: none found\n";
    } else {
        text += "Damage:\n";
        for (const ReadError& e : doc.Errors()) text += "  " + e.Describe() + "\n";
    }
    return text;
}

} // namespace gw
