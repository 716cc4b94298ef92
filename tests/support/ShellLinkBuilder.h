#pragma once
// Builds Windows shortcuts (.lnk, MS-SHLLINK) for the reader's tests and the
// fuzz seeds: the header, the target ID list from shell items, the link
// information (8-bit only, or with its Unicode variants), the counted
// strings (UTF-16, or 8-bit written byte for byte) and extra data blocks.
// Flags follow from what is present; sizes can be made to lie.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

// Shell items of a target ID list, each whole (its 16-bit size first).
Bytes MyComputerItem();                                  // root folder 0x1F, My Computer
Bytes VolumeItem(const std::string& drive, uint8_t type = 0x2F); // "C:\"
// A file entry (0x31 folder, 0x32 file) with an 8-bit short name, and,
// when longName is set, a 0xBEEF0004 extension block of the given version
// (3, 7, 8 or 9) holding it in UTF-16.
Bytes FileEntryItem(const std::string& shortName, std::optional<std::string> longName, bool folder = false,
                    uint16_t extensionVersion = 9);
// A file entry as Wine writes it: the long name in a block of Wine's own
// layout (zero version and signature, the name at byte 20), which the
// item's last word points at.
Bytes WineFileEntryItem(const std::string& shortName, const std::string& longName, bool folder = false);
// An item of any type with the given data after its size.
Bytes RawItem(const Bytes& data);

struct LinkInfoLayout {
    bool unicode = false;                   // a 0x24-byte header with the Unicode variants of both paths
    std::optional<std::string> localBasePath; // VolumeIDAndLocalBasePath (with a volume id)
    uint32_t driveType = 3, driveSerial = 0x1234ABCD;
    std::string volumeLabel;
    bool unicodeLabel = false;
    std::optional<std::string> networkShare; // CommonNetworkRelativeLinkAndPathSuffix
    std::string commonPathSuffix;
    std::optional<uint32_t> statedSize; // unset: the true size
};

struct ShellLinkLayout {
    uint32_t extraFlags = 0; // set besides those the parts present set
    uint32_t fileAttributes = 0x20, fileSize = 0;
    uint64_t writeTime = 0;
    int32_t iconIndex = 0;
    uint32_t showCommand = 1;
    uint16_t hotKey = 0;
    std::optional<std::vector<Bytes>> idList; // items; written with the terminal item
    std::optional<uint16_t> statedIdListSize;
    std::optional<LinkInfoLayout> linkInfo;
    bool unicode = true; // IsUnicode: strings in UTF-16, else written byte for byte (give them in Windows-1252)
    std::optional<std::string> description, relativePath, workingDirectory, arguments, iconLocation;
    // Counts that lie, in the order of the strings; unset: the true count.
    std::optional<uint16_t> statedDescriptionCount;
    // 0x314-byte blocks (each sets its flag): 8-bit part and UTF-16 part.
    std::optional<std::string> environmentTarget, iconEnvironmentPath, darwinId;
    bool environmentAnsiOnly = false; // the blocks' UTF-16 part left empty
    bool setExpIconFlag = true;       // HasExpIcon with the icon environment block
    std::vector<Bytes> extraBlocks;   // whole blocks written after the known ones
    bool terminalBlock = true;
};

struct BuiltShellLink {
    Bytes bytes;
    // Where each part starts (0 when absent).
    size_t idListAt = 0, linkInfoAt = 0, stringsAt = 0, extraDataAt = 0;
};
BuiltShellLink BuildShellLink(const ShellLinkLayout& layout);

// An extra data block: its size, signature and data.
Bytes ExtraBlock(uint32_t signature, const Bytes& data);
// A 0x314-byte environment, icon environment or Darwin block: the text in
// Windows-1252 and, unless ansiOnly, in UTF-16.
Bytes EnvironmentDataBlock(uint32_t signature, const std::string& text, bool ansiOnly = false);

// A full Unicode shortcut to C:\Program Files\Grabwell\grabwell.exe, with
// every string, link information with Unicode paths, an ID list with long
// names and an icon environment block; and the same with 8-bit strings.
ShellLinkLayout SampleShellLink();
// A shortcut to a file on a network share ("\\\\server\\share" and the path
// below it), with the arguments "-x"; its link information Unicode or 8-bit.
ShellLinkLayout NetworkShellLink(const std::string& share, const std::string& suffix, bool unicode);
// A shortcut to a local path, as installers leave them: link information with Unicode paths.
ShellLinkLayout LocalShellLink(const std::string& path);
ShellLinkLayout SampleAnsiShellLink();

} // namespace gw::test
