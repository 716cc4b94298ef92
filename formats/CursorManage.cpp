#include "formats/CursorManage.h"

#include <algorithm>

#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr uint64_t kHeaderSize = 6;
constexpr uint64_t kEntrySize = 16;

// The first entry of the list, named after the file.
CursorGroup& NamedFileGroup(FileContents& contents, const std::string& fileName) {
    contents.CursorGroupCount = 1;
    contents.CursorGroups.assign(1, CursorGroup{});
    CursorGroup& group = contents.CursorGroups[0];
    group.Name = NameBeforeFirstDot(fileName);
    group.Named = true;
    return group;
}

} // namespace

ReadResult<CursorGroup> ParseCursorFile(ByteView file, const std::shared_ptr<const void>& owner) {
    const LoadBudget budget(file.size());
    ReadResult<CursorGroup> result;
    CursorGroup& group = result.records;
    ByteReader r(file);
    r.u16();
    r.u16();
    const uint16_t count = r.u16();
    if (!r.ok()) {
        result.Note(ReadError::Truncated(0, "the cursor file header", kHeaderSize, file.size()));
        return result;
    }
    // The group holds exactly the images read, so a damaged file leaves a
    // group that can be shown and written back as it is. Images are added as their entries are read, so a count the file cannot
    // hold never becomes an allocation.
    group.Images.reserve(std::min<uint64_t>(count, r.remaining() / kEntrySize));
    for (uint16_t j = 0; j < count; ++j) {
        const uint64_t entryAt = r.pos();
        ByteReader entry = r;
        entry.skip(4);
        const uint16_t hotX = entry.u16(), hotY = entry.u16();
        const uint32_t size = entry.u32(), offset = entry.u32();
        const std::string what = "image " + std::to_string(j);
        // Entries that keep naming the same bytes end the read once the
        // load's budget is spent, as a damaged entry does.
        if (!entry.ok())
            result.Note(ReadError::Truncated(entryAt, "the entry of " + what, kEntrySize, file.size()));
        else if (!InBounds(offset, size, file.size()))
            result.Note(ReadError::Truncated(offset, what, size, file.size()));
        else if (!owner && !SpendLoadBudget(size))
            result.Note(ReadError::OverBudget(entryAt, what, file.size()));
        if (result.error) {
            result.stoppedAt = j;
            return result;
        }
        r = entry;
        CursorImage im;
        im.ResId = j;
        im.BytesInRes = size;
        im.HotspotX = hotX;
        im.HotspotY = hotY;
        const ByteView bytes = file.subspan(offset, size);
        im.Data = SharedBytes(owner, bytes);
        ApplyCursorImageSize(im, bytes);
        im.Picture.Defer(true, im.Width, im.Height / 2);
        group.Images.push_back(std::move(im));
    }
    return result;
}

void LoadCursorFile(FileContents& contents, ByteView file, const std::string& fileName,
                    const std::shared_ptr<const void>& owner) {
    CursorGroup& group = NamedFileGroup(contents, fileName);
    ReadResult<CursorGroup> read = ParseCursorFile(file, owner);
    group.Images = std::move(read.records.Images);
    contents.NoteError(read.error);
}

} // namespace gw
