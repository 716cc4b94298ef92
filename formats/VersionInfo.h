#pragma once
// Version information: the version resource (type 16) of an executable, a
// library or a resource file, read into a record and written back.
//
// The resource is a tree of blocks. The 32-bit form (PE files, 32-bit
// resource files) gives each block a length, a value length, a value type
// and a UTF-16 key; the 16-bit form (NE files, 16-bit resource files) a
// length, a value length and a Windows-1252 key. Keys, values and children
// start on 4-byte boundaries. The root "VS_VERSION_INFO" holds the fixed part
// (numbers: versions, flags, system, type) and, as children, one
// "StringFileInfo" block of string tables (one per language and code page,
// each a list of key -> text) and one "VarFileInfo" block whose
// "Translation" lists the language and code-page pairs the file offers.
//
// Every text here is UTF-8.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {


// The resource type of version information.
constexpr uint16_t kVersionResourceType = 16;

// Four parts, major first: {6, 1, 7601, 17514} is "6.1.7601.17514".
using VersionNumber = std::array<uint16_t, 4>;

// The fixed part (VS_FIXEDFILEINFO without its signature).
struct FixedFileInfo {
    uint32_t structVersion = 0x00010000;
    VersionNumber fileVersion{};
    VersionNumber productVersion{};
    uint32_t fileFlagsMask = 0x3F;
    uint32_t fileFlags = 0;
    uint32_t fileOs = 0x00040004; // VOS_NT_WINDOWS32
    uint32_t fileType = 1;        // VFT_APP
    uint32_t fileSubtype = 0;
    uint32_t fileDateMs = 0;
    uint32_t fileDateLs = 0;

    bool operator==(const FixedFileInfo&) const = default;
};

struct VersionString {
    std::string key;
    std::string value; // up to its terminator, which is not kept

    bool operator==(const VersionString&) const = default;
};

// One string table: its key as stored (language and code page as eight hex
// digits, "040904b0" or "040904B0") and its strings in stored order.
struct VersionStringTable {
    std::string language;
    std::vector<VersionString> strings;

    // The value of the first string with that key (compared exactly), or null.
    const std::string* Find(std::string_view key) const;
    bool operator==(const VersionStringTable&) const = default;
};

// One entry of the Translation list.
struct VersionTranslation {
    uint16_t language = 0x0409;
    uint16_t codePage = 0x04B0;

    bool operator==(const VersionTranslation&) const = default;
};

struct VersionInfo {
    // Absent when the root block holds no fixed part.
    std::optional<FixedFileInfo> fixed;
    // Every table of every StringFileInfo block, in stored order.
    std::vector<VersionStringTable> tables;
    // The Translation list of the VarFileInfo block, in stored order.
    std::vector<VersionTranslation> translations;

    bool operator==(const VersionInfo&) const = default;
};

enum class VersionLayout : uint8_t {
    Wide,   // 32-bit: UTF-16 keys and texts, a type field in each block
    Narrow, // 16-bit: Windows-1252 keys and texts
};

// ---- Reading -------------------------------------------------------------

// Reads the version resource's bytes in the given layout. Returns what could
// be read (nullopt when the root block is not there or is not
// "VS_VERSION_INFO") and the first damage, its offset within bytes: a block
// that runs past its parent (read as far as the parent goes), a length of 0
// or shorter than its own header (the walk of that list ends there), a key
// or string without a terminator in its block, a fixed part that is short or
// lacks its signature. Strings are measured by their terminator, not by the
// stated value length, which compilers disagree on. Never reads outside
// bytes; every step moves forward, so the walk ends.
ReadResult<std::optional<VersionInfo>> ParseVersionInfo(ByteView bytes, VersionLayout layout);
// The same, the layout told from the root key's encoding (Wide when it reads
// as UTF-16 "VS_VERSION_INFO", Narrow when it reads as 8-bit; Wide when
// neither does).
ReadResult<std::optional<VersionInfo>> ParseVersionInfo(ByteView bytes);


// ---- Texts ---------------------------------------------------------------

// "6.1.7601.17514".
std::string VersionNumberText(const VersionNumber& version);
// Parses "a.b.c.d" (exactly four decimal parts, each 0..65535, digits only);
// nullopt otherwise.
std::optional<VersionNumber> ParseVersionNumber(std::string_view text);
// The flags that are set and in the mask, each as its name ("DEBUG",
// "PRERELEASE", "PATCHED", "PRIVATEBUILD", "INFOINFERRED", "SPECIALBUILD");
// other bits as "0x00000040".
std::vector<std::string> FileFlagNames(const FixedFileInfo& fixed);
// "VOS_NT_WINDOWS32", "VOS__WINDOWS32", "VOS_DOS_WINDOWS16", ...; a value
// with no name as "0x00050001".
std::string FileOsText(uint32_t fileOs);
// "VFT_APP", "VFT_DLL", "VFT_DRV", "VFT_FONT", "VFT_VXD", "VFT_STATIC_LIB",
// "VFT_UNKNOWN"; other values as "0x00000009".
std::string FileTypeText(uint32_t fileType);
// The same three in words, as people read them ("Debug build", "32-bit
// Windows on Windows NT", "Library"); other values as "Other (0x00000009)".
std::vector<std::string> FileFlagWords(const FixedFileInfo& fixed);
std::string FileOsWords(uint32_t fileOs);
std::string FileTypeWords(uint32_t fileType);
// "040904b0": language and code page, lower-case hex.
std::string TranslationText(VersionTranslation translation);

// ---- Writing and editing -------------------------------------------------

// The version resource of info in the 32-bit layout, as resource compilers
// lay it out: the root with its fixed part (a FixedFileInfo{} when info has
// none, as a version resource always carries one), one StringFileInfo block holding
// every table (left out when there are none), one VarFileInfo block with
// the Translation list (left out when it is empty). Each block's length
// ends with its last child, without trailing padding; each string's value
// length counts its characters and terminator. Texts that are not UTF-8 are
// written with U+FFFD in place of the bytes that are not.
Bytes WriteVersionInfo(const VersionInfo& info);

// Sets the fixed part's file or product version from "a.b.c.d" (adding a
// fixed part when there is none). False, changing nothing, when the text is
// not four parts of 0..65535; why (when given) then says what is wrong.
bool SetFileVersion(VersionInfo& info, std::string_view text, std::string* why = nullptr);
bool SetProductVersion(VersionInfo& info, std::string_view text, std::string* why = nullptr);

// Sets key to value in the string table of a language (its first four hex
// digits; the first table when language is nullopt): replaces the first
// string with that key, else appends one. With no such table, adds one for
// that language (0x0409, US English, when nullopt) and code page 0x04B0
// (Unicode), and adds that pair to the Translation list when it is not
// there. False, changing nothing, for an empty key.
bool SetVersionString(VersionInfo& info, std::string_view key, std::string_view value,
                      std::optional<uint16_t> language = std::nullopt);

} // namespace gw
