#pragma once
// The one walk of a folder tree. Every command that reads folders
// recursively goes through FolderWalk: info --recurse, the wizard of the
// command line and of the explorer (its counting too), and the search for a
// folder's main program (desktop-entry). Its rule, as find, du and grep -r
// keep it:
//
//  - The start folder is walked also when it is named through a symbolic link.
//  - Below it, real sub-folders are entered, hidden ones (".wine") too.
//  - A symbolic link to a folder is not entered, unless followLinks; a
//    followed link's target is then walked on its own file system only:
//    neither its sub-folders nor further links lead onto another one.
//  - A symbolic link to a regular file is read as that file.
//  - No folder is entered twice in one walk (the same device and inode,
//    however it was reached), so link cycles and bind mounts end.
//  - /proc, /sys, /dev and the kernel's other file systems are never
//    entered, not even as the start folder, and no file on them is read.
//  - Devices, pipes, sockets and broken links are left out.
//
// It reads one folder at a time: memory grows with the folders entered (one
// identity each) and the entries of the folders being walked, never with
// the files given.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace gw {

class BatchProgress;

// How deep below the start folder a walk goes by default.
constexpr int kMaxTreeDepth = 256;

enum class WalkOrder : uint8_t {
    // A folder's entries in byte order of their names, each sub-folder
    // walked at its place among the files (info --recurse).
    ByteOrder,
    // A folder's files, then its sub-folders, each sorted as the explorer's
    // list sorts names (CompareListNames; the wizard).
    FilesThenFolders,
};

struct WalkOptions {
    bool followLinks = false;
    // The deepest folder entered: the start folder is 0, its sub-folders 1.
    int maxDepth = kMaxTreeDepth;
    WalkOrder order = WalkOrder::FilesThenFolders;
};

struct WalkEntry {
    enum class Kind : uint8_t {
        Folder,   // a sub-folder entered; its entries follow
        File,     // a regular file, or a link to one
        Unlisted, // a folder (the start folder too) that could not be listed
    };
    Kind kind = Kind::File;
    std::string path; // the start folder as given, joined with the names below it
    std::string name;
    // Folder and Unlisted: the folder's own depth; File: the depth of the
    // folder holding it (0 for the start folder's files).
    int depth = 0;
};

class FolderWalk {
public:
    FolderWalk(const std::string& root, const WalkOptions& options = {});
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // The next entry, depth first in the options' order; false at the end.
    bool Next(WalkEntry& entry);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// ---- the wizard's recursive mode, over FolderWalk in FilesThenFolders order ----

struct TreeCounts {
    int64_t dirs = 0;  // sub-folders entered at every depth
    int64_t files = 0; // files in those sub-folders, of any extension
    bool complete = true; // false when the count was stopped half-way
};

// Counts what MakeLTree will visit below root; lets messages run once per
// folder, and ends early (with what it counted, complete false) when the
// progress asks to stop.
TreeCounts MakeTree(const std::string& root, BatchProgress* progress, bool followLinks = false);

// The walk's callbacks. Each returns false to end the walk at once.
struct TreeVisitor {
    std::function<bool(const std::string& folderPath, const std::string& folderName)> enterFolder;
    std::function<bool(const std::string& filePath, const std::string& fileName)> visitFile;
};

// Walks the sub-folders of root (not root's own files): for each sub-folder
// in order, enterFolder, then visitFile for each of its files, then its own
// sub-folders the same way. False when a callback ended the walk.
bool MakeLTree(const std::string& root, const TreeVisitor& visitor, bool followLinks = false);

} // namespace gw
