#pragma once
// How a long batch reports what it is doing. The explorer shows Panel7 while
// a tree is counted and Panel6 with Label2 and the gauge while extracting;
// grabwell-cli draws a progress bar. Every call may let pending window
// messages run. The batch calls each Finished after its Started on every
// path, also when it ends with an error or is stopped.
#include <cstdint>
#include <string>

namespace gw {

class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    virtual void CountingStarted() {}
    virtual void CountingFinished() {}
    virtual void ProcessingStarted() {}
    // percent 0 to 100; label: the entry being handled, lower-cased.
    virtual void Advance(int percent, const std::string& label) {}
    // Before each Advance while extracting: entries handled so far, of total.
    virtual void Counted(int64_t done, int64_t total) {}
    virtual void ProcessingFinished() {}
    // Called once per folder while counting, so the window repaints.
    virtual void LetMessagesRun() {}
    // Asked between files (and between folders while counting): true once
    // the user wants the batch to stop. The batch then ends after the file
    // it is writing, keeping every file already written.
    virtual bool StopRequested() { return false; }
};

} // namespace gw
