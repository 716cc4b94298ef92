// Writing version information, and the edits set-version makes to it.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "formats/VersionInfo.h"
#include "formats/VersionLayout.h"
#include "platform/ByteReader.h"
#include "platform/Text.h"

namespace gw {

using namespace version_layout;

namespace {

// UTF-8 to UTF-16 code units; the text is made valid UTF-8 first.
std::vector<uint16_t> Utf16Of(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    return {units.begin(), units.end()};
}

void PadTo4(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}

void PutText(Bytes& out, const std::vector<uint16_t>& units) {
    for (uint16_t u : units) PutU16(out, u);
    PutU16(out, 0);
}

// Writes one block: header, key, padding, value, then each child after
// padding; the length is patched in once the last child is written. A
// block longer than a length can say is cut at the 64 KiB its length holds.
template <class Children>
void PutBlock(Bytes& out, std::string_view key, uint16_t type, uint16_t valueLength, ByteView value,
              Children children) {
    const size_t start = out.size();
    PutU16(out, 0);
    PutU16(out, valueLength);
    PutU16(out, type);
    PutText(out, Utf16Of(key));
    PadTo4(out);
    out.insert(out.end(), value.begin(), value.end());
    children();
    const size_t length = std::min<size_t>(out.size() - start, 0xFFFF);
    out[start] = uint8_t(length);
    out[start + 1] = uint8_t(length >> 8);
}

void NoChildren() {}

Bytes FixedBytes(const FixedFileInfo& f) {
    Bytes b;
    PutU32(b, kFixedSignature);
    PutU32(b, f.structVersion);
    for (const VersionNumber* v : {&f.fileVersion, &f.productVersion}) {
        PutU32(b, uint32_t((*v)[0]) << 16 | (*v)[1]);
        PutU32(b, uint32_t((*v)[2]) << 16 | (*v)[3]);
    }
    for (uint32_t field : {f.fileFlagsMask, f.fileFlags, f.fileOs, f.fileType, f.fileSubtype, f.fileDateMs,
                           f.fileDateLs})
        PutU32(b, field);
    return b;
}

bool SetNumber(VersionInfo& info, VersionNumber FixedFileInfo::*field, std::string_view text, std::string* why) {
    const std::optional<VersionNumber> number = ParseVersionNumber(text);
    if (!number) {
        if (why) *why = Quoted(text) + " is not a version of four numbers 0 to 65535, such as 1.2.3.4";
        return false;
    }
    if (!info.fixed) info.fixed.emplace();
    (*info.fixed).*field = *number;
    return true;
}

} // namespace

Bytes WriteVersionInfo(const VersionInfo& info) {
    Bytes out;
    const Bytes fixed = FixedBytes(info.fixed.value_or(FixedFileInfo{}));
    const auto rootChildren = [&] {
        if (!info.tables.empty()) {
            PadTo4(out);
            PutBlock(out, kStringFileInfo, kTextValue, 0, {}, [&] {
                for (const VersionStringTable& table : info.tables) {
                    PadTo4(out);
                    PutBlock(out, table.language, kTextValue, 0, {}, [&] {
                        for (const VersionString& s : table.strings) {
                            PadTo4(out);
                            Bytes value;
                            const std::vector<uint16_t> units = Utf16Of(s.value);
                            PutText(value, units);
                            const auto count = uint16_t(std::min<size_t>(units.size() + 1, 0xFFFF));
                            PutBlock(out, s.key, kTextValue, count, value, NoChildren);
                        }
                    });
                }
            });
        }
        if (!info.translations.empty()) {
            PadTo4(out);
            PutBlock(out, kVarFileInfo, kTextValue, 0, {}, [&] {
                PadTo4(out);
                Bytes pairs;
                for (const VersionTranslation& t : info.translations) {
                    PutU16(pairs, t.language);
                    PutU16(pairs, t.codePage);
                }
                PutBlock(out, kTranslation, kBinaryValue, uint16_t(std::min<size_t>(pairs.size(), 0xFFFF)), pairs,
                         NoChildren);
            });
        }
    };
    PutBlock(out, kRootKey, kBinaryValue, uint16_t(kFixedSize), fixed, rootChildren);
    return out;
}

bool SetFileVersion(VersionInfo& info, std::string_view text, std::string* why) {
    return SetNumber(info, &FixedFileInfo::fileVersion, text, why);
}

bool SetProductVersion(VersionInfo& info, std::string_view text, std::string* why) {
    return SetNumber(info, &FixedFileInfo::productVersion, text, why);
}

bool SetVersionString(VersionInfo& info, std::string_view key, std::string_view value,
                      std::optional<uint16_t> language) {
    if (key.empty()) return false;
    VersionStringTable* table = nullptr;
    if (!language) {
        if (!info.tables.empty()) table = &info.tables.front();
    } else {
        char prefix[5];
        std::snprintf(prefix, sizeof prefix, "%04x", unsigned(*language));
        for (VersionStringTable& t : info.tables) {
            if (t.language.size() < 4) continue;
            std::string head = t.language.substr(0, 4);
            for (char& c : head) c = char(std::tolower(static_cast<unsigned char>(c)));
            if (head == prefix) {
                table = &t;
                break;
            }
        }
    }
    if (!table) {
        const VersionTranslation pair{language.value_or(0x0409), 0x04B0};
        info.tables.push_back({TranslationText(pair), {}});
        table = &info.tables.back();
        if (std::find(info.translations.begin(), info.translations.end(), pair) == info.translations.end())
            info.translations.push_back(pair);
    }
    for (VersionString& s : table->strings) {
        if (s.key == key) {
            s.value = std::string(value);
            return true;
        }
    }
    table->strings.push_back({std::string(key), std::string(value)});
    return true;
}

} // namespace gw
