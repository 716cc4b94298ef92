#pragma once
// The reader of one kind of file, as the document drives it: made over the
// file's bytes when the document is opened (or read again as another
// kind), it counts what the file holds from its headers alone, then reads
// one kind of record at a time on demand, and the version information.
// Each kind's row in the kind table (formats/FileKinds.h) says how to make
// its reader.
#include <cstdint>
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

class Document;
class ResourceModule;

// The file a reader is made over: its path (the name takes part in naming
// records) and its bytes, kept alive by owner for records that hold views.
struct OpenedFile {
    std::string path;
    ByteView bytes;
    std::shared_ptr<const void> owner;
};

class KindReader {
public:
    virtual ~KindReader() = default;
    // What the file holds, from its headers and directories alone; damage
    // the counting found goes to counts.damage and, with any more of it, to
    // noted (each noted in the document's damage).
    virtual FileCounts Count(std::vector<ReadError>& noted) = 0;
    // Reads every record of a kind into contents (whose list of that kind
    // is already sized to the count), noting damage there.
    virtual void Read(RecordKind kind, std::optional<uint16_t> language, FileContents& contents) = 0;
    // The file's version information; none for kinds that hold none.
    virtual ReadResult<std::optional<VersionInfo>> Version(std::optional<uint16_t> language) { return {}; }
    // The file's resource directory; null for files that have none (only
    // 32-bit executables have one).
    virtual const ResourceModule* Module() const { return nullptr; }
    // The resource directory a kind of record is read from: another file's
    // when ResourcesFrom() holds that kind, else Module().
    virtual const ResourceModule* ModuleOf(RecordKind kind) const { return Module(); }
    // The file records are read from instead of this one, when another holds
    // them (a language-neutral library's resource file), else "".
    virtual const std::string& ResourcesFrom() const {
        static const std::string none;
        return none;
    }
};

// The reader a document drives (null before it is opened): for Grabwell's
// own tools, which reach a 32-bit file's resource directory through it. The
// public document keeps it opaque.
const KindReader* ReaderOf(const Document& document);
// The resource directory a kind of a document's records is read from (see
// KindReader::ModuleOf); null for kinds of file without one.
const ResourceModule* ModuleOf(const Document& document, RecordKind kind);

} // namespace gw
