#pragma once
// The picture of a listed row, made when the list draws the row rather than
// when the folder is read: the explorer keeps the rows of a scan without
// their pictures and makes those of the rows in view, so a folder of many
// thousands of files costs a few hundred bytes a row instead of the
// pictures of all of them.
#include <string>

#include "listing/Categories.h"
#include "listing/ListRow.h"
#include "pictures/RowPicture.h"

namespace gw {

// The picture the category's scan of folder gives row: a sub-folder's or a
// resource file's desktop icon, the first icon of an icon file or
// executable (for an executable whose icons do not draw, the program's
// own), a bitmap's thumbnail, the image of a cursor or of an animation's
// first step. Read from the file again; a file that no longer draws gets an
// empty tile.
RowPicture RowPictureOf(const std::string& folder, Category category, const ListRow& row);

} // namespace gw
