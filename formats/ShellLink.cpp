// The shortcut reader. One forward walk over the parts the header's flags
// announce, each bounded by the size it states, which is checked against
// what is left of the file before anything inside it is read. Offsets
// inside the link information and the shell items are checked against the
// part that holds them, never followed outside it. Nothing is allocated
// from a stated size: strings grow only by bytes that are there.
#include "formats/ShellLink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046, as stored.
constexpr std::array<uint8_t, 16> kShellLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// My Computer, 20D04FE0-3AEA-1069-A2D8-08002B30309D, as stored.
constexpr std::array<uint8_t, 16> kMyComputerClsid = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                      0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

// LinkInfo.
constexpr uint32_t kLinkInfoMinHeader = 0x1C;
constexpr uint32_t kLinkInfoUnicodeHeader = 0x24;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr uint32_t kVolumeIdMinSize = 0x10;
constexpr uint32_t kVolumeLabelUnicodeMarker = 0x14;
constexpr uint32_t kNetworkLinkMinSize = 0x14;

// Shell items.
constexpr uint8_t kRootFolderItem = 0x1F;
constexpr uint32_t kFileEntryExtension = 0xBEEF0004;
constexpr size_t kFileEntryNameAt = 14; // size, type, 1 unknown, file size, date and time, attributes
constexpr size_t kRootItemSize = 20;    // size, type, sort index, CLSID

// Extra data.
constexpr size_t kBlockHeader = 8;
constexpr size_t kEnvironmentAnsiSize = 260;
constexpr size_t kEnvironmentUnicodeSize = 520;

std::string Hex(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
    return out;
}

std::string_view Chars(ByteView bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

// 8-bit text up to its first zero (or the end), in the Windows-1252 code page.
std::string AnsiText(ByteView bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), uint8_t(0));
    return Windows1252ToUtf8(Chars(bytes.first(size_t(end - bytes.begin()))));
}

// The number of bytes of UTF-16 text before its first zero unit (or the end).
size_t Utf16Length(ByteView bytes) {
    size_t n = 0;
    while (n + 1 < bytes.size() && (bytes[n] | bytes[n + 1]) != 0) n += 2;
    return n;
}

// UTF-16 text up to its first zero unit (or the end).
std::string UnicodeText(ByteView bytes) { return Utf16LeToUtf8(bytes.first(Utf16Length(bytes))); }

// A zero-terminated string at offset inside area: nullopt when the offset
// lies outside it or the terminator is not inside it.
std::optional<std::string> AnsiZ(ByteView area, uint64_t offset) {
    if (offset >= area.size()) return std::nullopt;
    const ByteView rest = area.subspan(size_t(offset));
    const auto end = std::find(rest.begin(), rest.end(), uint8_t(0));
    if (end == rest.end()) return std::nullopt;
    return Windows1252ToUtf8(Chars(rest.first(size_t(end - rest.begin()))));
}

std::optional<std::string> Utf16Z(ByteView area, uint64_t offset) {
    if (offset >= area.size()) return std::nullopt;
    const ByteView rest = area.subspan(size_t(offset));
    const size_t length = Utf16Length(rest);
    if (length + 2 > rest.size()) return std::nullopt;
    return Utf16LeToUtf8(rest.first(length));
}

// Two parts of a path joined by one backslash.
std::string JoinPath(const std::string& base, const std::string& rest) {
    if (rest.empty()) return base;
    if (base.empty()) return rest;
    if (base.back() == '\\' || rest.front() == '\\') return base + rest;
    return base + "\\" + rest;
}

// An 8-bit path the code page could not hold whole: Windows writes '?' for
// a character it cannot map, and '?' is never part of a path (but for the
// "\\?\" prefix).
bool LostCharacters(const std::string& path) {
    const size_t from = path.starts_with("\\\\?\\") ? 4 : 0;
    return path.find('?', from) != std::string::npos;
}

// ---- The target ID list's path ---------------------------------------------

// The long name of a file entry item whose primary name ends at nameEnd:
// from its 0xBEEF0004 extension block, the first of the blocks that follow
// the name on a 16-bit boundary, its name's place set by its version
// (3: Windows XP, 7: Vista, 8: 7, 9: 8 and later). Wine writes the block
// with a zero version and signature and the name where version 3 has it;
// it is taken when the item's last word (the offset of its first
// extension block) names it and it reaches the item's end, as Wine's own
// reader checks. Empty when there is none.
std::string LongName(ByteView item, size_t nameEnd) {
    const size_t size = item.size();
    const size_t firstBlock = PeekU16(item, size - 2);
    for (size_t p = nameEnd + (nameEnd & 1); p + kBlockHeader <= size;) {
        const size_t blockSize = PeekU16(item, p);
        if (blockSize < kBlockHeader || blockSize > size - p) break;
        const ByteView block = item.subspan(p, blockSize);
        const uint16_t version = PeekU16(block, 2);
        const uint32_t signature = PeekU32(block, 4);
        size_t nameAt = 0;
        if (signature == kFileEntryExtension && version >= 3)
            nameAt = version >= 9 ? 46 : version >= 8 ? 42 : version >= 7 ? 38 : 20;
        else if (signature == 0 && version == 0 && p == firstBlock && p + blockSize == size)
            nameAt = 20;
        // The block's last word is the offset of the item's first block.
        if (nameAt && nameAt + 2 <= blockSize) {
            const ByteView text = block.subspan(nameAt, blockSize - 2 - nameAt);
            const size_t length = Utf16Length(text);
            if (length > 0 && length + 2 <= text.size()) return Utf16LeToUtf8(text.first(length));
        }
        p += blockSize;
    }
    return {};
}

// The name a file entry item gives its file or folder; empty when it has none.
std::string FileEntryName(ByteView item) {
    if (item.size() <= kFileEntryNameAt) return {};
    const bool unicodeName = (item[2] & 0x04) != 0;
    const ByteView rest = item.subspan(kFileEntryNameAt);
    std::string shortName;
    size_t nameEnd = 0;
    if (unicodeName) {
        const size_t length = Utf16Length(rest);
        if (length + 2 > rest.size()) return {};
        shortName = Utf16LeToUtf8(rest.first(length));
        nameEnd = kFileEntryNameAt + length + 2;
    } else {
        const auto end = std::find(rest.begin(), rest.end(), uint8_t(0));
        if (end == rest.end()) return {};
        shortName = Windows1252ToUtf8(Chars(rest.first(size_t(end - rest.begin()))));
        nameEnd = kFileEntryNameAt + size_t(end - rest.begin()) + 1;
    }
    std::string longName = LongName(item, nameEnd);
    return longName.empty() ? shortName : longName;
}

// The drive a volume item names ("C:\"); empty when it names none.
std::string VolumeName(ByteView item) {
    if (item.size() < 5 || (item[2] & 0x01) == 0) return {};
    const ByteView rest = item.subspan(3);
    const auto end = std::find(rest.begin(), rest.end(), uint8_t(0));
    const std::string name(Chars(rest.first(size_t(end - rest.begin()))));
    const bool drive = name.size() >= 2 && name[1] == ':' &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
                       (name.size() == 2 || (name.size() == 3 && name[2] == '\\'));
    return drive ? name.substr(0, 2) + "\\" : std::string();
}

// The path the items spell: My Computer, a drive, then file entries.
std::string IdListPath(const std::vector<ByteView>& items) {
    if (items.size() < 2) return {};
    for (const ByteView item : items)
        if (item.size() < 3) return {}; // no type
    const ByteView root = items[0];
    if (root.size() < kRootItemSize || root[2] != kRootFolderItem ||
        std::memcmp(root.data() + 4, kMyComputerClsid.data(), kMyComputerClsid.size()) != 0)
        return {};
    if ((items[1][2] & 0x70) != 0x20) return {};
    std::string path = VolumeName(items[1]);
    if (path.empty()) return {};
    for (size_t i = 2; i < items.size(); ++i) {
        const ByteView item = items[i];
        if ((item[2] & 0x70) != 0x30) return {};
        const std::string name = FileEntryName(item);
        if (name.empty()) return {};
        path = JoinPath(path, name);
    }
    return path;
}

// ---- The parts of the file ---------------------------------------------------

class LinkReader {
public:
    LinkReader(ByteView file, ReadResult<ShellLink>& result) : m_file(file), m_result(result) {}

    void Read() {
        if (!ReadHeader()) return;
        ShellLink& link = m_result.records;
        uint64_t pos = kHeaderSize;
        if ((link.linkFlags & kLinkHasTargetIdList) && !ReadIdList(pos)) return Finish();
        if ((link.linkFlags & kLinkHasLinkInfo) && !ReadLinkInfo(pos)) return Finish();
        if (!ReadStrings(pos)) return Finish();
        ReadExtraData(pos);
        Finish();
    }

private:
    uint64_t Size() const { return m_file.size(); }
    ShellLink& Link() { return m_result.records; }

    void Truncated(const std::string& what, uint64_t length, uint64_t at) {
        m_result.Note(ReadError::Truncated(at, what, length, Size()));
    }
    void Invalid(uint64_t at, const std::string& message) { m_result.Note(ReadError::Invalid(at, message, Size())); }

    bool ReadHeader() {
        if (Size() < kHeaderSize) {
            Truncated("the shortcut header", kHeaderSize, 0);
            return false;
        }
        ByteReader r(m_file);
        const uint32_t headerSize = r.u32();
        if (headerSize != kHeaderSize) {
            Invalid(0, "the header states a size of " + GroupedNumber(headerSize) + " bytes, not 76");
            return false;
        }
        if (std::memcmp(m_file.data() + 4, kShellLinkClsid.data(), kShellLinkClsid.size()) != 0) {
            Invalid(4, "the header's class id is not the ShellLink class id");
            return false;
        }
        r.skip(16);
        ShellLink& link = Link();
        link.linkFlags = r.u32();
        link.fileAttributes = r.u32();
        const auto u64 = [&r] {
            const uint64_t low = r.u32();
            return low | uint64_t(r.u32()) << 32;
        };
        link.creationTime = u64();
        link.accessTime = u64();
        link.writeTime = u64();
        link.fileSize = r.u32();
        link.iconIndex = r.i32();
        link.showCommand = r.u32();
        link.hotKey = r.u16();
        link.unicode = (link.linkFlags & kLinkIsUnicode) != 0;
        return true;
    }

    // The ID list: its size, then items of a 16-bit size each, up to an
    // item of size 0. Damage inside it leaves the ID list path empty.
    bool ReadIdList(uint64_t& pos) {
        if (!InBounds(pos, 2, Size())) {
            Truncated("the link target ID list's size", 2, pos);
            return false;
        }
        const uint64_t listSize = PeekU16(m_file, pos);
        const uint64_t start = pos + 2;
        if (!InBounds(start, listSize, Size())) {
            Truncated("the link target ID list", listSize, start);
            return false;
        }
        const uint64_t end = start + listSize;
        pos = end;
        std::vector<ByteView> items;
        uint64_t p = start;
        while (true) {
            if (end - p < 2) {
                Invalid(p, "the link target ID list ends without its terminal item");
                return true;
            }
            const uint64_t itemSize = PeekU16(m_file, p);
            if (itemSize == 0) break;
            const std::string name = "item " + std::to_string(items.size()) + " of the link target ID list";
            if (itemSize < 2) {
                Invalid(p, name + " states a size of " + GroupedNumber(itemSize) + " " + CountNoun(itemSize, "byte"));
                return true;
            }
            if (itemSize > end - p) {
                Invalid(p, name + " (" + GroupedNumber(itemSize) + " bytes) runs past the list's end");
                return true;
            }
            items.push_back(m_file.subspan(size_t(p), size_t(itemSize)));
            p += itemSize;
        }
        Link().idListPath = IdListPath(items);
        return true;
    }

    // The link information: a header of offsets into itself, each checked
    // against its size. Damage inside it leaves the fields it names empty.
    bool ReadLinkInfo(uint64_t& pos) {
        const uint64_t start = pos;
        if (!InBounds(start, 4, Size())) {
            Truncated("the link information's size", 4, start);
            return false;
        }
        const uint64_t infoSize = PeekU32(m_file, start);
        if (infoSize < kLinkInfoMinHeader) {
            Invalid(start, "the link information states " + GroupedNumber(infoSize) + " " +
                               CountNoun(infoSize, "byte") + ", fewer than its 28-byte header");
            return false;
        }
        if (!InBounds(start, infoSize, Size())) {
            Truncated("the link information", infoSize, start);
            return false;
        }
        pos = start + infoSize;
        const ByteView info = m_file.subspan(size_t(start), size_t(infoSize));
        const uint32_t headerSize = PeekU32(info, 4);
        if ((headerSize != kLinkInfoMinHeader && headerSize < kLinkInfoUnicodeHeader) || headerSize > infoSize) {
            Invalid(start + 4, "the link information's header states " + GroupedNumber(headerSize) + " " +
                                   CountNoun(headerSize, "byte") + " of its " + GroupedNumber(infoSize));
            return true;
        }
        const uint32_t flags = PeekU32(info, 8);
        const bool unicodeOffsets = headerSize >= kLinkInfoUnicodeHeader;
        ShellLink& link = Link();

        // A string the field at fieldAt names: 8-bit, or UTF-16 at the
        // field at unicodeFieldAt when the header has it and it is set.
        bool ansiOnly = true;
        using At = std::optional<uint64_t>;
        auto text = [&](ByteView area, uint64_t areaStart, uint64_t fieldAt, At unicodeFieldAt,
                        const char* what) -> std::string {
            if (unicodeFieldAt) {
                const uint32_t offset = PeekU32(area, *unicodeFieldAt);
                if (offset != 0) {
                    if (auto s = Utf16Z(area, offset)) {
                        ansiOnly = false;
                        return *s;
                    }
                    // Said, and the 8-bit string read instead.
                    Invalid(areaStart + *unicodeFieldAt, std::string("the Unicode ") + what + " at offset " +
                                                             GroupedNumber(offset) + " does not end inside its " +
                                                             GroupedNumber(area.size()) + " bytes");
                }
            }
            const uint32_t offset = PeekU32(area, fieldAt);
            if (auto s = AnsiZ(area, offset)) return *s;
            Invalid(areaStart + fieldAt, std::string("the ") + what + " at offset " + GroupedNumber(offset) +
                                             " does not end inside its " + GroupedNumber(area.size()) + " bytes");
            return {};
        };

        if (flags & kVolumeIdAndLocalBasePath) {
            const uint32_t volumeAt = PeekU32(info, 12);
            const uint64_t volumeSize = InBounds(volumeAt, 4, infoSize) ? PeekU32(info, volumeAt) : 0;
            if (volumeSize <= kVolumeIdMinSize || !InBounds(volumeAt, volumeSize, infoSize)) {
                Invalid(start + 12, "the volume id at offset " + GroupedNumber(volumeAt) + " (" +
                                        GroupedNumber(volumeSize) + " bytes) does not lie inside the link information");
            } else {
                const ByteView volume = info.subspan(volumeAt, size_t(volumeSize));
                link.driveType = PeekU32(volume, 4);
                link.driveSerial = PeekU32(volume, 8);
                const bool unicodeLabel = PeekU32(volume, 12) == kVolumeLabelUnicodeMarker && volumeSize > 0x14;
                link.volumeLabel = text(volume, start + volumeAt, 12, unicodeLabel ? At(0x10) : At(), "volume label");
            }
            link.localBasePath = text(info, start, 16, unicodeOffsets ? At(0x1C) : At(), "local base path");
        }
        if (flags & kCommonNetworkRelativeLinkAndPathSuffix) {
            const uint32_t netAt = PeekU32(info, 20);
            const uint64_t netSize = InBounds(netAt, 4, infoSize) ? PeekU32(info, netAt) : 0;
            if (netSize < kNetworkLinkMinSize || !InBounds(netAt, netSize, infoSize)) {
                Invalid(start + 20, "the network link at offset " + GroupedNumber(netAt) + " (" +
                                        GroupedNumber(netSize) + " bytes) does not lie inside the link information");
            } else {
                const ByteView net = info.subspan(netAt, size_t(netSize));
                // Its Unicode names' offsets are there when the 8-bit name's lies beyond them.
                const bool unicodeNames = PeekU32(net, 8) > 0x14 && netSize >= 0x1C;
                link.networkShare = text(net, start + netAt, 8, unicodeNames ? At(0x14) : At(), "network share name");
            }
        }
        if (flags & (kVolumeIdAndLocalBasePath | kCommonNetworkRelativeLinkAndPathSuffix))
            link.commonPathSuffix = text(info, start, 24, unicodeOffsets ? At(0x20) : At(), "common path suffix");
        m_linkInfoPathLossy = ansiOnly;
        return true;
    }

    // The five counted strings, in their order, those the flags announce.
    bool ReadStrings(uint64_t& pos) {
        ShellLink& link = Link();
        struct Field {
            uint32_t flag;
            const char* name;
            std::string* value;
        };
        const Field fields[] = {
            {kLinkHasName, "the description (NAME_STRING)", &link.description},
            {kLinkHasRelativePath, "the relative path", &link.relativePath},
            {kLinkHasWorkingDir, "the working directory", &link.workingDirectory},
            {kLinkHasArguments, "the arguments", &link.arguments},
            {kLinkHasIconLocation, "the icon location", &link.iconLocation},
        };
        const uint64_t unit = link.unicode ? 2 : 1;
        for (const Field& f : fields) {
            if (!(link.linkFlags & f.flag)) continue;
            if (!InBounds(pos, 2, Size())) {
                Truncated(std::string(f.name) + "'s length", 2, pos);
                return false;
            }
            const uint64_t count = PeekU16(m_file, pos);
            const uint64_t length = count * unit;
            if (!InBounds(pos + 2, length, Size())) {
                const std::string what =
                    std::string(f.name) + " of " + GroupedNumber(count) + " " + CountNoun(count, "character");
                Truncated(what, length, pos + 2);
                return false;
            }
            const ByteView bytes = m_file.subspan(size_t(pos + 2), size_t(length));
            *f.value = link.unicode ? UnicodeText(bytes) : AnsiText(bytes);
            pos += 2 + length;
        }
        return true;
    }

    // The string of an environment, icon environment or Darwin block.
    static std::string EnvironmentText(ByteView block) {
        std::string unicodeText =
            UnicodeText(block.subspan(kBlockHeader + kEnvironmentAnsiSize, kEnvironmentUnicodeSize));
        if (!unicodeText.empty()) return unicodeText;
        return AnsiText(block.subspan(kBlockHeader, kEnvironmentAnsiSize));
    }

    // Extra data blocks up to the terminal block (a size below 4); a file
    // that ends where a block would start has simply none left.
    void ReadExtraData(uint64_t pos) {
        ShellLink& link = Link();
        while (pos < Size()) {
            if (!InBounds(pos, 4, Size())) {
                Truncated("the extra data block's size", 4, pos);
                return;
            }
            const uint64_t blockSize = PeekU32(m_file, pos);
            if (blockSize < 4) return;
            if (blockSize < kBlockHeader) {
                Invalid(pos, "the extra data block states " + GroupedNumber(blockSize) +
                                 " bytes, fewer than its 8-byte header");
                return;
            }
            const uint32_t signature = PeekU32(m_file, pos + 4);
            if (!InBounds(pos, blockSize, Size())) {
                Truncated("the extra data block " + Hex(signature), blockSize, pos);
                return;
            }
            const ByteView block = m_file.subspan(size_t(pos), size_t(blockSize));
            std::string* target = signature == kEnvironmentVariableBlock ? &link.environmentTarget
                                  : signature == kIconEnvironmentBlock   ? &link.iconEnvironmentPath
                                  : signature == kDarwinBlock            ? &link.darwinId
                                                                         : nullptr;
            if (target) {
                if (blockSize != kEnvironmentBlockSize)
                    Invalid(pos, "the extra data block " + Hex(signature) + " states " + GroupedNumber(blockSize) +
                                     " bytes, not 788");
                if (blockSize >= kEnvironmentBlockSize) *target = EnvironmentText(block);
            }
            pos += blockSize;
        }
    }

    void Finish() {
        ShellLink& link = Link();
        std::string fromLinkInfo;
        if (!(link.linkFlags & kLinkForceNoLinkInfo)) {
            if (!link.localBasePath.empty())
                fromLinkInfo = JoinPath(link.localBasePath, link.commonPathSuffix);
            else if (!link.networkShare.empty())
                fromLinkInfo = JoinPath(link.networkShare, link.commonPathSuffix);
        }
        if (!fromLinkInfo.empty() && !(m_linkInfoPathLossy && LostCharacters(fromLinkInfo) && !link.idListPath.empty()))
            link.targetPath = fromLinkInfo;
        else if (!link.idListPath.empty())
            link.targetPath = link.idListPath;
        else
            link.targetPath = link.environmentTarget;
    }

    ByteView m_file;
    ReadResult<ShellLink>& m_result;
    bool m_linkInfoPathLossy = false; // the link information's paths are 8-bit only
};

} // namespace

bool LooksLikeShellLink(std::span<const uint8_t> bytes) {
    return bytes.size() >= kHeaderSize && PeekU32(bytes, 0) == kHeaderSize &&
           std::memcmp(bytes.data() + 4, kShellLinkClsid.data(), kShellLinkClsid.size()) == 0;
}

ReadResult<ShellLink> ParseShellLink(std::span<const uint8_t> bytes) {
    ReadResult<ShellLink> result;
    LinkReader(bytes, result).Read();
    return result;
}

ShortcutIcon ShortcutIconOf(const ShellLink& link) {
    if ((link.linkFlags & kLinkHasExpIcon) && !link.iconEnvironmentPath.empty())
        return {link.iconEnvironmentPath, link.iconIndex};
    if (!link.iconLocation.empty()) return {link.iconLocation, link.iconIndex};
    return {};
}

} // namespace gw
