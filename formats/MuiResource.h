#pragma once
// Language-neutral libraries: the MUI resource (type "MUI", id 1) that marks
// them, and the resource file their icons and bitmaps were moved to. Newer
// system libraries keep no images of their own; they live in a plain PE file
// "<file name>.mun" in a "SystemResources" folder beside the library's
// folder (a library in C:\Windows\System32 has its images in
// C:\Windows\SystemResources).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

class ResourceModule;

constexpr uint32_t kMuiSignature = 0xFECDFECD;
// The fixed part of the resource: signature, size, version, a reserved
// word, file type, system attributes, fallback location, two 16-byte
// checksums, 24 reserved bytes, then six (offset, size) pairs.
constexpr uint64_t kMuiHeaderSize = 132;

// A part of the resource named by an (offset, size) pair; offsets count
// from the resource's first byte. Both 0: the part is absent.
struct MuiSpan {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// What a MUI resource says.
struct MuiResource {
    uint32_t Size = 0; // as stated
    uint32_t Version = 0;
    uint32_t FileType = 0; // low nibble: 1 language-neutral main file, 2 language file
    uint32_t SystemAttributes = 0;
    uint32_t FallbackLocation = 0; // 1 internal, 2 external
    std::array<uint8_t, 16> Checksum{};
    std::array<uint8_t, 16> ServiceChecksum{};
    MuiSpan MainTypeNamesAt, MainTypeIdsAt, MuiTypeNamesAt, MuiTypeIdsAt, LanguageAt, FallbackLanguageAt;
    // The resource types the main file keeps and those held in the language
    // files: names (UTF-8) and ids.
    std::vector<std::string> MainTypeNames;
    std::vector<uint32_t> MainTypeIds;
    std::vector<std::string> MuiTypeNames;
    std::vector<uint32_t> MuiTypeIds;
    std::string Language;         // e.g. "en-US" (language files), UTF-8
    std::string FallbackLanguage; // the main file's ultimate fallback language
};

// Reads the bytes of a MUI resource. The error (offsets within the
// resource) when the signature is wrong, the fixed part is cut short, the
// stated size exceeds the bytes, or a part lies outside them; the parts that
// lie inside are read all the same. Reads nothing outside resource and
// allocates no more than it holds.
ReadResult<MuiResource> ParseMuiResource(ByteView resource);

// The MUI resource of a module, read (its first language); nullopt when the
// module holds none. Damage offsets are placed in file, the bytes the module
// reads.
std::optional<ReadResult<MuiResource>> ReadModuleMui(const ResourceModule& module, ByteView file);

// The resource file of the library at path: "<file name>.mun" in the
// "SystemResources" folder beside the library's folder (path's folder's
// parent), folder and file name matched case-insensitively (an exact match
// first). Only a regular file is taken; nullopt when there is none.
std::optional<std::string> FindMunFile(const std::string& path);

} // namespace gw
