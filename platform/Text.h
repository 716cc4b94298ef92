#pragma once
// The one text rule of the readers: every name they return is UTF-8. Names
// stored as UTF-16 (PE modules, 32-bit resource files) and names stored in
// the Windows-1252 code page (NE modules, 16-bit resource files) both come
// through here, and so does whatever must be valid UTF-8 before it is shown
// or serialised.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ByteReader.h"

namespace gw {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

void AppendUtf8(std::string& out, uint32_t codePoint);

// UTF-16 code units to UTF-8: surrogate pairs become one character, an
// unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::span<const uint16_t> units);
// The same over little-endian bytes (an odd last byte is ignored).
std::string Utf16LeToUtf8(ByteView bytes);

// UTF-8 to UTF-16 code units, the text made valid UTF-8 first (ValidUtf8):
// characters above U+FFFF become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// map to the control characters of the same number, as Windows maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);
// The text with every byte that is not part of a valid sequence replaced by
// U+FFFD; valid text comes back unchanged.
std::string ValidUtf8(std::string_view text);

// A count and its noun, singular for one: CountText(1, "Icon") is "1 Icon",
// CountText(0, "Icon") "0 Icons", CountText(2, "Directory", "Directories")
// "2 Directories". The plural is the singular and "s" unless given.
std::string CountText(uint64_t count, std::string_view singular, std::string_view plural = {});
// The noun alone, for a count written otherwise ("4,264 bytes").
std::string CountNoun(uint64_t count, std::string_view singular, std::string_view plural = {});

// The longest prefix of at most maxBytes bytes that does not end inside a
// UTF-8 sequence (bytes that are not UTF-8 count as one character each).
size_t Utf8PrefixLength(std::string_view text, size_t maxBytes);

} // namespace gw
