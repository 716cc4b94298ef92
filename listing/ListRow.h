#pragma once
// One row of a folder listing, without its picture: what the explorer's file
// list shows in its columns and what the batch commands walk. The picture of
// row n is picture n of a scan that draws pictures (pictures/RowPicture.h);
// the explorer's list makes it only when it draws the row
// (explorer/core/RowPictures.h). A row holds values; the texts of its
// columns are made from them when the list draws them.
#include <optional>
#include <string>

#include "formats/FileKind.h"
#include "platform/ReadError.h"

namespace gw {

struct ListRow {
    int imageIndex = 0;  // the row number in the order the scan added rows
    std::string caption; // the name exactly as the folder listing gave it
    // What the scan listed the file as: Icon, Cursor, Bitmap or
    // AnimatedCursor for an image file, Pe or Ne for an executable or
    // library, Resource for a compiled resource file. Empty for a sub-folder.
    std::optional<FileKind> kind;
    // The objects of the category's kind the file holds (1 for an image
    // file); 0 for a sub-folder.
    int count = 0;
    // The first damage the scan found reading the file, when it found any: a
    // file whose damage hides its objects is listed with it rather than
    // left out, and one with objects and damage shows both.
    std::optional<ReadError> damage;
    // What an executable or library says it is (its version information's
    // FileDescription), for the list's "Description" column; empty otherwise.
    std::string description;

    bool IsFolder() const { return !kind.has_value(); }
};

// Column "Type": "Icon", "Bitmap", "Cursor", "Animated Cursor", "Resource
// File", or an executable's or library's type by its extension ("File
// Extension" for ".dll", "Library" for ".icl" ...); empty for a folder.
std::string RowTypeText(const ListRow& row);

// Column "Objects": the count in decimal; empty for a folder.
std::string RowCountText(const ListRow& row);

// The type text of an executable or library by its lower-cased extension
// (".dll" -> "File Extension"); withLibraries accepts ".icl" and ".cpl" as
// "Library". Empty when the extension is not accepted.
std::string ContainerTypeText(const std::string& lowerExtension, bool withLibraries);

} // namespace gw
