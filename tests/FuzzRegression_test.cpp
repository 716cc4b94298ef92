// Replays every input that ever made a fuzz harness crash, hang or blow its
// memory limit, kept under tests/fuzz-regressions/<harness>/, through the
// same harness. Inputs stay there forever.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/Harnesses.h"

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputRunsCleanly) {
    const fs::path root(GRABWELL_FUZZ_REGRESSIONS);
    int replayed = 0;
    for (const auto& harness : gw::fuzz::Harnesses()) {
        const fs::path dir = root / harness.name;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(harness.run(bytes.data(), bytes.size()), 0);
            ++replayed;
        }
    }
    RecordProperty("replayed", replayed);
}

TEST(FuzzRegressions, HarnessesTakeEmptyAndTinyInputs) {
    const uint8_t bytes[] = {'M', 'Z', 0, 0, 1, 0, 2, 0};
    for (const auto& harness : gw::fuzz::Harnesses())
        for (size_t n = 0; n <= sizeof bytes; ++n) EXPECT_EQ(harness.run(bytes, n), 0) << harness.name;
}
