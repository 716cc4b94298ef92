#pragma once
// What `grabwell-cli info --json` says of a file, as a JSON object: path,
// kind, counts, damage, groups with their images, bitmaps and animated
// cursors; optionally whether each image decodes and the fingerprints of
// the file's icon. The command line and the Python module both build it
// here, so they say the same thing of the same file.
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "batch/core/JsonLine.h"
#include "formats/Document.h"
#include "formats/Shortcut.h"

namespace gw {

struct InfoOptions {
    // Decode every image and say whether it decodes ("decoded" on each image).
    bool decode = false;
    // Add "icon_hash": {"raw_md5", "ico_md5", "dhash"} (IconHashOf), or null
    // when the file has no icon.
    bool hash = false;
    // Threads that may decode the images of one file at once (with decode):
    // a library of hundreds of images is then not decoded on one thread.
    unsigned decodeThreads = 1;
};

// The compact one-line JSON text info --json prints for the file at path (the
// name shown; doc is that file opened), without the newline. Loads every
// record kind (LoadAll). A path that is not UTF-8 shows U+FFFD and adds
// "path_hex" with its exact bytes. An unreadable document gives its object
// too: no records and its io error under "errors". Groups, bitmaps and
// animations held in more than one language, or in one other than neutral,
// carry "language" and "languages"; a library whose images come from its
// resource file (Document::ResourcesFrom) has "resources_from".
std::string InfoJsonLine(const std::string& path, Document& doc, InfoOptions options);

// The same as a JSON value, for callers that print it some other way.
nlohmann::json InfoJsonObject(const std::string& path, Document& doc, InfoOptions options);

// What info --counts --json says: the path, kind, counts and damage. The
// counts come from the headers; the records are read, not decoded, so the
// damage is what InfoJsonObject finds (options.decode is ignored).
std::string CountsJsonLine(const std::string& path, Document& doc, InfoOptions options);
nlohmann::json CountsJsonObject(const std::string& path, Document& doc, InfoOptions options);

// What info --json says of a Windows shortcut (.lnk): "kind": "Shortcut",
// its target, arguments, working folder, description and icon location as
// stored (Windows paths) and as Linux paths in the shortcut's Wine prefix,
// the prefix, and its damage under "errors".
nlohmann::json ShortcutJsonObject(const Shortcut& shortcut);

} // namespace gw
