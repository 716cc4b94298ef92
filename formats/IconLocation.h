#pragma once
// Icon locations as Windows writes them in shortcuts, registry values
// (DefaultIcon) and desktop.ini files: "FILE,INDEX", the icon group of a
// file that a Windows program would show.
#include <cstdint>
#include <optional>
#include <string>

#include "formats/FileContents.h"

namespace gw {

class Document;

struct IconLocation {
    std::string path;  // as written: a Windows path, maybe with %VARIABLES%
    int32_t index = 0; // see PickIconGroup
};

// Splits "FILE,INDEX": the index is the text after the last comma when that
// is an optional sign and decimal digits (or nothing: index 0), spaces
// around it and around the whole trimmed; after any other last comma, or
// without one, the whole text is the file and the index 0. Quotes around
// FILE are removed (a comma inside them separates nothing). nullopt when
// the file is empty, a quote is left open or stands inside the file, the
// index does not fit 32 bits, or the text is an indirect string
// ("@file,-id": a string resource, not an icon).
std::optional<IconLocation> ParseIconLocation(const std::string& text);

// The icon group an index picks among what a file holds, as Windows picks
// it: an index of 0 or more counts groups in the file's order (its
// resource order; a plain icon file's own group is index 0), a negative
// index picks the group whose numeric id is -index. Null when there is no
// such group, or the load left it empty (damage). contents must hold the
// file's icon groups (RecordKind::Icons loaded).
const IconGroup* PickIconGroup(const FileContents& contents, int32_t index);
// The same over a document, its icon groups loaded first.
const IconGroup* PickIconGroup(Document& file, int32_t index);

} // namespace gw
