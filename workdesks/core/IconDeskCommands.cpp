#include "workdesks/core/IconDeskCommands.h"

#include <optional>

#include "batch/core/Prompts.h"
#include "formats/IconFormat.h"
#include "pictures/IconToBitmap.h"
#include "platform/FileIo.h"

namespace gw {

namespace {

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

std::string ImageBase(const TAdvIconGroupList& group, size_t k) { return group.Name + "_" + std::to_string(k); }

} // namespace

BatchResult SaveIconGroup(const TAdvIconGroupList& group, Prompts& prompts) {
    BatchResult result;
    const TAdvIconGroupList present = WithoutMissingImages(group);
    if (present.Images.empty()) {
        result.notes.push_back("The icon \"" + group.Name + "\" has no image to save");
        return result;
    }
    SaveFileRequest request;
    request.title = kSaveIconTitle;
    request.filter = kSaveIconFilter;
    request.defaultExtension = "ico";
    request.initialName = group.Name + ".ico";
    const std::optional<std::string> path = prompts.ChooseSaveFile(request);
    if (!path) {
        result.cancelled = true;
        return result;
    }
    const Bytes bytes = WriteIconGroup(present);
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

BatchResult SaveAllIconGroups(const std::vector<TAdvIconGroupList>& groups, ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kAllIconsFolderTitle, false, flags, prompts, [&](BatchWriter& writer) {
        for (const TAdvIconGroupList& group : groups) {
            const TAdvIconGroupList present = WithoutMissingImages(group);
            if (present.Images.empty()) {
                writer.NoteSkipped("The icon \"" + group.Name + "\" has no image; no file was written for it");
                continue;
            }
            if (writer.Write(group.Name, ".ico", WriteIconGroup(present)) == WriteOutcome::Failed) return;
        }
    });
}

BatchResult ExtractIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kIconsFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (const TAdvIconGroupList* group : selection.groups) {
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const TAdvIconImage& im = group->Images[k];
                if (im.Missing || im.Data.empty()) {
                    writer.NoteSkipped("Image " + ImageBase(*group, k) + " is not in the file; not written");
                    continue;
                }
                if (writer.Write(ImageBase(*group, k), ".ico", WriteIconImage(im)) == WriteOutcome::Failed) return;
            }
        }
    });
}

BatchResult ConvertIconImages(const DeskSelection& selection, ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kBitmapsFolderTitle, selection.one, flags, prompts, [&](BatchWriter& writer) {
        for (const TAdvIconGroupList* group : selection.groups) {
            for (size_t k = 0; k < group->Images.size(); ++k) {
                const TAdvIconImage& im = group->Images[k];
                // An image without pixels is never converted.
                if (!im.Handle()) {
                    writer.NoteSkipped("Image " + ImageBase(*group, k) + " cannot be decoded; not converted");
                    continue;
                }
                const std::optional<BatchWriter::Target> target = writer.Settle(ImageBase(*group, k), ".bmp");
                if (writer.Failed()) return;
                if (target && !writer.Commit(*target, IconImageAsBmp(*im.Handle(), im.BitCount))) return;
            }
        }
    });
}

} // namespace gw
