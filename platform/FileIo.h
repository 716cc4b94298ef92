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

    // Opens a regular file read-only. False (with error() set) when the path
    // cannot be opened or is not a regular file.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_open; }
    ByteView bytes() const { return {m_data, size_t(m_size)}; }
    uint64_t size() const { return m_size; }
    const std::string& error() const { return m_error; }

private:
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    bool m_mapped = false;
    bool m_open = false;
    Bytes m_copy; // used for files that cannot be mapped (empty files, special files)
    std::string m_error;
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

} // namespace gw
