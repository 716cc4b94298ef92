#include "batch/core/Prompts.h"

#include "batch/core/BatchWriter.h"

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

} // namespace gw
