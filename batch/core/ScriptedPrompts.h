#pragma once
// Prompts answered from a script instead of dialogs: for tests, and for
// grabwell-cli, which has no one to ask. Records every question it was asked.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "batch/core/BatchWriter.h"
#include "batch/core/Prompts.h"

namespace gw {

class ScriptedPrompts : public Prompts {
public:
    // Replies used in order; when a queue runs dry, folders and file names
    // are cancelled and existing files get fallbackAnswer.
    std::deque<std::optional<std::string>> folders;
    std::deque<std::optional<std::string>> saveFiles;
    std::deque<ExistingAnswer> existingAnswers;
    ExistingAnswer fallbackAnswer;

    // What was asked.
    std::vector<std::string> folderTitles;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<std::string> existingShown;     // the path each dialog showed
    std::vector<ActionFlags> existingFlags;     // the flags it was shown with
    std::vector<std::pair<MessageKind, std::string>> messages;

    std::optional<std::string> ChooseFolder(const std::string& title, const std::string&) override {
        folderTitles.push_back(title);
        return Take(folders);
    }
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        return Take(saveFiles);
    }
    ExistingAnswer SettleExisting(const std::string& existingPath, const ActionFlags& flags) override {
        existingShown.push_back(existingPath);
        existingFlags.push_back(flags);
        if (existingAnswers.empty()) return fallbackAnswer;
        ExistingAnswer answer = existingAnswers.front();
        existingAnswers.pop_front();
        return answer;
    }
    void ShowMessage(MessageKind kind, const std::string& text) override { messages.emplace_back(kind, text); }
    // Summaries are recorded, and their error and notes said as messages.
    std::vector<std::pair<std::string, BatchResult>> summaries;
    void ShowSummary(const std::string& command, const BatchResult& result) override {
        summaries.emplace_back(command, result);
        Prompts::ShowSummary(command, result);
    }

private:
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<std::string> reply = std::move(queue.front());
        queue.pop_front();
        return reply;
    }
};

} // namespace gw
