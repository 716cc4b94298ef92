#pragma once
// The extraction wizard's run: every object of the current listing from the
// files the explorer lists, and on request from every file in the folder's
// sub-folders at any depth, into one target folder.
#include <cstdint>
#include <span>
#include <string>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "batch/core/Extraction.h"
#include "listing/Listing.h"
#include "batch/core/TreeWalk.h"
#include "listing/ListRow.h"

namespace gw {

class BatchProgress;

// What the wizard dialog hands over when Execute is pressed.
struct WizardOptions {
    std::string ExtractionDir;
    bool AsIcons = false;
    bool AsBitmaps = false;
    bool AsCursors = false; // animated cursors: whole, as .ani
    bool AsFrames = false;  // animated cursors: each frame as .cur (.ico)
    bool RecurseDirs = false;
    // The tree walk enters symbolic links to folders too (TreeWalk.h).
    bool FollowLinks = false;
};

// The explorer's state the run reads.
struct WizardRequest {
    std::string CurrentDir;        // the folder listed
    Listing listing;               // the display category
    std::span<const ListRow> rows; // the list's rows in their display order
    int ContainerCount = 0;        // files listed
    int DirCount = 0;              // folders listed
};

struct WizardResult : BatchResult {
    int64_t ProcessedCount = 0;
    int64_t ProgressTotal = 0;
    TreeCounts tree; // TreeDirCount, TreeFileCount of a recursive run
    bool stopped = false; // the user stopped the run; what was written stays
    int filesFailed = 0;  // outputs whose write failed (a failed write ends the run)
};

// Runs the wizard after its dialog was confirmed. Outputs of the listed
// folder replace files that existed before the run; outputs of sub-folders,
// and names this run already wrote, are auto-renamed. Nothing asks the user.
// A failed write ends the run (result.error names the file); files already
// written stay, the five flags are cleared and the progress is finished on
// every path. When progress.StopRequested() turns true the run ends after the
// file it is extracting (or, while counting the tree, at the next folder)
// with result.stopped set.
WizardResult RunWizard(const WizardRequest& request, const WizardOptions& options, ActionFlags& flags,
                       BatchProgress& progress);

// How a run ended, for the summary shown after it: a heading line (finished,
// stopped, or ended by an error), then files read, files written (with their
// bytes), skipped, failed and the elapsed time, one per line.
std::string WizardSummaryText(const WizardResult& result, double seconds);

} // namespace gw
