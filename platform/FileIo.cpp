#include "platform/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <optional>

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
    // O_NONBLOCK: opening a FIFO or a device must never wait for a writer;
    // anything but a regular file is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        m_error = "Cannot open file \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_error = "Cannot open file \"" + path + "\": not a regular file";
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

std::string Failure(const char* what, const std::string& path, int error) {
    return std::string("Cannot ") + what + " file \"" + path + "\": " + std::strerror(error);
}

// Creates a new temporary file beside the target; -1 with errno set on failure.
int CreateTemporary(const std::string& folder, std::string& name) {
    static const std::string kProcessTag = ".grabwell-" + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < kMaxTemporaryNameTries; ++attempt) {
        name = JoinPath(folder, kProcessTag + std::to_string(g_temporaryCounter.fetch_add(1)) + ".tmp");
        // O_EXCL: never write through an entry that someone else created.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
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


// A new file that has no name until it is written whole, then takes path in
// one step that fails when path exists: nothing half-written or temporary is
// ever seen in the folder, and no name is made up and removed again. nullopt
// when the file system cannot do it (no O_TMPFILE, or no /proc to link from):
// the caller falls back to a temporary name and a rename.
std::optional<std::string> PublishNewFile(const std::string& path, ByteView bytes) {
    const int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return std::nullopt;
        return Failure("create", path, errno);
    }
    int error = 0;
    if (!WriteAll(fd, bytes, error)) {
        ::close(fd);
        return Failure("write", path, error);
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int rc = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
    error = errno;
    const bool closed = ::close(fd) == 0;
    if (rc != 0) {
        if (error == ENOENT && !IsFolder("/proc/self/fd")) return std::nullopt;
        return Failure("write", path, error);
    }
    if (!closed) return Failure("write", path, errno);
    return std::string();
}

} // namespace

std::string WriteFileAtomic(const std::string& path, ByteView bytes, bool replaceExisting) {
    if (!replaceExisting)
        if (std::optional<std::string> published = PublishNewFile(path, bytes)) return *published;
    std::string temporary;
    const int fd = CreateTemporary(FolderOf(path), temporary);
    if (fd < 0) return Failure("create", path, errno);
    int error = 0;
    const bool written = WriteAll(fd, bytes, error);
    if (::close(fd) != 0 && written) error = errno;
    if (!written || error != 0) {
        ::unlink(temporary.c_str());
        return Failure("write", path, error);
    }
    const int rc = replaceExisting ? ::rename(temporary.c_str(), path.c_str()) : RenameNoReplace(temporary, path);
    if (rc != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return Failure("write", path, error);
    }
    return {};
}

void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
}


} // namespace gw
