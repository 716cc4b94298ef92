#pragma once
// Work over a list of items spread across worker processes, the results said
// in the order of the items.
//
// Processes, not threads: each file is mapped into memory while it is read,
// and in one process every unmapping stops the other threads' processors to
// flush their address caches and waits for their page faults; two threads
// then spent half again as much processor time as one. Worker processes
// share nothing, so two of them do twice the work of one. A worker that dies
// costs the items it held (said as failed) and is replaced.
#include <functional>
#include <string>

namespace gw::cli {

struct WorkResult {
    std::string out; // for standard output
    std::string err; // for standard error
    bool ok = true;
};

struct WorkerPlan {
    unsigned processes = 2;
    // The items are read ahead of the one to be said next by at most this
    // many, and among those read the largest file goes first (items are
    // taken as file names; one that cannot be looked at counts as empty): a
    // large library then starts early instead of keeping the other workers
    // waiting at the end. Memory stays bounded however many items there are.
    size_t window = 1024;
    // The next item; false when there are no more. Called on a thread of its
    // own, so a list that comes slowly keeps no result from being said.
    std::function<bool(std::string& item)> next;
    // The work on one item, run in a worker process.
    std::function<WorkResult(const std::string& item)> work;
    // Says one result, in the parent, in the items' order.
    std::function<void(const WorkResult& result)> say;
    // The result of an item whose worker died before answering.
    std::function<WorkResult(const std::string& item, const std::string& why)> lost;
};

// Runs the plan; false when a worker could not be started at all (nothing
// was then done), true otherwise.
bool RunInWorkerProcesses(const WorkerPlan& plan);

} // namespace gw::cli
