#pragma once
// The existing-file state every batch command shares: the five flags that
// remember the "Already exists" dialog's answer for the rest of a batch.
// One object, owned by the explorer and passed by reference to each command.
#include <cstdint>

#include "batch/core/OutputNames.h"

namespace gw {

struct ActionFlags {
    uint8_t ActionAnswered = 0;   // the dialog was answered in this batch
    uint8_t ActionSkip = 1;       // current action is Skip (the action at program start)
    uint8_t ActionOverwrite = 0;  // current action is Overwrite
    uint8_t ActionAutoRename = 0; // current action is Auto Rename
    uint8_t ActionAllOthers = 0;  // apply the current action to every further existing file

    // The end of every batch, also one that failed: all five to 0, so the
    // next batch asks again with "All others" = "No".
    void ClearAtBatchEnd() { *this = ActionFlags{0, 0, 0, 0, 0}; }
    // True when the next existing file must be settled by the dialog.
    bool MustAsk() const { return ActionAnswered == 0 || ActionAllOthers == 0; }
    // The current action; Skip when none is set.
    ExistingAction Current() const {
        if (ActionOverwrite) return ExistingAction::Overwrite;
        if (ActionAutoRename) return ExistingAction::AutoRename;
        return ExistingAction::Skip;
    }
};

// What the user chose in the dialog.
struct ExistingAnswer {
    ExistingAction action = ExistingAction::Skip;
    bool allOthers = false;
    // Cancel: the batch stops at this file; what it wrote before stays.
    bool stop = false;
};

// The dialog's answer taken into the flags (the "Ok" button's work; a stop
// is the batch's to take, not the flags').
inline void ApplyAnswer(ActionFlags& flags, const ExistingAnswer& answer) {
    flags.ActionAnswered = 1;
    flags.ActionSkip = answer.action == ExistingAction::Skip;
    flags.ActionOverwrite = answer.action == ExistingAction::Overwrite;
    flags.ActionAutoRename = answer.action == ExistingAction::AutoRename;
    flags.ActionAllOthers = answer.allOthers ? 1 : 0;
}

// The action the dialog preselects when it is shown: the flag that is set,
// or, when none is (after the end of a batch), the selection it had when it
// was last closed.
inline ExistingAction PreselectedAction(const ActionFlags& flags, ExistingAction lastSelection) {
    if (flags.ActionSkip) return ExistingAction::Skip;
    if (flags.ActionOverwrite) return ExistingAction::Overwrite;
    if (flags.ActionAutoRename) return ExistingAction::AutoRename;
    return lastSelection;
}

} // namespace gw
