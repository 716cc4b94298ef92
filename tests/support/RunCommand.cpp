#include "tests/support/RunCommand.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace gw::test {

RunResult RunCommand(const std::string& command) {
    RunResult r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

} // namespace gw::test
