#include "batch/core/BatchWriter.h"

#include "platform/FileIo.h"
#include "batch/core/Prompts.h"

namespace gw {

BatchWriter::BatchWriter(std::string folder, ActionFlags& flags, Prompts* prompts, CollisionMode mode)
    : m_folder(std::move(folder)), m_flags(flags), m_prompts(prompts), m_mode(mode) {}

BatchWriter::~BatchWriter() { End(); }

void BatchWriter::End() {
    if (m_ended) return;
    m_flags.ClearAtBatchEnd();
    m_ended = true;
    if (m_stats.filesWritten > 0) FlushFolder(m_folder);
}

void BatchWriter::ReportInto(BatchResult& result) const {
    result.stats = m_stats;
    result.notes = m_notes;
    result.folder = m_folder;
    result.stoppedAt = m_stoppedAt;
    if (Failed()) {
        result.ok = false;
        result.error = m_error;
    }
}

void BatchWriter::Fail(std::string message) {
    if (m_error.empty()) m_error = std::move(message);
}

void BatchWriter::NoteSkipped(const std::string& why) {
    ++m_stats.filesSkipped;
    m_notes.push_back(why);
}

std::optional<BatchWriter::Target> BatchWriter::Settle(const std::string& base, const std::string& ext) {
    if (Halted()) return std::nullopt;
    const std::string safeBase = SafeBaseName(base);
    const std::string path = OutputName(m_folder, safeBase, ext);
    if (!EntryExists(path)) return Target{path, false};
    return SettleExisting(safeBase, ext, path);
}

std::optional<BatchWriter::Target> BatchWriter::SettleExisting(const std::string& base, const std::string& ext,
                                                               const std::string& path) {
    // A name this batch wrote already (integer id 1 and the name "1" give the
    // same output name) is renamed: a remembered "Overwrite" or "Skip" for
    // files that were there before never costs one this batch wrote.
    if (m_written.count(path)) return Renamed(base, ext);
    switch (m_mode) {
    case CollisionMode::AutoRename: return Renamed(base, ext);
    case CollisionMode::ReplacePreexisting: return Replacing(path);
    case CollisionMode::Ask: break;
    }
    if (m_flags.MustAsk() && m_prompts) {
        const ExistingAnswer answer = m_prompts->SettleExisting(path, m_flags);
        if (answer.stop) {
            m_stoppedAt = path;
            return std::nullopt;
        }
        ApplyAnswer(m_flags, answer);
    }
    switch (m_flags.Current()) {
    case ExistingAction::Overwrite: return Replacing(path);
    case ExistingAction::AutoRename: return Renamed(base, ext);
    case ExistingAction::Skip: break;
    }
    ++m_stats.filesSkipped;
    return std::nullopt;
}

std::optional<BatchWriter::Target> BatchWriter::Replacing(const std::string& path) {
    // Replacing a folder would need deleting what it holds: never done.
    if (IsFolder(path)) {
        NoteSkipped("\"" + path + "\" is a folder; the file was not written");
        return std::nullopt;
    }
    return Target{path, true};
}

std::optional<BatchWriter::Target> BatchWriter::Renamed(const std::string& base, const std::string& ext) {
    const std::string key = base + ext;
    size_t underscores = 1;
    if (auto it = m_renameHint.find(key); it != m_renameHint.end()) underscores = it->second;
    while (true) {
        const std::string candidate = base + std::string(underscores, '_');
        if (candidate.size() + ext.size() > kMaxFileNameBytes) {
            Fail("cannot write file \"" + OutputName(m_folder, base, ext) + "\": every shorter renamed name is taken");
            return std::nullopt;
        }
        const std::string path = OutputName(m_folder, candidate, ext);
        if (!EntryExists(path)) {
            m_renameHint[key] = underscores;
            return Target{path, false};
        }
        ++underscores;
    }
}

bool BatchWriter::Commit(const Target& target, ByteView bytes) {
    if (Halted()) return false;
    const std::string error = WriteFileAtomic(target.path, bytes, target.replace);
    if (!error.empty()) {
        Fail(error);
        return false;
    }
    m_written.insert(target.path);
    ++m_stats.filesWritten;
    m_stats.bytesWritten += bytes.size();
    return true;
}

WriteOutcome BatchWriter::Write(const std::string& base, const std::string& ext, ByteView bytes) {
    const std::optional<Target> target = Settle(base, ext);
    if (!target) return Failed() ? WriteOutcome::Failed : Stopped() ? WriteOutcome::Stopped : WriteOutcome::Skipped;
    return Commit(*target, bytes) ? WriteOutcome::Written : WriteOutcome::Failed;
}

} // namespace gw
