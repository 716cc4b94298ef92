#pragma once
// File access for the readers and writers: files are mapped read-only (a
// reader touches only the pages it needs), small reads are positioned, and
// files are written whole or not at all.
#include <cstdint>
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

// Writes bytes to path whole or not at all: one write to a new temporary
// file in the same folder, then a rename. With replaceExisting false an
// existing entry at path is never replaced (the write fails instead).
// Returns "" on success, else a message naming the file; nothing is left
// behind on failure. Files are not flushed one by one (a batch writes
// thousands): call FlushFolder once when a command has written its files.
std::string WriteFileAtomic(const std::string& path, ByteView bytes, bool replaceExisting = true);

// Flushes the file system that holds folder to disk.
void FlushFolder(const std::string& folder);

// How a write that replaces a file ended: error is "" on success, else a
// message naming the file; systemError the errno behind it (0 when the
// failure was not the system's).
struct ReplaceOutcome {
    std::string error;
    int systemError = 0;
};

// Writes bytes to path whole, replacing the file there (or making it): the
// new file has no name until it is complete (O_TMPFILE where the file system
// allows, else a hidden temporary name that RemovePendingTemporaries can
// remove), is flushed, then renamed over path, so path is always either the
// old file or the whole new one. It gets the permission bits mode; with
// keepAttributesOf (the file being replaced) also that file's owner, group,
// ACLs and extended attributes, copied before the rename, or nothing is
// written and the error says which could not be kept.
ReplaceOutcome ReplaceFileWhole(const std::string& path, ByteView bytes, unsigned mode,
                                const std::string* keepAttributesOf = nullptr);

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
