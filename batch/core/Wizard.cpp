#include "batch/core/Wizard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "batch/core/OutputNames.h"
#include "batch/core/Progress.h"
#include "formats/Document.h"
#include "platform/FileIo.h"
#include "platform/ReadError.h"

namespace gw {

namespace {

// Shows a progress phase for as long as it lives, so the panel is hidden
// again on every way out of the run.
class ProgressPhase {
public:
    ProgressPhase(BatchProgress& progress, void (BatchProgress::*start)(), void (BatchProgress::*finish)())
        : m_progress(progress), m_finish(finish) {
        (m_progress.*start)();
    }
    ~ProgressPhase() { (m_progress.*m_finish)(); }
    ProgressPhase(const ProgressPhase&) = delete;
    ProgressPhase& operator=(const ProgressPhase&) = delete;

private:
    BatchProgress& m_progress;
    void (BatchProgress::*m_finish)();
};

class WizardRun {
public:
    WizardRun(const WizardRequest& request, const WizardOptions& options, ActionFlags& flags,
              BatchProgress& progress, WizardResult& result)
        : m_request(request), m_progress(progress), m_result(result),
          m_writer(options.ExtractionDir, flags, nullptr, CollisionMode::ReplacePreexisting),
          m_followLinks(options.FollowLinks) {
        m_choice.asIcons = options.AsIcons;
        m_choice.asBitmaps = options.AsBitmaps;
        m_choice.asCursors = options.AsCursors;
        m_choice.asFrames = options.AsFrames;
    }

    void Run(bool recurse) {
        try {
            ExtractAll(recurse);
        } catch (const std::exception& e) {
            // Only allocation failures can get here; the run ends like a
            // failed write, and the summary still counts what was written.
            Fail(std::string("The extraction ended early: ") + e.what());
        }
        Finish();
    }

private:
    void ExtractAll(bool recurse) {
        m_result.ProgressTotal = m_request.ContainerCount;
        if (recurse) CountTree();
        ProgressPhase processing(m_progress, &BatchProgress::ProcessingStarted, &BatchProgress::ProcessingFinished);
        m_progress.Advance(0, {});
        const bool listedDone = m_request.ContainerCount < 1 || ExtractListedFiles();
        if (listedDone && recurse && !StopNow()) {
            m_writer.SetMode(CollisionMode::AutoRename);
            WalkSubFolders();
        }
    }

    void CountTree() {
        ProgressPhase counting(m_progress, &BatchProgress::CountingStarted, &BatchProgress::CountingFinished);
        m_result.tree = MakeTree(m_request.CurrentDir, &m_progress, m_followLinks);
        StopNow();
        m_result.ProgressTotal += m_result.tree.dirs + m_result.tree.files;
    }

    // Asked before each file and folder, never while one is being written:
    // every output of the file in hand is finished before the run stops.
    bool StopNow() {
        if (!m_result.stopped && m_progress.StopRequested()) m_result.stopped = true;
        return m_result.stopped;
    }

    void Step(const std::string& name) {
        ++m_result.ProcessedCount;
        const int64_t total = m_result.ProgressTotal;
        const int64_t percent = total > 0 ? m_result.ProcessedCount * 100 / total : 0;
        m_progress.Counted(m_result.ProcessedCount, total);
        m_progress.Advance(int(std::clamp<int64_t>(percent, 0, 100)), name);
    }

    // The listed folder: each file row in display order, counted from the
    // file itself as the explorer counted it.
    bool ExtractListedFiles() {
        const size_t listTotal =
            size_t(std::max(0, m_request.ContainerCount)) + size_t(std::max(0, m_request.DirCount));
        const size_t rows = std::min(listTotal, m_request.rows.size());
        for (size_t k = 0; k < rows; ++k) {
            const ListRow& row = m_request.rows[k];
            if (row.IsFolder()) continue;
            if (StopNow()) return false;
            Step(row.caption);
            // Opened by its name as listed: this file system tells case apart.
            const std::string path = JoinPath(m_request.CurrentDir, row.caption);
            if (!IsRegularFile(path)) continue;
            const auto file = Document::Open(path);
            const int count = CountForListing(*file, m_request.listing).count;
            if (count >= 1 && !Extract(*file, count)) return false;
        }
        return true;
    }

    void WalkSubFolders() {
        TreeVisitor visitor;
        visitor.enterFolder = [&](const std::string&, const std::string& name) {
            if (StopNow()) return false;
            Step(name);
            return true;
        };
        visitor.visitFile = [&](const std::string& path, const std::string& name) {
            if (StopNow()) return false;
            Step(name);
            if (!ListingTakesExtension(m_request.listing, LowerExtension(name))) return true;
            // Opening a FIFO or a device could block or read without end.
            if (!IsRegularFile(path)) return true;
            const auto file = Document::Open(path);
            const ListingCount counted = CountForListing(*file, m_request.listing);
            if (counted.count < 1) return true;
            return Extract(*file, counted.count);
        };
        MakeLTree(m_request.CurrentDir, visitor, m_followLinks);
    }

    bool Extract(Document& file, int count) {
        ++m_result.filesRead;
        return ExtractOneFile(file, m_request.listing, count, m_choice, m_writer);
    }

    void Fail(const std::string& message) {
        m_result.ok = false;
        if (m_result.error.empty()) m_result.error = message;
    }

    void Finish() {
        const std::string earlier = m_result.error;
        m_writer.ReportInto(m_result);
        m_result.filesFailed = m_writer.Failed() ? 1 : 0;
        if (!earlier.empty()) {
            m_result.ok = false;
            m_result.error = earlier;
        }
        m_writer.End();
    }

    const WizardRequest& m_request;
    BatchProgress& m_progress;
    WizardResult& m_result;
    BatchWriter m_writer;
    OutputChoice m_choice;
    bool m_followLinks;
};

std::string Count(int64_t n) { return GroupedNumber(uint64_t(std::max<int64_t>(n, 0))); }

// "4.2 s" under a minute, then "3 min 07 s", then "1 h 03 min 07 s".
std::string DurationText(double seconds) {
    if (!(seconds > 0)) seconds = 0; // also NaN
    char text[64];
    if (seconds < 59.95) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
        return text;
    }
    const auto whole = int64_t(std::llround(seconds));
    const int64_t h = whole / 3600, min = whole / 60 % 60, s = whole % 60;
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld h %02lld min %02lld s", static_cast<long long>(h),
                      static_cast<long long>(min), static_cast<long long>(s));
    else
        std::snprintf(text, sizeof text, "%lld min %02lld s", static_cast<long long>(min), static_cast<long long>(s));
    return text;
}

} // namespace

std::string WizardSummaryText(const WizardResult& result, double seconds) {
    std::string text;
    if (!result.ok)
        text = "The extraction ended early because of an error.\n";
    else if (result.stopped)
        // A stop while the tree was counted leaves the total short of the tree.
        text = "The extraction was stopped after " + Count(result.ProcessedCount) + " of " +
               Count(result.ProgressTotal) + (result.tree.complete ? " entries" : " entries counted so far") +
               "; the files written are kept.\n";
    else
        text = "The extraction is finished.\n";
    text += "Files read: " + Count(result.filesRead) + "\n";
    text += "Files written: " + Count(result.stats.filesWritten) + " (" + GroupedNumber(result.stats.bytesWritten) +
            " bytes)\n";
    text += "Skipped: " + Count(result.stats.filesSkipped) + "\n";
    text += "Failed: " + Count(result.filesFailed) + "\n";
    text += "Elapsed time: " + DurationText(seconds);
    return text;
}

WizardResult RunWizard(const WizardRequest& request, const WizardOptions& options, ActionFlags& flags,
                       BatchProgress& progress) {
    WizardResult result;
    try {
        WizardRun run(request, options, flags, progress, result);
        run.Run(options.RecurseDirs);
    } catch (const std::exception& e) {
        // Only allocation failures can get here; the run ends like a failed write.
        result.ok = false;
        result.error = std::string("The extraction ended early: ") + e.what();
    }
    return result;
}

} // namespace gw
