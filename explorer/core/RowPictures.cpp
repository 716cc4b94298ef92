#include "explorer/core/RowPictures.h"

#include "formats/AniFile.h"
#include "formats/Document.h"
#include "pictures/IconExtract.h"
#include "pictures/Thumbnail.h"
#include "platform/Display.h"
#include "platform/Paths.h"

namespace gw {
namespace {

RowPicture FirstIconOrOwn(const std::string& path) {
    FirstIcon first = ExtractFirstIcon(*Document::Open(path), Display::LargeIconSize());
    return first.kind == FirstIconKind::Icon ? RowPicture::OfIcon(std::move(first.icon)) : RowPicture::OfAppIcon();
}

RowPicture BitmapPicture(const std::string& path) {
    const auto file = Document::Open(path);
    if (!file->Readable() || !file->LoadAsImageFile(FileKind::Bitmap).empty()) return {};
    if (file->Contents().Bitmaps.empty()) return {};
    const std::shared_ptr<Bitmap>& decoded = file->Contents().Bitmaps[0].Bitmap();
    if (!decoded || !decoded->HasHandle()) return {};
    Bitmap source = *decoded;
    CropToFirstGlyph(source);
    return BitmapThumbnails(source);
}

RowPicture CursorFilePicture(const std::string& path) {
    const auto file = Document::Open(path);
    if (!file->Readable()) return {};
    file->LoadAsImageFile(FileKind::Cursor);
    const FileContents& contents = file->Contents();
    if (contents.CursorGroups.empty()) return {};
    const CursorImage* image = RowImage(contents.CursorGroups[0]);
    return image ? CursorPictures(image->Handle()) : RowPicture{};
}

} // namespace

RowPicture RowPictureOf(const std::string& folder, Category category, const ListRow& row) {
    const std::string path = JoinPath(folder, row.caption);
    if (row.IsFolder()) return RowPicture::OfPath(path);
    switch (category) {
    case Category::Icons: {
        FirstIcon first = ExtractFirstIcon(path, Display::LargeIconSize());
        return RowPicture::OfIcon(first.kind == FirstIconKind::Icon ? std::move(first.icon) : nullptr);
    }
    case Category::IconFiles:
    case Category::BitmapFiles:
    case Category::StaticCursorFiles: return FirstIconOrOwn(path);
    case Category::IconResources:
    case Category::BitmapResources:
    case Category::StaticCursorResources: return RowPicture::OfPath(path);
    case Category::Bitmaps: return BitmapPicture(path);
    case Category::StaticCursors: return CursorFilePicture(path);
    case Category::AnimatedCursors: {
        const auto file = Document::Open(path);
        const CursorImage* image = AnimationRowImage(*file);
        return image ? CursorPictures(image->Handle()) : RowPicture{};
    }
    case Category::AnimatedCursorResources: {
        // Listed for its animations even when none draws: then the desktop's icon.
        const auto file = Document::Open(path);
        const CursorImage* image = AnimationRowImage(*file);
        return image ? CursorPictures(image->Handle()) : RowPicture::OfPath(path);
    }
    }
    return {};
}

} // namespace gw
