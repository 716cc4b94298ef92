#pragma once
// File access for the readers and writers: files are mapped read-only (a
// reader touches only the pages it needs), small reads are positioned, and
// files are written whole or not at all.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ByteReader.h"
#include "platform/Paths.h"

namespace gw {

class MappedFile {
public:
    MappedFile() = default;
    explicit MappedFile(const std::string& path) { Open(path); }
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;

    // Opens a regular file read-only. False (with error() and reason() set)
    // when the path cannot be opened or is not a regular file.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_open; }
    ByteView bytes() const { return {m_data, size_t(m_size)}; }
    uint64_t size() const { return m_size; }
    // "cannot read \"<path>\": <reason>"
    const std::string& error() const { return m_error; }
    // Why, without the path: the system's words ("No such file or
    // directory", "Is a directory"), or "not a regular file".
    const std::string& reason() const { return m_reason; }
    int systemError() const { return m_errno; } // the errno behind error(); EISDIR etc. for what is no regular file

private:
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    bool m_mapped = false;
    bool m_open = false;
    Bytes m_copy; // used for files that cannot be mapped (empty files, special files)
    std::string m_error;
    std::string m_reason;
    int m_errno = 0;
};

// Reads up to n bytes at offset of a file opened by path; returns what was read.
Bytes ReadFileAt(int fd, uint64_t offset, size_t n);

// How a whole-file write ended: error is "" on success, else a message
// naming the file; systemError the errno behind it (0 when the failure was
// not the system's).
struct ReplaceOutcome {
    std::string error;
    int systemError = 0;
};

// How WriteWholeFile writes.
struct WholeFileWrite {
    // Replace what path names (or make it). False: an existing entry at path
    // is never replaced; the write fails instead (EEXIST).
    bool replaceExisting = true;
    // The new file's permission bits, set as given whatever the umask;
    // nullopt: keepAttributesOf's, else 0666 less the umask (or as the
    // folder's default ACL says), as any new file gets.
    std::optional<unsigned> mode;
    // The file being replaced: its owner, group, ACLs and extended
    // attributes are copied to the new file before it takes its name, or
    // nothing is written and the error says which could not be kept.
    const std::string* keepAttributesOf = nullptr;
    // Flush the file to disk before it takes its name. The files of a batch
    // are not flushed one by one (it writes thousands): call FlushFolder
    // once when a command has written its files.
    bool flush = false;
    // The words of an error: "cannot create file \"PATH\": ..." or "cannot
    // write file \"PATH\": ...", as the commands that write files of their
    // own say it; with changeWords "cannot write \"PATH\": ..." whatever
    // step failed, as a change to a program says it (beside its "cannot read
    // \"PATH\"").
    bool changeWords = false;
};

// Writes bytes to path whole or not at all: the new file has no name until
// it is complete (O_TMPFILE where the file system allows, else a hidden
// temporary name in the same folder that RemovePendingTemporaries can
// remove), then takes path in one step: a rename, or, when nothing may be
// replaced, a link or rename that fails when path exists. So path is always
// either the old file (or none) or the whole new one, and nothing is left
// behind on failure.
ReplaceOutcome WriteWholeFile(const std::string& path, ByteView bytes, const WholeFileWrite& how = {});

// WriteWholeFile for the files a command makes: the error message, "" on
// success; not flushed (see WholeFileWrite::flush).
inline std::string WriteFileAtomic(const std::string& path, ByteView bytes, bool replaceExisting = true) {
    WholeFileWrite how;
    how.replaceExisting = replaceExisting;
    return WriteWholeFile(path, bytes, how).error;
}

// WriteWholeFile for a file changed in place or written from another:
// replaces the file at path (or makes it) with the permission bits mode,
// flushed before the rename; with keepAttributesOf (the file being replaced)
// also that file's owner, group, ACLs and extended attributes.
inline ReplaceOutcome ReplaceFileWhole(const std::string& path, ByteView bytes, unsigned mode,
                                       const std::string* keepAttributesOf = nullptr) {
    WholeFileWrite how;
    how.mode = mode;
    how.keepAttributesOf = keepAttributesOf;
    how.flush = true;
    how.changeWords = true;
    return WriteWholeFile(path, bytes, how);
}

// Flushes the file system that holds folder to disk.
void FlushFolder(const std::string& folder);

// The file a path names: a symbolic link (or a chain of them) resolved to
// the path of the file it leads to, so that a writer replaces that file and
// keeps the link; the path itself when it is no link or leads nowhere.
std::string LinkTarget(const std::string& path);

// An advisory lock (flock) on the file at path, held until the object goes:
// two changes of one file then run one after the other instead of one
// silently losing the other. Acquire waits for a lock another process
// holds, and takes it again when that process replaced the file meanwhile,
// so the file locked is the one path names. "" on success, else why not.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    std::string Acquire(const std::string& path, int* systemError = nullptr);

private:
    int m_fd = -1;
};

// Removes the temporary files this process is writing; safe to call from a
// signal handler (a program ending on SIGINT, SIGTERM or SIGHUP then leaves
// none behind).
void RemovePendingTemporaries() noexcept;

} // namespace gw
