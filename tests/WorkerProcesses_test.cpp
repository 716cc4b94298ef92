// Work spread over worker processes: results in the items' order whatever
// order they finish in, a worker that dies replaced and its items said as
// lost, and a list that comes slowly never keeping a result from being said.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "cli/WorkerProcesses.h"
#include "tests/support/Builders.h"

namespace gw::cli {
namespace {

TEST(WorkerProcesses, ResultsComeInTheItemsOrderAndLargeFilesGoFirst) {
    test::TempDir dir;
    // Files of assorted sizes, so that the largest-first order differs from
    // the list's; more of them than the window.
    std::vector<std::string> items;
    for (int i = 0; i < 40; ++i) {
        items.push_back(dir.file("f" + std::to_string(i)));
        ASSERT_TRUE(test::WriteFile(items.back(), Bytes(size_t((i * 7919) % 97) * 100, 1)));
    }
    items.push_back(dir.file("missing"));
    size_t at = 0;
    std::vector<std::string> said;
    WorkerPlan plan;
    plan.processes = 3;
    plan.window = 8;
    plan.next = [&](std::string& item) {
        if (at == items.size()) return false;
        item = items[at++];
        return true;
    };
    plan.work = [](const std::string& item) {
        usleep(useconds_t(item.size() % 3) * 1000); // finish out of order
        return WorkResult{item, "e", item.find("missing") == std::string::npos};
    };
    plan.say = [&](const WorkResult& r) {
        said.push_back(r.out);
        EXPECT_EQ(r.err, "e");
        EXPECT_EQ(r.ok, r.out.find("missing") == std::string::npos);
    };
    plan.lost = [](const std::string& item, const std::string& why) { return WorkResult{item, why, false}; };
    ASSERT_TRUE(RunInWorkerProcesses(plan));
    EXPECT_EQ(said, items);
}

TEST(WorkerProcesses, AWorkerThatDiesLosesItsItemsAndIsReplaced) {
    // Far enough apart that no worker holds both, and the last item far
    // enough after both that no worker that ends holds it.
    std::vector<std::string> items;
    for (int i = 0; i < 200; ++i) items.push_back(i == 2 ? "killed" : i == 100 ? "exit" : std::to_string(i));
    size_t at = 0;
    std::vector<WorkResult> said;
    WorkerPlan plan;
    plan.processes = 2;
    plan.next = [&](std::string& item) {
        if (at == items.size()) return false;
        item = items[at++];
        return true;
    };
    plan.work = [](const std::string& item) {
        if (item == "killed") raise(SIGKILL);
        if (item == "exit") _exit(7);
        return WorkResult{item, "", true};
    };
    plan.say = [&](const WorkResult& r) { said.push_back(r); };
    plan.lost = [](const std::string& item, const std::string& why) { return WorkResult{item, why, false}; };
    ASSERT_TRUE(RunInWorkerProcesses(plan));
    ASSERT_EQ(said.size(), items.size());
    size_t answered = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i]);
        EXPECT_EQ(said[i].out, items[i]);
        // An item held by a worker together with the one that ended it is
        // lost with it; every other item is answered.
        if (!said[i].ok) {
            EXPECT_NE(said[i].err.find("the reading process ended"), std::string::npos) << said[i].err;
        }
        answered += said[i].ok;
    }
    EXPECT_NE(said[2].err.find("Killed"), std::string::npos) << said[2].err;
    EXPECT_NE(said[100].err.find("exit status 7"), std::string::npos) << said[100].err;
    EXPECT_GE(answered, items.size() - 2 * 16); // a worker holds at most 16 items
    EXPECT_TRUE(said.back().ok);
}

// The second name comes only once the first one's result has been said, as
// from a program that waits for each answer before asking again.
TEST(WorkerProcesses, ASlowListKeepsNoResultFromBeingSaid) {
    std::mutex mutex;
    std::condition_variable saidOne;
    int calls = 0;
    bool firstSaid = false, timedOut = false;
    std::vector<std::string> said;
    WorkerPlan plan;
    plan.processes = 2;
    plan.next = [&](std::string& item) {
        std::unique_lock lock(mutex);
        if (calls == 1 && !saidOne.wait_for(lock, std::chrono::seconds(10), [&] { return firstSaid; }))
            timedOut = true;
        if (calls == 2) return false;
        item = calls++ == 0 ? "first" : "second";
        return true;
    };
    plan.work = [](const std::string& item) { return WorkResult{item, "", true}; };
    plan.say = [&](const WorkResult& r) {
        std::lock_guard lock(mutex);
        said.push_back(r.out);
        firstSaid = true;
        saidOne.notify_all();
    };
    plan.lost = [](const std::string& item, const std::string& why) { return WorkResult{item, why, false}; };
    ASSERT_TRUE(RunInWorkerProcesses(plan));
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(said, (std::vector<std::string>{"first", "second"}));
}

} // namespace
} // namespace gw::cli
