#pragma once
// Builds version resources block by block in either layout, independently of
// the writer under test: each block's header (length, value length and, in
// the 32-bit layout, type), its key, padding to 4, its value and its
// children, every stated field overridable so that tests can damage them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

struct VersionNode {
    std::string key;  // ASCII (8-bit characters in the 16-bit layout)
    Bytes value;      // as stored, terminator included for texts
    uint16_t type = 0;
    std::optional<uint16_t> valueLength; // stated; unset: the value's bytes (characters for 32-bit texts)
    std::optional<uint16_t> length;      // stated; unset: up to the end of the last child or the value
    bool keyTerminator = true;
    std::vector<VersionNode> children;
};

// The bytes of a tree; wide: the 32-bit layout.
Bytes BuildVersionBlock(const VersionNode& node, bool wide);

// A text value with its terminator (UTF-16 from UTF-8 when wide; the 8-bit
// bytes as given otherwise).
Bytes VersionText(const std::string& text, bool wide);
// The 52 bytes of a fixed part with its signature.
Bytes FixedPart(uint32_t fileMs, uint32_t fileLs, uint32_t productMs, uint32_t productLs, uint32_t flagsMask,
                uint32_t flags, uint32_t os, uint32_t type);

// A String block, a string table, StringFileInfo, the Translation list.
VersionNode StringNode(const std::string& key, const std::string& value, bool wide);
VersionNode TableNode(const std::string& language, std::vector<VersionNode> strings);
VersionNode StringFileInfoNode(std::vector<VersionNode> tables);
VersionNode VarFileInfoNode(const std::vector<uint32_t>& languageCodePages); // 0x040904B0: language 0409, code page 04B0

// A whole resource: fixed part 1.2.3.4 / 5.6.7.8, flags DEBUG|PATCHED (mask
// 0x3F), VOS_NT_WINDOWS32, VFT_DLL; table "040904B0" with CompanyName
// "Maker" and FileDescription "Sample Library"; Translation 0409 04B0.
VersionNode SampleVersionTree(bool wide);

} // namespace gw::test
