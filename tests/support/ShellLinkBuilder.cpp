#include "tests/support/ShellLinkBuilder.h"

#include <algorithm>
#include <array>
#include <utility>

#include "formats/ShellLink.h"
#include "tests/support/Builders.h"

namespace gw::test {

namespace {

constexpr std::array<uint8_t, 16> kShellLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::array<uint8_t, 16> kMyComputerClsid = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                      0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

void PutU64(Bytes& b, uint64_t v) {
    PutU32(b, uint32_t(v));
    PutU32(b, uint32_t(v >> 32));
}
void PatchU16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// UTF-8 to Windows-1252: what the code page holds, '?' for the rest, as
// Windows writes a character its code page cannot map.
Bytes Ansi(const std::string& utf8) {
    static const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    Bytes out;
    for (uint16_t unit : Utf16Units(utf8)) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            out.push_back(uint8_t(unit));
            continue;
        }
        const auto* at = std::find(std::begin(kHigh), std::end(kHigh), unit);
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue; // the second half of a pair: one '?' for both
        out.push_back(at != std::end(kHigh) && unit != 0 ? uint8_t(0x80 + (at - std::begin(kHigh))) : uint8_t('?'));
    }
    return out;
}

void PutAnsiZ(Bytes& b, const std::string& utf8) {
    const Bytes a = Ansi(utf8);
    b.insert(b.end(), a.begin(), a.end());
    b.push_back(0);
}
void PutUtf16(Bytes& b, const std::string& utf8) {
    for (uint16_t u : Utf16Units(utf8)) PutU16(b, u);
}
void PutUtf16Z(Bytes& b, const std::string& utf8) {
    PutUtf16(b, utf8);
    PutU16(b, 0);
}

Bytes LinkInfo(const LinkInfoLayout& li) {
    const uint32_t headerSize = li.unicode ? 0x24 : 0x1C;
    Bytes b(headerSize, 0);
    PatchU32(b, 4, headerSize);
    uint32_t flags = 0;
    if (li.localBasePath) {
        flags |= 0x1;
        PatchU32(b, 12, uint32_t(b.size()));
        const size_t volume = b.size();
        PutU32(b, 0); // size, patched
        PutU32(b, li.driveType);
        PutU32(b, li.driveSerial);
        if (li.unicodeLabel) {
            PutU32(b, 0x14);
            PutU32(b, 0x14);
            PutUtf16Z(b, li.volumeLabel);
        } else {
            PutU32(b, 0x10);
            PutAnsiZ(b, li.volumeLabel);
        }
        PatchU32(b, volume, uint32_t(b.size() - volume));
        PatchU32(b, 16, uint32_t(b.size()));
        PutAnsiZ(b, *li.localBasePath);
    }
    if (li.networkShare) {
        flags |= 0x2;
        PatchU32(b, 20, uint32_t(b.size()));
        const size_t net = b.size();
        PutU32(b, 0); // size, patched
        PutU32(b, 0x2); // ValidNetType
        PutU32(b, li.unicode ? 0x1C : 0x14);
        PutU32(b, 0);       // no device name
        PutU32(b, 0x20000); // WNNC_NET_LANMAN
        if (li.unicode) {
            PutU32(b, 0); // NetNameOffsetUnicode, patched
            PutU32(b, 0);
        }
        PutAnsiZ(b, *li.networkShare);
        if (li.unicode) {
            PatchU32(b, net + 0x14, uint32_t(b.size() - net));
            PutUtf16Z(b, *li.networkShare);
        }
        PatchU32(b, net, uint32_t(b.size() - net));
    }
    PatchU32(b, 24, uint32_t(b.size()));
    PutAnsiZ(b, li.commonPathSuffix);
    if (li.unicode) {
        if (li.localBasePath) {
            PatchU32(b, 0x1C, uint32_t(b.size()));
            PutUtf16Z(b, *li.localBasePath);
        }
        PatchU32(b, 0x20, uint32_t(b.size()));
        PutUtf16Z(b, li.commonPathSuffix);
    }
    PatchU32(b, 8, flags);
    PatchU32(b, 0, li.statedSize.value_or(uint32_t(b.size())));
    return b;
}

} // namespace

Bytes MyComputerItem() {
    Bytes b;
    PutU16(b, 20);
    PutU8(b, 0x1F);
    PutU8(b, 0x50); // sort index of My Computer
    b.insert(b.end(), kMyComputerClsid.begin(), kMyComputerClsid.end());
    return b;
}

Bytes VolumeItem(const std::string& drive, uint8_t type) {
    Bytes b;
    PutU16(b, 25);
    PutU8(b, type);
    Bytes name(drive.begin(), drive.end());
    name.resize(22, 0);
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

Bytes FileEntryItem(const std::string& shortName, std::optional<std::string> longName, bool folder,
                    uint16_t extensionVersion) {
    Bytes b;
    PutU16(b, 0); // size, patched
    PutU8(b, folder ? 0x31 : 0x32);
    PutU8(b, 0);
    PutU32(b, folder ? 0 : 12345); // file size
    PutU32(b, 0x5A214E6B);         // FAT date and time
    PutU16(b, folder ? 0x10 : 0x20);
    PutAnsiZ(b, shortName);
    if (b.size() & 1) b.push_back(0);
    if (longName) {
        const size_t block = b.size();
        const uint16_t v = extensionVersion;
        const uint16_t nameAt = v >= 9 ? 0x2E : v >= 8 ? 0x2A : v >= 7 ? 0x26 : 0x14;
        PutU16(b, 0); // size, patched
        PutU16(b, v);
        PutU32(b, 0xBEEF0004);
        PutU32(b, 0x5A214E6B); // creation
        PutU32(b, 0x5A214E6B); // access
        PutU16(b, nameAt);
        if (v >= 7) {
            PutU16(b, 0);
            PutU64(b, 0x0001000000004321ull); // NTFS file reference
            PutU64(b, 0);
        }
        PutU16(b, 0); // no localized name
        if (v >= 9) PutU32(b, 0);
        if (v >= 8) PutU32(b, 0);
        PutUtf16Z(b, *longName);
        PutU16(b, uint16_t(block)); // the offset of the item's first extension block
        PatchU16(b, block, uint16_t(b.size() - block));
    }
    PatchU16(b, 0, uint16_t(b.size()));
    return b;
}

Bytes WineFileEntryItem(const std::string& shortName, const std::string& longName, bool folder) {
    Bytes b;
    PutU16(b, 0); // size, patched
    PutU8(b, folder ? 0x31 : 0x32);
    PutU8(b, 0);
    PutU32(b, 0);
    PutU32(b, 0x90AC5D8A);
    PutU16(b, folder ? 0x10 : 0);
    PutAnsiZ(b, shortName);
    if (b.size() & 1) b.push_back(0);
    const size_t block = b.size();
    PutU16(b, 0); // size, patched
    b.insert(b.end(), 6, 0);
    PutU32(b, 0x90AC5D8A);
    PutU32(b, 0x90AC5D8A);
    b.insert(b.end(), 4, 0);
    PutUtf16Z(b, longName);
    PutU16(b, uint16_t(block));
    PatchU16(b, block, uint16_t(b.size() - block));
    PatchU16(b, 0, uint16_t(b.size()));
    return b;
}

Bytes RawItem(const Bytes& data) {
    Bytes b;
    PutU16(b, uint16_t(data.size() + 2));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes ExtraBlock(uint32_t signature, const Bytes& data) {
    Bytes b;
    PutU32(b, uint32_t(data.size() + 8));
    PutU32(b, signature);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes EnvironmentDataBlock(uint32_t signature, const std::string& text, bool ansiOnly) {
    Bytes data(260 + 520, 0);
    Bytes a = Ansi(text);
    std::copy_n(a.begin(), std::min<size_t>(a.size(), 259), data.begin());
    if (!ansiOnly) {
        const std::vector<uint16_t> units = Utf16Units(text);
        for (size_t i = 0; i < units.size() && i < 259; ++i) {
            data[260 + 2 * i] = uint8_t(units[i]);
            data[260 + 2 * i + 1] = uint8_t(units[i] >> 8);
        }
    }
    return ExtraBlock(signature, data);
}

BuiltShellLink BuildShellLink(const ShellLinkLayout& layout) {
    BuiltShellLink out;
    Bytes& b = out.bytes;
    uint32_t flags = layout.extraFlags;
    if (layout.idList) flags |= kLinkHasTargetIdList;
    if (layout.linkInfo) flags |= kLinkHasLinkInfo;
    if (layout.description) flags |= kLinkHasName;
    if (layout.relativePath) flags |= kLinkHasRelativePath;
    if (layout.workingDirectory) flags |= kLinkHasWorkingDir;
    if (layout.arguments) flags |= kLinkHasArguments;
    if (layout.iconLocation) flags |= kLinkHasIconLocation;
    if (layout.unicode) flags |= kLinkIsUnicode;
    if (layout.environmentTarget) flags |= kLinkHasExpString;
    if (layout.iconEnvironmentPath && layout.setExpIconFlag) flags |= kLinkHasExpIcon;
    if (layout.darwinId) flags |= kLinkHasDarwinId;

    PutU32(b, 0x4C);
    b.insert(b.end(), kShellLinkClsid.begin(), kShellLinkClsid.end());
    PutU32(b, flags);
    PutU32(b, layout.fileAttributes);
    PutU64(b, layout.writeTime); // creation
    PutU64(b, layout.writeTime); // access
    PutU64(b, layout.writeTime); // write
    PutU32(b, layout.fileSize);
    PutI32(b, layout.iconIndex);
    PutU32(b, layout.showCommand);
    PutU16(b, layout.hotKey);
    PutU16(b, 0);
    PutU32(b, 0);
    PutU32(b, 0);

    if (layout.idList) {
        out.idListAt = b.size();
        Bytes list;
        for (const Bytes& item : *layout.idList) list.insert(list.end(), item.begin(), item.end());
        PutU16(list, 0);
        PutU16(b, layout.statedIdListSize.value_or(uint16_t(list.size())));
        b.insert(b.end(), list.begin(), list.end());
    }
    if (layout.linkInfo) {
        out.linkInfoAt = b.size();
        const Bytes info = LinkInfo(*layout.linkInfo);
        b.insert(b.end(), info.begin(), info.end());
    }
    out.stringsAt = b.size();
    const std::optional<std::string>* strings[] = {&layout.description, &layout.relativePath,
                                                   &layout.workingDirectory, &layout.arguments, &layout.iconLocation};
    for (const auto* s : strings) {
        if (!*s) continue;
        Bytes text;
        uint16_t count = 0;
        if (layout.unicode) {
            const std::vector<uint16_t> units = Utf16Units(**s);
            for (uint16_t u : units) PutU16(text, u);
            count = uint16_t(units.size());
        } else {
            text = Ansi(**s);
            count = uint16_t(text.size());
        }
        if (s == &layout.description && layout.statedDescriptionCount) count = *layout.statedDescriptionCount;
        PutU16(b, count);
        b.insert(b.end(), text.begin(), text.end());
    }
    out.extraDataAt = b.size();
    const std::pair<uint32_t, const std::optional<std::string>*> blocks[] = {
        {kEnvironmentVariableBlock, &layout.environmentTarget},
        {kIconEnvironmentBlock, &layout.iconEnvironmentPath},
        {kDarwinBlock, &layout.darwinId}};
    for (const auto& [signature, text] : blocks) {
        if (!*text) continue;
        const Bytes block = EnvironmentDataBlock(signature, **text, layout.environmentAnsiOnly);
        b.insert(b.end(), block.begin(), block.end());
    }
    for (const Bytes& block : layout.extraBlocks) b.insert(b.end(), block.begin(), block.end());
    if (layout.terminalBlock) PutU32(b, 0);
    return out;
}

ShellLinkLayout SampleShellLink() {
    ShellLinkLayout s;
    s.fileAttributes = 0x20;
    s.fileSize = 123456;
    s.writeTime = 0x01D9A1B2C3D4E5F6ull;
    s.iconIndex = -3;
    s.showCommand = 3;      // SW_SHOWMAXIMIZED
    s.hotKey = 0x0647;      // Ctrl+Shift+G
    s.idList = std::vector<Bytes>{MyComputerItem(), VolumeItem("C:\\"),
                                  FileEntryItem("PROGRA~1", "Program Files", true, 9),
                                  FileEntryItem("NCDTO~1", "\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls", true, 7),
                                  FileEntryItem("GRABWE~1.EXE", "grabwell \u2603.exe", false, 3)};
    LinkInfoLayout li;
    li.unicode = true;
    li.localBasePath = "C:\\Program Files\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe";
    li.volumeLabel = "Syst\u00E8me \u2603";
    li.unicodeLabel = true;
    s.linkInfo = li;
    s.unicode = true;
    s.description = "Grabwell \u2014 ic\u00F4nes";
    s.relativePath = "..\\..\\Program Files\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe";
    s.workingDirectory = "C:\\Program Files\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls";
    s.arguments = "--open \"C:\\Users\\Zo\u00EB\\Desktop\" \U0001F642";
    s.iconLocation = "C:\\Windows\\System32\\shell32.dll";
    s.environmentTarget = "%ProgramFiles%\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe";
    s.iconEnvironmentPath = "%SystemRoot%\\System32\\imageres.dll";
    // A block the reader skips: a ConsoleFEDataBlock (code page 1252).
    s.extraBlocks = {ExtraBlock(0xA0000004, {0xE4, 0x04, 0x00, 0x00})};
    return s;
}

ShellLinkLayout SampleAnsiShellLink() {
    ShellLinkLayout s;
    s.unicode = false;
    s.iconIndex = 2;
    s.idList = std::vector<Bytes>{MyComputerItem(), VolumeItem("D:\\", 0x23),
                                  FileEntryItem("GAMES", std::nullopt, true), FileEntryItem("CAFE.EXE", std::nullopt)};
    LinkInfoLayout li;
    li.localBasePath = "D:\\Games\\Caf\u00E9.exe";
    li.volumeLabel = "DATA";
    s.linkInfo = li;
    s.description = "Caf\u00E9 \u20AC5"; // é is 0xE9 and € 0x80 in Windows-1252
    s.workingDirectory = "D:\\Games";
    s.arguments = "/fullscreen";
    s.iconLocation = "D:\\Games\\Caf\u00E9.ico";
    return s;
}

ShellLinkLayout NetworkShellLink(const std::string& share, const std::string& suffix, bool unicode) {
    ShellLinkLayout s;
    LinkInfoLayout li;
    li.unicode = unicode;
    li.networkShare = share;
    li.commonPathSuffix = suffix;
    s.linkInfo = li;
    s.arguments = "-x";
    return s;
}

ShellLinkLayout LocalShellLink(const std::string& path) {
    ShellLinkLayout s;
    LinkInfoLayout li;
    li.unicode = true;
    li.localBasePath = path;
    s.linkInfo = li;
    return s;
}

} // namespace gw::test
