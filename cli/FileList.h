#pragma once
// The names info works through, one at a time and in order: its arguments,
// then the names of a list file (or standard input), each folder among them
// expanded to the regular files below it when asked. Nothing is read ahead:
// the list is read a name at a time and a folder tree a folder at a time, so
// a list of any length costs the same memory.
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace gw::cli {

struct FileListRequest {
    std::vector<std::string> paths; // the arguments, first
    // Then the names in this file; "-" is standard input; empty: none.
    std::string listFile;
    bool nulSeparated = false; // names end with NUL instead of a line break
    // A folder among the names stands for every regular file below it.
    bool recurse = false;
};

class FileList {
public:
    // Opens the list file; Failed() (with Error()) when it cannot be read.
    explicit FileList(FileListRequest request);
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }

    // The next name; false at the end.
    //   A listed name is taken byte for byte; empty names are skipped; a line
    //   break (or NUL) ends each name, a last one without it counts as well.
    //   With recurse, a folder gives its regular files and those of its
    //   sub-folders, depth first, each folder's entries in byte order of their
    //   names (dot-names too), a sub-folder's files at its place. Links are
    //   followed, except to a folder already being walked (a link loop).
    //   Entries that are neither files nor folders (devices, pipes, sockets,
    //   broken links) are left out; a folder that cannot be listed is given as
    //   itself, so that opening it says why.
    bool Next(std::string& path);

private:
    struct Folder;
    bool NextNamed(std::string& path);
    // Starts walking the folder; false when it could not be listed.
    bool Enter(const std::string& path, uint64_t device, uint64_t inode);

    FileListRequest m_request;
    size_t m_nextArgument = 0;
    std::unique_ptr<std::istream> m_ownList;
    std::istream* m_list = nullptr;
    std::string m_error;
    std::vector<Folder> m_folders; // the walk, outermost first
};

} // namespace gw::cli
