#include "batch/core/TreeWalk.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "listing/ListOrder.h"
#include "batch/core/Progress.h"
#include "platform/FileIo.h"

namespace gw {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

bool IdentityOf(const std::string& path, FolderId& id) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

struct PendingFolder {
    std::string path;
    std::string name;
    int depth;
};

// The shared walk: preorder over the sub-folders of root, each folder
// entered once. onFolder gets the entries of every folder it enters.
bool Walk(const std::string& root,
          const std::function<bool(const PendingFolder&, const FolderEntries&)>& onFolder) {
    std::set<FolderId> entered;
    FolderId rootId;
    if (!IdentityOf(root, rootId)) return true;
    entered.insert(rootId);

    std::vector<PendingFolder> stack;
    auto pushSubFolders = [&](const std::string& path, const FolderEntries& entries, int depth) {
        if (depth >= kMaxTreeDepth) return;
        // Reversed, so that the first sub-folder is taken first.
        for (auto it = entries.folders.rbegin(); it != entries.folders.rend(); ++it)
            stack.push_back({JoinPath(path, *it), *it, depth + 1});
    };
    pushSubFolders(root, ReadFolderEntries(root), 0);
    while (!stack.empty()) {
        PendingFolder folder = std::move(stack.back());
        stack.pop_back();
        FolderId id;
        if (!IdentityOf(folder.path, id) || !entered.insert(id).second) continue;
        const FolderEntries entries = ReadFolderEntries(folder.path);
        if (!onFolder(folder, entries)) return false;
        pushSubFolders(folder.path, entries, folder.depth);
    }
    return true;
}

} // namespace

FolderEntries ReadFolderEntries(const std::string& folder) {
    FolderEntries out;
    for (FolderEntry& entry : ListFolder(folder)) {
        // Hidden entries are neither listed nor entered.
        if (IsHiddenName(entry.name)) continue;
        if (entry.type == EntryType::File) out.files.push_back(std::move(entry.name));
        if (entry.type == EntryType::Folder) out.folders.push_back(std::move(entry.name));
    }
    auto byName = [](const std::string& a, const std::string& b) { return CompareListNames(a, b) < 0; };
    std::sort(out.files.begin(), out.files.end(), byName);
    std::sort(out.folders.begin(), out.folders.end(), byName);
    return out;
}

TreeCounts MakeTree(const std::string& root, BatchProgress* progress) {
    TreeCounts counts;
    if (progress) progress->LetMessagesRun();
    Walk(root, [&](const PendingFolder&, const FolderEntries& entries) {
        ++counts.dirs;
        counts.files += int64_t(entries.files.size());
        if (!progress) return true;
        progress->LetMessagesRun();
        return !progress->StopRequested(); // the user stopped the run while it counts
    });
    return counts;
}

bool MakeLTree(const std::string& root, const TreeVisitor& visitor) {
    return Walk(root, [&](const PendingFolder& folder, const FolderEntries& entries) {
        if (visitor.enterFolder && !visitor.enterFolder(folder.path, folder.name)) return false;
        for (const std::string& file : entries.files)
            if (visitor.visitFile && !visitor.visitFile(folder.path, file)) return false;
        return true;
    });
}

} // namespace gw
