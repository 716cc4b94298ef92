#include "cli/FileList.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "platform/Paths.h"

namespace gw::cli {

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

bool FileList::Next(std::string& path) {
    for (;;) {
        if (m_walk) {
            WalkEntry entry;
            if (!m_walk->Next(entry)) {
                m_walk.reset();
                continue;
            }
            if (entry.kind == WalkEntry::Kind::Folder) continue;
            path = std::move(entry.path); // a file, or a folder that cannot be listed
            return true;
        }
        if (!NextNamed(path)) return false;
        if (!m_request.recurse || !IsFolder(path)) return true;
        WalkOptions options;
        options.followLinks = m_request.followLinks;
        options.order = WalkOrder::ByteOrder;
        m_walk = std::make_unique<FolderWalk>(path, options);
    }
}

} // namespace gw::cli
