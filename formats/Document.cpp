#include "formats/Document.h"

#include "formats/DocumentEdits.h"
#include "formats/KindReader.h"

#include <algorithm>
#include <utility>

#include "formats/FileKinds.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace gw {

namespace {

size_t ListSize(int32_t count) { return size_t(std::max(count, 0)); }

// Bytes read into memory, for files opened from bytes.
struct OwnedBytes {
    Bytes bytes;
};

} // namespace

std::shared_ptr<Document> Document::Open(const std::string& path) {
    std::shared_ptr<Document> opened(new Document(path));
    auto file = std::make_shared<MappedFile>();
    if (file->Open(path)) {
        opened->m_readable = true;
        opened->m_bytes = file->bytes();
        opened->m_owner = std::move(file);
    } else {
        // The front ends name the file; the error says why alone.
        opened->m_contents.NoteError(ReadError{ReadErrorKind::Io, 0, file->reason()});
    }
    opened->Classify();
    opened->m_openedErrors = opened->m_contents.Errors;
    return opened;
}

std::shared_ptr<Document> Document::OfBytes(const std::string& path, gw::Bytes bytes) {
    std::shared_ptr<Document> opened(new Document(path));
    auto owned = std::make_shared<OwnedBytes>(OwnedBytes{std::move(bytes)});
    opened->m_readable = true;
    opened->m_bytes = owned->bytes;
    opened->m_owner = std::move(owned);
    opened->Classify();
    opened->m_openedErrors = opened->m_contents.Errors;
    return opened;
}

Document::Document(std::string path) : m_path(std::move(path)) {}
Document::~Document() = default;

std::string Document::FileName() const { return PathFileName(m_path); }

// The kind and the counts the explorer shows, from the bytes alone: only
// the headers and resource directories are touched.
void Document::Classify() {
    if (!m_readable) return;
    const FileKindRow& row = ClassifyFile(m_path, m_bytes);
    m_reader = row.open(OpenedFile{m_path, m_bytes, m_owner});
    std::vector<ReadError> noted;
    m_counts = m_reader->Count(noted);
    m_counts.kind = row.kind;
    m_contents.NoteError(m_counts.damage);
    for (const ReadError& e : noted) m_contents.NoteError(e);
    m_contents.IconGroupCount = m_counts.iconGroups;
    m_contents.CursorGroupCount = m_counts.cursorGroups;
    m_contents.BitmapCount = m_counts.bitmaps;
}


const KindReader* ReaderOf(const Document& document) { return document.m_reader.get(); }

FileContents& EditContents(Document& document) { return document.m_contents; }

const ResourceModule* ModuleOf(const Document& document, RecordKind kind) {
    const KindReader* reader = ReaderOf(document);
    return reader ? reader->ModuleOf(kind) : nullptr;
}

const std::string& Document::ResourcesFrom() const {
    static const std::string none;
    return m_reader ? m_reader->ResourcesFrom() : none;
}

void Document::SetLanguage(std::optional<uint16_t> language) {
    if (language == m_language) return;
    m_language = language;
    if (std::none_of(std::begin(m_loaded), std::end(m_loaded), [](const auto& l) { return l.has_value(); }) &&
        !m_version)
        return;
    for (auto& loaded : m_loaded) loaded.reset();
    m_version.reset(); // read again in the new language
    m_contents.IconGroups.clear();
    m_contents.CursorGroups.clear();
    m_contents.Bitmaps.clear();
    m_contents.Animations.clear();
    m_contents.Errors = m_openedErrors;
}

const std::vector<ReadError>& Document::Load(RecordKind kind) {
    std::optional<std::vector<ReadError>>& loaded = m_loaded[size_t(kind)];
    if (!loaded) {
        // The read notes its damage into an empty list, which becomes this
        // kind's; the file's list keeps each piece of damage once.
        std::vector<ReadError> earlier = std::exchange(m_contents.Errors, {});
        Read(kind);
        loaded = std::exchange(m_contents.Errors, std::move(earlier));
        for (const ReadError& e : *loaded) m_contents.NoteError(e);
    }
    return *loaded;
}

const std::vector<ReadError>& Document::LoadAll() {
    for (RecordKind kind : {RecordKind::Icons, RecordKind::Cursors, RecordKind::Bitmaps, RecordKind::Animations})
        Load(kind);
    Version();
    return Errors();
}

const std::optional<VersionInfo>& Document::Version() {
    if (!m_version) {
        ReadResult<std::optional<VersionInfo>> read;
        if (m_reader) read = m_reader->Version(m_language);
        m_version = std::move(read.records);
        m_contents.NoteError(read.error);
    }
    return *m_version;
}

const std::vector<ReadError>& Document::LoadAsImageFile(FileKind kind) {
    const FileKindRow& row = RowOf(kind);
    if (m_readable && m_counts.kind != kind) {
        m_reader = row.open(OpenedFile{m_path, m_bytes, m_owner});
        std::vector<ReadError> noted;
        m_counts = m_reader->Count(noted);
        m_counts.kind = kind;
        m_contents.IconGroupCount = m_counts.iconGroups;
        m_contents.CursorGroupCount = m_counts.cursorGroups;
        m_contents.BitmapCount = m_counts.bitmaps;
        for (auto& loaded : m_loaded) loaded.reset();
        m_version.reset();
    }
    return Load(row.holds);
}

// One kind's records through the reader of the file's kind, over the bytes
// opened once; the reader notes its damage in the contents.
void Document::Read(RecordKind kind) {
    FileContents& c = m_contents;
    if (!m_reader) return;
    switch (kind) {
    case RecordKind::Icons:
        if (m_counts.iconGroups <= 0) return;
        c.IconGroups.resize(ListSize(c.IconGroupCount));
        break;
    case RecordKind::Cursors:
        if (m_counts.cursorGroups <= 0) return;
        c.CursorGroups.resize(ListSize(c.CursorGroupCount));
        break;
    case RecordKind::Bitmaps:
        if (m_counts.bitmaps <= 0) return;
        c.MaxBmpWidth = 0;
        c.MaxBmpHeight = 0;
        c.Bitmaps.resize(ListSize(c.BitmapCount));
        break;
    case RecordKind::Animations:
        if (m_counts.animations <= 0) return;
        c.Animations.clear();
        break;
    }
    m_reader->Read(kind, m_language, c);
}

std::string NothingShownReason(const Document& file, const std::string& holdsNothing) {
    if (!file.Readable() && file.Damaged()) return "cannot be read: " + file.Errors().front().message;
    if (file.Damaged()) return file.Errors().front().Describe();
    return holdsNothing;
}

} // namespace gw
