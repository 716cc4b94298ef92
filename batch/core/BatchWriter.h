#pragma once
// The one mechanism every batch command writes its output files through: the
// output name (folder + safe base + extension), the existing-file rule with
// its "Already exists" question and remembered answer, whole-or-nothing
// writes, and the end of the batch, which clears the five flags on every
// path (the destructor ends the batch when the command did not).
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchResult.h"
#include "platform/ByteReader.h"

namespace gw {

class Prompts;

enum class CollisionMode : uint8_t {
    // The shared rule: ask through the dialog (or apply the remembered answer).
    Ask,
    // The wizard's listed folder: a file that existed before the run is
    // replaced without asking; a name this run already wrote is auto-renamed,
    // so two sources with the same output prefix do not lose each other's images.
    ReplacePreexisting,
    // The wizard's sub-folders: a name that exists is always auto-renamed.
    AutoRename,
};

enum class WriteOutcome : uint8_t { Written, Skipped, Failed, Stopped };

// Whether an outcome ends the command: a failed write, or the user's stop.
inline bool Halts(WriteOutcome outcome) { return outcome == WriteOutcome::Failed || outcome == WriteOutcome::Stopped; }

class BatchWriter {
public:
    // Where an output goes once settled.
    struct Target {
        std::string path;
        bool replace = false; // an existing file at path is replaced
    };

    // prompts may be null for modes that never ask.
    BatchWriter(std::string folder, ActionFlags& flags, Prompts* prompts, CollisionMode mode = CollisionMode::Ask);
    ~BatchWriter();
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    void SetMode(CollisionMode mode) { m_mode = mode; }
    const std::string& Folder() const { return m_folder; }

    // Settles the output named base + ext (the base is made safe first):
    // the target to write, or nullopt when this output is skipped. May ask
    // the user, who may stop the batch there. Returns nullopt once the batch
    // has failed or been stopped.
    std::optional<Target> Settle(const std::string& base, const std::string& ext);
    // Writes bytes whole to a settled target. False when the write failed:
    // the batch must end; Error() names the file.
    bool Commit(const Target& target, ByteView bytes);
    // Settle and Commit in one.
    WriteOutcome Write(const std::string& base, const std::string& ext, ByteView bytes);

    // An output the command could not produce (e.g. an image that does not decode).
    void NoteSkipped(const std::string& why);

    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }
    // The user stopped the batch at an existing file (Cancel in "Already exists").
    bool Stopped() const { return !m_stoppedAt.empty(); }
    // Failed or stopped: the command writes nothing more.
    bool Halted() const { return Failed() || Stopped(); }
    // Messages for outputs skipped for a reason the user should hear of.
    const std::vector<std::string>& Notes() const { return m_notes; }
    const BatchStats& Stats() const { return m_stats; }

    // Ends the batch: clears the five flags and flushes what was written to
    // disk. Idempotent.
    void End();

    // The writer's counts, notes and error copied into a result.
    void ReportInto(BatchResult& result) const;

private:
    std::optional<Target> SettleExisting(const std::string& base, const std::string& ext, const std::string& path);
    std::optional<Target> Replacing(const std::string& path);
    std::optional<Target> Renamed(const std::string& base, const std::string& ext);
    void Fail(std::string message);

    std::string m_folder;
    ActionFlags& m_flags;
    Prompts* m_prompts;
    CollisionMode m_mode;
    bool m_ended = false;
    std::string m_error;
    std::string m_stoppedAt;
    std::vector<std::string> m_notes;
    BatchStats m_stats;
    // Paths written by this batch (never "existing before the run").
    std::unordered_set<std::string> m_written;
    // Per base + ext: the number of "_" the last auto-rename used. Every
    // shorter candidate was taken then, so the next search starts there and a
    // run with many equal names does not probe the same names again and again.
    std::unordered_map<std::string, size_t> m_renameHint;
};

} // namespace gw
