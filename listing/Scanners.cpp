#include "listing/Scanners.h"

#include "formats/Document.h"
#include "formats/FileKinds.h"

#include <algorithm>
#include <filesystem>

#include "formats/CursorManage.h"
#include "formats/FileContents.h"
#include "formats/ResFile.h"
#include "formats/VersionInfo.h"
#include "pictures/IconExtract.h"
#include "pictures/Thumbnail.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "platform/FileIo.h"
#include "platform/Text.h"

namespace gw {
namespace {

// The entries of a folder as the platform's enumeration with all attributes
// gives them: "." and ".." first, then every entry in the file system's order.
// Nothing when the folder is gone.
std::vector<FolderEntry> EnumerateFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!IsFolder(folder)) return entries;
    entries.push_back({".", EntryType::Folder});
    entries.push_back({"..", EntryType::Folder});
    for (FolderEntry& e : ListFolder(folder)) entries.push_back(std::move(e));
    return entries;
}

// One scan: the folder's entries read once, the running progress count
// against the expected total, and the rows (and pictures) made so far.
class ScanFrame {
public:
    ScanFrame(const std::string& folder, const std::string& mask, const ScanProgress& progress,
              PictureMode pictures)
        : m_folder(folder), m_entries(EnumerateFolder(folder)), m_total(ExpectedTotal(m_entries, mask)),
          m_progress(progress), m_pictures(pictures) {}

    std::string PathOf(const std::string& name) const { return JoinPath(m_folder, name); }
    ScanResult& Result() { return m_result; }
    bool DrawsPictures() const { return m_pictures == PictureMode::Draw; }

    // Lists the visible sub-folders, each with the desktop's folder icon.
    void FolderPass() {
        for (const FolderEntry& entry : m_entries) {
            if (!entry.IsFolder()) continue;
            if (!Step(entry.name)) return;
            if (IsHiddenName(entry.name)) continue;
            AddRow(entry.name, std::nullopt, 0, [&] { return RowPicture::OfPath(PathOf(entry.name)); });
            ++m_result.dirCount;
        }
    }

    // Steps over every entry matching the pattern and hands each visible file
    // to visit(name, path). A file whose reading fails in any way adds no row;
    // the scan goes on with the next entry.
    template <class Visit>
    void FilePass(const std::string& pattern, Visit visit) {
        for (const FolderEntry& entry : m_entries) {
            if (!MatchesMask(entry.name, pattern)) continue;
            if (!Step(entry.name)) return;
            if (entry.IsFolder() || IsHiddenName(entry.name)) continue;
            try {
                visit(entry.name, PathOf(entry.name));
            } catch (...) {
                // Only allocation failures reach here (a file claiming a huge
                // picture); that file is simply not listed.
            }
        }
    }

    // Adds the row of a file listed as kind holding count objects;
    // makePicture() is called only when the scan draws pictures.
    template <class MakePicture>
    void AddFileRow(const std::string& name, FileKind kind, int count, MakePicture makePicture) {
        AddRow(name, kind, count, makePicture);
        ++m_result.fileCount;
    }
    // The same for a file whose reading found damage (none: as above).
    // The FileDescription of an executable or library, read from its
    // version information (whose damage, if any, joins the file's).
    static std::string DescriptionOf(Document& file) {
        if (!IsProgramKind(file.Kind())) return {};
        const std::optional<VersionInfo>& version = file.Version();
        if (!version) return {};
        for (const VersionStringTable& table : version->tables)
            if (const std::string* text = table.Find("FileDescription"); text && !text->empty()) return *text;
        return {};
    }

    template <class MakePicture>
    void AddFileRow(const std::string& name, FileKind kind, int count, Document& file,
                    MakePicture makePicture) {
        AddFileRow(name, kind, count, makePicture);
        ListRow& row = m_result.rows.back();
        row.description = DescriptionOf(file);
        if (file.Damaged()) row.damage = file.Errors().front();
    }

private:
    template <class MakePicture>
    void AddRow(const std::string& name, std::optional<FileKind> kind, int count, MakePicture makePicture) {
        ListRow row;
        row.imageIndex = int(m_result.rows.size());
        row.caption = name;
        row.kind = kind;
        row.count = count;
        if (DrawsPictures()) m_result.pictures.push_back(makePicture());
        m_result.rows.push_back(std::move(row));
    }

    bool Step(const std::string& name) {
        if (m_result.stopped) return false;
        ++m_count;
        if (m_progress && !m_progress(name, GaugePercent(m_count, m_total))) m_result.stopped = true;
        return !m_result.stopped;
    }

    std::string m_folder;
    std::vector<FolderEntry> m_entries;
    int m_total = 0;
    int m_count = 0;
    const ScanProgress& m_progress;
    PictureMode m_pictures;
    ScanResult m_result;
};

// A file that holds objects of its own (an executable, a library, an icon
// family), as the "... Files" listings count them.
bool HoldsObjects(const FileCounts& counts) { return RowOf(counts.kind).listing == FileListing::Holder; }

// A scan of the files that hold objects (executables, libraries, resource
// files): the folders, then every file examine(frame, name, path) looks at;
// it adds the file's row and returns the objects it counted, which stand as
// FoundResCount while the file is the last examined. The wizard is offered.
template <class Examine>
ScanResult ContainerScan(const std::string& folder, const ScanProgress& progress, PictureMode pictures,
                         Examine examine) {
    ScanFrame frame(folder, "*.*", progress, pictures);
    frame.FolderPass();
    ScanResult& result = frame.Result();
    result.countsContainers = true;
    result.foundResCount = 0;
    frame.FilePass("*.*", [&](const std::string& name, const std::string& path) {
        result.foundResCount = 0; // and so it stays for a file whose reading fails
        result.foundResCount = examine(frame, name, path);
    });
    result.showWizard = true;
    return std::move(result);
}

} // namespace

bool AcceptsResourceFile(const std::string& lowerExtension, uint16_t resType) {
    const std::string& e = lowerExtension;
    if (e == ".res" || e == ".r32" || e == ".r16") return true;
    return e == ".dcr" && resType == RT_BITMAP;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*") return true;
    if (mask.size() < 2 || mask[0] != '*') return false;
    const std::string tail = mask.substr(1);
    return name.size() >= tail.size() && LowerAscii(name.substr(name.size() - tail.size())) == LowerAscii(tail);
}

int GaugePercent(int count, int total) {
    if (total <= 0) return 100;
    const int64_t percent = int64_t(count) * 100 / total;
    return int(std::clamp<int64_t>(percent, 0, 100));
}

int ExpectedTotal(const std::vector<FolderEntry>& entries, const std::string& mask) {
    int total = 0;
    for (const FolderEntry& e : entries) {
        if (IsHiddenName(e.name)) continue;
        if (e.IsFolder() || MatchesMask(e.name, mask)) ++total;
    }
    return total;
}

ScanResult ReadIcons(const std::string& folder, const ScanProgress& progress, PictureMode pictures) {
    ScanFrame frame(folder, "*.ico", progress, pictures);
    frame.FolderPass();
    frame.FilePass("*.ico", [&](const std::string& name, const std::string& path) {
        // The row stands even when no icon can be taken from the file; its
        // picture is then an empty tile.
        frame.AddFileRow(name, FileKind::Icon, 1, [&] {
            FirstIcon first = ExtractFirstIcon(path, Display::LargeIconSize());
            return RowPicture::OfIcon(first.kind == FirstIconKind::Icon ? first.icon : nullptr);
        });
    });
    return std::move(frame.Result());
}

ScanResult ReadFiles(const std::string& folder, const ScanProgress& progress, PictureMode pictures) {
    ScanFrame frame(folder, "*.*", progress, pictures);
    frame.FolderPass();
    frame.Result().countsContainers = true;
    frame.FilePass("*.*", [&](const std::string& name, const std::string& path) {
        const std::string ext = LowerExtension(name);
        if (ext == ".ico") return;
        if (ContainerTypeText(ext, true).empty()) return;
        const auto file = Document::Open(path);
        const FileCounts& counts = file->Counts();
        if (!HoldsObjects(counts) || (counts.iconGroups < 1 && !file->Damaged())) return;
        // Listed when its first icon can be drawn, pictures or not, or with
        // the damage that keeps it from being drawn.
        FirstIcon first = ExtractFirstIcon(*file, Display::LargeIconSize());
        if (first.kind != FirstIconKind::Icon) {
            if (counts.iconGroups >= 1) file->Load(RecordKind::Icons);
            if (!file->Damaged()) return;
            frame.AddFileRow(name, counts.kind, counts.iconGroups, *file, [] { return RowPicture::OfAppIcon(); });
            return;
        }
        frame.AddFileRow(name, counts.kind, counts.iconGroups, *file,
                         [&] { return RowPicture::OfIcon(std::move(first.icon)); });
    });
    frame.Result().showWizard = true;
    return std::move(frame.Result());
}

ScanResult ReadBitmaps(const std::string& folder, const ScanProgress& progress, PictureMode pictures) {
    ScanFrame frame(folder, "*.bmp", progress, pictures);
    frame.FolderPass();
    frame.FilePass("*.bmp", [&](const std::string& name, const std::string& path) {
        const auto file = Document::Open(path);
        if (!file->Readable() || !file->LoadAsImageFile(FileKind::Bitmap).empty()) return;
        Bitmap source = *file->Contents().Bitmaps[0].Bitmap();
        if (!source.HasHandle()) return;
        frame.AddFileRow(name, FileKind::Bitmap, 1, [&] {
            CropToFirstGlyph(source);
            return BitmapThumbnails(source);
        });
    });
    frame.Result().showAllBits = frame.Result().fileCount >= 1;
    return std::move(frame.Result());
}

ScanResult ReadCursors(const std::string& folder, const ScanProgress& progress, PictureMode pictures) {
    ScanFrame frame(folder, "*.cur", progress, pictures);
    frame.FolderPass();
    frame.FilePass("*.cur", [&](const std::string& name, const std::string& path) {
        const auto file = Document::Open(path);
        if (!file->Readable()) return;
        file->LoadAsImageFile(FileKind::Cursor);
        const FileContents& contents = file->Contents();
        if (contents.CursorGroups.empty()) return;
        const CursorImage* image = RowImage(contents.CursorGroups[0]);
        if (!image) return;
        frame.AddFileRow(name, FileKind::Cursor, 1, [&] { return CursorPictures(image->Handle()); });
    });
    return std::move(frame.Result());
}

ScanResult ReadCursorBitmapFiles(const std::string& folder, bool isBitmap, const ScanProgress& progress,
                                 PictureMode pictures) {
    return ContainerScan(folder, progress, pictures, [&](ScanFrame& frame, const std::string& name,
                                                         const std::string& path) {
        const std::string ext = LowerExtension(name);
        if (ext == ".bmp" || ext == ".cur") return 0;
        if (ContainerTypeText(ext, false).empty()) return 0;
        // The platform's enumeration for PE files and the NE resource table
        // for NE files, both through the file's counts.
        const auto file = Document::Open(path);
        const FileCounts& counts = file->Counts();
        const int found = HoldsObjects(counts) ? (isBitmap ? counts.bitmaps : counts.cursorGroups) : 0;
        if (found < 1 && !(HoldsObjects(counts) && file->Damaged())) return found;
        // An executable can always hold icons, so the row stands whatever
        // its picture turns out to be: the first icon, or the program's own.
        frame.AddFileRow(name, counts.kind, found, *file, [&] {
            FirstIcon first = ExtractFirstIcon(*file, Display::LargeIconSize());
            return first.kind == FirstIconKind::Icon ? RowPicture::OfIcon(std::move(first.icon))
                                                     : RowPicture::OfAppIcon();
        });
        return found;
    });
}

ScanResult ReadResources(const std::string& folder, uint16_t resType, const ScanProgress& progress,
                         PictureMode pictures) {
    return ContainerScan(folder, progress, pictures, [&](ScanFrame& frame, const std::string& name,
                                                         const std::string& path) {
        if (!AcceptsResourceFile(LowerExtension(name), resType)) return 0;
        const auto file = Document::Open(path);
        const FileCounts& counts = file->Counts();
        const int found = resType == RT_GROUP_ICON     ? counts.iconGroups
                          : resType == RT_GROUP_CURSOR ? counts.cursorGroups
                                                       : counts.bitmaps;
        if (found > 0 || (counts.kind == FileKind::Resource && file->Damaged()))
            frame.AddFileRow(name, FileKind::Resource, found, *file, [&] { return RowPicture::OfPath(path); });
        return found;
    });
}

ScanResult ReadAnimatedCursors(const std::string& folder, const ScanProgress& progress, PictureMode pictures) {
    ScanFrame frame(folder, "*.ani", progress, pictures);
    frame.FolderPass();
    frame.FilePass("*.ani", [&](const std::string& name, const std::string& path) {
        const auto file = Document::Open(path);
        if (file->Kind() != FileKind::AnimatedCursor) return;
        // Listed when its first frame can be drawn, as a cursor file is.
        const CursorImage* image = AnimationRowImage(*file);
        if (!image) return;
        frame.AddFileRow(name, FileKind::AnimatedCursor, 1, [&] { return CursorPictures(image->Handle()); });
    });
    return std::move(frame.Result());
}

ScanResult ReadAnimatedCursorResources(const std::string& folder, const ScanProgress& progress,
                                       PictureMode pictures) {
    return ContainerScan(folder, progress, pictures, [&](ScanFrame& frame, const std::string& name,
                                                         const std::string& path) {
        const std::string ext = LowerExtension(name);
        const bool resourceFile = AcceptsResourceFile(ext, RT_ANICURSOR);
        if (!resourceFile && ContainerTypeText(ext, true).empty()) return 0;
        const auto file = Document::Open(path);
        const FileCounts& counts = file->Counts();
        const bool holds = resourceFile ? counts.kind == FileKind::Resource : HoldsObjects(counts);
        const int found = holds ? counts.animations : 0;
        if (found > 0 || (holds && file->Damaged()))
            frame.AddFileRow(name, resourceFile ? FileKind::Resource : counts.kind, found, *file, [&] {
                const CursorImage* image = AnimationRowImage(*file);
                return image ? CursorPictures(image->Handle()) : RowPicture::OfPath(path);
            });
        return found;
    });
}

ScanResult RunScanner(const std::string& folder, Category category, const ScanProgress& progress,
                      PictureMode pictures) {
    switch (category) {
    case Category::Icons: return ReadIcons(folder, progress, pictures);
    case Category::IconFiles: return ReadFiles(folder, progress, pictures);
    case Category::IconResources: return ReadResources(folder, RT_GROUP_ICON, progress, pictures);
    case Category::Bitmaps: return ReadBitmaps(folder, progress, pictures);
    case Category::BitmapFiles: return ReadCursorBitmapFiles(folder, true, progress, pictures);
    case Category::BitmapResources: return ReadResources(folder, RT_BITMAP, progress, pictures);
    case Category::StaticCursors: return ReadCursors(folder, progress, pictures);
    case Category::StaticCursorFiles: return ReadCursorBitmapFiles(folder, false, progress, pictures);
    case Category::StaticCursorResources: return ReadResources(folder, RT_GROUP_CURSOR, progress, pictures);
    case Category::AnimatedCursors: return ReadAnimatedCursors(folder, progress, pictures);
    case Category::AnimatedCursorResources: return ReadAnimatedCursorResources(folder, progress, pictures);
    }
    return {};
}

std::optional<CategoryFinding> CategoryThatFindsFiles(const std::string& folder, Category shown) {
    const std::vector<FolderEntry> entries = ListFolder(folder);
    const auto files = std::count_if(entries.begin(), entries.end(), [](const FolderEntry& e) { return e.type == EntryType::File; });
    if (files == 0 || files > kMaxHintFiles) return std::nullopt;
    const auto quiet = [](const std::string&, int) { return true; };
    for (const bool sameObjects : {true, false})
        for (const Category category : Categories()) {
            if (category == shown || (ObjectsOf(category) == ObjectsOf(shown)) != sameObjects) continue;
            const ScanResult result = RunScanner(folder, category, quiet, PictureMode::Skip);
            if (result.fileCount > 0) return CategoryFinding{category, result.fileCount};
        }
    return std::nullopt;
}

std::string CategoryFindingText(const CategoryFinding& finding) {
    static constexpr std::pair<const char*, const char*> kObjects[] = {
        {"icon", "icons"}, {"bitmap", "bitmaps"}, {"cursor", "cursors"}, {"animated cursor", "animated cursors"}};
    const auto [singular, plural] = kObjects[int(ObjectsOf(finding.category))];
    const std::string what = ListsContainers(finding.category)
                                 ? CountText(finding.files, "file") + " with " + plural
                                 : CountText(finding.files, singular, plural);
    return what + " under \"" + CategoryName(finding.category) + "\"";
}

void StoreScanCounters(ExplorerState& state, const ScanResult& result) {
    state.DirCount = result.dirCount;
    (result.countsContainers ? state.ContainerCount : state.ImageFileCount) = result.fileCount;
    if (result.foundResCount) state.FoundResCount = *result.foundResCount;
}

} // namespace gw
