#pragma once
// The document: one file, opened once: its bytes (mapped), its kind and
// counts (classified once, when it is opened), its records (read from the
// same bytes on first ask, one kind at a time) and everything the reads
// found damaged, as ReadError values. The command line, the thumbnailer,
// the explorer's counting, the workdesks and the managers all go through it,
// so a file is opened and its headers are parsed once per command, and a
// manager opened from a workdesk shares the workdesk's file.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/FileContents.h"
#include "formats/RecordKind.h"
#include "formats/VersionInfo.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

class KindReader;

class Document {
public:
    // Opens and classifies the file at path. Never null: a file that cannot
    // be read is "Non Executable", not Readable(), with an io error first
    // in Errors() whose message says why ("No such file or directory"; the
    // path is the caller's to name).
    static std::shared_ptr<Document> Open(const std::string& path);
    // The same over bytes already read; path names the file (its extension
    // takes part in the classification, as a path's does).
    static std::shared_ptr<Document> OfBytes(const std::string& path, Bytes bytes);

    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const std::string& Path() const { return m_path; }
    std::string FileName() const;
    // False when the file could not be opened at all.
    bool Readable() const { return m_readable; }
    ByteView Bytes() const { return m_bytes; }
    // Keeps the bytes alive for records that hold views of them.
    const std::shared_ptr<const void>& Owner() const { return m_owner; }
    const FileCounts& Counts() const { return m_counts; }
    FileKind Kind() const { return m_counts.kind; }

    // A language-neutral library (one holding a MUI resource) that holds
    // none of a kind of image has them read from its resource file,
    // SystemResources/<file name>.mun beside its folder (FindMunFile), when
    // that holds some: Counts() and the loads then say what that file holds
    // of those kinds. The path of that file, or "" when every kind is read
    // from the file itself. A resource file that is not a PE file is damage
    // (and nothing is read from it); a missing one is no damage.
    const std::string& ResourcesFrom() const;

    // The language (LANGID) records are read in when they are held in it;
    // those not held in it keep their first language. nullopt (the default):
    // every record in its first language. Records read already are dropped,
    // with their damage, and read again on the next Load.
    void SetLanguage(std::optional<uint16_t> language);
    std::optional<uint16_t> Language() const { return m_language; }

    // Reads the records of a kind into Contents() unless they were read
    // already, and returns the damage that read found (empty: the records
    // are whole). A damaged file keeps every record that could be read.
    const std::vector<ReadError>& Load(RecordKind kind);
    // Reads every kind the file holds and its version information; returns
    // Errors().
    const std::vector<ReadError>& LoadAll();
    // The file's version information (formats/VersionInfo.h: the first
    // version resource of an executable, a library or a resource file), read
    // on the first call; nullopt when the file holds none. The damage that
    // read found is added to Errors().
    const std::optional<VersionInfo>& Version();
    // Reads a plain icon, cursor or bitmap file as that kind, whatever its
    // header says, as the viewer of that kind opens it: a header that is not
    // one is damage the reader reports, not another kind of file.
    const std::vector<ReadError>& LoadAsImageFile(FileKind kind);
    // What has been read so far: the records, read-only to callers.
    const FileContents& Contents() const { return m_contents; }

    // Everything found damaged so far: the opening's or the counting's
    // damage first, then each read's, each kept once.
    const std::vector<ReadError>& Errors() const { return m_contents.Errors; }
    bool Damaged() const { return !m_contents.Errors.empty(); }

private:
    explicit Document(std::string path);
    void Classify();
    void Read(RecordKind kind);

    std::string m_path;
    bool m_readable = false;
    ByteView m_bytes;
    std::shared_ptr<const void> m_owner;
    friend const KindReader* ReaderOf(const Document& document);
    friend FileContents& EditContents(Document& document);
    std::unique_ptr<KindReader> m_reader; // the reader of the file's kind (formats/FileKinds.h)
    FileCounts m_counts;
    FileContents m_contents;
    std::optional<std::vector<ReadError>> m_loaded[kRecordKinds]; // by RecordKind: each read's damage
    std::vector<ReadError> m_openedErrors;                         // the opening's and the counting's damage
    std::optional<uint16_t> m_language;
    std::optional<std::optional<VersionInfo>> m_version; // set once read
};

// Why a document shows nothing of what a viewer looks for: why it could not
// be opened ("cannot be read: No such file or directory"), else its first
// damage, else holdsNothing ("it holds no bitmap"). The one rule every
// window that refuses a file says it by; none of them names the file.
std::string NothingShownReason(const Document& file, const std::string& holdsNothing);

} // namespace gw
