#pragma once
// The pictures of the explorer's and the workdesks' tool bar buttons and the program's own
// icon. The button glyphs are drawn in code so that they look the same under
// every desktop theme; the program icon is shipped under resources/icons/.
#include <QIcon>

namespace gw {

enum class ToolGlyph {
    FolderPanel,
    ParentFolder,
    LargeIcons,
    SmallIcons,
    List,
    Details,
    ExtractAll,
    SaveAllBitmaps,
    // The workdesks' own.
    Exit,
    SpecificView,
    RawView,
    SaveOne,
    SaveAll,
    ExtractImages,
    ConvertImages,
    OpenManager,
};

QIcon ToolIcon(ToolGlyph glyph);

// The program's own icon (window icon, About box, and the picture of an
// executable without icons of its own in the cursor and bitmap lists).
QIcon AppIcon();

} // namespace gw
