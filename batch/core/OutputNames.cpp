#include "batch/core/OutputNames.h"

#include "platform/FileIo.h"
#include "platform/Text.h"

namespace gw {

namespace {
// Room left for "_" suffixes, indices and the extension within kMaxFileNameBytes.
constexpr size_t kMaxBaseBytes = 200;
constexpr size_t kExtensionChars = 3;
} // namespace

std::string SafeBaseName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // The C1 control characters U+0080-U+009F, as UTF-8 (C2 80 - C2 9F).
        const bool c1Control = c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                               static_cast<unsigned char>(name[i + 1]) < 0xA0;
        if (c1Control) {
            out.push_back('_');
            ++i;
        } else {
            out.push_back((c == '/' || c < 0x20 || c == 0x7F) ? '_' : char(c));
        }
    }
    // Cut between characters, never inside one.
    out.resize(Utf8PrefixLength(out, kMaxBaseBytes));
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
