#pragma once
// Runs a shell command for the tests that drive the programs: its exit
// status and what it wrote on standard output.
#include <string>

namespace gw::test {

struct RunResult {
    int status = -1; // -1 when it could not run or did not exit normally
    std::string out;
};

RunResult RunCommand(const std::string& command);

} // namespace gw::test
