#pragma once
// The names info works through, one at a time and in order: its arguments,
// then the names of a list file (or standard input), each folder among them
// expanded to the regular files below it when asked. Nothing is read ahead:
// the list is read a name at a time and a folder tree a folder at a time, so
// a list of any length costs the same memory (a tree: a few bytes for each
// folder entered, which the walk keeps so as to enter none twice).
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "batch/core/TreeWalk.h"

namespace gw::cli {

struct FileListRequest {
    std::vector<std::string> paths; // the arguments, first
    // Then the names in this file; "-" is standard input; empty: none.
    std::string listFile;
    bool nulSeparated = false; // names end with NUL instead of a line break
    // A folder among the names stands for every regular file below it.
    bool recurse = false;
    // The walk also enters symbolic links to folders (--follow).
    bool followLinks = false;
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
    //   sub-folders by the tree walk's rule (batch/core/TreeWalk.h: hidden
    //   ones too, links to files read as the files, links to folders only
    //   with followLinks, no folder twice, never /proc, /sys or /dev), depth
    //   first, each folder's entries in byte order of their names, a
    //   sub-folder's files at its place. A folder that cannot be listed is
    //   given as itself, so that opening it says why.
    bool Next(std::string& path);

private:
    bool NextNamed(std::string& path);

    FileListRequest m_request;
    size_t m_nextArgument = 0;
    std::unique_ptr<std::istream> m_ownList;
    std::istream* m_list = nullptr;
    std::string m_error;
    std::unique_ptr<FolderWalk> m_walk; // the named folder being walked
};

} // namespace gw::cli
