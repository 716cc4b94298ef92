#pragma once
// The kinds of file Grabwell reads; formats/FileKinds.h has a row for each.
#include <cstdint>
#include <string>

#include "formats/ResTypes.h"
#include "platform/ByteReader.h"

namespace gw {

// What a file is, which decides the reader that runs (TFileKind, with the
// resource and animated cursor files beside the executables).
enum class FileKind : uint8_t {
    Icon,
    Cursor,
    Bitmap,
    Ne,
    Pe,
    Resource,
    NonExecutable,
    AnimatedCursor, // after the others: their numbers do not move
    IconFamily,     // an .icns file: one icon in many sizes
    Shortcut,       // a Windows shortcut (.lnk)
};

const char* FileKindText(FileKind kind); // "Icon File", "Cursor File", ...
// The text the workdesks show for a kind: "Icon File", "NE File", "PE File",
// "Non Executable"; empty for the kinds that have none.
const char* DeskKindText(FileKind kind);

// Classifies a file's bytes (the name gives the extension): an icon or
// cursor file, an NE or PE executable, or FileKind::NonExecutable.
FileKind GetFileKindOfBytes(const std::string& name, ByteView bytes);

} // namespace gw
