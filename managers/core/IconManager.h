#pragma once
// The Icon Manager and Icon Properties without a window: the rows of one
// icon group (sizes, labels, the scroll box), the names of its images, and
// the values the property sheet shows.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/IcoTypes.h"

namespace gw {

struct CommonData;
struct FileContents;

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

// widths: each image's width as drawn (256 for a stored 0).
ManagerLayout ManagerLayoutOf(const std::vector<int32_t>& widths);
ManagerLayout IconManagerLayout(const TAdvIconGroupList& group);

// The width of a row's label: the row's width less the widest image and
// 10, but never less than its text needs (256-pixel images leave no room:
// the row then grows and the box scrolls sideways).
int32_t ManagerLabelWidth(const ManagerLayout& layout, int32_t textWidth);
// The width a row takes with a label of that width.
int32_t ManagerRowWidth(const ManagerLayout& layout, int32_t textWidth);

// A row's label: "32 X 32" and, on a second line, "16 Colors". The colours
// are the stored colour count in file mode (256 when 0) and 2 to the power
// of the bit count in workdesk mode (256 when 0). A 256-pixel image reads 256.
std::string IconRowLabel(const TAdvIconImage& im, ManagerMode mode);

// A number with "," between groups of three digits: "12,345".
std::string ThousandsText(uint64_t n);

// The name of image j of a group: "<base>_<j>".
std::string ManagerImageName(const std::string& base, size_t j);

// What Icon Properties shows. Sources: 1 the Icon Manager on a file, 2 the
// Icon Manager on a workdesk's group, 3 the Icon Workdesk (the group only).
struct IconProperties {
    std::string name;         // Label1
    std::string format;       // Label5: "32 X 32 16 Colors" (empty for source 3)
    std::string size;         // Label6: "1,128 bytes" (empty for source 3)
    std::string fileName;     // Label2
    std::string totalImages;  // Label3
    std::string totalSize;    // Label4: "12,345 bytes"
    std::string heading;      // Label7: "Other Formats:", "Formats" or empty
    std::vector<std::string> otherLines; // at most 8, then "---- plus others"
};
constexpr size_t kMaxOtherFormatLines = 8;

IconProperties IconPropertiesOf(const TAdvIconGroupList& group, size_t image, int source, const std::string& base,
                                const std::string& fileName);

// The format text the sheet uses: "W X H C Colors", C from the bit count.
std::string IconSheetFormat(const TAdvIconImage& im);

// Opening the manager in file mode: IconName (the file's name before its
// first "."), IconGroupIndex 0, and the file's one group loaded into
// contents. A file that does not load leaves no group.
void OpenIconManagerFile(CommonData& common, FileContents& contents);

} // namespace gw
