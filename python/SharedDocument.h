#pragma once
// The document as the Python module shares it between the objects made from
// it and between threads, and the pictures it hands out as bytes. No Python
// here: every call may run without the interpreter lock.
//
// Document is not thread-safe: Load fills its record lists, and each record's
// picture (DeferredPicture, DeferredBitmap) is decoded and kept on first use.
// A SharedDocument guards both: loads and whole-document work (the info JSON,
// the icon hash, copying a group) hold its gate alone; decoding one record's
// picture holds the gate shared and that record's own lock, so threads decode
// different records at once and the same record once. A record list, once
// loaded, never moves, so pointers to records stay valid until the document
// is closed; every use holds it (Hold()), so that closing it only lets it go
// once the uses in progress end.
#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "formats/Document.h"
#include "platform/Bitmap.h"
#include "platform/IconImage.h"
#include "platform/ReadError.h"

namespace gw::python {

// A picture that does not decode: where its bytes are in the file and why.
// The module raises it as grabwell.DecodeError.
struct DecodeFailure {
    ReadErrorKind kind = ReadErrorKind::Invalid;
    uint64_t offset = 0;
    std::string message;
};

// Why a path cannot be opened as a document: errno as open(2) and fstat(2)
// give it (EISDIR for a folder; 0 for something that is no regular file and
// has no errno of its own) and the text that goes with it.
struct OpenFailure {
    int error = 0;
    std::string message;
};
// Nullopt when path opens as a regular file.
std::optional<OpenFailure> WhyUnreadable(const std::string& path);

// Any use of a document after SharedDocument::Close(). The module raises it
// as ValueError, as Python does for a closed file.
struct DocumentClosed {};

class SharedDocument {
public:
    // The file at path (Document::Open: never fails; see Held::Readable()).
    static std::shared_ptr<SharedDocument> Open(const std::string& path);
    // Bytes read already (Document::OfBytes); name, "" for none, is the
    // file's name, whose extension takes part in the classification.
    static std::shared_ptr<SharedDocument> OfBytes(const std::string& name, Bytes bytes);
    explicit SharedDocument(std::shared_ptr<Document> doc);
    SharedDocument(const SharedDocument&) = delete;
    SharedDocument& operator=(const SharedDocument&) = delete;

    // The name it was opened under; kept after Close().
    const std::string& Path() const { return m_path; }

    // Lets the document go: every later Hold() throws DocumentClosed. A call
    // in progress keeps the document it holds until it ends, so closing
    // never pulls the records from under another thread; the file is
    // unmapped when the last such call ends. Closing again does nothing.
    void Close();
    bool Closed() const;

    class Held;
    // The document, held open for one call: the records reached through it
    // stay valid while the Held lives. Throws DocumentClosed after Close().
    Held Hold();

private:
    template <class Record>
    auto DecodeOnce(const Record& record);

    std::string m_path;
    mutable std::mutex m_docLock; // guards m_doc itself, never held during work
    std::shared_ptr<Document> m_doc;
    std::shared_mutex m_gate;
    std::array<std::mutex, 16> m_recordLocks; // by record address
};

class SharedDocument::Held {
public:
    // Fixed when it is opened: read without a lock.
    bool Readable() const { return m_doc->Readable(); }
    FileKind Kind() const { return m_doc->Kind(); }
    const FileCounts& Counts() const { return m_doc->Counts(); }

    // The records of a kind, read on the first call. That kind's lists in
    // what comes back stay valid and unchanged until the document is closed
    // (the errors and the other kinds' lists do not: read them by AllErrors
    // and Loaded of their own kind).
    const FileContents& Loaded(RecordKind kind);
    // Every record kind read, then all the damage found.
    std::vector<ReadError> AllErrors();

    // Runs work(document) with nothing else touching the document.
    template <class Work>
    auto Exclusive(Work work) {
        std::unique_lock lock(m_shared.m_gate);
        return work(*m_doc);
    }

    // A record's decoded picture (null when it does not decode), decoded on
    // the first call for that record.
    Handle Picture(const IconImage& image);
    Handle Picture(const CursorImage& image);
    std::shared_ptr<Bitmap> Picture(const BitmapRecord& bitmap);

    // Where bytes a record holds start in the file; 0 when they are not
    // the file's own (bytes the reader made).
    uint64_t OffsetOf(ByteView bytes) const;

private:
    friend class SharedDocument;
    Held(SharedDocument& shared, std::shared_ptr<Document> doc) : m_shared(shared), m_doc(std::move(doc)) {}

    SharedDocument& m_shared;
    std::shared_ptr<Document> m_doc;
};

// The pixels an icon or cursor image's PNG holds (IconImagePng): straight
// alpha 0xAARRGGBB, top row first; the image's own alpha when it has one,
// else opaque where its mask is clear. Empty when the picture is malformed.
std::vector<uint32_t> IconPixels(const DecodedImage& image);
// A bitmap's pixels with its alpha where it carries one (a 32-bit bitmap
// with any alpha that is not 0), else opaque.
std::vector<uint32_t> BitmapPixels(const Bitmap& bitmap);
// Straight-alpha 0xAARRGGBB values as R, G, B, A bytes.
std::string RgbaBytes(const std::vector<uint32_t>& argb);

// The colour depth a bitmap's pixel format stands for (1, 4, 8, 15, 16, 24,
// 32); 0 for the device-dependent and custom formats, which state none.
int PixelFormatBits(PixelFormat format);

} // namespace gw::python
