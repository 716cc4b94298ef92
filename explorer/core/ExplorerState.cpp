#include "explorer/core/ExplorerState.h"

#include <cstdlib>

namespace gw {

std::string TempFolderFromEnvironment() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env && *env ? env : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

} // namespace gw
