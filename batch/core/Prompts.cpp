#include "batch/core/Prompts.h"

#include "batch/core/BatchResult.h"
#include "platform/ReadError.h"
#include "platform/Text.h"

namespace gw {

namespace {
// How many skipped outputs one message lists before it only counts the rest.
constexpr size_t kMaxNotesShown = 20;
} // namespace

void ReportBatchResult(const BatchResult& result, Prompts& prompts) {
    if (!result.ok) prompts.ShowMessage(MessageKind::Error, result.error);
    if (result.notes.empty()) return;
    std::string text;
    for (size_t i = 0; i < result.notes.size() && i < kMaxNotesShown; ++i) text += result.notes[i] + "\n";
    if (result.notes.size() > kMaxNotesShown)
        text += "... and " + std::to_string(result.notes.size() - kMaxNotesShown) + " more\n";
    prompts.ShowMessage(MessageKind::Warning, text);
}

void Prompts::ShowSummary(const std::string&, const BatchResult& result) { ReportBatchResult(result, *this); }

void ReportBatchSummary(const std::string& command, const BatchResult& result, Prompts& prompts) {
    if (result.cancelled) return;
    prompts.ShowSummary(command, result);
}

std::string BatchSummaryText(const BatchResult& result) {
    // A failed write ends a batch: at most one output fails.
    const int failed = result.ok ? 0 : 1;
    std::string text = "Files written: " + GroupedNumber(uint64_t(result.stats.filesWritten)) + " (" +
                       GroupedNumber(result.stats.bytesWritten) + " " + CountNoun(result.stats.bytesWritten, "byte") +
                       ")\nSkipped: " + GroupedNumber(uint64_t(result.stats.filesSkipped)) +
                       "\nFailed: " + std::to_string(failed);
    if (!result.stoppedAt.empty())
        text += "\nStopped at \"" + result.stoppedAt + "\": it and the files after it were not written";
    return text;
}

} // namespace gw
