#pragma once
// Windows shortcuts (.lnk): the Shell Link Binary File Format (MS-SHLLINK).
// A shortcut is a 76-byte header, then, as its flags say, the target's ID
// list, the link information (volume, local path, network share), five
// counted strings (description, relative path, working directory,
// arguments, icon location), and a list of extra data blocks ending at a
// block smaller than 4 bytes. The reader reads what the shortcut starts and
// the icon it shows; every string it returns is UTF-8 (UTF-16 as stored, or
// 8-bit text read in the Windows-1252 code page).
//
// Damage is said once, at the byte where it is found, with what was read
// before it. Damage inside a part whose size is known (an ID list item, a
// field of the link information, an extra block of a known kind whose size
// is wrong) leaves that part's fields empty and the read goes on after the
// part; a size or count that runs past the end of the file ends the read.
#include <cstdint>
#include <span>
#include <string>

#include "platform/ReadError.h"

namespace gw {

// LinkFlags (MS-SHLLINK 2.1.1), the ones the reader looks at.
enum ShellLinkFlag : uint32_t {
    kLinkHasTargetIdList = 0x00000001,
    kLinkHasLinkInfo = 0x00000002,
    kLinkHasName = 0x00000004,
    kLinkHasRelativePath = 0x00000008,
    kLinkHasWorkingDir = 0x00000010,
    kLinkHasArguments = 0x00000020,
    kLinkHasIconLocation = 0x00000040,
    kLinkIsUnicode = 0x00000080,
    kLinkForceNoLinkInfo = 0x00000100,
    kLinkHasExpString = 0x00000200,
    kLinkHasDarwinId = 0x00001000,
    kLinkHasExpIcon = 0x00004000,
};

// Extra data block signatures the reader reads (the others are skipped).
constexpr uint32_t kEnvironmentVariableBlock = 0xA0000001;
constexpr uint32_t kDarwinBlock = 0xA0000006;
constexpr uint32_t kIconEnvironmentBlock = 0xA0000007;
// Their size: header, 260 8-bit characters, 260 UTF-16 characters.
constexpr uint32_t kEnvironmentBlockSize = 0x314;

// A Windows shortcut: what it starts and the icon it shows. Every string UTF-8.
struct ShellLink {
    uint32_t linkFlags = 0, fileAttributes = 0;
    uint64_t creationTime = 0, accessTime = 0, writeTime = 0; // FILETIMEs of the target, as stored
    uint32_t fileSize = 0;    // the target's size (low 32 bits), as stored
    uint32_t showCommand = 1; // SW_SHOWNORMAL, SW_SHOWMAXIMIZED (3), SW_SHOWMINNOACTIVE (7)
    uint16_t hotKey = 0;      // low byte the key, high byte the modifiers (HOTKEYF_*)
    int32_t iconIndex = 0;    // IconIndex: the icon's index in the icon location, or a resource id when negative

    // The best local path of the target: the link information's local base
    // path and common path suffix (or its network share and suffix), else
    // the path the ID list spells, else the environment block's target.
    // When the link information holds only 8-bit paths and the code page
    // lost characters of it (a '?', never part of a Windows path), the ID
    // list's path is preferred when there is one. The link information is
    // not used when the ForceNoLinkInfo flag is set.
    std::string targetPath;
    // The path the target ID list spells when its items are the usual ones:
    // My Computer, a drive ("C:\"), then folder and file items, each by its
    // long name (from its 0xBEEF0004 extension block) or else its short name.
    // Empty when the list holds any other item (a network place, a known
    // folder, a control panel item).
    std::string idListPath;

    // The link information (LinkInfo), UTF-16 variants preferred.
    std::string localBasePath, commonPathSuffix, volumeLabel, networkShare;
    uint32_t driveType = 0, driveSerial = 0; // DRIVE_FIXED (3), DRIVE_REMOTE (4), ...

    // The string data.
    std::string description; // NAME_STRING
    std::string relativePath, workingDirectory, arguments, iconLocation;

    // Extra data blocks: the UTF-16 part when it holds a string, else the 8-bit part.
    std::string environmentTarget;   // EnvironmentVariableDataBlock (0xA0000001)
    std::string iconEnvironmentPath; // IconEnvironmentDataBlock (0xA0000007), environment variables unexpanded
    std::string darwinId;            // DarwinDataBlock (0xA0000006): a Windows Installer descriptor

    bool unicode = false; // the IsUnicode flag: the string data is UTF-16
};

// Reads a shortcut: what could be read and the first damage.
ReadResult<ShellLink> ParseShellLink(std::span<const uint8_t> bytes);

// True when the bytes start with a shortcut's header: its size 0x4C and the
// ShellLink class id 00021401-0000-0000-C000-000000000046.
bool LooksLikeShellLink(std::span<const uint8_t> bytes);

// The icon a shortcut shows, as Windows picks it: the icon environment
// block's path when the HasExpIcon flag says to use it, else the icon
// location string, each with the header's icon index. Both empty: the path
// is empty and the index 0, and the caller shows the target's first icon.
// The path is as stored: environment variables (%SystemRoot%) unexpanded,
// a relative path not resolved.
struct ShortcutIcon {
    std::string path;
    int32_t index = 0;
};
ShortcutIcon ShortcutIconOf(const ShellLink& link);

} // namespace gw
