#include "formats/VersionInfo.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "formats/VersionLayout.h"
#include "platform/Text.h"

namespace gw {

using namespace version_layout;

namespace {

uint64_t Align4(uint64_t offset) { return (offset + 3) & ~uint64_t(3); }

// A block as its header states it, its key read: where it starts, where it
// ends (cut at its parent's end) and where its value starts.
struct Block {
    uint64_t start = 0;
    uint64_t statedEnd = 0; // start + its stated length
    uint64_t end = 0;       // statedEnd, or the parent's end when that comes first
    uint16_t valueLength = 0;
    uint16_t type = kBinaryValue;
    std::string key;
    uint64_t valueStart = 0; // after the key and its padding; may lie past end
};

// Reads the tree of one version resource. Offsets are within the resource;
// padding is to multiples of 4 from its start.
class VersionReader {
public:
    VersionReader(ByteView bytes, VersionLayout layout)
        : m_bytes(bytes), m_wide(layout == VersionLayout::Wide), m_header(m_wide ? kWideHeader : kNarrowHeader) {}

    ReadResult<std::optional<VersionInfo>> Read() {
        const std::optional<Block> root = ReadBlock(0, m_bytes.size());
        if (!root) return std::move(m_result);
        if (root->key != kRootKey) {
            Note(ReadError::Invalid(m_header, "the version resource starts with " + Quoted(root->key) +
                                                  ", not " + std::string(kRootKey), Size()));
            return std::move(m_result);
        }
        VersionInfo info;
        ReadFixed(*root, info);
        // The root's value is binary: its length counts bytes in both layouts.
        ForEachChild(*root, root->valueStart + root->valueLength, [&](const Block& child) {
            if (child.key == kStringFileInfo)
                ForEachChild(child, ChildrenStart(child), [&](const Block& table) { ReadTable(table, info); });
            else if (child.key == kVarFileInfo)
                ForEachChild(child, ChildrenStart(child), [&](const Block& var) { ReadVar(var, info); });
        });
        m_result.records = std::move(info);
        return std::move(m_result);
    }

private:
    uint64_t Size() const { return m_bytes.size(); }
    void Note(ReadError e) { m_result.Note(std::move(e)); }

    bool AllZero(uint64_t from, uint64_t to) const {
        return std::all_of(m_bytes.begin() + ptrdiff_t(from), m_bytes.begin() + ptrdiff_t(to),
                           [](uint8_t b) { return b == 0; });
    }

    // A block that does not fit where it must: cut short by the end of the
    // resource, or running past its parent's end inside it.
    ReadError DoesNotFit(uint64_t at, uint64_t length, uint64_t parentEnd) const {
        if (parentEnd >= Size())
            return ReadError::Truncated(at, "the version block at " + GroupedNumber(at), length, Size());
        return ReadError::Invalid(at, "the version block at " + GroupedNumber(at) + " of " + GroupedNumber(length) + " " +
                                          CountNoun(length, "byte") + " runs past the end of its parent at " +
                                          GroupedNumber(parentEnd),
                                  Size());
    }

    // Where the text of a key or value starting at from ends (its terminator)
    // within [from, end); nullopt when there is no terminator there.
    std::optional<uint64_t> Terminator(uint64_t from, uint64_t end) const {
        const uint64_t unit = m_wide ? 2 : 1;
        for (uint64_t at = from; at + unit <= end; at += unit)
            if (m_bytes[at] == 0 && (!m_wide || m_bytes[at + 1] == 0)) return at;
        return std::nullopt;
    }

    std::string Text(uint64_t from, uint64_t to) const {
        const ByteView text = m_bytes.subspan(size_t(from), size_t(to - from));
        if (m_wide) return Utf16LeToUtf8(text);
        return Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }

    // The block at pos inside [pos, parentEnd): its header and its key.
    // Nullopt (with the damage noted) when it has no room for its header, a
    // length shorter than that or a key without a terminator: the walk of
    // its list ends there.
    std::optional<Block> ReadBlock(uint64_t pos, uint64_t parentEnd) {
        if (parentEnd - pos < m_header) {
            Note(DoesNotFit(pos, m_header, parentEnd));
            return std::nullopt;
        }
        Block b;
        b.start = pos;
        const uint16_t length = PeekU16(m_bytes, pos);
        b.valueLength = PeekU16(m_bytes, pos + 2);
        if (m_wide) b.type = PeekU16(m_bytes, pos + 4);
        if (length < m_header) {
            Note(ReadError::Invalid(pos, "the version block at " + GroupedNumber(pos) + " states a length of " +
                                             std::to_string(length) + ", less than its header",
                                    Size()));
            return std::nullopt;
        }
        b.statedEnd = pos + length;
        b.end = std::min(b.statedEnd, parentEnd);
        if (b.statedEnd > parentEnd) Note(DoesNotFit(pos, length, parentEnd));
        const uint64_t keyStart = pos + m_header;
        const std::optional<uint64_t> keyEnd = Terminator(keyStart, b.end);
        if (!keyEnd) {
            Note(ReadError::Invalid(keyStart, "the key of the version block at " + GroupedNumber(pos) +
                                                  " has no terminator",
                                    Size()));
            return std::nullopt;
        }
        b.key = Text(keyStart, *keyEnd);
        b.valueStart = Align4(*keyEnd + (m_wide ? 2 : 1));
        return b;
    }

    // Where a block's children start: after its value, which counts
    // characters when it is text in the 32-bit layout and bytes otherwise.
    uint64_t ChildrenStart(const Block& b) const {
        const uint64_t unit = m_wide && b.type == kTextValue ? 2 : 1;
        return b.valueStart + uint64_t(b.valueLength) * unit;
    }

    // Calls read(child) for each child of b from childrenStart on. Zeros
    // after the last child are padding; a child that runs past b's end is
    // read as far as b goes and ends the walk, as does one that cannot be read.
    template <class Read>
    void ForEachChild(const Block& b, uint64_t childrenStart, Read read) {
        for (uint64_t pos = Align4(childrenStart); pos < b.end;) {
            if (AllZero(pos, b.end)) return;
            const std::optional<Block> child = ReadBlock(pos, b.end);
            if (!child) return;
            read(*child);
            if (child->statedEnd >= b.end) return;
            pos = Align4(child->statedEnd); // past pos: a length is at least a header
        }
    }

    void ReadFixed(const Block& root, VersionInfo& info) {
        if (root.valueLength == 0) return;
        const uint64_t at = root.valueStart;
        if (root.valueLength < kFixedSize) {
            Note(ReadError::Invalid(root.start + 2, "the fixed version part states " +
                                                        CountText(root.valueLength, "byte") + ", less than " +
                                                        std::to_string(kFixedSize),
                                    Size()));
            return;
        }
        if (at > root.end || root.end - at < kFixedSize) {
            Note(DoesNotFit(at, kFixedSize, root.end));
            return;
        }
        ByteReader r(m_bytes, at);
        if (r.u32() != kFixedSignature) {
            Note(ReadError::Invalid(at, "the fixed version part lacks its signature", Size()));
            return;
        }
        FixedFileInfo f;
        f.structVersion = r.u32();
        const auto number = [&r] {
            const uint32_t high = r.u32(), low = r.u32();
            return VersionNumber{uint16_t(high >> 16), uint16_t(high), uint16_t(low >> 16), uint16_t(low)};
        };
        f.fileVersion = number();
        f.productVersion = number();
        f.fileFlagsMask = r.u32();
        f.fileFlags = r.u32();
        f.fileOs = r.u32();
        f.fileType = r.u32();
        f.fileSubtype = r.u32();
        f.fileDateMs = r.u32();
        f.fileDateLs = r.u32();
        info.fixed = f;
    }

    void ReadTable(const Block& tableBlock, VersionInfo& info) {
        VersionStringTable table;
        table.language = tableBlock.key;
        ForEachChild(tableBlock, ChildrenStart(tableBlock), [&](const Block& s) {
            VersionString string;
            string.key = s.key;
            // The value is measured by its terminator: compilers disagree on
            // whether the stated length counts characters or bytes, and on
            // whether it counts the terminator.
            if (s.valueStart < s.end) {
                const std::optional<uint64_t> end = Terminator(s.valueStart, s.end);
                if (!end)
                    Note(ReadError::Invalid(s.valueStart, "the version string " + Quoted(s.key) +
                                                              " has no terminator",
                                            Size()));
                const uint64_t last = m_wide ? s.end - (s.end - s.valueStart) % 2 : s.end;
                string.value = Text(s.valueStart, end.value_or(last));
            }
            table.strings.push_back(std::move(string));
        });
        info.tables.push_back(std::move(table));
    }

    void ReadVar(const Block& var, VersionInfo& info) {
        if (var.key != kTranslation) return;
        uint64_t length = var.valueLength;
        const uint64_t held = var.valueStart < var.end ? var.end - var.valueStart : 0;
        if (length > held) {
            Note(DoesNotFit(var.valueStart, length, var.end));
            length = held;
        }
        for (uint64_t at = var.valueStart; at + 4 <= var.valueStart + length; at += 4)
            info.translations.push_back({PeekU16(m_bytes, at), PeekU16(m_bytes, at + 2)});
    }

    ByteView m_bytes;
    bool m_wide;
    uint64_t m_header;
    ReadResult<std::optional<VersionInfo>> m_result;
};

bool HoldsText(ByteView bytes, uint64_t at, std::string_view text, bool wide) {
    const uint64_t unit = wide ? 2 : 1;
    if (!InBounds(at, (text.size() + 1) * unit, bytes.size())) return false;
    for (size_t i = 0; i <= text.size(); ++i) {
        const uint8_t c = i < text.size() ? uint8_t(text[i]) : 0;
        if (bytes[at + i * unit] != c || (wide && bytes[at + i * unit + 1] != 0)) return false;
    }
    return true;
}

std::string Hex8(uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

} // namespace

const std::string* VersionStringTable::Find(std::string_view key) const {
    for (const VersionString& s : strings)
        if (s.key == key) return &s.value;
    return nullptr;
}

ReadResult<std::optional<VersionInfo>> ParseVersionInfo(ByteView bytes, VersionLayout layout) {
    return VersionReader(bytes, layout).Read();
}

ReadResult<std::optional<VersionInfo>> ParseVersionInfo(ByteView bytes) {
    const bool narrow = !HoldsText(bytes, kWideHeader, kRootKey, true) && HoldsText(bytes, kNarrowHeader, kRootKey, false);
    return ParseVersionInfo(bytes, narrow ? VersionLayout::Narrow : VersionLayout::Wide);
}

std::string VersionNumberText(const VersionNumber& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

std::optional<VersionNumber> ParseVersionNumber(std::string_view text) {
    VersionNumber number{};
    size_t part = 0;
    size_t pos = 0;
    while (true) {
        uint32_t value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + uint32_t(text[pos++] - '0');
            if (++digits > 5 || value > 0xFFFF) return std::nullopt;
        }
        if (digits == 0) return std::nullopt;
        number[part++] = uint16_t(value);
        if (part == 4) return pos == text.size() ? std::optional(number) : std::nullopt;
        if (pos >= text.size() || text[pos] != '.') return std::nullopt;
        ++pos;
    }
}

namespace {

// Each known value of a fixed-part field: its constant's name (info --json)
// and the same in words (File Information).
struct KnownValue {
    uint32_t value;
    const char* name;
    const char* words;
};

constexpr KnownValue kFlags[] = {
    {0x01, "DEBUG", "Debug build"},          {0x02, "PRERELEASE", "Pre-release"},
    {0x04, "PATCHED", "Patched"},            {0x08, "PRIVATEBUILD", "Private build"},
    {0x10, "INFOINFERRED", "Information inferred"}, {0x20, "SPECIALBUILD", "Special build"},
};

constexpr KnownValue kOperatingSystems[] = {
    {0x00000000, "VOS_UNKNOWN", "Unknown"},
    {0x00010000, "VOS_DOS", "MS-DOS"},
    {0x00020000, "VOS_OS216", "16-bit OS/2"},
    {0x00030000, "VOS_OS232", "32-bit OS/2"},
    {0x00040000, "VOS_NT", "Windows NT"},
    {0x00050000, "VOS_WINCE", "Windows CE"},
    {0x00000001, "VOS__WINDOWS16", "16-bit Windows"},
    {0x00000002, "VOS__PM16", "16-bit Presentation Manager"},
    {0x00000003, "VOS__PM32", "32-bit Presentation Manager"},
    {0x00000004, "VOS__WINDOWS32", "32-bit Windows"},
    {0x00010001, "VOS_DOS_WINDOWS16", "16-bit Windows on MS-DOS"},
    {0x00010004, "VOS_DOS_WINDOWS32", "32-bit Windows on MS-DOS"},
    {0x00020002, "VOS_OS216_PM16", "16-bit Presentation Manager on 16-bit OS/2"},
    {0x00030003, "VOS_OS232_PM32", "32-bit Presentation Manager on 32-bit OS/2"},
    {0x00040004, "VOS_NT_WINDOWS32", "32-bit Windows on Windows NT"},
};

constexpr KnownValue kFileTypes[] = {
    {0, "VFT_UNKNOWN", "Unknown"}, {1, "VFT_APP", "Application"}, {2, "VFT_DLL", "Library"},
    {3, "VFT_DRV", "Driver"},      {4, "VFT_FONT", "Font"},       {5, "VFT_VXD", "Virtual device driver"},
    {7, "VFT_STATIC_LIB", "Static library"},
};

std::string OtherInWords(uint32_t value) { return "Other (" + Hex8(value) + ")"; }

template <size_t N>
std::string Known(const KnownValue (&table)[N], uint32_t value, bool words) {
    for (const KnownValue& k : table)
        if (k.value == value) return words ? k.words : k.name;
    return words ? OtherInWords(value) : Hex8(value);
}

std::vector<std::string> Flags(const FixedFileInfo& fixed, bool words) {
    std::vector<std::string> out;
    const uint32_t set = fixed.fileFlags & fixed.fileFlagsMask;
    for (uint32_t bit = 0; bit < 32; ++bit)
        if (set & (uint32_t(1) << bit)) out.push_back(Known(kFlags, uint32_t(1) << bit, words));
    return out;
}

} // namespace

std::vector<std::string> FileFlagNames(const FixedFileInfo& fixed) { return Flags(fixed, false); }
std::vector<std::string> FileFlagWords(const FixedFileInfo& fixed) { return Flags(fixed, true); }
std::string FileOsText(uint32_t fileOs) { return Known(kOperatingSystems, fileOs, false); }
std::string FileOsWords(uint32_t fileOs) { return Known(kOperatingSystems, fileOs, true); }
std::string FileTypeText(uint32_t fileType) { return Known(kFileTypes, fileType, false); }
std::string FileTypeWords(uint32_t fileType) { return Known(kFileTypes, fileType, true); }

std::string TranslationText(VersionTranslation t) {
    char text[9];
    std::snprintf(text, sizeof text, "%04x%04x", unsigned(t.language), unsigned(t.codePage));
    return text;
}

} // namespace gw
