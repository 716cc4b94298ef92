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

bool IsResourceFileName(const std::string& name) {
    const std::string ext = UpperExtension(name);
    return ext == ".RES" || ext == ".R32" || ext == ".R16" || ext == ".DCR";
}

} // namespace gw
