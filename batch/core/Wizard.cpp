#include "batch/core/Wizard.h"

#include <algorithm>
#include <exception>

#include "batch/core/OutputNames.h"
#include "batch/core/Progress.h"
#include "formats/OpenedFile.h"
#include "platform/FileIo.h"

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
          m_writer(options.ExtractionDir, flags, nullptr, CollisionMode::ReplacePreexisting) {
        m_choice.asIcons = options.AsIcons;
        m_choice.asBitmaps = options.AsBitmaps;
        m_choice.asCursors = options.AsCursors;
    }

    void Run(bool recurse) {
        m_result.ProgressTotal = m_request.ContainerCount;
        if (recurse) CountTree();
        {
            ProgressPhase processing(m_progress, &BatchProgress::ProcessingStarted,
                                     &BatchProgress::ProcessingFinished);
            m_progress.Advance(0, {});
            const bool listedDone = m_request.ContainerCount < 1 || ExtractListedFiles();
            if (listedDone && recurse) {
                m_writer.SetMode(CollisionMode::AutoRename);
                WalkSubFolders();
            }
        }
        Finish();
    }

private:
    void CountTree() {
        ProgressPhase counting(m_progress, &BatchProgress::CountingStarted, &BatchProgress::CountingFinished);
        m_result.tree = MakeTree(m_request.CurrentDir, &m_progress);
        m_result.ProgressTotal += m_result.tree.dirs + m_result.tree.files;
    }

    void Step(const std::string& name) {
        ++m_result.ProcessedCount;
        const int64_t total = m_result.ProgressTotal;
        const int64_t percent = total > 0 ? m_result.ProcessedCount * 100 / total : 0;
        m_progress.Counted(m_result.ProcessedCount, total);
        m_progress.Advance(int(std::clamp<int64_t>(percent, 0, 100)), LowerAscii(name));
    }

    // The listed folder: each file row in display order, counted from the
    // file itself as the explorer counted it.
    bool ExtractListedFiles() {
        const size_t listTotal =
            size_t(std::max(0, m_request.ContainerCount)) + size_t(std::max(0, m_request.DirCount));
        const size_t rows = std::min(listTotal, m_request.rows.size());
        for (size_t k = 0; k < rows; ++k) {
            const ListRow& row = m_request.rows[k];
            if (row.typeText.empty()) continue; // a folder
            Step(row.caption);
            // Opened by its name as listed: this file system tells case apart.
            const std::string path = JoinPath(m_request.CurrentDir, row.caption);
            if (!IsRegularFile(path)) continue;
            const auto file = OpenedFile::Open(path);
            const int count = CountForListing(*file, m_request.listing).count;
            if (count >= 1 && !Extract(*file, count)) return false;
        }
        return true;
    }

    void WalkSubFolders() {
        TreeVisitor visitor;
        visitor.enterFolder = [&](const std::string&, const std::string& name) {
            Step(name);
            return true;
        };
        visitor.visitFile = [&](const std::string& folder, const std::string& name) {
            Step(name);
            if (!ListingTakesExtension(m_request.listing, LowerExtension(name))) return true;
            const std::string path = JoinPath(folder, name);
            // Opening a FIFO or a device could block or read without end.
            if (!IsRegularFile(path)) return true;
            const auto file = OpenedFile::Open(path);
            const ListingCount counted = CountForListing(*file, m_request.listing);
            if (counted.count < 1) return true;
            return Extract(*file, counted.count);
        };
        MakeLTree(m_request.CurrentDir, visitor);
    }

    bool Extract(OpenedFile& file, int count) {
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
};

} // namespace

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
