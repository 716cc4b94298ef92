#pragma once
// The Bitmap & Glyph Manager and Bitmap Properties without a window: how the
// preview fits its area, the glyph test, the pixel format a bitmap is shown
// and saved in, the bytes Save writes, and the values and picture the
// property sheet shows for a bitmap file.
#include <cstdint>
#include <memory>
#include <string>

#include "formats/BmpTypes.h"
#include "pictures/BitmapBox.h"
#include "platform/Bitmap.h"
#include "platform/ByteReader.h"

namespace gw {

class Document;

// The preview's area at rest.
constexpr int32_t kPreviewWidth = 432;
constexpr int32_t kPreviewHeight = 229;

// How the preview shows a bitmap: at its own size while it fits the area,
// else shrunk by a whole factor and stretched.
struct PreviewFit {
    int32_t width = 0;
    int32_t height = 0;
    bool stretch = false;
};
PreviewFit FitPreview(int32_t width, int32_t height);

// Bitmaps lower than this are tried as glyphs on the sample buttons.
constexpr int32_t kGlyphHeightLimit = 33;
inline bool GlyphTestApplies(int32_t height) { return height < kGlyphHeightLimit; }
inline constexpr const char* kNotAGlyphText = "Possibly not usable as Glyph";

// The glyph-count item (0 for one glyph ... 3 for four) a strip of that width
// suggests: 1..29 one, 30..45 two, 46..61 three, 62..77 four, else two.
int GlyphCountItem(int32_t width);
constexpr int kMaxGlyphs = 4;

// Which glyph of a strip of count glyphs a button shows: the first when up,
// the second when disabled, the third when pressed and the fourth when
// latched down; a state without a glyph of its own falls back as the
// toolkit's glyph buttons do (latched -> pressed -> up). -1 for a disabled
// button without its own glyph: the toolkit greys the up glyph.
enum class GlyphState : uint8_t { Up, Disabled, Down, Latched };
int GlyphFor(GlyphState state, int count);

// The screen's depth as a pixel format: 1, 4, 8, 15, 16, 24 and 32 bits
// give their formats; any other depth leaves format as it is.
PixelFormat WithDisplayDepth(PixelFormat format);

// The Manager's own copy of a bitmap record's picture, in the record's
// pixel format (the device format: the screen's depth). Never null.
std::shared_ptr<Bitmap> WorkBitmapOf(const BitmapRecord& entry);

// Save's file: the bitmap in its pixel format (the device format: the
// screen's depth) as a .bmp file. Empty when there is no picture.
Bytes BitmapFileBytes(const Bitmap& work);

// The base of Save's suggested name: the bitmap's name without a ".bmp" end.
std::string BitmapSaveBase(const std::string& name);

// The colour text Bitmap Properties shows for a pixel format: "Device", "2",
// "16", "256", "15 bit", "16 bit", "24 bit", "32 bit", "custom".
const char* BitmapColorsText(PixelFormat format);

// What Bitmap Properties shows.
struct BitmapProperties {
    std::string name;   // Label1
    std::string size;   // Label2: "16 x 16"
    std::string colors; // Label3
};
BitmapProperties BitmapFilePropertiesOf(const std::string& fileName, const Bitmap& work);

// The sheet's picture of a bitmap file: the bitmap shrunk into the box of
// the load (each side the file's, at most 64), placed at the top-left of a
// picture of the box's size; the area it leaves is filled with the shrunk
// bitmap's bottom-left colour, which is drawn transparent.
struct BitmapSheetPicture {
    Bitmap picture;     // box-sized; without a handle when the bitmap does not decode
    ThumbSize shrunk;    // the size the bitmap was shrunk to
    TColor transparentColor = 0;
};
BitmapSheetPicture BitmapSheetPictureOf(const Bitmap& bitmap, int32_t maxBmpWidth, int32_t maxBmpHeight);

// Opening the Manager on a bitmap file: the file's one bitmap read into entry
// 0 of its contents; the work bitmap is its copy. A file that does not
// decode leaves entry 0 without a picture (and its damage in the file's
// errors).
std::shared_ptr<Bitmap> OpenBitmapManagerFile(Document& file);

} // namespace gw
