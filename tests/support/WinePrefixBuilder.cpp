#include "tests/support/WinePrefixBuilder.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/Builders.h"

namespace gw::test {

namespace {

bool IsHexDigit(uint16_t unit) {
    return (unit >= '0' && unit <= '9') || (unit >= 'a' && unit <= 'f') || (unit >= 'A' && unit <= 'F');
}

// Text as the registry files escape it: the escape character and the
// closers with a backslash, characters beyond ASCII in hex, four digits
// when a hex digit follows (else as few as they need).
std::string Escaped(const std::string& text, char closer) {
    const std::vector<uint16_t> units = Utf16Units(text);
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        const uint16_t unit = units[i];
        if (unit > 127) {
            const bool hexFollows = i + 1 < units.size() && IsHexDigit(units[i + 1]);
            char hex[8];
            std::snprintf(hex, sizeof hex, hexFollows ? "\\x%04x" : "\\x%x", unsigned(unit));
            out += hex;
            continue;
        }
        if (unit == '\\' || unit == uint16_t(closer) || (closer == ']' && unit == '[')) out += '\\';
        out += char(unit);
    }
    return out;
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteFile(path, Bytes(text.begin(), text.end()));
}

} // namespace

std::string BuildRegistryText(const std::vector<RegistryKey>& keys, bool win32) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
    text += win32 ? "#arch=win32\n" : "#arch=win64\n";
    for (const RegistryKey& key : keys) {
        text.append("\n[").append(Escaped(key.path, ']')).append("] 1700000000\n#time=1da0b0c0d0e0f00\n");
        for (const RegistryValue& v : key.values) {
            text.append("\"").append(Escaped(v.name, '"')).append("\"=");
            text.append(v.expandable ? "str(2):\"" : "\"").append(Escaped(v.text, '"')).append("\"\n");
        }
    }
    return text;
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

bool BuildWinePrefix(const std::string& root, const WinePrefixLayout& layout) {
    const std::string driveC = root + "/drive_c";
    bool ok = MakeFolders(driveC);
    for (const std::string& folder : layout.folders) ok = MakeFolders(driveC + "/" + folder) && ok;
    for (const std::string& file : layout.files) {
        const std::string path = driveC + "/" + file;
        ok = MakeFolders(std::filesystem::path(path).parent_path().string()) && WriteText(path, "") && ok;
    }
    if (layout.dosdevices) {
        ok = MakeFolders(root + "/dosdevices") && ok;
        ok = symlink("../drive_c", (root + "/dosdevices/c:").c_str()) == 0 && ok;
        ok = symlink("/", (root + "/dosdevices/z:").c_str()) == 0 && ok;
    }
    if (layout.systemReg) ok = WriteText(root + "/system.reg", BuildRegistryText(layout.systemKeys, layout.win32)) && ok;
    if (layout.userReg || !layout.userKeys.empty())
        ok = WriteText(root + "/user.reg", BuildRegistryText(layout.userKeys, layout.win32)) && ok;
    return ok;
}

} // namespace gw::test
