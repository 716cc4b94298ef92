#include "batch/core/OutputNames.h"

#include "platform/FileIo.h"

namespace gw {

namespace {
// Room left for "_" suffixes, indices and the extension within kMaxFileNameBytes.
constexpr size_t kMaxBaseBytes = 200;
constexpr size_t kExtensionChars = 3;
} // namespace

std::string SafeBaseName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (unsigned char c : name) out.push_back((c == '/' || c < 0x20 || c == 0x7F) ? '_' : char(c));
    if (out.size() > kMaxBaseBytes) {
        out.resize(kMaxBaseBytes);
        // Do not leave half of a UTF-8 sequence at the end.
        while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
        if (!out.empty() && (static_cast<unsigned char>(out.back()) & 0x80)) out.pop_back();
    }
    if (out.empty() || out == "." || out == "..") out = "_" + out;
    return out;
}

std::string OutputName(const std::string& folder, const std::string& base, const std::string& ext) {
    return JoinPath(folder, base + ext);
}

std::string AutoRenamed(const std::string& folder, const std::string& base, const std::string& ext) {
    std::string b = base;
    while (EntryExists(OutputName(folder, b, ext)) && b.size() + ext.size() <= kMaxFileNameBytes) b += "_";
    return OutputName(folder, b, ext);
}

std::string LowerBaseName(const std::string& fileName) { return LowerAscii(NameBeforeFirstDot(fileName)); }

std::string WizardPrefixBase(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    const std::string ext3 = dot == std::string::npos ? std::string() : fileName.substr(dot + 1, kExtensionChars);
    return LowerAscii(NameBeforeFirstDot(fileName) + ext3);
}

} // namespace gw
