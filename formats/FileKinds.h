#pragma once
// The kind table: every kind of file Grabwell reads is one row, saying how
// the kind is recognised, its reader, its texts, its extensions, its MIME
// type and how the explorer lists it. Classification, the document, the
// listing, the thumbnailer, the JSON and the Python module read the table;
// a new kind is a reader and a row.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formats/FileKind.h"
#include "formats/KindReader.h"
#include "platform/ByteReader.h"

namespace gw {

// How the explorer lists a kind's files.
enum class FileListing : uint8_t {
    None,      // in no listing
    Alone,     // a file that is one object (an .ico among the icons), opened in that object's manager
    Holder,    // a file holding objects, counted in the "... Files" listings and opened in a workdesk
    Resources, // a compiled resource file, in the "... Resources" listings
};

struct FileKindRow {
    FileKind kind;
    const char* text;     // the kind in words: "Icon File", "PE File", ...
    const char* deskText; // what the workdesks show of it: "Icon File", "NE File", ...; "" for none
    const char* rowType;  // the explorer's Type column; null: the type its extension names
    // The lower-case extensions that name the kind (".ico"), space-separated;
    // "" for kinds told by their bytes whatever their name (the listing's
    // type texts name the extensions of programs).
    const char* extensions;
    // Whether the extension alone decides: a file with one of them is this
    // kind when recognise says so, and of no kind otherwise, whatever else
    // its bytes look like.
    bool byExtension;
    const char* mimeTypes; // its MIME types, ';'-separated as desktop files list them; "" for none
    FileListing listing;
    RecordKind holds;     // the objects an Alone file is
    bool program;         // an executable or library: it runs, and has a description
    // Whether the bytes (and the name) are this kind's; null never matches
    // (the fallback row).
    bool (*recognise)(const std::string& path, ByteView bytes);
    std::unique_ptr<KindReader> (*open)(const OpenedFile& file);
};

// Every row, in the order classification asks them.
std::span<const FileKindRow> FileKindRows();
const FileKindRow& RowOf(FileKind kind);

// The kind of a file from its name and bytes: the row its extension decides,
// else the first row whose bytes match, else FileKind::NonExecutable.
const FileKindRow& ClassifyFile(const std::string& path, ByteView bytes);

// The row whose extensions name the file (whether or not they decide its
// kind); null when none does.
const FileKindRow* RowNamedBy(const std::string& path);

// A kind whose files are programs or libraries (they run; they have a
// description and version information).
inline bool IsProgramKind(FileKind kind) { return RowOf(kind).program; }

} // namespace gw
