// Replays every input a fuzz harness ever crashed, hung or blew its memory
// limit on, kept under tests/fuzz-regressions/<harness>/ by tools/fuzz.sh
// (inputs stay there forever), and, for a harness with none kept yet, its
// seed inputs, so that every harness runs over real files. Each input runs
// in a child process of its own under a time limit: a crash, a sanitizer
// report, a non-zero status or a hang fails the harness's test and names
// the input, and the tests after it still run.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/Harnesses.h"
#include "fuzz/Seeds.h"
#include "tests/support/Builders.h"
#include "tests/support/ChildRun.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The fuzzers' own hang limit (tools/fuzz.sh).
constexpr std::chrono::milliseconds kLimit = 5s;

// Replays each input through the harness in a child process of its own
// (PROGRAM HARNESS FILE); one message, naming both, per input that did not
// run cleanly.
std::vector<std::string> ReplayFailures(const std::string& program, const std::string& harness,
                                        const std::vector<fs::path>& inputs, std::chrono::milliseconds limit = kLimit) {
    std::vector<std::string> failures;
    for (const fs::path& input : inputs) {
        const gw::test::ChildOutcome run = gw::test::RunChild({program, harness, input.string()}, limit);
        if (!run.Clean())
            failures.push_back(harness + ": " + input.string() + ": " + run.Describe() +
                               (run.output.empty() ? "" : "\n" + run.output));
    }
    return failures;
}

// The files kept for a harness, in name order; dot files are not inputs.
std::vector<fs::path> KeptInputs(const fs::path& dir) {
    std::vector<fs::path> inputs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// A fresh folder under the temporary folder, made on the first write and
// removed unless the test failed, so the input a failure names is still
// there to look at.
class Scratch {
public:
    ~Scratch() {
        std::error_code ec;
        if (!path_.empty() && !::testing::Test::HasFailure()) fs::remove_all(path_, ec);
    }
    fs::path Write(const std::string& name, const gw::Bytes& bytes) {
        if (path_.empty()) {
            std::string templ = (fs::temp_directory_path() / "grabwell-fuzz-replay-XXXXXX").string();
            if (!::mkdtemp(templ.data())) {
                ADD_FAILURE() << "no scratch folder in " << fs::temp_directory_path();
                return name;
            }
            path_ = templ;
        }
        const fs::path file = path_ / name;
        EXPECT_TRUE(gw::test::WriteFile(file.string(), bytes)) << file;
        return file;
    }
    fs::path Write(const std::string& name, std::string_view text) {
        return Write(name, gw::Bytes(text.begin(), text.end()));
    }

private:
    fs::path path_;
};

const std::map<std::string, std::vector<gw::Bytes>>& Seeds() {
    static const auto seeds = gw::fuzz::SeedInputs();
    return seeds;
}

std::set<std::string> HarnessNames() {
    std::set<std::string> names;
    for (const auto& h : gw::fuzz::Harnesses()) names.insert(h.name);
    return names;
}

class FuzzRegressions : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzRegressions, EveryKeptInputOrSeedRunsCleanly) {
    const std::string& harness = GetParam();
    std::vector<fs::path> inputs = KeptInputs(fs::path(GRABWELL_FUZZ_REGRESSIONS) / harness);
    const bool kept = !inputs.empty();
    Scratch scratch;
    if (!kept) {
        const auto seeds = Seeds().find(harness);
        ASSERT_NE(seeds, Seeds().end()) << harness << " has no seed inputs";
        for (size_t i = 0; i < seeds->second.size(); ++i)
            inputs.push_back(scratch.Write("seed-" + std::to_string(i), seeds->second[i]));
    }
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& failure : ReplayFailures(GRABWELL_FUZZ_REPLAY, harness, inputs)) ADD_FAILURE() << failure;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    RecordProperty("replayed", int(inputs.size()));
    RecordProperty("inputs", kept ? "kept" : "seeds");
    std::cout << "[ replayed ] " << harness << ": " << inputs.size() << (kept ? " kept" : " seed") << " inputs in "
              << ms.count() << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(Harness, FuzzRegressions,
                         ::testing::ValuesIn([] {
                             std::vector<std::string> names;
                             for (const auto& h : gw::fuzz::Harnesses()) names.push_back(h.name);
                             return names;
                         }()),
                         [](const auto& info) { return info.param; });

// What fuzz.sh fuzzes (fuzz/fuzz_<name>.cpp), what it files findings under,
// what is replayed and what is seeded must be the same set of names, or a
// finding or a harness is silently never replayed.
TEST(FuzzHarnesses, FuzzersSeedsAndKeptFoldersNameTheSameHarnesses) {
    const std::set<std::string> names = HarnessNames();
    std::set<std::string> fuzzers;
    for (const auto& entry : fs::directory_iterator(GRABWELL_FUZZ_SOURCES)) {
        const std::string file = entry.path().filename().string();
        if (file.starts_with("fuzz_") && file.ends_with(".cpp")) fuzzers.insert(file.substr(5, file.size() - 9));
    }
    EXPECT_EQ(fuzzers, names);

    std::set<std::string> seeded;
    for (const auto& [name, list] : Seeds()) {
        seeded.insert(name);
        EXPECT_FALSE(list.empty()) << name;
    }
    EXPECT_EQ(seeded, names);

    for (const auto& entry : fs::directory_iterator(GRABWELL_FUZZ_REGRESSIONS)) {
        const std::string file = entry.path().filename().string();
        if (file[0] == '.') continue;
        EXPECT_TRUE(entry.is_directory() && names.count(file)) << entry.path() << " is not a harness's folder";
    }
}

TEST(FuzzHarnesses, TakeEmptyAndTinyInputs) {
    const uint8_t bytes[] = {'M', 'Z', 0, 0, 1, 0, 2, 0};
    for (const auto& harness : gw::fuzz::Harnesses())
        for (size_t n = 0; n <= sizeof bytes; ++n) EXPECT_EQ(harness.run(bytes, n), 0) << harness.name;
}

// The replay itself, through a program whose only harness misbehaves on
// inputs planted for it.
TEST(FuzzReplay, AnInputThatCrashesFailsAndNamesHarnessAndInput) {
    Scratch scratch;
    const fs::path clean = scratch.Write("clean", "any bytes");
    const fs::path empty = scratch.Write("empty", "");
    for (const char* plant : {"null-write", "abort"}) {
        const fs::path crash = scratch.Write(std::string("crash-") + plant, plant);
        const auto failures = ReplayFailures(GRABWELL_PLANTED_REPLAY, "planted", {clean, crash, empty});
        ASSERT_EQ(failures.size(), 1u) << plant;
        EXPECT_TRUE(failures[0].starts_with("planted: " + crash.string() + ": ")) << failures[0];
        // Killed by the signal, or ended by a sanitizer's report with a status.
        EXPECT_TRUE(failures[0].find("killed by signal") != std::string::npos ||
                    failures[0].find("exited with status") != std::string::npos)
            << failures[0];
    }
}

TEST(FuzzReplay, AHarnessThatReturnsNonZeroFails) {
    Scratch scratch;
    const fs::path fail = scratch.Write("fail", "fail");
    const auto failures = ReplayFailures(GRABWELL_PLANTED_REPLAY, "planted", {fail});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("exited with status 1"), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find("the harness returned 1"), std::string::npos) << failures[0];
}

TEST(FuzzReplay, AHangIsKilledAtTheLimitAndFails) {
    Scratch scratch;
    const fs::path hang = scratch.Write("hang", "hang");
    const auto start = std::chrono::steady_clock::now();
    const auto failures = ReplayFailures(GRABWELL_PLANTED_REPLAY, "planted", {hang}, 300ms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("still running after 300 ms, killed"), std::string::npos) << failures[0];
}

TEST(FuzzReplay, WhatCannotBeReplayedFails) {
    Scratch scratch;
    const fs::path clean = scratch.Write("clean", "any bytes");
    EXPECT_EQ(ReplayFailures(GRABWELL_PLANTED_REPLAY, "planted", {clean / "missing"}).size(), 1u);
    EXPECT_EQ(ReplayFailures(GRABWELL_PLANTED_REPLAY, "no-such-harness", {clean}).size(), 1u);
    EXPECT_EQ(ReplayFailures("/nonexistent/replay", "planted", {clean}).size(), 1u);
    // The real program does not know the planted harness.
    EXPECT_EQ(ReplayFailures(GRABWELL_FUZZ_REPLAY, "planted", {clean}).size(), 1u);
}

} // namespace
