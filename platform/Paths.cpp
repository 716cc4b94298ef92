#include "platform/Paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace gw {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string PathFileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UpperExtension(const std::string& path) {
    const std::string file = PathFileName(path);
    const auto dot = file.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = file.substr(dot);
    return UpperAscii(ext);
}

std::string LowerExtension(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? std::string() : LowerAscii(fileName.substr(dot));
}

std::string NameBeforeFirstDot(const std::string& name) {
    const auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) c = UpperAsciiUnit(c);
    return text;
}

bool IsHiddenName(const std::string& name) { return !name.empty() && name[0] == '.'; }

bool EntryExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string TempFolderFromEnvironment() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env && *env ? env : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

namespace {

// The type of a directory entry, following symbolic links; d_type spares a
// stat for the common cases.
EntryType TypeOf(const std::string& folder, const dirent& entry) {
    if (entry.d_type == DT_REG) return EntryType::File;
    if (entry.d_type == DT_DIR) return EntryType::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return EntryType::Other;
    struct stat st {};
    if (stat(JoinPath(folder, entry.d_name).c_str(), &st) != 0) return EntryType::Other;
    if (S_ISREG(st.st_mode)) return EntryType::File;
    if (S_ISDIR(st.st_mode)) return EntryType::Folder;
    return EntryType::Other;
}

} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return entries;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        entries.push_back({name, TypeOf(folder, *entry)});
    }
    return entries;
}

bool IsSystemFolder(const std::string& path) {
    static const char* const kSystemFolders[] = {"/bin", "/boot", "/dev",  "/etc", "/lib", "/lib32", "/lib64",
                                                 "/libx32", "/proc", "/run", "/sbin", "/sys", "/usr", "/var"};
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty() || p == "/") return true;
    for (const char* folder : kSystemFolders) {
        const std::string f = folder;
        if (p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/')) return true;
    }
    return false;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) return path;
    while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
    return absolute;
}

} // namespace gw
