#include "managers/core/BitmapManager.h"

#include <algorithm>

#include "formats/BmpManage.h"
#include "formats/FileContents.h"
#include "formats/Document.h"
#include "formats/DocumentEdits.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "platform/Paths.h"

namespace gw {

PreviewFit FitPreview(int32_t width, int32_t height) {
    const int32_t w = std::max(width, 0), h = std::max(height, 0);
    if (w <= kPreviewWidth && h <= kPreviewHeight) return {w, h, false};
    const int32_t f = std::max(w / kPreviewWidth + 1, h / kPreviewHeight + 1);
    return {std::max(w / f, 1), std::max(h / f, 1), true};
}

int GlyphCountItem(int32_t width) {
    if (width >= 1 && width <= 29) return 0;
    if (width >= 30 && width <= 45) return 1;
    if (width >= 46 && width <= 61) return 2;
    if (width >= 62 && width <= 77) return 3;
    return 1;
}

int GlyphFor(GlyphState state, int count) {
    count = std::clamp(count, 1, kMaxGlyphs);
    if (state == GlyphState::Disabled) return count >= 2 ? 1 : -1;
    if (state == GlyphState::Latched && count >= 4) return 3;
    if (state != GlyphState::Up && count >= 3) return 2;
    return 0;
}

PixelFormat WithDisplayDepth(PixelFormat format) {
    // The depth as the platform reports it: bits per pixel times planes, low 16 bits.
    switch (Display::Depth() & 0xFFFF) {
    case 1: return PixelFormat::Bits1;
    case 4: return PixelFormat::Bits4;
    case 8: return PixelFormat::Bits8;
    case 15: return PixelFormat::Bits15;
    case 16: return PixelFormat::Bits16;
    case 24: return PixelFormat::Bits24;
    case 32: return PixelFormat::Bits32;
    default: return format;
    }
}

std::shared_ptr<Bitmap> WorkBitmapOf(const BitmapRecord& entry) {
    auto work = std::make_shared<Bitmap>(*entry.Bitmap());
    work->pixelFormat =
        entry.PixelFormat != PixelFormat::Device ? entry.PixelFormat : WithDisplayDepth(work->pixelFormat);
    return work;
}

Bytes BitmapFileBytes(const Bitmap& work) {
    if (!work.HasHandle()) return {};
    PixelFormat format = work.pixelFormat;
    if (format == PixelFormat::Device) format = WithDisplayDepth(format);
    return EncodeBmp(work, format);
}

std::string BitmapSaveBase(const std::string& name) {
    if (LowerExtension(name) == ".bmp") return name.substr(0, name.size() - 4);
    return name;
}

const char* BitmapColorsText(PixelFormat format) {
    switch (format) {
    case PixelFormat::Device: return "Device";
    case PixelFormat::Bits1: return "2";
    case PixelFormat::Bits4: return "16";
    case PixelFormat::Bits8: return "256";
    case PixelFormat::Bits15: return "15 bit";
    case PixelFormat::Bits16: return "16 bit";
    case PixelFormat::Bits24: return "24 bit";
    case PixelFormat::Bits32: return "32 bit";
    case PixelFormat::Custom: break;
    }
    return "custom";
}

BitmapProperties BitmapFilePropertiesOf(const std::string& fileName, const Bitmap& work) {
    return {fileName, std::to_string(work.width) + " x " + std::to_string(work.height),
            BitmapColorsText(work.pixelFormat)};
}

BitmapSheetPicture BitmapSheetPictureOf(const Bitmap& bitmap, int32_t maxBmpWidth, int32_t maxBmpHeight) {
    BitmapSheetPicture sheet;
    const ThumbSize box = BitmapTileSize(maxBmpWidth, maxBmpHeight);
    const BitmapThumb shrunk = MakeBitmapThumb(bitmap, box);
    if (!shrunk.picture.HasHandle()) return sheet;
    sheet.shrunk = {shrunk.picture.width, shrunk.picture.height};
    sheet.transparentColor = shrunk.transparentColor;
    // The shrinking rule keeps the bitmap inside the box; the copy stays bounded anyway.
    const int32_t w = std::min(shrunk.picture.width, box.width), h = std::min(shrunk.picture.height, box.height);
    sheet.picture.pixelFormat = shrunk.picture.pixelFormat;
    sheet.picture.SetSize(box.width, box.height, ArgbFromColor(shrunk.transparentColor));
    for (int32_t y = 0; y < h; ++y) std::copy_n(shrunk.picture.Row(y), size_t(w), sheet.picture.Row(y));
    return sheet;
}

std::shared_ptr<Bitmap> OpenBitmapManagerFile(Document& file) {
    file.LoadAsImageFile(FileKind::Bitmap);
    std::vector<BitmapRecord>& bitmaps = EditContents(file).Bitmaps;
    bitmaps.resize(1);
    return WorkBitmapOf(bitmaps[0]);
}

} // namespace gw
