#include "batch/core/FileInformation.h"

#include <cstdio>
#include <iterator>
#include <utility>

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

std::string OtherValue(uint32_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "Other (0x%08x)", unsigned(value));
    return text;
}

// The fixed part's values in words (info --json keeps the constants' names).
std::string OperatingSystemWords(uint32_t fileOs) {
    static constexpr std::pair<uint32_t, const char*> kWords[] = {
        {0x00000000, "Unknown"},
        {0x00010000, "MS-DOS"},
        {0x00020000, "16-bit OS/2"},
        {0x00030000, "32-bit OS/2"},
        {0x00040000, "Windows NT"},
        {0x00050000, "Windows CE"},
        {0x00000001, "16-bit Windows"},
        {0x00000002, "16-bit Presentation Manager"},
        {0x00000003, "32-bit Presentation Manager"},
        {0x00000004, "32-bit Windows"},
        {0x00010001, "16-bit Windows on MS-DOS"},
        {0x00010004, "32-bit Windows on MS-DOS"},
        {0x00020002, "16-bit Presentation Manager on 16-bit OS/2"},
        {0x00030003, "32-bit Presentation Manager on 32-bit OS/2"},
        {0x00040004, "32-bit Windows on Windows NT"},
    };
    for (const auto& [value, words] : kWords)
        if (value == fileOs) return words;
    return OtherValue(fileOs);
}

std::string FileTypeWords(uint32_t fileType) {
    static constexpr std::pair<uint32_t, const char*> kWords[] = {
        {0, "Unknown"}, {1, "Application"}, {2, "Library"},        {3, "Driver"},
        {4, "Font"},    {5, "Virtual device driver"}, {7, "Static library"},
    };
    for (const auto& [value, words] : kWords)
        if (value == fileType) return words;
    return OtherValue(fileType);
}

std::vector<std::string> FlagWords(const FixedFileInfo& fixed) {
    static constexpr const char* kWords[] = {"Debug build", "Pre-release", "Patched", "Private build",
                                             "Information inferred", "Special build"};
    std::vector<std::string> words;
    const uint32_t set = fixed.fileFlags & fixed.fileFlagsMask;
    for (uint32_t bit = 0; bit < 32; ++bit) {
        if (!(set & (uint32_t(1) << bit))) continue;
        words.push_back(bit < std::size(kWords) ? std::string(kWords[bit]) : OtherValue(uint32_t(1) << bit));
    }
    return words;
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
            if (const std::vector<std::string> flags = FlagWords(*fixed); !flags.empty())
                text += "  Flags: " + Joined(flags, ", ") + "\n";
            text += "  Operating system: " + OperatingSystemWords(fixed->fileOs) + "\n";
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
