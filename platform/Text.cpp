#include "platform/Text.h"

#include <algorithm>
#include <vector>

namespace gw {

namespace {

constexpr uint32_t kHighSurrogateFirst = 0xD800;
constexpr uint32_t kLowSurrogateFirst = 0xDC00;
constexpr uint32_t kSurrogateEnd = 0xE000;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(uint32_t u) { return u >= kHighSurrogateFirst && u < kLowSurrogateFirst; }
bool IsLowSurrogate(uint32_t u) { return u >= kLowSurrogateFirst && u < kSurrogateEnd; }

// 0x80-0x9F of Windows-1252; 0 marks the five undefined bytes.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
size_t SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return 1;
    size_t length = 0;
    uint32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    const uint32_t minimum = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
    if (cp < minimum || cp > kMaxCodePoint || (cp >= kHighSurrogateFirst && cp < kSurrogateEnd)) return 0;
    return length;
}

} // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp > kMaxCodePoint || (cp >= kHighSurrogateFirst && cp < kSurrogateEnd)) cp = kReplacementCharacter;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(std::span<const uint16_t> units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t u = units[i];
        if (IsHighSurrogate(u) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((u - kHighSurrogateFirst) << 10) + (units[i + 1] - kLowSurrogateFirst));
            ++i;
            continue;
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf16LeToUtf8(ByteView bytes) {
    std::vector<uint16_t> units(bytes.size() / 2);
    for (size_t i = 0; i < units.size(); ++i) units[i] = PeekU16(bytes, i * 2);
    return Utf16ToUtf8(units);
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    const std::string valid = ValidUtf8(text);
    std::u16string units;
    units.reserve(valid.size());
    for (size_t i = 0; i < valid.size();) {
        const auto b = uint8_t(valid[i]);
        const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < length && i + k < valid.size(); ++k) cp = (cp << 6) | (uint8_t(valid[i + k]) & 0x3F);
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(char16_t(0xD800 + (cp >> 10)));
            units.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(char16_t(cp));
        }
    }
    return units;
}

std::string ValidUtf8(std::string_view text) {
    if (IsUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(text, i);
        if (length == 0) {
            AppendUtf8(out, kReplacementCharacter);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

size_t Utf8PrefixLength(std::string_view text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t length = std::max<size_t>(SequenceLength(text, end), 1);
        if (end + length > maxBytes) break;
        end += length;
    }
    return end;
}

std::string CountNoun(uint64_t count, std::string_view singular, std::string_view plural) {
    if (count == 1) return std::string(singular);
    return plural.empty() ? std::string(singular) + "s" : std::string(plural);
}

std::string CountText(uint64_t count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + " " + CountNoun(count, singular, plural);
}

} // namespace gw
