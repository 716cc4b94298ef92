// Writes the seed corpus of every fuzz harness into OUTDIR/<harness>/seed-N.
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz/Seeds.h"
#include "tests/support/Builders.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: grabwell-fuzz-seeds OUTDIR\n");
        return 2;
    }
    const fs::path out(argv[1]);
    for (const auto& [name, list] : gw::fuzz::SeedInputs()) {
        fs::create_directories(out / name);
        for (size_t i = 0; i < list.size(); ++i)
            if (!gw::test::WriteFile((out / name / ("seed-" + std::to_string(i))).string(), list[i])) return 1;
    }
    return 0;
}
