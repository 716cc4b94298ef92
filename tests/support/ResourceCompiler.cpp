#include "tests/support/ResourceCompiler.h"

#include <cstdlib>

namespace gw::test {

bool HaveResourceCompiler() {
    return std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1 && command -v cpp >/dev/null 2>&1") == 0;
}

std::optional<Bytes> CompileResourceScript(const TempDir& dir, const std::string& rc, std::string& log) {
    if (!WriteFile(dir.file("in.rc"), Bytes(rc.begin(), rc.end()))) {
        log = "cannot write in.rc";
        return std::nullopt;
    }
    const std::string cmd = "cd '" + dir.path() +
                            "' && x86_64-w64-mingw32-windres --preprocessor=cpp -i in.rc -O res -o out.res >windres.log 2>&1";
    if (std::system(cmd.c_str()) != 0) {
        const Bytes text = ReadFile(dir.file("windres.log"));
        log.assign(text.begin(), text.end());
        return std::nullopt;
    }
    return ReadFile(dir.file("out.res"));
}

} // namespace gw::test
