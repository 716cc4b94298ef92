#include "platform/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <optional>
#include <vector>

namespace gw {

MappedFile::~MappedFile() { Close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept { *this = std::move(other); }

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_data = other.m_data;
        m_size = other.m_size;
        m_mapped = other.m_mapped;
        m_open = other.m_open;
        m_copy = std::move(other.m_copy);
        m_error = std::move(other.m_error);
        m_errno = other.m_errno;
        if (!m_mapped) m_data = m_copy.data();
        other.m_data = nullptr;
        other.m_size = 0;
        other.m_mapped = false;
        other.m_open = false;
    }
    return *this;
}

void MappedFile::Close() {
    if (m_mapped && m_data) munmap(const_cast<uint8_t*>(m_data), size_t(m_size));
    m_data = nullptr;
    m_size = 0;
    m_mapped = false;
    m_open = false;
    m_copy.clear();
}

bool MappedFile::Open(const std::string& path) {
    Close();
    m_error.clear();
    m_reason.clear();
    m_errno = 0;
    // O_NONBLOCK: opening a FIFO or a device must never wait for a writer;
    // anything but a regular file is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        m_errno = errno;
        m_reason = std::strerror(errno);
        m_error = "cannot read \"" + path + "\": " + m_reason;
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        m_reason = m_errno == EISDIR ? std::strerror(EISDIR) : "not a regular file";
        m_error = "cannot read \"" + path + "\": " + m_reason;
        ::close(fd);
        return false;
    }
    m_size = uint64_t(st.st_size);
    if (m_size > 0) {
        void* p = mmap(nullptr, size_t(m_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (p != MAP_FAILED) {
            m_data = static_cast<const uint8_t*>(p);
            m_mapped = true;
            // Readers jump between headers, directories and the blocks they
            // need; read-ahead around each page fault would pull in much of
            // a library that nobody looks at, small ones included (a listing
            // of many small libraries reads their headers and directories only).
            (void)madvise(p, size_t(m_size), MADV_RANDOM);
        } else {
            // Fall back to reading the file into memory.
            m_copy = ReadFileAt(fd, 0, size_t(m_size));
            m_size = m_copy.size();
            m_data = m_copy.data();
        }
    }
    ::close(fd);
    m_open = true;
    return true;
}

Bytes ReadFileAt(int fd, uint64_t offset, size_t n) {
    Bytes out(n);
    size_t got = 0;
    while (got < n) {
        ssize_t r = pread(fd, out.data() + got, n - got, off_t(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += size_t(r);
    }
    out.resize(got);
    return out;
}

namespace {


// Temporary names are unique within the process; another process that took
// a name makes us try the next one, this many times at most.
constexpr int kMaxTemporaryNameTries = 64;

std::atomic<uint64_t> g_temporaryCounter{0};

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary files being written, for RemovePendingTemporaries to remove
// from a signal handler: fixed slots of lock-free atomics and plain bytes.
constexpr size_t kPendingSlots = 32;
constexpr size_t kPendingPathMax = 4096;
struct PendingSlot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 holds a name
    char path[kPendingPathMax];
};
PendingSlot g_pending[kPendingSlots];

// A temporary name this process may create, removable on a signal while it
// is held (a name too long for a slot, or with every slot taken, is not).
class PendingName {
public:
    PendingName() = default;
    PendingName(const PendingName&) = delete;
    PendingName& operator=(const PendingName&) = delete;
    ~PendingName() { Release(); }
    void Hold(std::string name) {
        Release();
        m_name = std::move(name);
        if (m_name.size() >= kPendingPathMax) return;
        for (size_t i = 0; i < kPendingSlots; ++i) {
            int expected = 0;
            if (!g_pending[i].state.compare_exchange_strong(expected, 1)) continue;
            std::memcpy(g_pending[i].path, m_name.c_str(), m_name.size() + 1);
            g_pending[i].state.store(2);
            m_slot = int(i);
            return;
        }
    }
    // The name no longer needs removing (renamed into place, or removed).
    void Release() {
        if (m_slot >= 0) g_pending[m_slot].state.store(0);
        m_slot = -1;
    }
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    int m_slot = -1;
};

std::string NextTemporaryName(const std::string& folder) {
    static const std::string kProcessTag = ".grabwell-" + std::to_string(getpid()) + "-";
    return JoinPath(folder, kProcessTag + std::to_string(g_temporaryCounter.fetch_add(1)) + ".tmp");
}

// Creates a new temporary file beside the target; -1 with errno set on failure.
int CreateTemporary(const std::string& folder, PendingName& name, mode_t mode = 0666) {
    for (int attempt = 0; attempt < kMaxTemporaryNameTries; ++attempt) {
        name.Hold(NextTemporaryName(folder));
        // O_EXCL: never write through an entry that someone else created.
        const int fd = ::open(name.name().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        const int error = errno;
        name.Release();
        if (error != EEXIST) {
            errno = error;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, ByteView bytes, int& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// Moves the temporary file to path without replacing anything there.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // File systems without RENAME_NOREPLACE: link() fails when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
}

// Copies every extended attribute of the file at from (ACLs are the
// system.posix_acl_* ones) to the open file to. 0, or the errno of the
// first that could not be copied, with its name in failed.
int CopyExtendedAttributes(const std::string& from, int to, std::string& failed) {
    std::vector<char> names;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = ::listxattr(from.c_str(), nullptr, 0);
        if (n < 0) return errno == ENOTSUP ? 0 : errno;
        if (n == 0) return 0;
        names.resize(size_t(n));
        const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(size_t(got));
            break;
        }
        if (errno != ERANGE) return errno;
        names.clear();
    }
    std::vector<char> value;
    for (size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        if (name.empty()) continue;
        ssize_t n = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (n >= 0) {
            value.resize(size_t(n));
            n = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        }
        if (n < 0 || ::fsetxattr(to, name.c_str(), value.data(), size_t(n), 0) != 0) {
            failed = name;
            return errno;
        }
    }
    return 0;
}

} // namespace

ReplaceOutcome WriteWholeFile(const std::string& path, ByteView bytes, const WholeFileWrite& how) {
    ReplaceOutcome outcome;
    // step is what failed: "create", "write", "read" or "keep ... of".
    auto failed = [&](std::string step, const std::string& file, int error) {
        if (how.changeWords && step == "create") step = "write";
        outcome.error = "cannot " + step + (how.changeWords ? " \"" : " file \"") + file + "\": " + std::strerror(error);
        outcome.systemError = error;
        return outcome;
    };
    const std::string* keep = how.keepAttributesOf;
    struct stat like {};
    if (keep && ::stat(keep->c_str(), &like) != 0) return failed("read", *keep, errno);
    // The bits given, else those of the file kept, else what a new file gets.
    const bool setMode = how.mode || keep;
    const mode_t mode = how.mode ? mode_t(*how.mode) : mode_t(like.st_mode & 07777);
    const std::string folder = FolderOf(path);
    // Bits to be set are set once written: until then only we may open it.
    const mode_t createMode = setMode ? 0600 : 0666;
    PendingName temporary;
    // Unnamed until whole, where the file system can and /proc can name it
    // afterwards: a run killed before the end leaves nothing.
    int fd = IsFolder("/proc/self/fd") ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode) : -1;
    const bool unnamed = fd >= 0;
    bool named = false; // temporary names a file of ours
    if (!unnamed) {
        fd = CreateTemporary(folder, temporary, createMode);
        if (fd < 0) return failed("create", path, errno);
        named = true;
    }
    int error = 0;
    std::string step = "write";
    WriteAll(fd, bytes, error);
    if (!error && keep) {
        struct stat mine {};
        if (::fstat(fd, &mine) != 0) {
            error = errno;
        } else if ((mine.st_uid != like.st_uid || mine.st_gid != like.st_gid) &&
                   ::fchown(fd, like.st_uid, like.st_gid) != 0) {
            error = errno;
            step = "keep the owner (user " + std::to_string(like.st_uid) + ", group " + std::to_string(like.st_gid) +
                   ") of";
        }
    }
    if (!error && setMode && ::fchmod(fd, mode) != 0) error = errno;
    std::string attribute;
    if (!error && keep && (error = CopyExtendedAttributes(*keep, fd, attribute)) != 0)
        step = "keep the extended attribute " + attribute + " (an ACL is one) of";
    if (!error && how.flush && ::fsync(fd) != 0) error = errno;
    bool published = false; // path names the new file
    if (!error && unnamed) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (!how.replaceExisting) {
            // path itself, in one step that fails when path exists: no
            // name is made up and removed again.
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
                published = true;
            else
                error = errno;
        } else {
            // Named only now, and renamed over path right after.
            int linkError = EEXIST;
            for (int attempt = 0; attempt < kMaxTemporaryNameTries && !named; ++attempt) {
                temporary.Hold(NextTemporaryName(folder));
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.name().c_str(), AT_SYMLINK_FOLLOW) == 0) {
                    named = true;
                    break;
                }
                linkError = errno;
                temporary.Release();
                if (linkError != EEXIST) break;
            }
            if (!named) error = linkError;
        }
    }
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && !published &&
        (how.replaceExisting ? ::rename(temporary.name().c_str(), path.c_str())
                             : RenameNoReplace(temporary.name(), path)) != 0)
        error = errno;
    if (error) {
        if (named) ::unlink(temporary.name().c_str());
        return failed(step, step == "write" || !keep ? path : *keep, error);
    }
    return outcome;
}

void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
}

std::string LinkTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

FileLock::~FileLock() {
    if (m_fd >= 0) ::close(m_fd); // closing releases the lock
}

std::string FileLock::Acquire(const std::string& path, int* systemError) {
    // A process that held the lock may have renamed a new file over path:
    // the lock then protects nothing, so it is taken on the new file.
    constexpr int kMaxReplacements = 1000;
    for (int attempt = 0; attempt < kMaxReplacements; ++attempt) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        int rc = m_fd < 0 ? -1 : 0;
        while (rc == 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) rc = -1;
        }
        struct stat held {}, named {};
        if (rc != 0 || ::fstat(m_fd, &held) != 0 || ::stat(path.c_str(), &named) != 0) {
            const int error = errno;
            if (systemError) *systemError = error;
            return "cannot lock file \"" + path + "\": " + std::strerror(error);
        }
        if (held.st_dev == named.st_dev && held.st_ino == named.st_ino) return {};
    }
    if (systemError) *systemError = EAGAIN;
    return "cannot lock file \"" + path + "\": it is replaced again and again";
}

void RemovePendingTemporaries() noexcept {
    for (PendingSlot& slot : g_pending)
        if (slot.state.load() == 2) ::unlink(slot.path);
}

} // namespace gw
