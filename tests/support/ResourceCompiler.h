#pragma once
// A real resource compiler (the cross toolchain's windres, with the host's C
// preprocessor standing in for the cross compiler's), for the tests that read
// what it writes.
#include <optional>
#include <string>

#include "tests/support/Builders.h"

namespace gw::test {

// Whether x86_64-w64-mingw32-windres and cpp are installed.
bool HaveResourceCompiler();
// Compiles the script rc (which may name files in dir) to a 32-bit .res file;
// nullopt, with the compiler's messages in log, when it fails.
std::optional<Bytes> CompileResourceScript(const TempDir& dir, const std::string& rc, std::string& log);

} // namespace gw::test
