#include "listing/ListRow.h"

#include "platform/Paths.h"

namespace gw {

std::string RowTypeText(const ListRow& row) {
    if (!row.kind) return "";
    switch (*row.kind) {
    case FileKind::Icon: return "Icon";
    case FileKind::Cursor: return "Cursor";
    case FileKind::Bitmap: return "Bitmap";
    case FileKind::AnimatedCursor: return "Animated Cursor";
    case FileKind::Resource: return "Resource File";
    case FileKind::Pe:
    case FileKind::Ne: {
        // The scanners list only the extensions that have a type text; a
        // row made otherwise still says what the file is.
        const std::string byExtension = ContainerTypeText(LowerExtension(row.caption), true);
        return byExtension.empty() ? DeskKindText(*row.kind) : byExtension;
    }
    case FileKind::NonExecutable: break;
    }
    return DeskKindText(FileKind::NonExecutable);
}

std::string RowCountText(const ListRow& row) { return row.IsFolder() ? "" : std::to_string(row.count); }

std::string ContainerTypeText(const std::string& lowerExtension, bool withLibraries) {
    const std::string& e = lowerExtension;
    if (e == ".icl" || e == ".cpl") return withLibraries ? "Library" : "";
    if (e == ".dll") return "File Extension";
    if (e == ".exe") return "Executable";
    if (e == ".ocx" || e == ".vbx") return "DirectX File";
    if (e == ".bpl" || e == ".dpl") return "Delphi Library";
    if (e == ".scr") return "Screen Saver";
    if (e == ".drv") return "Driver";
    // A language-neutral library's images (SystemResources/<name>.mun) and
    // its language files (<language>/<name>.mui): plain PE files.
    if (e == ".mun") return "Resource Library";
    if (e == ".mui") return "Language Resources";
    return "";
}

} // namespace gw
