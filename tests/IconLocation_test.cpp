#include <gtest/gtest.h>

#include <climits>

#include "formats/Document.h"
#include "formats/IconLocation.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

std::string Parsed(const std::string& text) {
    const std::optional<IconLocation> location = ParseIconLocation(text);
    return location ? location->path + " | " + std::to_string(location->index) : "none";
}

PeResource Group(ResourceKey name, uint16_t imageId, const Bytes& image) {
    return {ResourceKey::Id(RT_GROUP_ICON), std::move(name), 0x0409,
            BuildIconGroup({{16, 16, 0, 0, 1, 4, uint32_t(image.size()), imageId}})};
}

// The id of the image a picked group shows: which group it is.
int PickedImage(const FileContents& contents, int32_t index) {
    const IconGroup* group = PickIconGroup(contents, index);
    return !group ? -1 : group->Images.empty() ? 0 : group->Images[0].ResId;
}

} // namespace

TEST(IconLocation, FileAndIndexSplitAtTheLastComma) {
    EXPECT_EQ(Parsed("C:\\x\\a.dll,-101"), "C:\\x\\a.dll | -101");
    EXPECT_EQ(Parsed("a.exe,3"), "a.exe | 3");
    EXPECT_EQ(Parsed("  a.exe , +3 "), "a.exe | 3");
    EXPECT_EQ(Parsed("\"a b.exe\",0"), "a b.exe | 0");
    EXPECT_EQ(Parsed("\"C:\\a,b\\c.exe\""), "C:\\a,b\\c.exe | 0");
    EXPECT_EQ(Parsed("\"C:\\a,b\\c.exe\",-2"), "C:\\a,b\\c.exe | -2");
    EXPECT_EQ(Parsed("%SystemRoot%\\system32\\shell32.dll,-2147483648"),
              "%SystemRoot%\\system32\\shell32.dll | -2147483648");
    EXPECT_EQ(Parsed("a.exe"), "a.exe | 0");
    EXPECT_EQ(Parsed("a.exe,"), "a.exe | 0");
    // After a last comma with no number, the comma is the file's.
    EXPECT_EQ(Parsed("C:\\Games, Old\\a.exe"), "C:\\Games, Old\\a.exe | 0");
    EXPECT_EQ(Parsed("a,b.exe,1"), "a,b.exe | 1");

    for (const char* refused : {"", "   ", ",3", "\"\",1", "a.exe,2147483648", "a.exe,-99999999999", "\"a.exe,1",
                                "a\"b.exe", "@%SystemRoot%\\system32\\shell32.dll,-21770"})
        EXPECT_EQ(Parsed(refused), "none") << refused;
}

TEST(IconLocation, IndexPicksByPositionAndNegativeIndexById) {
    const Bytes image = BuildIconDib(16, 4);
    PeLayout layout;
    layout.resources = {
        Group(ResourceKey::Id(101), 3, image),
        Group(ResourceKey::Named("MAINICON"), 1, image),
        Group(ResourceKey::Id(7), 2, image),
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x0409, image},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(2), 0x0409, image},
        {ResourceKey::Id(RT_ICON), ResourceKey::Id(3), 0x0409, image},
    };
    const auto exe = Document::OfBytes("game.exe", BuildPe(layout).bytes);
    // Resource order: names first, then ids ascending.
    ASSERT_NE(PickIconGroup(*exe, 0), nullptr);
    EXPECT_EQ(PickIconGroup(*exe, 0)->Name, "MAINICON");
    const FileContents& contents = exe->Contents();
    EXPECT_EQ(PickedImage(contents, 1), 2);
    EXPECT_EQ(PickedImage(contents, 2), 3);
    EXPECT_EQ(PickedImage(contents, 3), -1);
    EXPECT_EQ(PickedImage(contents, -7), 2);
    EXPECT_EQ(PickedImage(contents, -101), 3);
    for (const int32_t missing : {-1, -2, -3, -65536 - 7, INT_MIN, INT_MAX}) EXPECT_EQ(PickedImage(contents, missing), -1) << missing;

    // A plain icon file: index 0 is its own group, which has no id.
    const auto ico = Document::OfBytes("folder.ico", BuildIcoFile({{image}}));
    ASSERT_NE(PickIconGroup(*ico, 0), nullptr);
    EXPECT_EQ(PickIconGroup(*ico, 0)->Images.size(), 1u);
    EXPECT_EQ(PickIconGroup(*ico, 1), nullptr);
    EXPECT_EQ(PickIconGroup(*ico, -1), nullptr);

    // A group a damaged file left empty is no icon; the ones after it keep their places.
    FileContents damaged;
    damaged.IconGroups.resize(2);
    damaged.IconGroups[1].Name = "5";
    damaged.IconGroups[1].Images.resize(1);
    EXPECT_EQ(PickIconGroup(damaged, 0), nullptr);
    EXPECT_EQ(PickIconGroup(damaged, 1), &damaged.IconGroups[1]);
    EXPECT_EQ(PickIconGroup(damaged, -5), &damaged.IconGroups[1]);
}
