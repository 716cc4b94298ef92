#include "formats/FileContents.h"

#include <algorithm>

#include "platform/FileIo.h"

namespace gw {

void FileContents::NoteError(const std::optional<ReadError>& error) {
    if (error && std::find(Errors.begin(), Errors.end(), *error) == Errors.end()) Errors.push_back(*error);
}

void FileContents::RaiseMaxBmpSize(int32_t width, int32_t height) {
    MaxBmpWidth = std::max(MaxBmpWidth, width);
    MaxBmpHeight = std::max(MaxBmpHeight, height);
}

namespace {

// Image blocks, then pictures, then the image arrays, then the group list.
template <class Groups>
void ReleaseGroups(Groups& groups) {
    for (auto& g : groups)
        for (auto& im : g.Images) im.Data.clear();
    for (auto& g : groups)
        for (auto& im : g.Images) im.Picture.Reset();
    for (auto& g : groups) g.Images.clear();
    groups.clear();
}

} // namespace

void FileContents::ReleaseIconGroups() { ReleaseGroups(IconGroups); }

void FileContents::ReleaseCursorGroups() { ReleaseGroups(CursorGroups); }

void FileContents::ReleaseBitmaps() { Bitmaps.clear(); }

const char* ContainerKindText(ContainerKind kind) {
    switch (kind) {
    case ContainerKind::IconFile: return "Icon File";
    case ContainerKind::CursorFile: return "Cursor File";
    case ContainerKind::BitmapFile: return "Bitmap File";
    case ContainerKind::NEFile: return "NE File";
    case ContainerKind::PEFile: return "PE File";
    case ContainerKind::ResourceFile: return "Resource File";
    case ContainerKind::NonExecutable: return "Non Executable";
    case ContainerKind::AnimatedCursorFile: return "Animated Cursor File";
    }
    return "Non Executable";
}

bool IsResourceFileName(const std::string& name) {
    const std::string ext = UpperExtension(name);
    return ext == ".RES" || ext == ".R32" || ext == ".R16" || ext == ".DCR";
}

} // namespace gw
