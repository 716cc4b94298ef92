// The Icon and Cursor Managers' rows and the values of their property sheets.
#include <gtest/gtest.h>

#include "formats/FileContents.h"
#include "managers/core/IconManager.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

IconImage Image(uint8_t w, uint16_t bits, uint8_t colorCount = 0, uint32_t bytes = 0) {
    IconImage im;
    im.Width = im.Height = w;
    im.BitCount = bits;
    im.ColorCount = colorCount;
    im.BytesInRes = bytes;
    return im;
}

IconGroup Group(std::vector<IconImage> images) {
    IconGroup g;
    g.Name = "APP";
    g.Images = std::move(images);
    return g;
}

} // namespace

TEST(IconManager, RowsAndTheScrollBox) {
    // One 32 x 32 image of 16 colours: a 36-pixel row in a 274-pixel box.
    const ManagerLayout one = IconManagerLayout(Group({Image(32, 4, 16)}));
    EXPECT_EQ(one.rowHeight, 36);
    EXPECT_EQ(one.listHeight, 274);
    EXPECT_EQ(one.rowWidth, 236);
    EXPECT_EQ(IconRowLabel(Image(32, 4, 16), ManagerMode::File), "32 X 32\n16 Colors");
    // Seven images 48 wide: 7 x 52 + 4 = 368 does not fit; 5 whole rows, narrower.
    const ManagerLayout seven = IconManagerLayout(Group(std::vector<IconImage>(7, Image(48, 8))));
    EXPECT_EQ(seven.rowHeight, 52);
    EXPECT_EQ(seven.listHeight, 264);
    EXPECT_EQ(seven.rowWidth, 220);
    EXPECT_EQ(seven.scrollStep, 52);
    // A 256-pixel image (stored 0): one whole row still shows, and its label
    // keeps the width its text needs instead of going negative.
    const ManagerLayout big = IconManagerLayout(Group({Image(0, 32), Image(16, 4)}));
    EXPECT_EQ(big.maxWidth, 256);
    EXPECT_EQ(big.listHeight, 264);
    EXPECT_EQ(ManagerLabelWidth(big, 60), 60);
    EXPECT_EQ(ManagerRowWidth(big, 60), 326);
    EXPECT_EQ(IconRowLabel(Image(0, 32), ManagerMode::Workdesk), "256 X 256\n32 Bit");
    // A stored colour count of 0 reads 256 in file mode up to 8 bits a pixel;
    // deeper images say their bits.
    EXPECT_EQ(IconRowLabel(Image(32, 8, 0), ManagerMode::File), "32 X 32\n256 Colors");
    EXPECT_EQ(IconRowLabel(Image(32, 0, 0), ManagerMode::File), "32 X 32\n256 Colors");
    EXPECT_EQ(IconRowLabel(Image(32, 32, 0), ManagerMode::File), "32 X 32\n32 Bit");
}

TEST(IconManager, PropertySheetsNameTheLanguageWhenTheFileTellsOne) {
    IconGroup group = Group({Image(32, 4)});
    EXPECT_EQ(IconPropertiesOf(group, 0, SheetSource::FileManager, "a", "a.ico").language, "");
    group.Language = 0x0407;
    group.Languages = {0x0407, 0x0409};
    EXPECT_EQ(IconPropertiesOf(group, 0, SheetSource::Workdesk, "a", "a.dll").language,
              "German (Germany), 0x0407 (also held in English (United States), 0x0409)");
    CursorGroup cursors;
    cursors.Language = 0x0409;
    cursors.Languages = {0x0409};
    EXPECT_EQ(CursorPropertiesOf(cursors, 0, SheetSource::Workdesk, "c", "c.dll").language,
              "English (United States), 0x0409");
}

TEST(IconManager, PropertySheetValues) {
    const IconGroup group = Group({Image(32, 4, 0, 744), Image(32, 4, 0, 744), Image(16, 8, 0, 10857)});
    const ManagerProperties fromManager = IconPropertiesOf(group, 0, SheetSource::FileManager, "shell", "shell.ico");
    EXPECT_EQ(fromManager.name, "shell_0");
    EXPECT_EQ(fromManager.format, "32 X 32 16 Colors");
    EXPECT_EQ(fromManager.size, "744 bytes");
    EXPECT_EQ(fromManager.totalImages, "3");
    EXPECT_EQ(fromManager.totalSize, "12,345 bytes");
    EXPECT_EQ(fromManager.heading, "Other Formats:");
    EXPECT_EQ(fromManager.otherLines, (std::vector<std::string>{"16 X 16 256 Colors"}));
    // From the workdesk: the group alone, every image a line under "Formats".
    const ManagerProperties fromDesk = IconPropertiesOf(group, 2, SheetSource::Workdesk, "APP", "shell.dll");
    EXPECT_EQ(fromDesk.name, "APP");
    EXPECT_EQ(fromDesk.format, "");
    EXPECT_EQ(fromDesk.heading, "Formats");
    EXPECT_EQ(fromDesk.otherLines.size(), 3u);
    // Eight lines at most, then one "---- plus others".
    const ManagerProperties many =
        IconPropertiesOf(Group(std::vector<IconImage>(12, Image(48, 8))), 0, SheetSource::Workdesk, "X", "x");
    ASSERT_EQ(many.otherLines.size(), 9u);
    EXPECT_EQ(many.otherLines.back(), "---- plus others");
    EXPECT_EQ(ThousandsText(1234567), "1,234,567");
    EXPECT_EQ(ThousandsText(999), "999");
}

TEST(IconManager, FileModeLoadsTheFileAndNamesItsImages) {
    TempDir dir;
    DibLayout s;
    s.width = s.height = 32;
    s.bitCount = 4;
    ASSERT_TRUE(WriteFile(dir.file("Shell.Big.ico"), BuildIcoFile({{BuildDib(s), 32, 32, 16, 0, 1, 4}})));
    const auto file = Document::Open(dir.file("Shell.Big.ico"));
    EXPECT_TRUE(file->LoadAsImageFile(FileKind::Icon).empty());
    EXPECT_EQ(ViewerFileName(*file), "Shell.Big.ico"); // as the file system spells it
    ASSERT_EQ(file->Contents().IconGroups.size(), 1u);
    EXPECT_EQ(file->Contents().IconGroups[0].Images.size(), 1u);
    // A file that is not an icon leaves no image, and says why.
    ASSERT_TRUE(WriteFile(dir.file("bad.ico"), Bytes{1, 2, 3}));
    const auto bad = Document::Open(dir.file("bad.ico"));
    EXPECT_FALSE(bad->LoadAsImageFile(FileKind::Icon).empty());
    const FileContents& none = bad->Contents();
    EXPECT_TRUE(none.IconGroups.empty() || none.IconGroups[0].Images.empty());
    EXPECT_TRUE(bad->Damaged());
}

TEST(CursorManager, RowsAndSheetValues) {
    auto cursor = [](uint16_t w, uint16_t bits, uint16_t hotX, uint16_t hotY, uint32_t bytes) {
        CursorImage im;
        im.Width = w;
        im.Height = uint16_t(w * 2); // the stored bitmap height
        im.BitCount = bits;
        im.HotspotX = hotX;
        im.HotspotY = hotY;
        im.BytesInRes = bytes;
        return im;
    };
    CursorGroup group;
    group.Name = "arrow";
    group.Images = {cursor(32, 1, 15, 15, 308), cursor(48, 0, 2, 3, 12037)};
    // Rows show the cursor's height, half the stored one; 1 bit gives 2 colours, 0 gives 256.
    EXPECT_EQ(CursorRowLabel(group.Images[0]), "32 X 32\n2 Colors");
    EXPECT_EQ(CursorRowLabel(group.Images[1]), "48 X 48\n256 Colors");
    EXPECT_EQ(CursorManagerLayout(group).rowHeight, 52);
    const ManagerProperties fromFile = CursorPropertiesOf(group, 1, SheetSource::FileManager, "arrow", "arrow.cur");
    EXPECT_EQ(fromFile.name, "arrow");
    EXPECT_EQ(fromFile.format, "48 X 48 256 Colors");
    EXPECT_EQ(fromFile.hotSpot, "HotSpot [2,3]");
    EXPECT_EQ(fromFile.size, "12,037 bytes");
    EXPECT_EQ(fromFile.totalSize, "12,345 bytes");
    EXPECT_EQ(fromFile.otherLines, (std::vector<std::string>{"32 X 32 2 Colors"}));
    EXPECT_EQ(CursorPropertiesOf(group, 1, SheetSource::WorkdeskManager, "OCR_WAIT", "user32.dll").name, "OCR_WAIT_1");
    // From the workdesk: image 0 without its hot spot, the others under "Other Formats:".
    const ManagerProperties fromDesk = CursorPropertiesOf(group, 1, SheetSource::Workdesk, "OCR_WAIT", "user32.dll");
    EXPECT_EQ(fromDesk.name, "OCR_WAIT");
    EXPECT_EQ(fromDesk.format, "32 X 32 2 Colors");
    EXPECT_EQ(fromDesk.hotSpot, "");
    EXPECT_EQ(fromDesk.heading, "Other Formats:");
}

// What the Cursor Manager says of an animation: a rate of 0 still waits a
// jiffy, steps out of range say nothing, icon frames have no hot spot and a
// frame with no image says so.
TEST(CursorManager, AnimationStepsAndPropertyLines) {
    AnimatedCursor a;
    a.DefaultRate = 3;
    a.Artist = "Someone";
    AnimationFrame cursorFrame;
    CursorImage im;
    im.Width = 32;
    im.Height = 64;
    im.HotspotX = 3;
    im.HotspotY = 4;
    cursorFrame.Images.Images = {im};
    AnimationFrame iconFrame = cursorFrame;
    iconFrame.IsCursor = false;
    a.Frames = {cursorFrame, iconFrame, AnimationFrame{}};
    a.StepFrames = {2, 0};
    a.StepRates = {0, 90};
    EXPECT_EQ(AnimationStepDelayMs(a, 0), 16u);
    EXPECT_EQ(AnimationStepDelayMs(a, 1), 1500u);
    EXPECT_EQ(AnimationStepDelayMs(a, 2), 0u);
    EXPECT_EQ(AnimationStepText(a, 0), "Step 1 of 2, frame 2, 0 ms");
    EXPECT_EQ(AnimationStepText(a, 2), "");
    EXPECT_EQ(AnimationPreviewImage(a.Frames[2].Images), std::nullopt);
    EXPECT_EQ(AnimationPropertyLines(a),
              (std::vector<std::string>{"Frames: 3", "Steps: 2", "Default rate: 50 ms", "Artist: Someone",
                                        "Step 1: frame 2, 0 ms", "Step 2: frame 0, 1500 ms",
                                        "Frame 0: 32 X 32 hot spot [3,4]", "Frame 1: 32 X 32", "Frame 2: no images"}));
}
