#pragma once
// Prompts answered by real dialogs: the folder browser and save dialog of the
// toolkit, the "Already exists" dialog and message boxes.
#include "batch/core/Prompts.h"

class QWidget;

namespace gw {

class AlreadyExistsDialog;

class QtPrompts : public Prompts {
public:
    // parent: the window the dialogs belong to; existingDialog: the "Already
    // exists" dialog, made with the prompts.
    QtPrompts(QWidget* parent, AlreadyExistsDialog& existingDialog)
        : m_parent(parent), m_existingDialog(existingDialog) {}

    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& startFolder) override;
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
    ExistingAnswer SettleExisting(const std::string& existingPath, const ActionFlags& flags) override;
    void ShowMessage(MessageKind kind, const std::string& text) override;
    // The summary dialog: what was written, passed over and failed, the
    // folder, and a button that opens it.
    void ShowSummary(const std::string& command, const BatchResult& result) override;

private:
    QWidget* m_parent;
    AlreadyExistsDialog& m_existingDialog;
};

} // namespace gw
