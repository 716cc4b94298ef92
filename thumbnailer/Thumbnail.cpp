#include "thumbnailer/Thumbnail.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "formats/AniFile.h"
#include "formats/CursorManage.h"
#include "formats/FileContents.h"
#include "formats/FileKinds.h"
#include "formats/IconLocation.h"
#include "formats/Shortcut.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/Document.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"
#include "pictures/IconExtract.h"
#include "pictures/FirstPeGroup.h"
#include "platform/FileIo.h"
#include "platform/IconImage.h"
#include "platform/LoadBudget.h"
#include "platform/PngEncode.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

constexpr uint16_t kIconFileType = 1;
constexpr uint16_t kCursorFileType = 2;
constexpr uint64_t kIconDirHeaderSize = 6;
// How many images of the group are tried before giving up: a hostile group
// of thousands of images that do not decode costs a bounded time.
constexpr int kMaxImagesTried = 16;

// One image of the group the thumbnail is made from: the size it is drawn at
// and its bytes (a view of the file's bytes or of bytes the group keeps).
// Empty bytes: the image is not in the file.
struct Candidate {
    ImageChoice choice;
    ByteView bytes;
};

// The first group, read through the loaders. The groups keep any bytes of
// their own alive; views of the file are kept alive by its owner.
struct FirstGroup {
    std::vector<Candidate> images;
    IconGroup icons;
    CursorGroup cursors;
    std::string why; // set when there is no group
};

void AddIconImages(FirstGroup& out) {
    const std::vector<ImageChoice> choices = ChoicesOf(out.icons);
    for (size_t j = 0; j < choices.size(); ++j) {
        const IconImage& im = out.icons.Images[j];
        out.images.push_back({choices[j], im.Missing ? ByteView{} : im.Data.view()});
    }
}

// A 32-bit executable: the first group in directory order, the order the
// explorer lists, and only the directory entries and image bytes it names.
// The resource directory is read here unless the opened file has read it.
void FirstPeGroup(ByteView file, const ResourceModule* opened, FirstGroup& out) {
    std::string error;
    std::unique_ptr<ResourceModule> own;
    if (!opened) {
        own = ResourceModule::FromBytes(file, &error);
        opened = own.get();
    }
    if (!opened) {
        out.why = error.empty() ? "not a readable executable" : error;
        return;
    }
    const std::optional<FirstGroupImages> group = FirstPeGroupImages(*opened);
    if (!group) {
        out.why = "the file holds no icons";
        return;
    }
    const std::vector<ImageChoice> choices = ChoicesOf(group->directory);
    for (size_t j = 0; j < choices.size(); ++j)
        out.images.push_back({choices[j], group->bytes[j] ? *group->bytes[j] : ByteView{}});
}

FirstGroup ReadFirstGroup(ThumbnailSource source, const std::string& name, ByteView file,
                          const std::shared_ptr<const void>& owner, const ResourceModule* module) {
    FirstGroup out;
    switch (source) {
    case ThumbnailSource::Executable:
        switch (GetFileKindOfBytes(std::string(), file)) {
        case FileKind::Pe: FirstPeGroup(file, module, out); break;
        case FileKind::Ne: {
            if (CountNEIconGroups(file) < 1) {
                out.why = "the file holds no icons";
                break;
            }
            auto read = ParseNeIconGroups(file, name, 1, owner);
            if (!read.records.empty()) out.icons = std::move(read.records.front());
            AddIconImages(out);
            break;
        }
        default: out.why = "not a Windows executable with resources"; break;
        }
        break;
    case ThumbnailSource::ResourceFile: {
        if (CountResEntries(file, RT_GROUP_ICON) < 1) {
            out.why = "the file holds no icons";
            break;
        }
        auto read = ParseResIconGroups(file, 1, owner);
        if (!read.records.empty()) out.icons = std::move(read.records.front());
        AddIconImages(out);
        break;
    }
    case ThumbnailSource::IconFile:
        out.icons = ParseIconFile(file, owner).records;
        AddIconImages(out);
        break;
    case ThumbnailSource::CursorFile:
        // The images of a cursor file are bitmaps without the hot-spot
        // prefix of a cursor resource; their sizes are the images' own
        // (the stored bitmap height being twice the cursor's).
        out.cursors = ParseCursorFile(file, owner).records;
        for (const CursorImage& im : out.cursors.Images)
            out.images.push_back({{im.Width, im.Height / 2, im.BitCount}, im.Data.view()});
        break;
    case ThumbnailSource::AnimatedCursor: {
        // The first step's frame, its images as a cursor file's.
        ReadResult<AnimatedCursor> read = ParseAniFile(file, owner);
        if (const AnimationFrame* first = FirstStepFrame(read.records)) {
            out.cursors = first->Images;
            for (const CursorImage& im : out.cursors.Images)
                out.images.push_back({{im.Width, im.Height / 2, im.BitCount}, im.Data.view()});
        }
        break;
    }
    case ThumbnailSource::Unknown: {
        // Any other kind whose reader reads icon groups: its first group.
        std::unique_ptr<KindReader> reader = ClassifyFile(name, file).open(OpenedFile{name, file, owner});
        std::vector<ReadError> noted;
        FileContents contents;
        contents.IconGroupCount = std::min(reader->Count(noted).iconGroups, 1);
        if (contents.IconGroupCount < 1) {
            out.why = "not a file that holds icons";
            break;
        }
        contents.IconGroups.resize(1);
        reader->Read(RecordKind::Icons, std::nullopt, contents);
        out.icons = std::move(contents.IconGroups[0]);
        AddIconImages(out);
        break;
    }
    }
    if (out.why.empty() && out.images.empty()) out.why = "the first icon holds no images";
    return out;
}

// width x height made to fit a box of boxWidth x boxHeight keeping its
// aspect; a size that fits already stays as it is.
std::pair<int, int> FitWithin(int width, int height, int boxWidth, int boxHeight) {
    if (width <= boxWidth && height <= boxHeight) return {width, height};
    const double scale = std::min(double(boxWidth) / width, double(boxHeight) / height);
    const int w = std::clamp(int(std::lround(width * scale)), 1, boxWidth);
    const int h = std::clamp(int(std::lround(height * scale)), 1, boxHeight);
    return {w, h};
}

Handle Decode(ByteView bytes, int width, int height) {
    return DecodeIconImage(bytes, true, width, height);
}

Bytes PngOf(const Handle& image) { return image ? IconImagePng(*image) : Bytes{}; }

// The picture of one image at its drawn size fitted within size x size,
// never larger than its stored pixels: one decode when the entry states its
// size truly. A PNG image drawn at its stored size is its own bytes. Empty
// when it does not decode.
Bytes CandidatePng(const Candidate& c, int size) {
    if (c.bytes.empty() || c.choice.width <= 0 || c.choice.height <= 0) return {};
    const auto [tw, th] = FitWithin(c.choice.width, c.choice.height, size, size);
    Handle image = Decode(c.bytes, tw, th);
    if (!image) return {};
    const int sw = image->storedWidth, sh = image->storedHeight;
    if (sw == tw && sh == th && image->fromPng) return Bytes(c.bytes.begin(), c.bytes.end());
    if (sw >= tw && sh >= th) return PngOf(image);
    // The entry states more pixels than the image has: draw it at its own
    // size (within the box), not scaled up.
    const auto [fw, fh] = FitWithin(sw, sh, tw, th);
    if (fw == sw && fh == sh && image->fromPng) return Bytes(c.bytes.begin(), c.bytes.end());
    return PngOf(Decode(c.bytes, fw, fh));
}

} // namespace

ThumbnailSource ThumbnailSourceOf(const std::string& name, ByteView bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z') return ThumbnailSource::Executable;
    if (bytes.size() >= kIconDirHeaderSize && PeekU16(bytes, 0) == 0 && PeekU16(bytes, 4) > 0) {
        const uint16_t type = PeekU16(bytes, 2);
        if (type == kIconFileType) return ThumbnailSource::IconFile;
        if (type == kCursorFileType) return ThumbnailSource::CursorFile;
    }
    if (IsAniData(bytes)) return ThumbnailSource::AnimatedCursor;
    if (IsRes32(bytes) || IsResourceFileName(name)) return ThumbnailSource::ResourceFile;
    return ThumbnailSource::Unknown;
}

namespace {

// The best image of a group for the size that decodes, as a PNG file.
std::optional<Bytes> BestPng(FirstGroup& group, int size, std::string* why) {
    std::vector<Candidate>& left = group.images;
    for (int tried = 0; tried < kMaxImagesTried && !left.empty(); ++tried) {
        std::vector<ImageChoice> choices;
        for (const Candidate& c : left) choices.push_back(c.choice);
        const int best = LargestImageWithin(choices, size);
        Bytes png = CandidatePng(left[size_t(best)], size);
        if (!png.empty()) return png;
        left.erase(left.begin() + best);
    }
    if (why) *why = "no image of the first icon decodes";
    return std::nullopt;
}

// With an owner that keeps bytes alive, the groups' images are views of them.
std::optional<Bytes> MakeThumbnail(const std::string& name, ByteView bytes, const std::shared_ptr<const void>& owner,
                                   const ResourceModule* module, int size, std::string* why) {
    auto fail = [&](std::string text) -> std::optional<Bytes> {
        if (why) *why = std::move(text);
        return std::nullopt;
    };
    if (size < 1 || size > kMaxThumbnailSize) return fail("the size is not between 1 and 4096");
    try {
        // Reading and decoding draw from one budget that grows with the
        // file, as a load does.
        const LoadBudget budget(bytes.size());
        FirstGroup group = ReadFirstGroup(ThumbnailSourceOf(name, bytes), name, bytes, owner, module);
        if (!group.why.empty()) return fail(group.why);
        return BestPng(group, size, why);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}

// The icon a shortcut shows: the group its icon location picks (the first
// for index 0), else the first of its target. A shortcut's icon is never
// taken from another shortcut.
std::optional<Bytes> ShortcutThumbnail(const std::string& path, ByteView bytes, int size, std::string* why) {
    const Shortcut shortcut = ReadShortcut(path, bytes);
    if (shortcut.iconFile.empty()) {
        if (why) *why = "the shortcut names no icon and no target that can be found from here";
        return std::nullopt;
    }
    const auto file = Document::Open(shortcut.iconFile);
    if (!file->Readable() || file->Kind() == FileKind::Shortcut) {
        if (why) *why = "its icon's file \"" + shortcut.iconFile + "\" cannot be read";
        return std::nullopt;
    }
    if (shortcut.iconIndex == 0)
        return MakeThumbnail(shortcut.iconFile, file->Bytes(), file->Owner(), ModuleOf(*file, RecordKind::Icons), size,
                             why);
    try {
        const LoadBudget budget(file->Bytes().size());
        FirstGroup group;
        if (const IconGroup* picked = PickIconGroup(*file, shortcut.iconIndex)) {
            group.icons = *picked;
            AddIconImages(group);
        }
        if (group.images.empty()) {
            if (why) *why = "\"" + shortcut.iconFile + "\" holds no icon " + std::to_string(shortcut.iconIndex);
            return std::nullopt;
        }
        return BestPng(group, size, why);
    } catch (const std::bad_alloc&) {
        if (why) *why = "out of memory";
        return std::nullopt;
    }
}

} // namespace

std::optional<Bytes> ThumbnailPngOfBytes(const std::string& name, ByteView bytes, int size, std::string* why) {
    return MakeThumbnail(name, bytes, nullptr, nullptr, size, why);
}

std::optional<Bytes> ThumbnailPng(const std::string& path, int size, std::string* why) {
    const auto file = Document::Open(path);
    if (!file->Readable()) {
        if (why) *why = NothingShownReason(*file, "cannot be read");
        return std::nullopt;
    }
    if (file->Kind() == FileKind::Shortcut) return ShortcutThumbnail(path, file->Bytes(), size, why);
    // A language-neutral library's icons are read from its resource file.
    return MakeThumbnail(path, file->Bytes(), file->Owner(), ModuleOf(*file, RecordKind::Icons), size, why);
}

} // namespace gw
