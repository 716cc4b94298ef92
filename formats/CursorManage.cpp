#include "formats/CursorManage.h"

#include "formats/IconFormat.h"
#include "formats/NeResources.h"
#include "formats/PeResources.h"
#include "platform/FileIo.h"
#include "platform/LoadBudget.h"

namespace gw {

uint8_t LoadCursors(CommonData& cd, TFileKind kind) {
    cd.LastError.clear();
    switch (kind) {
    case fkNEFile: return LoadCursorsNE(cd);
    case fkPEFile: return LoadCursorsPE(cd, cd.SelFilePath);
    default: return 0;
    }
}

std::string LoadCursorFile(CommonData& cd) {
    MappedFile file;
    if (!file.Open(cd.SelFilePath)) {
        cd.CursorGroupCount = 1;
        cd.CursorGroups.assign(1, TAdvCursorGroupList{});
        cd.CursorGroups[0].Name = NameBeforeFirstDot(cd.SelFileName);
        cd.CursorName = cd.CursorGroups[0].Name;
        cd.CursorGroups[0].IsNamed = 1;
        return cd.LastError = file.error();
    }
    return LoadCursorFileBytes(cd, file.bytes());
}

std::string LoadCursorFileBytes(CommonData& cd, ByteView file) {
    const LoadBudget budget(file.size());
    cd.LastError.clear();
    cd.CursorGroupCount = 1;
    cd.CursorGroups.assign(1, TAdvCursorGroupList{});
    TAdvCursorGroupList& group = cd.CursorGroups[0];
    group.Name = NameBeforeFirstDot(cd.SelFileName);
    cd.CursorName = group.Name;
    group.IsNamed = 1;

    const std::string readError = "Stream read error in \"" + cd.SelFileName + "\"";
    ByteReader r(file);
    r.u16();
    r.u16();
    const uint16_t count = r.u16();
    if (!r.ok()) return cd.LastError = readError;
    // ImageCount always equals the number of images read, so a damaged file
    // leaves a group that can be shown and written back as it is.
    // Images are added as their entries are read, so a count the file cannot
    // hold never becomes an allocation.
    group.Images.reserve(std::min<uint64_t>(count, r.remaining() / 16));
    for (uint16_t j = 0; j < count; ++j) {
        ByteReader entry = r;
        entry.skip(4);
        const uint16_t hotX = entry.u16(), hotY = entry.u16();
        const uint32_t size = entry.u32(), offset = entry.u32();
        // Entries that keep naming the same bytes end the read once the
        // load's budget is spent, as a damaged entry does.
        if (!entry.ok() || !InBounds(offset, size, file.size()) || !SpendLoadBudget(size))
            return cd.LastError = readError;
        r = entry;
        TAdvCursorImage im;
        im.ResId = j;
        im.BytesInRes = size;
        im.HotspotX = hotX;
        im.HotspotY = hotY;
        ByteView bytes = file.subspan(offset, size);
        im.Data.assign(bytes.begin(), bytes.end());
        ApplyCursorImageSize(im, bytes);
        im.Handle = CreateIconFromResourceEx(bytes, true, kIconVersion, im.Width, im.Height / 2, 0);
        group.Images.push_back(std::move(im));
        group.ImageCount = uint16_t(group.Images.size());
    }
    return {};
}

} // namespace gw
