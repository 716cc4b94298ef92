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

const char* FileKindText(FileKind kind) {
    switch (kind) {
    case FileKind::Icon: return "Icon File";
    case FileKind::Cursor: return "Cursor File";
    case FileKind::Bitmap: return "Bitmap File";
    case FileKind::Ne: return "NE File";
    case FileKind::Pe: return "PE File";
    case FileKind::Resource: return "Resource File";
    case FileKind::NonExecutable: return "Non Executable";
    case FileKind::AnimatedCursor: return "Animated Cursor File";
    }
    return "Non Executable";
}

bool IsResourceFileName(const std::string& name) {
    const std::string ext = UpperExtension(name);
    return ext == ".RES" || ext == ".R32" || ext == ".R16" || ext == ".DCR";
}

} // namespace gw
