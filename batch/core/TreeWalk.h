#pragma once
// The folder-tree walk of the wizard's recursive mode: counting the tree for
// the progress total (MakeTree) and visiting it (MakeLTree). Both walk the
// sub-folders of a start folder depth first, a folder's files in sorted
// order before its own sub-folders, and share one rule for what they enter:
// folders whose name begins with "." are never entered, and a folder already
// entered in this walk (reached again through a symbolic link) is not
// entered again, so link cycles end.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gw {

class BatchProgress;

// How deep below the start folder a walk goes.
constexpr int kMaxTreeDepth = 256;

// The entries a folder's sorted file list shows: its plain files (links to
// files too; names beginning with "." are hidden) and its sub-folders that
// a walk may enter, each sorted by CompareListNames.
struct FolderEntries {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};
FolderEntries ReadFolderEntries(const std::string& folder);

struct TreeCounts {
    int64_t dirs = 0;  // sub-folders entered at every depth
    int64_t files = 0; // files in those sub-folders, of any extension
};

// Counts what MakeLTree will visit below root; lets messages run once per
// folder, and ends early (with what it counted) when the progress asks to stop.
TreeCounts MakeTree(const std::string& root, BatchProgress* progress);

// The walk's callbacks. Each returns false to end the walk at once.
struct TreeVisitor {
    std::function<bool(const std::string& folderPath, const std::string& folderName)> enterFolder;
    std::function<bool(const std::string& folderPath, const std::string& fileName)> visitFile;
};

// Walks the sub-folders of root (not root's own files): for each sub-folder
// in order, enterFolder, then visitFile for each of its files, then its own
// sub-folders the same way. False when a callback ended the walk.
bool MakeLTree(const std::string& root, const TreeVisitor& visitor);

} // namespace gw
