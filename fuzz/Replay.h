#pragma once
// Runs named harnesses over input files outside libFuzzer, built by any
// compiler, so that a kept input replays in a fresh process of its own.
#include <vector>

#include "fuzz/Harnesses.h"

namespace gw::fuzz {

// argv: PROGRAM HARNESS FILE... Runs the harness over each file in turn.
// Returns 0 when every run returned 0, 1 when one returned anything else,
// 2 on a usage error, an unknown harness or an unreadable file. A crash, a
// sanitizer report or a hang ends the process itself; whoever started it
// judges that.
int ReplayMain(int argc, char** argv, const std::vector<Harness>& harnesses);

} // namespace gw::fuzz
