#include "tests/support/VersionBuilder.h"

#include "tests/support/Builders.h"

namespace gw::test {

namespace {

void Pad4(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}

void Put(Bytes& out, const VersionNode& node, bool wide) {
    const size_t start = out.size();
    PutU16(out, 0);
    const bool text = wide && node.type == 1;
    PutU16(out, node.valueLength.value_or(uint16_t(text ? node.value.size() / 2 : node.value.size())));
    if (wide) PutU16(out, node.type);
    for (char c : node.key) {
        out.push_back(uint8_t(c));
        if (wide) out.push_back(0);
    }
    if (node.keyTerminator) {
        out.push_back(0);
        if (wide) out.push_back(0);
    }
    Pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        Pad4(out);
        Put(out, child, wide);
    }
    const uint16_t length = node.length.value_or(uint16_t(out.size() - start));
    out[start] = uint8_t(length);
    out[start + 1] = uint8_t(length >> 8);
}

} // namespace

Bytes BuildVersionBlock(const VersionNode& node, bool wide) {
    Bytes out;
    Put(out, node, wide);
    return out;
}

Bytes VersionText(const std::string& text, bool wide) {
    Bytes out;
    if (wide) {
        for (uint16_t u : Utf16Units(text)) PutU16(out, u);
        PutU16(out, 0);
    } else {
        out.assign(text.begin(), text.end());
        out.push_back(0);
    }
    return out;
}

Bytes FixedPart(uint32_t fileMs, uint32_t fileLs, uint32_t productMs, uint32_t productLs, uint32_t flagsMask,
                uint32_t flags, uint32_t os, uint32_t type) {
    Bytes out;
    for (uint32_t v : {0xFEEF04BDu, 0x00010000u, fileMs, fileLs, productMs, productLs, flagsMask, flags, os, type,
                       0u, 0u, 0u})
        PutU32(out, v);
    return out;
}

VersionNode StringNode(const std::string& key, const std::string& value, bool wide) {
    VersionNode n;
    n.key = key;
    n.type = 1;
    n.value = VersionText(value, wide);
    return n;
}

VersionNode TableNode(const std::string& language, std::vector<VersionNode> strings) {
    VersionNode n;
    n.key = language;
    n.type = 1;
    n.children = std::move(strings);
    return n;
}

VersionNode StringFileInfoNode(std::vector<VersionNode> tables) {
    VersionNode n;
    n.key = "StringFileInfo";
    n.type = 1;
    n.children = std::move(tables);
    return n;
}

VersionNode VarFileInfoNode(const std::vector<uint32_t>& languageCodePages) {
    VersionNode translation;
    translation.key = "Translation";
    for (uint32_t pair : languageCodePages) {
        PutU16(translation.value, uint16_t(pair >> 16));
        PutU16(translation.value, uint16_t(pair));
    }
    VersionNode n;
    n.key = "VarFileInfo";
    n.type = 1;
    n.children = {translation};
    return n;
}

VersionNode SampleVersionTree(bool wide) {
    VersionNode root;
    root.key = "VS_VERSION_INFO";
    root.value = FixedPart(0x00010002, 0x00030004, 0x00050006, 0x00070008, 0x3F, 0x05, 0x00040004, 2);
    root.children = {
        StringFileInfoNode({TableNode("040904B0", {StringNode("CompanyName", "Maker", wide),
                                                   StringNode("FileDescription", "Sample Library", wide)})}),
        VarFileInfoNode({0x040904B0}),
    };
    return root;
}

} // namespace gw::test
