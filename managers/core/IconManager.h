#pragma once
// The Icon and Cursor Managers and their property sheets without a window:
// the rows of one group (sizes, labels, the scroll box), the names of its
// images, and the values the property sheets show.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/CurTypes.h"
#include "formats/FileContents.h"
#include "formats/IcoTypes.h"
#include "formats/Document.h"

namespace gw {

// Where the manager's group came from: a plain icon file it loads itself,
// or a workdesk that already holds the group.
enum class ManagerMode : uint8_t { File, Workdesk };

// The scroll box of rows: every row is rowHeight high (the widest image + 4,
// at least 36); the box is 274 high while the rows fit, else it shows whole
// rows only, with narrower rows beside its scroll bar.
struct ManagerLayout {
    int32_t maxWidth = 32;   // the widest image as drawn, at least 32
    int32_t rowHeight = 36;
    int32_t listHeight = 274;
    int32_t rowWidth = 236;
    int32_t scrollStep = 0;  // 0 while no scroll bar is needed
};
constexpr int32_t kManagerListHeight = 274;
constexpr int32_t kManagerRowWidth = 236;
constexpr int32_t kManagerNarrowRowWidth = 220;
constexpr int32_t kManagerPictureLeft = 5;

// The height of a row whose image is drawn pictureHeight pixels tall: the
// picture and 4, at least the height of a row of 32-pixel images (36), so a
// 16-pixel row does not shrink below the designed row and a 32-pixel row of a
// group that also holds 256-pixel images is not 260 pixels tall.
int32_t ManagerRowHeight(int32_t pictureHeight);

// widths: each image's width as drawn (256 for a stored 0).
ManagerLayout ManagerLayoutOf(const std::vector<int32_t>& widths);
ManagerLayout IconManagerLayout(const IconGroup& group);

// The width of a row's label: the row's width less the widest image and
// 10, but never less than its text needs (256-pixel images leave no room:
// the row then grows and the box scrolls sideways).
int32_t ManagerLabelWidth(const ManagerLayout& layout, int32_t textWidth);
// The width a row takes with a label of that width.
int32_t ManagerRowWidth(const ManagerLayout& layout, int32_t textWidth);

// A row's label: "32 X 32" and, on a second line, "16 Colors". The colours
// are the stored colour count in file mode (when 0: "256 Colors" up to 8
// bits a pixel) and ColorsText of the bit count otherwise ("32 Bit" for a
// 32-bit image). A 256-pixel image reads 256.
std::string IconRowLabel(const IconImage& im, ManagerMode mode);

// A number with "," between groups of three digits: "12,345".
std::string ThousandsText(uint64_t n);

// The name of image j of a group: "<base>_<j>".
std::string ManagerImageName(const std::string& base, size_t j);

// Where a property sheet was opened from.
enum class SheetSource : uint8_t {
    FileManager = 1,     // the manager on a file
    WorkdeskManager = 2, // the manager on a workdesk's group
    Workdesk = 3,        // the workdesk itself: the group only
};

// What a property sheet shows.
struct ManagerProperties {
    std::string name;         // Label1
    std::string format;       // Label5: "32 X 32 16 Colors" (icons: empty for source 3)
    std::string hotSpot;      // cursors from a manager: "HotSpot [15,15]"
    std::string size;         // "1,128 bytes" (icons: empty for source 3)
    std::string fileName;     // Label2
    std::string totalImages;  // Label3
    std::string totalSize;    // Label4: "12,345 bytes"
    std::string heading;      // Label7: "Other Formats:", "Formats" or empty
    std::vector<std::string> otherLines; // at most 8, then "---- plus others"
    // The group's language when the file tells one: "English (United States),
    // 0x0409", with the others it is held in after it.
    std::string language;
};
constexpr size_t kMaxOtherFormatLines = 8;

ManagerProperties IconPropertiesOf(const IconGroup& group, size_t image, SheetSource source,
                                   const std::string& base, const std::string& fileName);

// The format text the sheet uses: "W X H C Colors", C from the bit count.
std::string IconSheetFormat(const IconImage& im);


// The Cursor Manager's rows: each image as wide as it is and half its stored
// height, labelled "32 X 32" / "2 Colors" (2 to the power of the bit count,
// 256 when 0) in both modes.
ManagerLayout CursorManagerLayout(const CursorGroup& group);
std::string CursorRowLabel(const CursorImage& im);
std::string CursorSheetFormat(const CursorImage& im);

// What Specific Cursor Properties shows. The name is the group's own from
// the manager on a file (the file's name), base + "_" + image from the
// manager on a workdesk's group and base alone from the workdesk, which
// shows image 0 without its hot spot.
ManagerProperties CursorPropertiesOf(const CursorGroup& group, size_t image, SheetSource source,
                                     const std::string& base, const std::string& fileName);

// The Cursor Manager playing an animated cursor: step s shows frame
// StepFrames[s] for StepRates[s] jiffies. Steps are counted from 1 where
// the user reads them, frames from 0 as their files are named.

// How long the step stays before the next, in ms: a rate of 0 waits one
// jiffy, so that playback never spins. 0 for a step out of range.
uint32_t AnimationStepDelayMs(const AnimatedCursor& animation, size_t step);
// "Step 2 of 8, frame 1, 100 ms" (the rate as stated); empty for a step out of range.
std::string AnimationStepText(const AnimatedCursor& animation, size_t step);
// The image a frame is previewed by: its widest that decodes
// (LargestDecodedImage); none when none does.
std::optional<size_t> AnimationPreviewImage(const CursorGroup& frame);
// The lines of the property sheet's Animation page: the counts, the default
// rate, the title and artist when present, then "Step s: frame f, N ms" for
// every step and "Frame k: 32 X 32 hot spot [3,4]; ..." for every frame.
std::vector<std::string> AnimationPropertyLines(const AnimatedCursor& animation);

// What the two managers differ in, chosen by the kind of group: the kind of
// file they open, the records they read, their rows and their property values.
template <class Group>
struct ManagerKind;

template <>
struct ManagerKind<IconGroup> {
    using Image = IconImage;
    static constexpr const char* kNoun = "Icon";
    static constexpr FileKind kFileKind = FileKind::Icon;
    static constexpr RecordKind kRecords = RecordKind::Icons;
    static const std::vector<IconGroup>& Groups(const FileContents& f) { return f.IconGroups; }
    static ManagerLayout Layout(const IconGroup& g) { return IconManagerLayout(g); }
    static std::string RowLabel(const Image& im, ManagerMode mode) { return IconRowLabel(im, mode); }
    static ManagerProperties Properties(const IconGroup& g, size_t image, SheetSource source,
                                        const std::string& base, const std::string& fileName) {
        return IconPropertiesOf(g, image, source, base, fileName);
    }
};

template <>
struct ManagerKind<CursorGroup> {
    using Image = CursorImage;
    static constexpr const char* kNoun = "Cursor";
    static constexpr FileKind kFileKind = FileKind::Cursor;
    static constexpr RecordKind kRecords = RecordKind::Cursors;
    static const std::vector<CursorGroup>& Groups(const FileContents& f) { return f.CursorGroups; }
    static ManagerLayout Layout(const CursorGroup& g) { return CursorManagerLayout(g); }
    static std::string RowLabel(const Image& im, ManagerMode) { return CursorRowLabel(im); }
    static ManagerProperties Properties(const CursorGroup& g, size_t image, SheetSource source,
                                        const std::string& base, const std::string& fileName) {
        return CursorPropertiesOf(g, image, source, base, fileName);
    }
};

// What a viewer shows as the name of its file: the file name as the file
// system spells it (two files may differ only in case).
std::string ViewerFileName(const Document& file);

} // namespace gw
