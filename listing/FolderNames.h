#pragma once
// The folder tree's listing: the names of a folder's sub-folders in the
// tree's order, and what changed between two such listings, so the tree
// updates only the rows that changed when a watched folder is read again.
#include <cstddef>
#include <string>
#include <vector>

namespace gw {

// The tree's order of folder names: ASCII letters compared without case, runs
// of digits by their value ("disk2" before "disk10"), other bytes by value;
// names equal under those rules fall back to byte order, so the order is total.
int CompareFolderNames(const std::string& a, const std::string& b);

// The names of a folder's sub-folders (links to folders included, hidden
// names left out), sorted by CompareFolderNames. Only entries whose type the
// listing does not give (links, unknown types) are looked up; files are never
// looked at one by one. Empty when the folder cannot be read.
std::vector<std::string> SubfolderNames(const std::string& folder);

// What turns one sorted listing into another. Applied in this order, the
// edits keep every index valid: remove each run of `removed` from the last to
// the first (indices into the old listing), then insert each run of `inserted`
// from the first to the last (each at its index in the new listing).
struct FolderNameEdits {
    struct Run {
        size_t first = 0;               // index of the run's first name
        std::vector<std::string> names; // the run's names, in order
    };
    std::vector<Run> removed;
    std::vector<Run> inserted;

    bool Empty() const { return removed.empty() && inserted.empty(); }
};

// The edits from before to after; both are sorted by CompareFolderNames.
FolderNameEdits DiffFolderNames(const std::vector<std::string>& before, const std::vector<std::string>& after);

} // namespace gw
