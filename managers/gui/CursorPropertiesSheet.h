#pragma once
// Specific Cursor Properties: one image of a cursor group with its preview,
// format, hot spot, size and the group's other formats.
#include "managers/gui/PropertySheet.h"

namespace gw {

class CursorPropertiesSheet : public PropertySheet<CursorGroup> {
public:
    explicit CursorPropertiesSheet(QWidget* parent = nullptr)
        : PropertySheet(
              {.objectName = "Form10", .caption = "Specific Cursor Properties", .valueLines = 4, .height = 390},
              parent) {}
};

} // namespace gw
