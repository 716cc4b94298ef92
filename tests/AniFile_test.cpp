// The animated cursor reader over files the builder makes: frames, steps,
// rates and texts as stored, and damage of every kind said, never followed.
#include <gtest/gtest.h>

#include "formats/AniFile.h"
#include "tests/support/AniBuilder.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

// A cursor (type 2) or icon (type 1) file of one image of the given side.
Bytes Frame(int side, uint16_t hotX, uint16_t hotY, uint16_t type = 2) {
    DibLayout s;
    s.width = s.height = side;
    s.bitCount = 32;
    s.pixel = [side](int x, int) { return 0xFF000000u | uint32_t(x * 255 / side); };
    IcoEntry e{BuildDib(s), uint8_t(side), uint8_t(side), 0, 0, hotX, hotY};
    return BuildIcoFile({e}, type);
}

} // namespace

TEST(AniFile, FramesStepsRatesAndTextsAsStored) {
    AniLayout layout;
    layout.frames = {Frame(32, 3, 4), Frame(32, 5, 6)};
    layout.sequence = std::vector<uint32_t>{0, 1, 0};
    layout.rates = std::vector<uint32_t>{6, 12, 30};
    layout.title = "Busy";       // 5 bytes with its zero: an odd chunk, padded
    layout.artist = "Ren\xE9";   // Windows-1252
    const Bytes file = BuildAni(layout);
    const auto read = ParseAniFile(file);
    ASSERT_FALSE(read.error) << read.error->Describe();
    const AnimatedCursor& ani = read.records;
    ASSERT_EQ(ani.Frames.size(), 2u);
    EXPECT_TRUE(ani.Frames[1].IsCursor);
    ASSERT_EQ(ani.Frames[1].Images.Images.size(), 1u);
    EXPECT_EQ(ani.Frames[1].Images.Images[0].HotspotX, 5);
    EXPECT_EQ(ani.Frames[1].Images.Images[0].HotspotY, 6);
    EXPECT_TRUE(ani.Frames[0].Images.Images[0].Handle());
    EXPECT_EQ(ani.StepFrames, (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_EQ(ani.StepRates, (std::vector<uint32_t>{6, 12, 30}));
    EXPECT_EQ(JiffiesToMs(6), 100u);
    EXPECT_EQ(ani.Title, "Busy");
    EXPECT_EQ(ani.Artist, "Ren\u00E9");
    EXPECT_EQ(ani.Data.size(), file.size());
    EXPECT_TRUE(IsAniData(file));

    // Without rate and sequence: the frames in order at the default rate.
    // Icon frames have no hot spot.
    AniLayout plain;
    plain.frames = {Frame(16, 7, 7, 1), Frame(16, 7, 7, 1), Frame(16, 7, 7, 1)};
    plain.defaultRate = 8;
    const auto icons = ParseAniFile(BuildAni(plain));
    ASSERT_FALSE(icons.error);
    EXPECT_EQ(icons.records.StepFrames, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(icons.records.StepRates, (std::vector<uint32_t>{8, 8, 8}));
    EXPECT_FALSE(icons.records.Frames[0].IsCursor);
    EXPECT_EQ(icons.records.Frames[0].Images.Images[0].HotspotX, 0);
}

// Counts that lie, sequences that point nowhere, chunks that run past the
// end and every cut of a file: said as damage, with what could be read.
TEST(AniFile, DamageIsSaidAndNeverFollowed) {
    AniLayout layout;
    layout.frames = {Frame(32, 1, 1), Frame(32, 2, 2)};
    layout.sequence = std::vector<uint32_t>{0, 1};
    layout.rates = std::vector<uint32_t>{10, 10};
    const Bytes good = BuildAni(layout);

    auto with = [&](auto change) {
        AniLayout s = layout;
        change(s);
        return ParseAniFile(BuildAni(s));
    };
    const auto lyingFrames = with([](AniLayout& s) { s.statedFrames = 2'000'000'000u; });
    ASSERT_TRUE(lyingFrames.error);
    EXPECT_EQ(lyingFrames.records.Frames.size(), 2u);
    const auto lyingSteps = with([](AniLayout& s) { s.statedSteps = 4'000'000'000u; });
    ASSERT_TRUE(lyingSteps.error);
    EXPECT_EQ(lyingSteps.records.StepFrames.size(), 2u);
    const auto nowhere = with([](AniLayout& s) { s.sequence = std::vector<uint32_t>{0, 7}; });
    ASSERT_TRUE(nowhere.error);
    EXPECT_EQ(nowhere.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(nowhere.records.StepFrames, std::vector<uint32_t>{0});
    const auto fewRates = with([](AniLayout& s) { s.rates = std::vector<uint32_t>{5}; });
    ASSERT_TRUE(fewRates.error);
    EXPECT_EQ(fewRates.records.StepRates, (std::vector<uint32_t>{5, 10}));
    const auto raw = with([](AniLayout& s) { s.iconFrames = false; });
    ASSERT_TRUE(raw.error);
    EXPECT_EQ(raw.error->kind, ReadErrorKind::Unsupported);
    EXPECT_TRUE(raw.records.Frames.empty());

    // A chunk stating more than the file holds is cut to the file.
    Bytes huge = good;
    for (int i = 0; i < 4; ++i) huge[size_t(4 + i)] = uint8_t(0xFFFFFFF0u >> (8 * i));
    const auto cutForm = ParseAniFile(huge);
    ASSERT_TRUE(cutForm.error);
    EXPECT_EQ(cutForm.error->kind, ReadErrorKind::Truncated);
    EXPECT_EQ(cutForm.records.Frames.size(), 2u);

    for (size_t cut = 0; cut < good.size(); cut += 7) {
        const auto part = ParseAniFile(ByteView(good).first(cut));
        EXPECT_TRUE(part.error) << cut;
        EXPECT_LE(part.error->offset, cut) << cut;
        EXPECT_LE(part.records.Frames.size(), 2u);
    }
    EXPECT_FALSE(ParseAniFile(Bytes{'R', 'I', 'F', 'F'}).records.Frames.size());
}
