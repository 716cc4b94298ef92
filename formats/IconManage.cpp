#include "formats/IconManage.h"

#include "formats/IconFormat.h"
#include "formats/NeResources.h"
#include "formats/PeResources.h"
#include "platform/FileIo.h"
#include "platform/LoadBudget.h"

namespace gw {

uint8_t LoadIcons(CommonData& cd, const std::string& path, TFileKind kind) {
    cd.LastError.clear();
    switch (kind) {
    case fkIconFile: return ReadIconFile(cd, path);
    case fkNEFile: return LoadIconsNE(cd, path);
    case fkPEFile: return LoadIconsPE(cd, path);
    default: return 0;
    }
}

uint8_t ReadIconFile(CommonData& cd, const std::string& path) {
    MappedFile file;
    if (!OpenCheckedFile(file, path)) {
        cd.LastError = file.IsOpen() ? "Invalid icon file \"" + path + "\": too short" : file.error();
        return 1;
    }
    return ReadIconFileBytes(cd, file.bytes());
}

uint8_t ReadIconFileBytes(CommonData& cd, ByteView file) {
    const LoadBudget budget(file.size());
    // The caller sizes the list to one entry; make sure there is one.
    if (cd.IconGroups.empty()) cd.IconGroups.resize(1);
    TAdvIconGroupList& group = cd.IconGroups[0];

    ByteReader r(file);
    const uint16_t reserved = r.u16(), type = r.u16(), count = r.u16();
    if (!r.ok()) {
        cd.LastError = "Stream read error";
        return 1;
    }
    if (reserved != 0) { cd.LastError = "Invalid icon resource header - Reserved <> 0"; return 1; }
    if (type != 1) { cd.LastError = "Invalid icon resource header - Type <> 1"; return 1; }
    if (count == 0) { cd.LastError = "Invalid icon resource header - Count = 0"; return 1; }

    // The directory must be read whole before any image; a count larger than
    // the directory the file holds ends the read with no images.
    if (!r.has(uint64_t(count) * 16)) {
        cd.LastError = "Stream read error";
        group.ImageCount = 0;
        group.Images.clear();
        return 1;
    }
    group.ImageCount = count;
    group.Images.assign(count, TAdvIconImage{});
    for (auto& im : group.Images) {
        ReadIconEntryHead(im, r);
        im.ImageOffset = r.u32();
    }
    for (size_t j = 0; j < group.Images.size(); ++j) {
        TAdvIconImage& im = group.Images[j];
        if (!InBounds(im.ImageOffset, im.BytesInRes, file.size()) || !SpendLoadBudget(im.BytesInRes)) {
            // The image runs past the end of the file, or entries keep naming
            // the same bytes until the load's budget is spent: the read ends
            // here and the group keeps the images read before it.
            cd.LastError = "Stream read error";
            group.Images.resize(j);
            group.ImageCount = uint16_t(j);
            return 1;
        }
        ByteView bytes = file.subspan(im.ImageOffset, im.BytesInRes);
        im.Data.assign(bytes.begin(), bytes.end());
        im.Handle = CreateIconFromResourceEx(bytes, true, kIconVersion, im.Width, im.Height, 0);
    }
    return 0;
}

} // namespace gw
