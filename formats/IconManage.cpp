#include "formats/IconManage.h"

#include <algorithm>

#include "formats/FileKind.h"
#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr uint64_t kHeaderSize = 6;
constexpr uint64_t kEntrySize = 16;

ReadError HeaderError(ByteView file, uint16_t reserved, uint16_t type) {
    if (reserved != 0) return ReadError::Invalid(0, "Invalid icon resource header - Reserved <> 0", file.size());
    if (type != 1) return ReadError::Invalid(2, "Invalid icon resource header - Type <> 1", file.size());
    return ReadError::Invalid(4, "Invalid icon resource header - Count = 0", file.size());
}

} // namespace

void LoadIconFile(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner) {
    // The group goes into the first entry; make sure there is one.
    if (contents.IconGroups.empty()) contents.IconGroups.resize(1);
    ReadResult<IconGroup> read = ParseIconFile(file, owner);
    contents.IconGroups[0].Images = std::move(read.records.Images);
    contents.NoteError(read.error);
}

ReadResult<IconGroup> ParseIconFile(ByteView file, const std::shared_ptr<const void>& owner) {
    const LoadBudget budget(file.size());
    ReadResult<IconGroup> result;
    IconGroup& group = result.records;

    ByteReader r(file);
    const uint16_t reserved = r.u16(), type = r.u16(), count = r.u16();
    if (!r.ok()) {
        result.Note(ReadError::Truncated(0, "the icon file header", kHeaderSize, file.size()));
        return result;
    }
    if (reserved != 0 || type != 1 || count == 0) {
        result.Note(HeaderError(file, reserved, type));
        return result;
    }
    // The directory must be read whole before any image; a count larger than
    // the directory the file holds ends the read with no images.
    if (!r.has(uint64_t(count) * kEntrySize)) {
        result.Note(ReadError::Truncated(kHeaderSize, "a directory of " + GroupedNumber(count) + " " + CountNoun(count, "entry", "entries"),
                                         uint64_t(count) * kEntrySize, file.size()));
        return result;
    }
    group.Images.assign(count, IconImage{});
    for (auto& im : group.Images) {
        ReadIconEntryHead(im, r);
        im.ImageOffset = r.u32();
    }
    for (size_t j = 0; j < group.Images.size(); ++j) {
        IconImage& im = group.Images[j];
        const std::string what = "image " + std::to_string(j);
        // The image runs past the end of the file, or entries keep naming the
        // same bytes until the load's budget is spent: the read ends here and
        // the group keeps the images read before it.
        if (!InBounds(im.ImageOffset, im.BytesInRes, file.size()))
            result.Note(ReadError::Truncated(im.ImageOffset, what, im.BytesInRes, file.size()));
        else if (!owner && !SpendLoadBudget(im.BytesInRes))
            result.Note(ReadError::OverBudget(kHeaderSize + j * kEntrySize, what, file.size()));
        if (result.error) {
            group.Images.resize(j);
            result.stoppedAt = j;
            return result;
        }
        im.Data = SharedBytes(owner, file.subspan(im.ImageOffset, im.BytesInRes));
        im.Picture.Defer(true, im.Width, im.Height);
    }
    return result;
}

} // namespace gw
