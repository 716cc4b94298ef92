#include "batch/core/SaveAllBitmaps.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "batch/core/GroupCommands.h"
#include "batch/core/OutputNames.h"
#include "batch/core/Prompts.h"
#include "platform/BmpCodec.h"
#include "platform/FileIo.h"

namespace gw {

namespace {

// The bitmap file decoded; a message naming the file when it cannot be.
std::optional<Bitmap> LoadBitmapFile(const std::string& path, std::string& error) {
    MappedFile file;
    if (!file.Open(path)) {
        error = file.error();
        return std::nullopt;
    }
    std::string why;
    Bitmap bitmap = DecodeBmp(file.bytes(), &why);
    if (!bitmap.HasHandle()) {
        error = "cannot read bitmap file \"" + path + "\"" + (why.empty() ? "" : ": " + why);
        return std::nullopt;
    }
    return bitmap;
}

void SaveAll(const SaveAllBitmapsRequest& request, BatchWriter& writer, BatchResult& result) {
    const size_t listTotal =
        size_t(std::max(0, request.ImageFileCount)) + size_t(std::max(0, request.DirCount));
    const size_t rows = std::min(listTotal, request.rows.size());
    for (size_t i = 0; i < rows; ++i) {
        const ListRow& item = request.rows[i];
        if (item.IsFolder()) continue;
        // The source is opened by its name as listed; only the output name is lower-cased.
        std::string error;
        const std::optional<Bitmap> bitmap = LoadBitmapFile(JoinPath(request.CurrentDir, item.caption), error);
        if (!bitmap) {
            result.ok = false;
            result.error = error;
            return;
        }
        ++result.filesRead;
        const std::optional<BatchWriter::Target> target = writer.Settle(LowerBaseName(item.caption), ".bmp");
        if (writer.Halted()) return;
        if (target && !writer.Commit(*target, EncodeBmp(*bitmap))) return;
    }
}

} // namespace

BatchResult RunSaveAllBitmaps(const SaveAllBitmapsRequest& request, ActionFlags& flags, Prompts& prompts) {
    BatchResult result;
    const std::optional<std::string> folder = prompts.ChooseFolder(kBitmapsFolderTitle);
    if (!folder) {
        result.cancelled = true;
        return result;
    }
    try {
        BatchWriter writer(*folder, flags, &prompts, CollisionMode::Ask);
        SaveAll(request, writer, result);
        const std::string sourceError = result.error;
        writer.ReportInto(result);
        if (!sourceError.empty()) {
            result.ok = false;
            result.error = sourceError;
        }
    } catch (const std::exception& e) {
        result.ok = false;
        result.error = std::string("Saving the bitmaps ended early: ") + e.what();
    }
    return result;
}

} // namespace gw
