#include "batch/core/GroupImages.h"

#include "pictures/IconToBitmap.h"

namespace gw {

bool GroupImage::HasData() const { return icon ? !icon->Data.empty() : !cursor->Data.empty(); }

bool GroupImage::Decodes() const { return icon ? bool(icon->Handle()) : bool(cursor->Handle()); }

Bytes GroupImage::AsImageFile(CursorDataForm form) const {
    return icon ? WriteIconImage(*icon) : WriteCursorImage(*cursor, form);
}

Bytes GroupImage::AsBitmapFile() const {
    const Handle& handle = icon ? icon->Handle() : cursor->Handle();
    if (!handle) return {};
    return IconImageAsBmp(*handle, icon ? icon->BitCount : cursor->BitCount);
}

namespace {

template <class Groups, class SetImage>
bool WalkGroups(const Groups& groups, const std::function<bool(const GroupImage&)>& visit, SetImage setImage) {
    for (size_t g = 0; g < groups.size(); ++g) {
        for (size_t i = 0; i < groups[g].Images.size(); ++i) {
            GroupImage ref;
            ref.group = g;
            ref.image = i;
            ref.groupName = &groups[g].Name;
            setImage(ref, groups[g].Images[i]);
            if (!visit(ref)) return false;
        }
    }
    return true;
}

} // namespace

bool ForEachGroupImage(const FileContents& contents, bool icons, bool cursors,
                       const std::function<bool(const GroupImage&)>& visit) {
    if (icons && !WalkGroups(contents.IconGroups, visit,
                             [](GroupImage& ref, const TAdvIconImage& im) { ref.icon = &im; }))
        return false;
    if (cursors && !WalkGroups(contents.CursorGroups, visit,
                               [](GroupImage& ref, const TAdvCursorImage& im) { ref.cursor = &im; }))
        return false;
    return true;
}

} // namespace gw
