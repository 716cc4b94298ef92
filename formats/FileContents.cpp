#include "formats/FileContents.h"

#include "formats/BmpManage.h"
#include "formats/CursorManage.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/ResFile.h"
#include "platform/FileIo.h"
#include "platform/ResourceModule.h"

namespace gw {

const char* ContainerKindText(ContainerKind kind) {
    switch (kind) {
    case ContainerKind::IconFile: return "Icon File";
    case ContainerKind::CursorFile: return "Cursor File";
    case ContainerKind::BitmapFile: return "Bitmap File";
    case ContainerKind::NEFile: return "NE File";
    case ContainerKind::PEFile: return "PE File";
    case ContainerKind::ResourceFile: return "Resource File";
    case ContainerKind::NonExecutable: return "Non Executable";
    }
    return "Non Executable";
}

bool IsResourceFileName(const std::string& name) {
    const std::string ext = UpperExtension(name);
    return ext == ".RES" || ext == ".R32" || ext == ".R16" || ext == ".DCR";
}

static std::string FileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileCounts CountFile(const std::string& path) {
    FileCounts c;
    const std::string ext = UpperExtension(path);
    if (ext == ".BMP") {
        MappedFile file;
        if (file.Open(path)) {
            c.kind = ContainerKind::BitmapFile;
            c.fileKind = fkBitmapFile;
            c.bitmaps = 1;
        }
        return c;
    }
    if (IsResourceFileName(path)) {
        MappedFile file;
        if (!file.Open(path)) return c;
        c.kind = ContainerKind::ResourceFile;
        const ByteView bytes = file.bytes();
        const bool is32 = IsRes32(bytes);
        auto count = [&](uint16_t type) { return is32 ? Conta32(bytes, 32, type) : Conta16(bytes, 0, type); };
        c.iconGroups = count(RT_GROUP_ICON);
        c.cursorGroups = count(RT_GROUP_CURSOR);
        c.bitmaps = count(RT_BITMAP);
        return c;
    }
    c.fileKind = GetFileKind(path);
    switch (c.fileKind) {
    case fkIconFile:
        c.kind = ContainerKind::IconFile;
        c.iconGroups = 1;
        break;
    case fkCursorFile:
        c.kind = ContainerKind::CursorFile;
        c.cursorGroups = 1;
        break;
    case fkNEFile: {
        c.kind = ContainerKind::NEFile;
        MappedFile file;
        if (file.Open(path)) {
            c.iconGroups = CountNEIconGroups(file.bytes());
            c.cursorGroups = CountNEResourcesOfBytes(file.bytes(), false);
            c.bitmaps = CountNEResourcesOfBytes(file.bytes(), true);
        }
        break;
    }
    case fkPEFile: {
        c.kind = ContainerKind::PEFile;
        if (auto module = ResourceModule::Open(path)) {
            c.iconGroups = module->Count(RT_GROUP_ICON);
            c.cursorGroups = module->Count(RT_GROUP_CURSOR);
            c.bitmaps = module->Count(RT_BITMAP);
        }
        break;
    }
    default: break;
    }
    return c;
}

LoadResult LoadFileContents(CommonData& cd, const std::string& path, const FileCounts& counts, bool icons,
                            bool cursors, bool bitmaps) {
    LoadResult result;
    auto fail = [&](const std::string& what) {
        result.ok = false;
        if (!result.error.empty()) result.error += "; ";
        result.error += what.empty() ? "cannot read the file" : what;
    };
    cd.SelFileName = FileNameOf(path);
    cd.SelFilePath = path;
    cd.ReleaseIconGroups();
    cd.ReleaseCursorGroups();
    cd.ReleaseBitmaps();
    cd.IconGroupCount = counts.iconGroups;
    cd.CursorGroupCount = counts.cursorGroups;
    cd.BitmapCount = counts.bitmaps;

    const bool isRes = counts.kind == ContainerKind::ResourceFile;
    if (icons && counts.iconGroups > 0) {
        cd.IconGroups.resize(size_t(counts.iconGroups));
        if (isRes)
            LoadResIcons(cd);
        else if (LoadIcons(cd, path, counts.fileKind) != 0)
            fail(cd.LastError);
        if (counts.kind == ContainerKind::IconFile) {
            // An icon file's one group is named after the file, as a cursor
            // file's group is.
            cd.IconGroups[0].Name = NameBeforeFirstDot(cd.SelFileName);
            cd.IconGroups[0].IsNamed = 1;
        }
    }
    if (cursors && counts.cursorGroups > 0) {
        if (counts.kind == ContainerKind::CursorFile) {
            const std::string err = LoadCursorFile(cd);
            if (!err.empty()) fail(err);
        } else {
            cd.CursorGroups.resize(size_t(counts.cursorGroups));
            if (isRes)
                LoadResCursors(cd);
            else if (LoadCursors(cd, counts.fileKind) != 0)
                fail(cd.LastError);
        }
    }
    if (bitmaps && counts.bitmaps > 0) {
        cd.Bitmaps.resize(size_t(counts.bitmaps));
        if (isRes)
            LoadResBitmaps(cd);
        else if (LoadBitmaps(cd, path, counts.fileKind) != 0)
            fail(cd.LastError);
    }
    return result;
}

} // namespace gw
