#include "listing/ListRow.h"

#include "formats/FileKinds.h"
#include "platform/Paths.h"

namespace gw {

std::string RowTypeText(const ListRow& row) {
    if (!row.kind) return "";
    const FileKindRow& kind = RowOf(*row.kind);
    if (kind.rowType) return kind.rowType;
    // A program's type is its extension's. The scanners list only the
    // extensions that have a type text; a row made otherwise still says what
    // the file is.
    const std::string byExtension = ContainerTypeText(LowerExtension(row.caption), true);
    return byExtension.empty() ? kind.deskText : byExtension;
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
    // A kind of its own that holds icons (an icon family), in the icon listings.
    if (const FileKindRow* named = RowNamedBy("file" + e);
        withLibraries && named && named->listing == FileListing::Holder && named->holds == RecordKind::Icons && named->rowType)
        return named->rowType;
    return "";
}

} // namespace gw
