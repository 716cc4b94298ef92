#pragma once
// Runs a program in a child process with a time limit, for tests that must
// see a crash or a hang as a failure rather than die of it: how the child
// ended and what it wrote on standard output and standard error.
#include <chrono>
#include <string>
#include <vector>

namespace gw::test {

struct ChildOutcome {
    enum class End { Exited, Signalled, TimedOut, NotStarted, Lost };
    End end = End::NotStarted;
    int code = 0;        // the exit status, the signal, the limit in ms or the errno
    std::string output;  // standard output and error together, the first 16 KB
    bool Clean() const { return end == End::Exited && code == 0; }
    // "exited with status 1", "killed by signal 11 (Segmentation fault)", ...
    std::string Describe() const;
};

// Starts argv[0] (a path) with argv, standard input from /dev/null. A child
// still running after limit is killed with its process group.
ChildOutcome RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit);

} // namespace gw::test
