#include "batch/core/TreeWalk.h"

#include <dirent.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "batch/core/Progress.h"
#include "listing/ListOrder.h"
#include "platform/Paths.h"

namespace gw {

namespace {

struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

struct FolderIdHash {
    size_t operator()(const FolderId& id) const {
        return std::hash<uint64_t>()(uint64_t(id.inode) * 0x9E3779B97F4A7C15ull ^ uint64_t(id.device));
    }
};

// The folders whose contents the kernel makes up: reading them walks
// without end (/proc/PID/cwd leads back into the whole machine) or touches
// devices.
constexpr const char* kKernelFolders[] = {"/proc", "/sys", "/dev"};

bool IsUnderKernelFolder(const std::string& realPath) {
    for (const std::string folder : kKernelFolders)
        if (realPath.compare(0, folder.size(), folder) == 0 &&
            (realPath.size() == folder.size() || realPath[folder.size()] == '/'))
            return true;
    return false;
}

bool IsKernelFileSystem(const std::string& path) {
    struct statfs fs {};
    if (statfs(path.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
        return true;
    default:
        return false;
    }
}

// The devices of /proc, /sys and /dev on this machine, read once a walk.
std::vector<dev_t> KernelDevices() {
    std::vector<dev_t> devices;
    for (const char* folder : kKernelFolders) {
        struct stat st {};
        if (stat(folder, &st) == 0) devices.push_back(st.st_dev);
    }
    return devices;
}

enum class ListedType : uint8_t { File, Folder, LinkToFolder };

struct Listed {
    std::string name;
    ListedType type;
};

struct Frame {
    std::string path;
    int depth = 0;
    dev_t device = 0;
    // Under a followed link: the file system the walk stays on.
    std::optional<dev_t> scope;
    std::vector<Listed> entries;
    size_t next = 0;
};

} // namespace

struct FolderWalk::State {
    std::string root;
    WalkOptions options;
    bool started = false;
    std::vector<Frame> frames; // the folders being walked, outermost first
    std::unordered_set<FolderId, FolderIdHash> entered;
    std::vector<dev_t> kernelDevices = KernelDevices();

    // A folder the kernel makes up. Checked where the walk may arrive on
    // another file system: the start folder, a followed link, a mount point.
    bool IsKernelFolder(const std::string& path, const struct stat& st) const {
        if (std::find(kernelDevices.begin(), kernelDevices.end(), st.st_dev) != kernelDevices.end()) return true;
        if (IsKernelFileSystem(path)) return true;
        char real[PATH_MAX];
        return realpath(path.c_str(), real) && IsUnderKernelFolder(real);
    }

    bool IsKernelFile(const std::string& path, const struct stat& st) const {
        return std::find(kernelDevices.begin(), kernelDevices.end(), st.st_dev) != kernelDevices.end() ||
               IsKernelFileSystem(path);
    }

    // What a link in a folder stands for; nothing for a link left out.
    std::optional<ListedType> LinkType(const std::string& path) const {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return std::nullopt; // broken
        if (S_ISREG(st.st_mode) && !IsKernelFile(path, st)) return ListedType::File;
        if (S_ISDIR(st.st_mode) && options.followLinks) return ListedType::LinkToFolder;
        return std::nullopt;
    }

    std::optional<ListedType> TypeOf(const std::string& folder, const dirent& entry) const {
        switch (entry.d_type) {
        case DT_REG: return ListedType::File;
        case DT_DIR: return ListedType::Folder;
        case DT_LNK: return LinkType(JoinPath(folder, entry.d_name));
        case DT_UNKNOWN: {
            // File systems that do not tell the type in the entry.
            const std::string path = JoinPath(folder, entry.d_name);
            struct stat st {};
            if (lstat(path.c_str(), &st) != 0) return std::nullopt;
            if (S_ISREG(st.st_mode)) return ListedType::File;
            if (S_ISDIR(st.st_mode)) return ListedType::Folder;
            if (S_ISLNK(st.st_mode)) return LinkType(path);
            return std::nullopt;
        }
        default: return std::nullopt; // devices, pipes, sockets
        }
    }

    // The folder's entries in the walk's order; false when it cannot be listed.
    bool Read(Frame& frame) const {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(frame.path.c_str()), closedir);
        if (!dir) return false;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (const auto type = TypeOf(frame.path, *entry)) frame.entries.push_back({name, *type});
        }
        std::vector<Listed>& entries = frame.entries;
        if (options.order == WalkOrder::ByteOrder) {
            std::sort(entries.begin(), entries.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });
        } else {
            std::sort(entries.begin(), entries.end(), [](const Listed& a, const Listed& b) {
                const bool aFile = a.type == ListedType::File, bFile = b.type == ListedType::File;
                if (aFile != bFile) return aFile;
                return CompareListNames(a.name, b.name) < 0;
            });
        }
        return true;
    }

    // Enters a folder when the rule lets it: pushes its frame and tells it
    // as a Folder entry, or as Unlisted when it cannot be read. False when
    // the folder is left out.
    bool Enter(Frame frame, const std::string& name, const struct stat& st, bool checkKernel, WalkEntry& entry) {
        if (checkKernel && IsKernelFolder(frame.path, st)) return false;
        if (!entered.insert({st.st_dev, st.st_ino}).second) return false;
        frame.device = st.st_dev;
        entry.path = frame.path;
        entry.name = name;
        entry.depth = frame.depth;
        if (!Read(frame)) {
            entry.kind = WalkEntry::Kind::Unlisted;
            return true;
        }
        entry.kind = WalkEntry::Kind::Folder;
        frames.push_back(std::move(frame));
        return true;
    }

    bool EnterRoot(WalkEntry& entry) {
        struct stat st {};
        if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        Frame frame;
        frame.path = root;
        return Enter(std::move(frame), PathFileName(root), st, true, entry) &&
               entry.kind == WalkEntry::Kind::Unlisted;
    }

    bool EnterSubFolder(const Frame& parent, const Listed& listed, WalkEntry& entry) {
        Frame frame;
        frame.path = JoinPath(parent.path, listed.name);
        frame.depth = parent.depth + 1;
        if (frame.depth > options.maxDepth) return false;
        struct stat st {};
        const bool link = listed.type == ListedType::LinkToFolder;
        if ((link ? stat(frame.path.c_str(), &st) : lstat(frame.path.c_str(), &st)) != 0 || !S_ISDIR(st.st_mode))
            return false;
        if (parent.scope && st.st_dev != *parent.scope) return false;
        frame.scope = link ? std::optional<dev_t>(st.st_dev) : parent.scope;
        return Enter(std::move(frame), listed.name, st, link || st.st_dev != parent.device, entry);
    }
};

FolderWalk::FolderWalk(const std::string& root, const WalkOptions& options) : m_state(std::make_unique<State>()) {
    m_state->root = root;
    m_state->options = options;
}

FolderWalk::~FolderWalk() = default;

bool FolderWalk::Next(WalkEntry& entry) {
    State& s = *m_state;
    if (!s.started) {
        s.started = true;
        if (s.EnterRoot(entry)) return true; // the start folder cannot be listed
    }
    while (!s.frames.empty()) {
        Frame& frame = s.frames.back();
        if (frame.next == frame.entries.size()) {
            s.frames.pop_back();
            continue;
        }
        const Listed listed = frame.entries[frame.next++];
        if (listed.type == ListedType::File) {
            entry.kind = WalkEntry::Kind::File;
            entry.path = JoinPath(frame.path, listed.name);
            entry.name = listed.name;
            entry.depth = frame.depth;
            return true;
        }
        if (s.EnterSubFolder(frame, listed, entry)) return true;
    }
    return false;
}

namespace {

WalkOptions WizardWalk(bool followLinks) {
    WalkOptions options;
    options.followLinks = followLinks;
    options.order = WalkOrder::FilesThenFolders;
    return options;
}

} // namespace

TreeCounts MakeTree(const std::string& root, BatchProgress* progress, bool followLinks) {
    TreeCounts counts;
    if (progress) progress->LetMessagesRun();
    FolderWalk walk(root, WizardWalk(followLinks));
    WalkEntry entry;
    while (walk.Next(entry)) {
        if (entry.depth == 0) continue; // the listed folder's own files are counted by the explorer
        if (entry.kind == WalkEntry::Kind::File) {
            ++counts.files;
            continue;
        }
        if (entry.kind != WalkEntry::Kind::Folder) continue;
        ++counts.dirs;
        if (!progress) continue;
        progress->LetMessagesRun();
        if (progress->StopRequested()) { // the user stopped the run while it counts
            counts.complete = false;
            break;
        }
    }
    return counts;
}

bool MakeLTree(const std::string& root, const TreeVisitor& visitor, bool followLinks) {
    FolderWalk walk(root, WizardWalk(followLinks));
    WalkEntry entry;
    while (walk.Next(entry)) {
        if (entry.depth == 0) continue;
        if (entry.kind == WalkEntry::Kind::Folder) {
            if (visitor.enterFolder && !visitor.enterFolder(entry.path, entry.name)) return false;
        } else if (entry.kind == WalkEntry::Kind::File) {
            if (visitor.visitFile && !visitor.visitFile(entry.path, entry.name)) return false;
        }
    }
    return true;
}

} // namespace gw
