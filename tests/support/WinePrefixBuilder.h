#pragma once
// Builds Wine prefixes in a folder: drive_c with the folders and files a
// test names, the drive links in dosdevices (c: -> ../drive_c, z: -> /) and
// the registry files in their text form, as the compatibility layer writes
// them (keys with time stamps, backslashes and quotes escaped, characters
// beyond ASCII as \x escapes).
#include <string>
#include <vector>

namespace gw::test {

struct RegistryValue {
    std::string name;
    std::string text;        // UTF-8
    bool expandable = false; // written as str(2):"..."
};

struct RegistryKey {
    std::string path; // "Software\\Microsoft\\Windows\\CurrentVersion"
    std::vector<RegistryValue> values;
};

// A registry file: the header, the architecture line, then each key.
std::string BuildRegistryText(const std::vector<RegistryKey>& keys, bool win32 = false);

struct WinePrefixLayout {
    bool systemReg = true;  // written even with no keys
    bool userReg = false;   // written when userKeys is not empty, or when set
    bool dosdevices = true; // c: -> ../drive_c and z: -> /
    bool win32 = false;
    std::vector<std::string> folders; // under drive_c, made with their parents
    std::vector<std::string> files;   // under drive_c, empty, made with their folders
    std::vector<RegistryKey> systemKeys;
    std::vector<RegistryKey> userKeys;
};

// Makes the prefix in root (made if missing); false when any of it cannot be made.
bool BuildWinePrefix(const std::string& root, const WinePrefixLayout& layout);

// Makes a folder and its parents; false when it cannot.
bool MakeFolders(const std::string& path);

} // namespace gw::test
