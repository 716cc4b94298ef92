#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>

namespace gw::fuzz {

namespace {

// The files written so far, by extension, removed when the process exits
// normally: each replayed input runs in a process of its own, and memory-backed
// storage must not fill with one file per process.
struct InputFiles {
    std::map<std::string, std::string> paths;
    ~InputFiles() {
        for (const auto& [ext, path] : paths) ::unlink(path.c_str());
    }
};

} // namespace

const std::string& InputFile(ByteView data, const std::string& ext) {
    static InputFiles files;
    auto& paths = files.paths;
    auto [it, inserted] = paths.try_emplace(ext);
    if (inserted) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        it->second = std::string(base) + "/grabwell-fuzz-" + std::to_string(getpid()) + ext;
    }
    const int fd = ::open(it->second.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
        ::close(fd);
    }
    return it->second;
}

} // namespace gw::fuzz
