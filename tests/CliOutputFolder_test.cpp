// extract and save make their output folder, with its parents, when it is
// missing; a file in its way is said and nothing is written.
#include <gtest/gtest.h>

#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

TEST(CliOutputFolder, ExtractAndSaveMakeAMissingFolder) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), BuildBatchPe()));
    const std::string cli = std::string(GRABWELL_CLI);
    for (const std::string command : {"save", "extract"}) {
        const std::string out = dir.file(command + "/deep/er");
        const RunResult r = RunCommand(cli + " " + command + " " + dir.file("a.exe") + " " + out + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(RunCommand("ls " + out).out, "") << command;
    }
    ASSERT_TRUE(WriteFile(dir.file("file"), {1}));
    const RunResult blocked = RunCommand(cli + " save " + dir.file("a.exe") + " " + dir.file("file/sub") + " 2>&1");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.out.find("cannot make the folder"), std::string::npos) << blocked.out;
}
