#include "workdesks/core/IconDeskCommands.h"

#include <optional>

#include "batch/core/Prompts.h"
#include "formats/IconFormat.h"
#include "pictures/IconToBitmap.h"
#include "platform/FileIo.h"

namespace gw {

// What differs between the two workdesks' commands.
struct DeskTexts {
    const char* noun;          // "icon", "cursor"
    const char* ext;           // ".ico", ".cur"
    const char* saveTitle;
    const char* saveFilter;
    const char* allFolderTitle;
    const char* imagesFolderTitle;
};

static const DeskTexts& TextsFor(const TAdvIconGroupList&) {
    static const DeskTexts k{"icon", ".ico", kSaveIconTitle, kSaveIconFilter, kAllIconsFolderTitle, kIconsFolderTitle};
    return k;
}
static const DeskTexts& TextsFor(const TAdvCursorGroupList&) {
    static const DeskTexts k{"cursor", ".cur", kSaveCursorTitle, kSaveCursorFilter, kAllCursorsFolderTitle,
                             kCursorsFolderTitle};
    return k;
}

namespace {

// Cursor images of a workdesk come from executables and resource files:
// their Data starts with the hot-spot prefix, which the files leave out.
Bytes GroupFile(const TAdvIconGroupList& group) { return WriteIconGroup(group); }
Bytes GroupFile(const TAdvCursorGroupList& group) { return WriteCursorGroup(group, CursorDataForm::Resource); }
Bytes ImageFile(const TAdvIconImage& im) { return WriteIconImage(im); }
Bytes ImageFile(const TAdvCursorImage& im) { return WriteCursorImage(im, CursorDataForm::Resource); }
bool MarksBottomLeft(const TAdvIconImage&) { return true; }
bool MarksBottomLeft(const TAdvCursorImage&) { return false; }

// Asks for the folder, then writes what write() produces through one batch.
// A cancelled browser ends the command; "One" commands clear the flags then.
template <class Write>
BatchResult RunFolderCommand(const char* title, bool clearOnCancel, ActionFlags& flags, Prompts& prompts,
                             Write write) {
    BatchResult result;
    const std::optional<std::string> folder = prompts.ChooseFolder(title);
    if (!folder) {
        if (clearOnCancel) flags.ClearAtBatchEnd();
        result.cancelled = true;
        return result;
    }
    BatchWriter writer(*folder, flags, &prompts, CollisionMode::Ask);
    write(writer);
    writer.End();
    writer.ReportInto(result);
    return result;
}

template <class Group>
std::string ImageBase(const Group& group, size_t k) {
    return group.Name + "_" + std::to_string(k);
}

} // namespace

template <class Group>
BatchResult SaveDeskGroup(const Group& group, Prompts& prompts) {
    const DeskTexts& texts = TextsFor(group);
    BatchResult result;
    const Group present = WithoutMissingImages(group);
    if (present.Images.empty()) {
        result.notes.push_back("The " + std::string(texts.noun) + " \"" + group.Name + "\" has no image to save");
        return result;
    }
    SaveFileRequest request;
    request.title = texts.saveTitle;
    request.filter = texts.saveFilter;
    request.defaultExtension = texts.ext + 1;
    request.initialName = group.Name + texts.ext;
    const std::optional<std::string> path = prompts.ChooseSaveFile(request);
    if (!path) {
        result.cancelled = true;
        return result;
    }
    const Bytes bytes = GroupFile(present);
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

template <class Group>
BatchResult SaveAllDeskGroups(const std::vector<Group>& groups, ActionFlags& flags, Prompts& prompts) {
    const DeskTexts& texts = TextsFor(Group{});
    return RunFolderCommand(texts.allFolderTitle, false, flags, prompts, [&](BatchWriter& writer) {
        for (const Group& group : groups) {
            const Group present = WithoutMissingImages(group);
            if (present.Images.empty()) {
                writer.NoteSkipped("The " + std::string(texts.noun) + " \"" + group.Name +
                                   "\" has no image; no file was written for it");
                continue;
            }
            if (writer.Write(group.Name, texts.ext, GroupFile(present)) == WriteOutcome::Failed) return;
        }
    });
}

template <class Group>
BatchResult ExtractDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts) {
    const DeskTexts& texts = TextsFor(Group{});
    return RunFolderCommand(texts.imagesFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (const Group* group : selection.groups) {
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const auto& im = group->Images[k];
                if (im.Missing || im.Data.empty()) {
                    writer.NoteSkipped("Image " + ImageBase(*group, k) + " is not in the file; not written");
                    continue;
                }
                if (writer.Write(ImageBase(*group, k), texts.ext, ImageFile(im)) == WriteOutcome::Failed) return;
            }
        }
    });
}

template <class Group>
BatchResult ConvertDeskImages(const GroupSelection<Group>& selection, ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kBitmapsFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (const Group* group : selection.groups) {
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const auto& im = group->Images[k];
                // An image without pixels is never converted.
                if (!im.Handle()) {
                    writer.NoteSkipped("Image " + ImageBase(*group, k) + " cannot be decoded; not converted");
                    continue;
                }
                const std::optional<BatchWriter::Target> target = writer.Settle(ImageBase(*group, k), ".bmp");
                if (writer.Failed()) return;
                if (target && !writer.Commit(*target, IconImageAsBmp(*im.Handle(), im.BitCount, MarksBottomLeft(im))))
                    return;
            }
        }
    });
}

// The two kinds of record the workdesks show.
template BatchResult SaveDeskGroup(const TAdvIconGroupList&, Prompts&);
template BatchResult SaveAllDeskGroups(const std::vector<TAdvIconGroupList>&, ActionFlags&, Prompts&);
template BatchResult ExtractDeskImages(const DeskSelection&, ActionFlags&, Prompts&);
template BatchResult ConvertDeskImages(const DeskSelection&, ActionFlags&, Prompts&);
template BatchResult SaveDeskGroup(const TAdvCursorGroupList&, Prompts&);
template BatchResult SaveAllDeskGroups(const std::vector<TAdvCursorGroupList>&, ActionFlags&, Prompts&);
template BatchResult ExtractDeskImages(const CursorDeskSelection&, ActionFlags&, Prompts&);
template BatchResult ConvertDeskImages(const CursorDeskSelection&, ActionFlags&, Prompts&);

} // namespace gw
