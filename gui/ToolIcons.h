#pragma once
// The pictures of the explorer's and the workdesks' tool bar buttons and the program's own
// icon. The button glyphs are drawn in code so that they look the same under
// every desktop theme; the program icon is shipped under resources/icons/.
#include <QIcon>

class QString;
class QToolButton;

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

// A flat tool button with a glyph; the hint is its tool tip, and its status
// tip on one line. iconSize 0 leaves the tool bar's own size.
QToolButton* SpeedButton(const char* name, ToolGlyph glyph, const QString& hint, bool checkable = false,
                         int iconSize = 0);

// The program's own icon (window icon, About box, and the picture of an
// executable without icons of its own in the cursor and bitmap lists).
QIcon AppIcon();

} // namespace gw
