#include "batch/core/GroupCommands.h"

#include <optional>
#include <type_traits>

#include "batch/core/Prompts.h"
#include "formats/IconFormat.h"
#include "pictures/IconToBitmap.h"
#include "platform/FileIo.h"

namespace gw {

// What differs between the commands over icons and over cursors, chosen by
// the kind of group or image a command works on. (Outside the anonymous
// namespace: the commands' lambdas capture it.)
struct DeskTexts {
    const char* noun;          // "icon", "cursor"
    const char* ext;           // ".ico", ".cur"
    const char* saveTitle;
    const char* saveFilter;
    const char* allFolderTitle;
    const char* imagesFolderTitle;
    const char* convertTitle;  // the save dialog of one image as a bitmap
    const char* mimeType;
};

constexpr DeskTexts kIconTexts{"icon", ".ico", kSaveIconTitle, kSaveIconFilter, kAllIconsFolderTitle,
                               kIconsFolderTitle, kSaveBitmapTitle, "image/vnd.microsoft.icon"};
constexpr DeskTexts kCursorTexts{"cursor", ".cur", kSaveCursorTitle, kSaveCursorFilter, kAllCursorsFolderTitle,
                                 kCursorsFolderTitle, kSaveCursorBitmapTitle, "image/x-win-bitmap"};

template <class T>
constexpr const DeskTexts& TextsFor() {
    if constexpr (std::is_same_v<T, IconGroup> || std::is_same_v<T, IconImage>)
        return kIconTexts;
    else
        return kCursorTexts;
}

namespace {

// Cursor images of a workdesk come from executables and resource files:
// their Data starts with the hot-spot prefix, which the files leave out.
// Those of a .cur file hold the bitmap alone.
Bytes GroupFile(const IconGroup& group) { return WriteIconGroup(group); }
Bytes GroupFile(const CursorGroup& group) { return WriteCursorGroup(group, CursorDataForm::Resource); }
Bytes ImageFile(const IconImage& im, CursorDataForm) { return WriteIconImage(im); }
Bytes ImageFile(const CursorImage& im, CursorDataForm form) { return WriteCursorImage(im, form); }
bool MarksBottomLeft(const IconImage&) { return true; }
bool MarksBottomLeft(const CursorImage&) { return false; }

std::string ImageBase(const std::string& name, size_t k) {
    return name + "_" + std::to_string(k);
}

// The name of group g of a selection.
template <class Group>
const std::string& NameOf(const GroupSelection<Group>& selection, size_t g) {
    return g < selection.names.size() ? selection.names[g] : selection.groups[g]->Name;
}

} // namespace

BatchResult SaveThroughDialog(const SaveFileRequest& request, ByteView bytes, Prompts& prompts) {
    BatchResult result;
    if (bytes.empty()) return result;
    const std::optional<std::string> path = prompts.ChooseSaveFile(request);
    if (!path) {
        result.cancelled = true;
        return result;
    }
    const std::string error = WriteFileAtomic(*path, bytes, true);
    if (!error.empty()) {
        result.ok = false;
        result.error = error;
        return result;
    }
    result.stats.filesWritten = 1;
    result.stats.bytesWritten = bytes.size();
    return result;
}

SaveFileRequest BitmapSaveRequest(const std::string& base, const char* title) {
    SaveFileRequest request;
    request.title = title;
    request.filter = kSaveBitmapFilter;
    request.defaultExtension = "bmp";
    request.initialName = base + ".bmp";
    return request;
}

namespace {

SaveFileRequest SaveRequest(const DeskTexts& texts, const std::string& base) {
    SaveFileRequest request;
    request.title = texts.saveTitle;
    request.filter = texts.saveFilter;
    request.defaultExtension = texts.ext + 1;
    request.initialName = base + texts.ext;
    return request;
}

} // namespace

template <class Group>
BatchResult SaveDeskGroup(const Group& group, Prompts& prompts) {
    const DeskTexts& texts = TextsFor<Group>();
    const Group present = WithoutMissingImages(group);
    if (present.Images.empty()) {
        BatchResult result;
        result.notes.push_back("The " + std::string(texts.noun) + " \"" + group.Name + "\" has no image to save");
        return result;
    }
    return SaveThroughDialog(SaveRequest(texts, group.Name), GroupFile(present), prompts);
}

template <class Image>
BatchResult SaveGroupImage(const Image& im, const std::string& base, Prompts& prompts, CursorDataForm cursorForm) {
    const DeskTexts& texts = TextsFor<Image>();
    if (im.Missing || im.Data.empty()) {
        BatchResult result;
        result.notes.push_back("Image " + base + " is not in the file; not written");
        return result;
    }
    return SaveThroughDialog(SaveRequest(texts, base), ImageFile(im, cursorForm), prompts);
}

template <class Image>
BatchResult ConvertGroupImage(const Image& im, const std::string& base, Prompts& prompts) {
    if (!im.Handle()) {
        BatchResult result;
        result.notes.push_back("Image " + base + " cannot be decoded; not converted");
        return result;
    }
    return SaveThroughDialog(BitmapSaveRequest(base, TextsFor<Image>().convertTitle), IconImageAsBmp(*im.Handle(), im.BitCount, MarksBottomLeft(im)), prompts);
}

SavedFile AnimationSaveFile(const AnimatedCursor& animation) {
    return {animation.Data.ToBytes(), ".ani", kAnimationMimeType};
}

BatchResult SaveAnimation(const AnimatedCursor& animation, Prompts& prompts) {
    SaveFileRequest request;
    request.title = kSaveAnimationTitle;
    request.filter = kSaveAnimationFilter;
    request.defaultExtension = "ani";
    request.initialName = animation.Name + ".ani";
    return SaveThroughDialog(request, animation.Data.view(), prompts);
}

bool WriteAnimationFrames(const AnimatedCursor& animation, const std::string& name, BatchWriter& writer) {
    for (size_t k = 0; k < animation.Frames.size(); ++k) {
        const AnimationFrame& frame = animation.Frames[k];
        if (Halts(writer.Write(ImageBase(name, k), FrameFileExtension(frame), frame.Data.view())))
            return false;
    }
    return true;
}

bool ConvertAnimationFrames(const AnimatedCursor& animation, const std::string& name, BatchWriter& writer) {
    for (size_t k = 0; k < animation.Frames.size(); ++k) {
        const AnimationFrame& frame = animation.Frames[k];
        for (size_t j = 0; j < frame.Images.Images.size(); ++j) {
            const CursorImage& im = frame.Images.Images[j];
            const std::string base = ImageBase(ImageBase(name, k), j);
            if (!im.Handle()) {
                writer.NoteSkipped("Image " + base + " cannot be decoded; not converted");
                continue;
            }
            const std::optional<BatchWriter::Target> target = writer.Settle(base, ".bmp");
            if (writer.Halted()) return false;
            // An icon frame marks its bottom-left pixel like any icon.
            if (target && !writer.Commit(*target, IconImageAsBmp(*im.Handle(), im.BitCount, !frame.IsCursor)))
                return false;
        }
    }
    return true;
}

template <class Group>
BatchResult SaveAllDeskGroups(const std::vector<Group>& groups, ActionFlags& flags, Prompts& prompts,
                              std::span<const AnimatedCursor> animations) {
    const DeskTexts& texts = TextsFor<Group>();
    return RunFolderCommand(texts.allFolderTitle, false, flags, prompts, [&](BatchWriter& writer) {
        for (const Group& group : groups) {
            const Group present = WithoutMissingImages(group);
            if (present.Images.empty()) {
                writer.NoteSkipped("The " + std::string(texts.noun) + " \"" + group.Name +
                                   "\" has no image; no file was written for it");
                continue;
            }
            if (Halts(writer.Write(group.Name, texts.ext, GroupFile(present)))) return;
        }
        for (const AnimatedCursor& animation : animations)
            if (Halts(writer.Write(animation.Name, ".ani", animation.Data.view()))) return;
    });
}

template <class Group>
BatchResult ExtractDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts) {
    const DeskTexts& texts = TextsFor<Group>();
    return RunFolderCommand(texts.imagesFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (size_t g = 0; g < selection.groups.size(); ++g) {
            const Group* group = selection.groups[g];
            const std::string& name = NameOf(selection, g);
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const auto& im = group->Images[k];
                if (im.Missing || im.Data.empty()) {
                    writer.NoteSkipped("Image " + ImageBase(name, k) + " is not in the file; not written");
                    continue;
                }
                if (Halts(writer.Write(ImageBase(name, k), texts.ext, ImageFile(im, selection.cursorForm)))) return;
            }
        }
        for (const AnimatedCursor* animation : selection.animations)
            if (!WriteAnimationFrames(*animation, animation->Name, writer)) return;
    });
}

template <class Group>
BatchResult ConvertDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kBitmapsFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (size_t g = 0; g < selection.groups.size(); ++g) {
            const Group* group = selection.groups[g];
            const std::string& name = NameOf(selection, g);
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const auto& im = group->Images[k];
                // An image without pixels is never converted.
                if (!im.Handle()) {
                    writer.NoteSkipped("Image " + ImageBase(name, k) + " cannot be decoded; not converted");
                    continue;
                }
                const std::optional<BatchWriter::Target> target = writer.Settle(ImageBase(name, k), ".bmp");
                if (writer.Halted()) return;
                if (target && !writer.Commit(*target, IconImageAsBmp(*im.Handle(), im.BitCount, MarksBottomLeft(im))))
                    return;
            }
        }
        for (const AnimatedCursor* animation : selection.animations)
            if (!ConvertAnimationFrames(*animation, animation->Name, writer)) return;
    });
}

// The two kinds of record the workdesks show.
template <class Group>
SavedFile GroupSaveFile(const Group& group) {
    const Group present = WithoutMissingImages(group);
    return {present.Images.empty() ? Bytes{} : GroupFile(present), TextsFor<Group>().ext, TextsFor<Group>().mimeType};
}

template <class Image>
SavedFile ImageSaveFile(const Image& im, CursorDataForm form) {
    return {im.Missing || im.Data.empty() ? Bytes{} : ImageFile(im, form), TextsFor<Image>().ext,
            TextsFor<Image>().mimeType};
}

template SavedFile GroupSaveFile(const IconGroup&);
template SavedFile GroupSaveFile(const CursorGroup&);
template SavedFile ImageSaveFile(const IconImage&, CursorDataForm);
template SavedFile ImageSaveFile(const CursorImage&, CursorDataForm);
template BatchResult SaveDeskGroup(const IconGroup&, Prompts&);
template BatchResult SaveAllDeskGroups(const std::vector<IconGroup>&, ActionFlags&, Prompts&,
                                      std::span<const AnimatedCursor>);
template BatchResult ExtractDeskImages(const DeskSelection&, ActionFlags&, Prompts&);
template BatchResult ConvertDeskImages(const DeskSelection&, ActionFlags&, Prompts&);
template BatchResult SaveDeskGroup(const CursorGroup&, Prompts&);
template BatchResult SaveGroupImage(const IconImage&, const std::string&, Prompts&, CursorDataForm);
template BatchResult SaveGroupImage(const CursorImage&, const std::string&, Prompts&, CursorDataForm);
template BatchResult ConvertGroupImage(const IconImage&, const std::string&, Prompts&);
template BatchResult ConvertGroupImage(const CursorImage&, const std::string&, Prompts&);
template BatchResult SaveAllDeskGroups(const std::vector<CursorGroup>&, ActionFlags&, Prompts&,
                                      std::span<const AnimatedCursor>);
template BatchResult ExtractDeskImages(const CursorDeskSelection&, ActionFlags&, Prompts&);
template BatchResult ConvertDeskImages(const CursorDeskSelection&, ActionFlags&, Prompts&);

} // namespace gw
