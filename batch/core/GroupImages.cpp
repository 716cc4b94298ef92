#include "batch/core/GroupImages.h"

#include <algorithm>

#include "pictures/IconToBitmap.h"
#include "platform/PngEncode.h"

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

Bytes GroupImage::AsPngFile(CursorDataForm form) const {
    // The image's own bytes: a cursor resource's start after its hot-spot prefix.
    ByteView data = icon ? ByteView(icon->Data) : ByteView(cursor->Data);
    uint64_t size = icon ? icon->BytesInRes : cursor->BytesInRes;
    if (cursor && form == CursorDataForm::Resource) {
        data = data.size() > kHotspotPrefix ? data.subspan(kHotspotPrefix) : ByteView{};
        size = size > kHotspotPrefix ? size - kHotspotPrefix : 0;
    }
    if (IsPngData(data)) return Bytes(data.begin(), data.begin() + ptrdiff_t(std::min<uint64_t>(data.size(), size)));
    const Handle& handle = icon ? icon->Handle() : cursor->Handle();
    return handle ? IconImagePng(*handle) : Bytes{};
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
                             [](GroupImage& ref, const IconImage& im) { ref.icon = &im; }))
        return false;
    if (cursors && !WalkGroups(contents.CursorGroups, visit,
                               [](GroupImage& ref, const CursorImage& im) { ref.cursor = &im; }))
        return false;
    return true;
}

} // namespace gw
