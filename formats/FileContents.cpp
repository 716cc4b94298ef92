#include "formats/FileContents.h"

#include <algorithm>

#include "formats/BmpManage.h"
#include "formats/CursorManage.h"
#include "formats/FileKind.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/ResFile.h"
#include "platform/FileIo.h"
#include "platform/ResourceModule.h"

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
    }
    return "Non Executable";
}

bool IsResourceFileName(const std::string& name) {
    const std::string ext = UpperExtension(name);
    return ext == ".RES" || ext == ".R32" || ext == ".R16" || ext == ".DCR";
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
        c.iconGroups = CountResEntries(file.bytes(), RT_GROUP_ICON);
        c.cursorGroups = CountResEntries(file.bytes(), RT_GROUP_CURSOR);
        c.bitmaps = CountResEntries(file.bytes(), RT_BITMAP);
        c.damage = ResFileDamage(file.bytes());
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
            c.damage = module->Damage();
        }
        break;
    }
    default: break;
    }
    return c;
}

LoadResult LoadFileContents(FileContents& contents, const std::string& path, const FileCounts& counts, bool icons,
                            bool cursors, bool bitmaps) {
    LoadResult result;
    auto fail = [&](const std::string& what) {
        result.ok = false;
        if (!result.error.empty()) result.error += "; ";
        result.error += what.empty() ? "cannot read the file" : what;
    };
    contents.ReleaseIconGroups();
    contents.ReleaseCursorGroups();
    contents.ReleaseBitmaps();
    contents.Errors.clear();
    contents.NoteError(counts.damage);
    contents.IconGroupCount = counts.iconGroups;
    contents.CursorGroupCount = counts.cursorGroups;
    contents.BitmapCount = counts.bitmaps;

    const bool isRes = counts.kind == ContainerKind::ResourceFile;
    const std::string fileName = PathFileName(path);
    if (icons && counts.iconGroups > 0) {
        if (isRes)
            LoadResIcons(contents, path);
        else if (LoadIcons(contents, path, counts.fileKind) != 0)
            fail(contents.LastError);
        if (counts.kind == ContainerKind::IconFile) {
            // An icon file's one group is named after the file, as a cursor
            // file's group is.
            contents.IconGroups[0].Name = NameBeforeFirstDot(fileName);
            contents.IconGroups[0].IsNamed = 1;
        }
    }
    if (cursors && counts.cursorGroups > 0) {
        if (counts.kind == ContainerKind::CursorFile) {
            const std::string err = LoadCursorFile(contents, path, fileName);
            if (!err.empty()) fail(err);
        } else if (isRes) {
            LoadResCursors(contents, path);
        } else if (LoadCursors(contents, path, counts.fileKind) != 0) {
            fail(contents.LastError);
        }
    }
    if (bitmaps && counts.bitmaps > 0) {
        if (isRes)
            LoadResBitmaps(contents, path);
        else if (LoadBitmaps(contents, path, counts.fileKind) != 0)
            fail(contents.LastError);
    }
    return result;
}

} // namespace gw
