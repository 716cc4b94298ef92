// Resource languages (the one shown, all held, a language asked for) in PE
// and resource files, the language names, and language-neutral libraries
// whose images are read from their SystemResources/<name>.mun.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include "batch/core/FileInformation.h"
#include "batch/core/InfoJson.h"
#include "formats/Document.h"
#include "formats/KindReader.h"
#include "formats/MuiResource.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"
#include "listing/ListRow.h"
#include "platform/IconImage.h"
#include "platform/LanguageName.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/GroupBuilder.h"
#include "tests/support/MuiBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"
#include "tests/support/RunCommand.h"
#include "thumbnailer/Thumbnail.h"

using namespace gw;
using namespace gw::test;
using json = nlohmann::json;

namespace {

constexpr uint16_t kGerman = 0x0407, kEnglish = 0x0409, kSpanish = 0x0c0a;

Bytes IconDib(int size) {
    DibLayout s;
    s.width = size;
    s.height = size;
    s.bitCount = 4;
    return BuildDib(s);
}


Bytes Group(std::vector<std::pair<uint8_t, uint16_t>> sizeAndId) {
    std::vector<IconGroupEntry> entries;
    for (auto [size, id] : sizeAndId) {
        IconGroupEntry e;
        e.width = e.height = size;
        e.bytesInRes = uint32_t(IconDib(size).size());
        e.id = id;
        entries.push_back(e);
    }
    return BuildIconGroup(entries);
}

PeResource Res(uint16_t type, uint16_t id, uint16_t language, Bytes data) {
    return {ResourceKey::Id(type), ResourceKey::Id(id), language, std::move(data)};
}

// Icon group 1 in German (a 16-pixel image, id 1) and English (32 pixels,
// id 2, and image 3, held only in Spanish); bitmap 5 in German (8 x 4) and
// English (20 x 10); bitmap 6 neutral only.
PeLayout TwoLanguageLibrary() {
    PeLayout layout;
    layout.resources = {Res(RT_GROUP_ICON, 1, kGerman, Group({{16, 1}})),
                        Res(RT_GROUP_ICON, 1, kEnglish, Group({{32, 2}, {48, 3}})),
                        Res(RT_ICON, 1, kGerman, IconDib(16)),
                        Res(RT_ICON, 2, kEnglish, IconDib(32)),
                        Res(RT_ICON, 2, kGerman, IconDib(16)),
                        Res(RT_ICON, 3, kSpanish, IconDib(48)),
                        Res(RT_BITMAP, 5, kGerman, BitmapDib(8, 4, 24)),
                        Res(RT_BITMAP, 5, kEnglish, BitmapDib(20, 10, 24)),
                        Res(RT_BITMAP, 6, 0, BitmapDib(3, 3, 24))};
    return layout;
}

std::shared_ptr<Document> Opened(const Bytes& bytes, std::optional<uint16_t> language, const char* name) {
    auto doc = Document::OfBytes(name, bytes);
    doc->SetLanguage(language);
    doc->LoadAll();
    return doc;
}

json Info(Document& doc) { return InfoJsonObject(doc.Path(), doc, {}); }

TEST(Languages, PeGroupAndBitmapShowTheirFirstLanguageOrTheOneAsked) {
    const Bytes pe = BuildPe(TwoLanguageLibrary()).bytes;
    {
        auto doc = Opened(pe, std::nullopt, "two.dll");
        EXPECT_TRUE(doc->Errors().empty());
        ASSERT_EQ(doc->Counts().iconGroups, 1);
        const IconGroup& g = doc->Contents().IconGroups.at(0);
        EXPECT_EQ(g.Language, kGerman);
        EXPECT_EQ(g.Languages, (std::vector<uint16_t>{kGerman, kEnglish}));
        ASSERT_EQ(g.Images.size(), 1u);
        EXPECT_EQ(g.Images[0].Width, 16);
        EXPECT_EQ(ByteView(g.Images[0].Data).size(), IconDib(16).size());
        const auto& bitmaps = doc->Contents().Bitmaps;
        ASSERT_EQ(bitmaps.size(), 2u);
        EXPECT_EQ(bitmaps[0].Width, 8);
        EXPECT_EQ(bitmaps[0].Language, kGerman);
        EXPECT_EQ(bitmaps[1].Languages, std::vector<uint16_t>{0});

        const json j = Info(*doc);
        EXPECT_EQ(j["groups"][0]["language"], kGerman);
        EXPECT_EQ(j["groups"][0]["languages"], json({kGerman, kEnglish}));
        EXPECT_EQ(j["bitmap_list"][0]["language"], kGerman);
        // Neutral and held in one language: nothing said.
        EXPECT_FALSE(j["bitmap_list"][1].contains("language"));
        EXPECT_FALSE(j["bitmap_list"][1].contains("languages"));
        EXPECT_FALSE(j.contains("resources_from"));
    }
    {
        // English: the group's own images in English, image 3 in the only
        // language it is held in.
        auto doc = Opened(pe, kEnglish, "two.dll");
        EXPECT_TRUE(doc->Errors().empty());
        const IconGroup& g = doc->Contents().IconGroups.at(0);
        EXPECT_EQ(g.Language, kEnglish);
        ASSERT_EQ(g.Images.size(), 2u);
        EXPECT_EQ(ByteView(g.Images[0].Data).size(), IconDib(32).size());
        EXPECT_FALSE(g.Images[1].Missing);
        EXPECT_EQ(ByteView(g.Images[1].Data).size(), IconDib(48).size());
        EXPECT_EQ(doc->Contents().Bitmaps[0].Width, 20);
        EXPECT_EQ(Info(*doc)["groups"][0]["language"], kEnglish);
    }
    {
        // A language nothing is held in: each keeps its first, which is said.
        auto doc = Opened(pe, 0x0411, "two.dll");
        EXPECT_EQ(doc->Contents().IconGroups.at(0).Language, kGerman);
        EXPECT_EQ(doc->Contents().Bitmaps.at(0).Width, 8);
        EXPECT_EQ(LanguageNotHeldText(*doc),
                  "Japanese (Japan), 0x0411 is not in the file; used Neutral, 0x0000 and German (Germany), 0x0407 "
                  "instead (the file holds Neutral, 0x0000; German (Germany), 0x0407; English (United States), "
                  "0x0409)");
    }
    // Nothing to say when a record holds the language, when none was asked,
    // or when the file tells no languages.
    EXPECT_EQ(LanguageNotHeldText(*Opened(pe, kEnglish, "two.dll")), "");
    EXPECT_EQ(LanguageNotHeldText(*Opened(pe, std::nullopt, "two.dll")), "");
    EXPECT_EQ(LanguageNotHeldText(*Opened(BuildRes16({{RT_BITMAP, 1, BitmapDib(3, 3, 24)}}), kGerman, "old.res")), "");
}

TEST(Languages, SettingTheLanguageAfterALoadReadsTheRecordsAgain) {
    auto doc = Opened(BuildPe(TwoLanguageLibrary()).bytes, std::nullopt, "two.dll");
    ASSERT_EQ(doc->Contents().IconGroups.at(0).Language, kGerman);
    doc->SetLanguage(kEnglish);
    EXPECT_TRUE(doc->Contents().IconGroups.empty());
    EXPECT_TRUE(doc->Load(RecordKind::Icons).empty());
    EXPECT_EQ(doc->Contents().IconGroups.at(0).Language, kEnglish);
    EXPECT_EQ(doc->Language(), std::optional<uint16_t>(kEnglish));
}

TEST(Languages, NeutralSingleLanguageFilesSayNoLanguage) {
    PeLayout layout;
    layout.resources = {Res(RT_GROUP_ICON, 1, 0, Group({{16, 1}})), Res(RT_ICON, 1, 0, IconDib(16))};
    auto doc = Opened(BuildPe(layout).bytes, kEnglish, "neutral.dll");
    const json group = Info(*doc)["groups"][0];
    EXPECT_FALSE(group.contains("language"));
    EXPECT_FALSE(group.contains("languages"));
    EXPECT_EQ(doc->Contents().IconGroups.at(0).Languages, std::vector<uint16_t>{0});
}

// Group 1 in English then German; image 1 in both languages, image 2 in
// German only.
Bytes TwoLanguageRes() {
    ResItem englishGroup{RT_GROUP_ICON, 1, Group({{16, 1}})};
    ResItem germanGroup{RT_GROUP_ICON, 1, Group({{32, 1}, {48, 2}})};
    germanGroup.language = kGerman;
    ResItem englishImage{RT_ICON, 1, IconDib(16)};
    ResItem germanImage{RT_ICON, 1, IconDib(32)};
    germanImage.language = kGerman;
    ResItem onlyGerman{RT_ICON, 2, IconDib(48)};
    onlyGerman.language = kGerman;
    return BuildRes32({englishGroup, englishImage, germanGroup, germanImage, onlyGerman});
}

TEST(Languages, ResFileEntriesOfOneNameAreOneRecordInEachLanguage) {
    const Bytes res = TwoLanguageRes();
    EXPECT_EQ(CountResEntries(res, RT_GROUP_ICON), 1);
    {
        auto doc = Opened(res, std::nullopt, "two.res");
        EXPECT_TRUE(doc->Errors().empty());
        const IconGroup& g = doc->Contents().IconGroups.at(0);
        EXPECT_EQ(g.Language, kEnglish); // the first in file order
        EXPECT_EQ(g.Languages, (std::vector<uint16_t>{kGerman, kEnglish}));
        ASSERT_EQ(g.Images.size(), 1u);
        EXPECT_EQ(ByteView(g.Images[0].Data).size(), IconDib(16).size());
        EXPECT_EQ(Info(*doc)["groups"][0]["languages"], json({kGerman, kEnglish}));
    }
    {
        auto doc = Opened(res, kGerman, "two.res");
        EXPECT_TRUE(doc->Errors().empty());
        const IconGroup& g = doc->Contents().IconGroups.at(0);
        EXPECT_EQ(g.Language, kGerman);
        ASSERT_EQ(g.Images.size(), 2u);
        EXPECT_EQ(ByteView(g.Images[0].Data).size(), IconDib(32).size());
        EXPECT_EQ(ByteView(g.Images[1].Data).size(), IconDib(48).size());
    }
}

TEST(Languages, ResFileDuplicatesAndTheSixteenBitLayoutKeepTheirRecords) {
    // The same name twice in one language stays two records, as before
    // languages were told apart; a neutral file says no language.
    ResItem group{RT_GROUP_ICON, 1, Group({{16, 1}})};
    ResItem image{RT_ICON, 1, IconDib(16)};
    group.language = image.language = 0;
    const Bytes twice = BuildRes32({group, group, image});
    EXPECT_EQ(CountResEntries(twice, RT_GROUP_ICON), 2);
    auto doc = Opened(twice, std::nullopt, "twice.res");
    ASSERT_EQ(doc->Contents().IconGroups.size(), 2u);
    EXPECT_FALSE(Info(*doc)["groups"][1].contains("language"));

    auto old = Opened(BuildRes16({{RT_GROUP_ICON, 1, Group({{16, 1}})}, {RT_ICON, 1, IconDib(16)}}), kGerman, "old.res");
    ASSERT_EQ(old->Contents().IconGroups.size(), 1u);
    EXPECT_TRUE(old->Contents().IconGroups[0].Languages.empty());
}

TEST(Languages, CommandLineShowsAndWritesTheLanguageAsked) {
    TempDir dir;
    const std::string pe = dir.file("two.dll"), res = dir.file("two.res");
    WriteFile(pe, BuildPe(TwoLanguageLibrary()).bytes);
    WriteFile(res, TwoLanguageRes());
    const std::string cli = std::string(GRABWELL_CLI) + " ";
    const RunResult plain = RunCommand(cli + "info --json " + pe);
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(json::parse(plain.out)["groups"][0]["language"], kGerman);
    const RunResult english = RunCommand(cli + "info --json --language 0x0409 " + pe + " " + res);
    ASSERT_EQ(english.status, 0);
    const auto lines = english.out.find('\n');
    EXPECT_EQ(json::parse(english.out.substr(0, lines))["groups"][0]["language"], kEnglish);
    EXPECT_EQ(json::parse(english.out.substr(lines + 1))["groups"][0]["language"], kEnglish);
    EXPECT_EQ(json::parse(RunCommand(cli + "info --json --language 1031 " + res).out)["groups"][0]["language"],
              kGerman);
    EXPECT_EQ(RunCommand(cli + "info --language 0x10000 " + pe + " 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(cli + "info --language german " + pe + " 2>/dev/null").status, 2);

    // save writes the group in the language shown: two images in English.
    const std::string out = dir.file("out");
    ::mkdir(out.c_str(), 0755);
    ASSERT_EQ(RunCommand(cli + "save --icons --language 0x409 " + pe + " " + out).status, 0);
    auto saved = Document::Open(out + "/1.ico");
    saved->LoadAll();
    ASSERT_EQ(saved->Contents().IconGroups.size(), 1u);
    EXPECT_EQ(saved->Contents().IconGroups[0].Images.size(), 2u);
    ASSERT_EQ(RunCommand(cli + "extract --language 1031 " + pe + " " + out).status, 0);
    EXPECT_EQ(ReadFile(out + "/1_0.ico").size(), 6 + 16 + IconDib(16).size());
}

TEST(Languages, NamesOfCommonLanguagesAndFallbacks) {
    EXPECT_EQ(LanguageName(0x0409), "English (United States), 0x0409");
    EXPECT_EQ(LanguageName(0x0c0a), "Spanish (Spain), 0x0c0a");
    EXPECT_EQ(LanguageName(0x0804), "Chinese (People's Republic of China), 0x0804");
    EXPECT_EQ(LanguageName(0), "Neutral, 0x0000");
    EXPECT_EQ(LanguageName(0x7c07), "German, 0x7c07");
    EXPECT_EQ(LanguageName(0x00ff), "Language 0x00ff");
    EXPECT_EQ(ParseLanguageId("1033"), std::optional<uint16_t>(0x0409));
    EXPECT_EQ(ParseLanguageId("0X0C0A"), std::optional<uint16_t>(0x0c0a));
    EXPECT_EQ(ParseLanguageId("0x00000409"), std::optional<uint16_t>(0x0409)); // as info and set-icon both take it
    for (const char* bad : {"", "0x", "-1", "65536", "0x1g", "12 "}) EXPECT_FALSE(ParseLanguageId(bad)) << bad;
}

// ---- language-neutral libraries -------------------------------------------

TEST(Mui, ReadsTheResourceAndRefusesPartsOutsideIt) {
    MuiLayout layout;
    layout.mainTypeNames = {"MUI", "WEVT_TEMPLATE"};
    const Bytes mui = BuildMuiResource(layout);
    const ReadResult<MuiResource> read = ParseMuiResource(mui);
    ASSERT_FALSE(read.error) << read.error->Describe();
    EXPECT_EQ(read.records.Size, mui.size());
    EXPECT_EQ(read.records.FileType, 0x11u);
    EXPECT_EQ(read.records.MainTypeNames, (std::vector<std::string>{"MUI", "WEVT_TEMPLATE"}));
    EXPECT_EQ(read.records.MainTypeIds, (std::vector<uint32_t>{3, 14, 16, 24}));
    EXPECT_EQ(read.records.MuiTypeIds, std::vector<uint32_t>{6});
    EXPECT_EQ(read.records.FallbackLanguage, "en-US");
    EXPECT_EQ(read.records.Checksum[0], 0xA0);

    Bytes outside = mui;
    outside[MuiSpanAt(1)] = 0xF0; // main type ids' offset past the end
    outside[MuiSpanAt(1) + 1] = 0xFF;
    const auto bad = ParseMuiResource(outside);
    ASSERT_TRUE(bad.error);
    EXPECT_EQ(bad.error->offset, MuiSpanAt(1));
    EXPECT_TRUE(bad.records.MainTypeIds.empty());
    EXPECT_EQ(bad.records.MainTypeNames.size(), 2u); // the parts inside are read

    EXPECT_TRUE(ParseMuiResource(Bytes(mui.begin(), mui.begin() + 100)).error);
    Bytes unsigned_ = mui;
    unsigned_[0] = 0;
    EXPECT_TRUE(ParseMuiResource(unsigned_).error);
}

// A language-neutral library: the MUI resource, a cursor group and no icon.
Bytes NeutralLibrary(const Bytes& mui = BuildMuiResource()) {
    PeLayout layout;
    CursorGroupEntry cursor;
    layout.resources = {{ResourceKey::Named("MUI"), ResourceKey::Id(1), kEnglish, mui},
                        {ResourceKey::Id(RT_GROUP_CURSOR), ResourceKey::Id(1), 0, BuildCursorGroup({cursor})},
                        {ResourceKey::Id(RT_CURSOR), ResourceKey::Id(1), 0, BuildCursorResource(1, 2, IconDib(32))}};
    return BuildPe(layout).bytes;
}

// Its resource file: two icon groups.
Bytes ResourceLibrary() {
    PeLayout layout;
    layout.resources = {Res(RT_GROUP_ICON, 1, kEnglish, Group({{16, 1}})), Res(RT_GROUP_ICON, 2, 0, Group({{32, 2}})),
                        Res(RT_ICON, 1, kEnglish, IconDib(16)), Res(RT_ICON, 2, 0, IconDib(32))};
    return BuildPe(layout).bytes;
}

struct WindowsTree {
    TempDir dir;
    std::string library;
    WindowsTree(const std::string& resourcesFolder, const std::string& munName, const Bytes& mun,
                const Bytes& libraryBytes = NeutralLibrary()) {
        for (const std::string& folder : {std::string("Windows"), std::string("Windows/System32"), "Windows/" + resourcesFolder})
            ::mkdir(dir.file(folder).c_str(), 0755);
        library = dir.file("Windows/System32/Shell32.dll");
        WriteFile(library, libraryBytes);
        if (!mun.empty()) WriteFile(dir.file("Windows/" + resourcesFolder + "/" + munName), mun);
    }
};

TEST(Mui, ImagesTheLibraryLacksComeFromItsResourceFile) {
    for (const auto& [folder, name] : {std::pair<std::string, std::string>{"SystemResources", "Shell32.dll.mun"},
                                       {"systemresources", "SHELL32.DLL.MUN"}}) {
        WindowsTree tree(folder, name, ResourceLibrary());
        auto doc = Document::Open(tree.library);
        EXPECT_EQ(doc->ResourcesFrom(), tree.dir.file("Windows/" + folder + "/" + name));
        EXPECT_EQ(doc->Counts().iconGroups, 2);
        EXPECT_EQ(doc->Counts().cursorGroups, 1); // the library's own
        EXPECT_NE(ModuleOf(*doc, RecordKind::Icons), ModuleOf(*doc, RecordKind::Cursors));
        EXPECT_TRUE(doc->LoadAll().empty());
        ASSERT_EQ(doc->Contents().IconGroups.size(), 2u);
        EXPECT_EQ(doc->Contents().IconGroups[1].Images.at(0).Width, 32);
        EXPECT_EQ(doc->Contents().CursorGroups.size(), 1u);
        const json j = Info(*doc);
        EXPECT_EQ(j["resources_from"], doc->ResourcesFrom());
        EXPECT_EQ(j["icon_groups"], 2);
        // The same from a relative path.
        const RunResult relative =
            RunCommand("cd " + tree.dir.file("Windows/System32") + " && " + GRABWELL_CLI + " info --json Shell32.dll");
        EXPECT_EQ(json::parse(relative.out)["resources_from"], "../" + folder + "/" + name);
    }
}

TEST(Mui, TheThumbnailOfALanguageNeutralLibraryIsItsResourceFilesFirstIcon) {
    WindowsTree tree("SystemResources", "Shell32.dll.mun", ResourceLibrary());
    std::string why;
    const std::optional<Bytes> png = ThumbnailPng(tree.library, 32, &why);
    ASSERT_TRUE(png) << why;
    const Handle picture = DecodeIconImage(*png, true);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 16); // the first group's one image, not scaled up
    EXPECT_EQ(picture->height, 16);
}

TEST(Mui, NoRedirectionWithoutAReadableResourceFileOrMuiResource) {
    {
        WindowsTree missing("SystemResources", "Other.dll.mun", {});
        auto doc = Document::Open(missing.library);
        EXPECT_EQ(doc->ResourcesFrom(), "");
        EXPECT_EQ(doc->Counts().iconGroups, 0);
        EXPECT_TRUE(doc->Errors().empty());
        EXPECT_FALSE(Info(*doc).contains("resources_from"));
    }
    {
        WindowsTree notPe("SystemResources", "Shell32.dll.mun", Bytes(300, 'x'));
        auto doc = Document::Open(notPe.library);
        EXPECT_EQ(doc->ResourcesFrom(), "");
        ASSERT_EQ(doc->Errors().size(), 1u);
        EXPECT_NE(doc->Errors()[0].message.find("not a PE file"), std::string::npos);
    }
    {
        Bytes mui = BuildMuiResource();
        mui[MuiSpanAt(5) + 3] = 0x7F; // the fallback language far outside
        WindowsTree damaged("SystemResources", "Shell32.dll.mun", ResourceLibrary(), NeutralLibrary(mui));
        auto doc = Document::Open(damaged.library);
        EXPECT_EQ(doc->ResourcesFrom(), "");
        EXPECT_EQ(doc->Counts().iconGroups, 0);
        ASSERT_EQ(doc->Errors().size(), 1u);
        EXPECT_EQ(doc->Errors()[0].kind, ReadErrorKind::Invalid);
        EXPECT_LT(doc->Errors()[0].offset, doc->Bytes().size());
    }
    {
        // An ordinary library (no MUI resource) is never redirected.
        PeLayout layout;
        layout.resources = {Res(RT_BITMAP, 1, 0, BitmapDib(2, 2, 24))};
        WindowsTree plain("SystemResources", "Shell32.dll.mun", ResourceLibrary(), BuildPe(layout).bytes);
        EXPECT_EQ(Document::Open(plain.library)->ResourcesFrom(), "");
    }
}

TEST(Mui, ResourceLibrariesAndLanguageFilesAreListedWithTheLibraries) {
    EXPECT_FALSE(ContainerTypeText(".mun", false).empty());
    EXPECT_FALSE(ContainerTypeText(".mui", false).empty());
}

} // namespace
