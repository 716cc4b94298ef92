#pragma once
// A workdesk's picture of one file, without a window: the formats its images
// come in, the sizes and drawing positions of its kinds of picture, and the
// three orders of its items. The Icon and Cursor Workdesks share all of it,
// over their own records. Every number is computed in
// 64 bits from the records and capped by named limits, so a group claiming
// 65,535 images of 65,535 pixels costs nothing until it is drawn.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"
#include "formats/Document.h"

namespace gw {


// An image as a workdesk shows it: the numbers its label gives, and the
// size it is drawn at. An icon stored with size 0 is labelled 0 and drawn
// at 256; a cursor shows half its stored (doubled) height.
struct DeskImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t drawnWidth = 0;
    uint32_t drawnHeight = 0;
    uint16_t bitCount = 0;
};
DeskImage DeskImageOf(const IconImage& im);
DeskImage DeskImageOf(const CursorImage& im);

// One image format of a file: what the "Image Format:" box lists. The
// numbers are kept beside the label, so nothing ever parses a label back.
struct DeskFormat {
    uint32_t width = 0;      // as labelled
    uint32_t height = 0;
    uint16_t bitCount = 0;
    std::string label;       // "32 X 32 16 Colors"
    uint32_t drawnWidth = 0; // the width its pictures are drawn at
};

// The distinct format labels of every image, groups in file order and
// images in group order, in order of first appearance.
template <class Group>
std::vector<DeskFormat> DeskFormatsOf(const std::vector<Group>& groups);

// True when two bit counts give the same colour text (0 and 8 are both "256").
bool SameColorText(uint16_t a, uint16_t b);

// The image of a group shown in the Specific view for a format: the last
// image whose width equals the format's and whose colour text is the
// format's (heights are not compared); -1 when none has.
template <class Group>
int SpecificImageOf(const Group& group, const DeskFormat& format);

// Whether a group "has" a format for the by-format order: an image whose
// width and shown height both equal the format's width and whose colour
// count equals the format's, where 2^BitCount counts (1 for BitCount 0) and
// 256 or more counts as 0 on both sides.
template <class Group>
bool HasSortFormat(const Group& group, const DeskFormat& format);

enum class DeskSortMode : uint8_t { ByName = 0, ByFormat = 1, ByImageCount = 2 };

// Names of digits alone (resource ids) before other names and among
// themselves by value (2 before 10, of any length): negative when a goes
// first, positive when b does, 0 when neither is a number or both have the
// same value.
int CompareNumberNames(const std::string& a, const std::string& b);

// Captions in name order: captions of digits alone (resource ids) first, by
// their value (2 before 10); then the others byte by byte with a to z folded
// onto A to Z and nothing else ("_" sorts after every letter), a caption that
// is a prefix first. Equal numbers in other spellings ("07", "7") fall back
// to the byte order.
int CompareDeskNames(const std::string& a, const std::string& b);

// The order of two groups (negative: a first): by name; by image count
// (fewer first, then by name); by format (groups that have it first, then
// by name).
template <class Group>
int CompareDeskGroups(const Group& a, const Group& b, DeskSortMode mode, const DeskFormat* format);

// Picture sizes and drawing positions. The composite tile and the specific
// tile are fixed by the window's design; the raw strip is the same size for
// every group of a file.
constexpr int kCompositeTile = 64;
constexpr int kCompositeBaseline = 62;
constexpr int kCompositeSmallX = 2, kCompositeSmallY = 44;
constexpr int kCompositeLargeX = 30, kCompositeLargeY = 28;
constexpr int kSpecificMargin = 4;   // the image's top-left corner in a specific tile
constexpr int kStripGap = 4;         // between two images of a raw strip
constexpr int kStripTop = 4;
constexpr int kStripLeft = 2;
// The largest raw strip drawn: wider strips are cut (the images past it are
// not drawn), so that one group claiming thousands of large images cannot
// ask for gigabytes of pixels.
constexpr int64_t kMaxStripWidth = 32768;
constexpr int64_t kMaxStripHeight = 1024;

struct TileSize {
    int64_t width = 0;
    int64_t height = 0;
};

// A specific tile: (W + 10) x (W + 10), its baseline at y = W + 8.
TileSize SpecificTileSize(const DeskFormat& format);
int64_t SpecificBaseline(const DeskFormat& format);

// The raw strip of a file: the widest sum of a group's image widths plus 4
// for each image of the fullest group, by the tallest image plus 10; capped
// at kMaxStripWidth x kMaxStripHeight. Images count at their drawn size.
template <class Group>
TileSize RawStripSize(const std::vector<Group>& groups);
// The left edge of each image of a group in its strip: 2, then each next at
// the previous edge + its width + 4; only the images that start inside
// stripWidth.
template <class Group>
std::vector<int64_t> RawStripPositions(const Group& group, int64_t stripWidth);


// What the status bar says after opening: "shell32.dll - 238 Icons" and the
// file's kind ("PE File"). What the read found damaged is in the file's errors.
struct DeskOpening {
    std::string fileText;
    std::string kindText;
};

// Opening a workdesk on a file: the records of its kind read, and what the
// status bar says ("shell32.dll - 238 Icons", the count being the file's
// own). The Bitmap Workdesk gives an icon file no kind text.
DeskOpening OpenDesk(Document& file, RecordKind kind);

} // namespace gw
