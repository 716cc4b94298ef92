#pragma once
// Every question a command asks the user. The desktop program answers with
// real dialogs; tests and grabwell-cli answer with scripted replies, so no
// command needs a window to run.
#include <optional>
#include <string>

#include "batch/core/ActionFlags.h"

namespace gw {

struct SaveFileRequest {
    std::string title;
    std::string filter;           // e.g. "Icon files (*.ico)"
    std::string defaultExtension; // without the dot, e.g. "ico"
    std::string initialName;
    bool overwritePrompt = true;  // the save dialog's own question for a name that exists
};

enum class MessageKind : uint8_t { Error, Warning };

struct BatchResult;

class Prompts {
public:
    virtual ~Prompts() = default;

    // A folder browser with the given title. nullopt when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& startFolder = {}) = 0;

    // A save dialog. nullopt when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;

    // The "Already exists" dialog for the file at existingPath, preselected
    // from the flags; returns the user's answer, which may stop the batch
    // (Cancel or Esc).
    virtual ExistingAnswer SettleExisting(const std::string& existingPath, const ActionFlags& flags) = 0;

    // The error report that ends a command, or a note the user should see.
    virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;

    // How a batch command that wrote into a folder ended (command: its name,
    // e.g. "Save All"): what it wrote, passed over and failed, and where.
    // By default the error and the outputs passed over, as ReportBatchResult
    // says them; the desktop program shows a summary with the folder.
    virtual void ShowSummary(const std::string& command, const BatchResult& result);
};

// Tells the user how a batch ended: the error that ended it, then the
// outputs it passed over (the first twenty, then how many more).
void ReportBatchResult(const BatchResult& result, Prompts& prompts);

// Tells the user how a batch command that wrote into a folder ended, through
// Prompts::ShowSummary; nothing when the user cancelled it before it began.
void ReportBatchSummary(const std::string& command, const BatchResult& result, Prompts& prompts);

// The summary's lines: "Files written: N (B bytes)", "Skipped: N", "Failed: N",
// and for a batch the user stopped, the file it stopped at.
std::string BatchSummaryText(const BatchResult& result);

} // namespace gw
