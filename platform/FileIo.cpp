#include "platform/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <random>

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
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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

std::string WriteFileAtomic(const std::string& path, ByteView bytes, bool replaceExisting) {
    auto slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string tmpl = JoinPath(folder, ".grabwell-XXXXXX");
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) return "Cannot create file \"" + path + "\": " + std::strerror(errno);
    std::string tmp(name.data());
    auto fail = [&](const char* what, int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return std::string("Cannot ") + what + " file \"" + path + "\": " + std::strerror(err);
    };
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return fail("write", w < 0 ? errno : ENOSPC);
        done += size_t(w);
    }
    // mkstemp makes the file private; give it the mode a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    (void)fchmod(fd, 0666 & ~mask);
    if (fsync(fd) != 0 && errno != EINVAL) return fail("write", errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return "Cannot write file \"" + path + "\": " + std::strerror(err);
    }
    int rc;
    if (replaceExisting) {
        rc = ::rename(tmp.c_str(), path.c_str());
    } else {
        // link() fails when the name is taken, so nothing existing is replaced.
        rc = ::link(tmp.c_str(), path.c_str());
        if (rc == 0) ::unlink(tmp.c_str());
    }
    if (rc != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return "Cannot write file \"" + path + "\": " + std::strerror(err);
    }
    return {};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string UpperExtension(const std::string& path) {
    auto slash = path.find_last_of('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = file.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = file.substr(dot);
    for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

std::string NameBeforeFirstDot(const std::string& name) {
    auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace gw
