#include "cli/FileList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

namespace gw::cli {

struct FileList::Folder {
    std::string path;
    uint64_t device = 0, inode = 0;
    std::vector<std::string> names; // sorted
    size_t next = 0;
};

namespace {

std::string JoinName(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The entries of a folder but "." and "..", in byte order; false when it
// cannot be listed.
bool ReadNames(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (const dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

} // namespace

FileList::FileList(FileListRequest request) : m_request(std::move(request)) {
    if (m_request.listFile.empty()) return;
    if (m_request.listFile == "-") {
        m_list = &std::cin;
        return;
    }
    auto file = std::make_unique<std::ifstream>(m_request.listFile, std::ios::binary);
    if (!*file) {
        m_error = m_request.listFile + ": cannot be read: " + std::strerror(errno);
        return;
    }
    m_list = file.get();
    m_ownList = std::move(file);
}

FileList::~FileList() = default;

bool FileList::NextNamed(std::string& path) {
    if (m_nextArgument < m_request.paths.size()) {
        path = m_request.paths[m_nextArgument++];
        return true;
    }
    if (!m_list) return false;
    const char end = m_request.nulSeparated ? '\0' : '\n';
    while (std::getline(*m_list, path, end))
        if (!path.empty()) return true;
    m_list = nullptr;
    return false;
}

bool FileList::Enter(const std::string& path, uint64_t device, uint64_t inode) {
    for (const Folder& f : m_folders)
        if (f.device == device && f.inode == inode) return true; // a loop: nothing more to give
    Folder folder{path, device, inode, {}, 0};
    if (!ReadNames(path, folder.names)) return false;
    m_folders.push_back(std::move(folder));
    return true;
}

bool FileList::Next(std::string& path) {
    for (;;) {
        if (m_folders.empty()) {
            if (!NextNamed(path)) return false;
            struct stat st;
            if (!m_request.recurse || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return true;
            if (!Enter(path, st.st_dev, st.st_ino)) return true;
            continue;
        }
        Folder& folder = m_folders.back();
        if (folder.next == folder.names.size()) {
            m_folders.pop_back();
            continue;
        }
        std::string entry = JoinName(folder.path, folder.names[folder.next++]);
        struct stat st;
        if (stat(entry.c_str(), &st) != 0) continue;
        if (S_ISREG(st.st_mode)) {
            path = std::move(entry);
            return true;
        }
        if (S_ISDIR(st.st_mode) && !Enter(entry, st.st_dev, st.st_ino)) {
            path = std::move(entry);
            return true;
        }
    }
}

} // namespace gw::cli
