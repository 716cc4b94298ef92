#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>

namespace gw::fuzz {

const std::string& InputFile(ByteView data, const std::string& ext) {
    static std::map<std::string, std::string> paths;
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
