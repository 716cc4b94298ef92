#pragma once
// Icon Properties: one image of an icon group (or the group, from the Icon
// Workdesk) with its preview, format, size and the group's other formats.
#include "managers/gui/PropertySheet.h"

namespace gw {

class IconPropertiesSheet : public PropertySheet<IconGroup> {
public:
    explicit IconPropertiesSheet(QWidget* parent = nullptr)
        : PropertySheet({.objectName = "Form3", .caption = "Icon Properties", .valueLines = 3, .height = 381},
                        parent) {}
};

} // namespace gw
