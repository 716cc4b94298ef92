#pragma once
// What a batch command reports when it ends: the writer fills it, the
// prompts tell it to the user.
#include <cstdint>
#include <string>
#include <vector>

namespace gw {

struct BatchStats {
    int filesWritten = 0;
    int filesSkipped = 0;    // outputs not written (Skip, a folder in the way, nothing to write)
    uint64_t bytesWritten = 0;
};

// What a batch command reports when it ends.
struct BatchResult {
    bool ok = true;
    bool cancelled = false;          // the user cancelled before anything was written
    std::string stoppedAt;           // the user stopped the batch at this existing file (empty: not stopped)
    std::string error;               // why the batch ended early (names the file)
    BatchStats stats;
    std::vector<std::string> notes;  // outputs skipped for a reason the user should hear of
    int64_t filesRead = 0;           // source files the batch took objects from
    std::string folder;              // the folder it wrote into (empty: none was chosen)
};

} // namespace gw
