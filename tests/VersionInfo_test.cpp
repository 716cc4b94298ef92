#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>

#include "batch/core/InfoJson.h"
#include "batch/core/VersionJson.h"
#include "formats/Document.h"
#include "formats/ResFile.h"
#include "formats/VersionInfo.h"
#include "tests/support/Builders.h"
#include "tests/support/ResourceCompiler.h"
#include "tests/support/NeBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"
#include "tests/support/VersionBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Sample(bool wide) { return BuildVersionBlock(SampleVersionTree(wide), wide); }

// The record SampleVersionTree stands for.
VersionInfo SampleRecord() {
    VersionInfo v;
    v.fixed.emplace();
    v.fixed->fileVersion = {1, 2, 3, 4};
    v.fixed->productVersion = {5, 6, 7, 8};
    v.fixed->fileFlags = 5;
    v.fixed->fileType = 2;
    v.tables = {{"040904B0", {{"CompanyName", "Maker"}, {"FileDescription", "Sample Library"}}}};
    v.translations = {{0x0409, 0x04B0}};
    return v;
}

// The sample with one string replaced by node.
Bytes SampleWithString(const VersionNode& node, bool wide = true) {
    VersionNode tree = SampleVersionTree(wide);
    tree.children[0].children[0].children[1] = node;
    return BuildVersionBlock(tree, wide);
}

} // namespace

TEST(VersionInfoRead, BothLayoutsGiveTheRecord) {
    for (const bool wide : {true, false}) {
        const auto read = ParseVersionInfo(Sample(wide));
        EXPECT_FALSE(read.error) << read.error->Describe();
        ASSERT_TRUE(read.records);
        EXPECT_EQ(*read.records, SampleRecord()) << wide;
    }
    // Narrow texts are Windows-1252; wide ones UTF-16 with surrogate pairs.
    EXPECT_EQ(ParseVersionInfo(SampleWithString(StringNode("Note", "caf\xE9 \x80", false), false))
                  .records->tables[0].strings[1].value,
              "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(ParseVersionInfo(SampleWithString(StringNode("Note", "\xF0\x9F\x98\x80", true)))
                  .records->tables[0].strings[1].value,
              "\xF0\x9F\x98\x80");
}

TEST(VersionInfoRead, StringsAreMeasuredByTheirTerminator) {
    for (const uint16_t stated : {0, 3, 14, 15, 28, 200}) { // characters, bytes, none, too many
        VersionNode s = StringNode("FileDescription", "Sample Library", true);
        s.valueLength = stated;
        const auto read = ParseVersionInfo(SampleWithString(s));
        EXPECT_FALSE(read.error) << stated;
        EXPECT_EQ(read.records->tables[0].strings[1].value, "Sample Library") << stated;
    }
    VersionNode empty = StringNode("Comments", "", true);
    EXPECT_EQ(ParseVersionInfo(SampleWithString(empty)).records->tables[0].strings[1].value, "");
    empty.value.clear(); // no value at all
    EXPECT_EQ(ParseVersionInfo(SampleWithString(empty)).records->tables[0].strings[1], (VersionString{"Comments", ""}));

    // Without a terminator the block's end ends the text, and that is damage.
    VersionNode open = StringNode("Note", "abc", true);
    open.value.resize(6);
    const Bytes bytes = SampleWithString(open);
    const auto read = ParseVersionInfo(bytes);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.records->tables[0].strings[1].value, "abc");
    EXPECT_NE(read.error->message.find("\"Note\" has no terminator"), std::string::npos) << read.error->message;
    EXPECT_EQ(PeekU16(bytes, read.error->offset), 'a');
}

TEST(VersionInfoRead, DamageKeepsWhatWasReadAndSaysWhere) {
    const Bytes whole = Sample(true);
    // A string running past its table: the strings before it and the
    // translations after the table are kept.
    {
        VersionNode tree = SampleVersionTree(true);
        tree.children[0].children[0].children[1].length = 400;
        const auto read = ParseVersionInfo(BuildVersionBlock(tree, true));
        ASSERT_TRUE(read.error && read.records);
        EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
        EXPECT_NE(read.error->message.find("runs past the end of its parent"), std::string::npos);
        EXPECT_EQ(read.records->tables[0].strings.size(), 2u);
        EXPECT_EQ(read.records->tables[0].strings[0].value, "Maker");
        EXPECT_EQ(read.records->translations, SampleRecord().translations);
    }
    // A zero length that would loop ends its list; zeros alone are padding.
    {
        VersionNode tree = SampleVersionTree(true);
        tree.children[0].children[0].children[1].length = 0;
        const auto read = ParseVersionInfo(BuildVersionBlock(tree, true));
        ASSERT_TRUE(read.error);
        EXPECT_NE(read.error->message.find("states a length of 0"), std::string::npos);
        EXPECT_EQ(read.records->tables[0].strings.size(), 1u);
        Bytes padded = whole;
        padded.resize(padded.size() + 12, 0);
        padded[0] = uint8_t(padded.size());
        padded[1] = uint8_t(padded.size() >> 8);
        EXPECT_FALSE(ParseVersionInfo(padded).error);
    }
    // A fixed part without its signature is left out; the strings are read.
    {
        Bytes bad = whole;
        bad[40] ^= 1; // the signature: after the 6-byte header, the 32-byte key and 2 bytes of padding
        const auto read = ParseVersionInfo(bad);
        ASSERT_TRUE(read.error && read.records);
        EXPECT_EQ(read.error->offset, 40u);
        EXPECT_FALSE(read.records->fixed);
        EXPECT_EQ(read.records->tables, SampleRecord().tables);
    }
    // A key without a terminator, and a root that is something else.
    {
        VersionNode tree = SampleVersionTree(true);
        tree.children[1].children[0].keyTerminator = false;
        tree.children[1].children[0].value.clear();
        EXPECT_NE(ParseVersionInfo(BuildVersionBlock(tree, true)).error->message.find("has no terminator"),
                  std::string::npos);
        tree.key = "VS_VERSION_INFX";
        const auto read = ParseVersionInfo(BuildVersionBlock(tree, true));
        EXPECT_FALSE(read.records);
        EXPECT_TRUE(read.error);
    }
    // Every cut of either layout ends in a record or nothing, its damage
    // within the bytes; a cut inside the root says it is truncated.
    for (const bool wide : {true, false}) {
        const Bytes full = Sample(wide);
        for (size_t n = 0; n < full.size(); ++n) {
            const auto read = ParseVersionInfo(ByteView(full).first(n), wide ? VersionLayout::Wide : VersionLayout::Narrow);
            ASSERT_TRUE(read.error) << n;
            EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated) << n;
            EXPECT_LE(read.error->offset, n);
        }
    }
}

TEST(VersionInfoText, NumbersFlagsSystemsAndTypes) {
    EXPECT_EQ(VersionNumberText({6, 1, 7601, 17514}), "6.1.7601.17514");
    EXPECT_EQ(ParseVersionNumber("65535.0.10.7"), (VersionNumber{65535, 0, 10, 7}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.65536", "1.2.3.-4", "1.2..4", "1.2.3.4 ", "a.b.c.d",
                            "1.2.3.0000012"})
        EXPECT_FALSE(ParseVersionNumber(bad)) << bad;

    FixedFileInfo f;
    f.fileFlags = 0x7F;      // every named flag and bit 6
    f.fileFlagsMask = 0x5B;  // DEBUG PRERELEASE PRIVATEBUILD INFOINFERRED, bit 6
    EXPECT_EQ(FileFlagNames(f), (std::vector<std::string>{"DEBUG", "PRERELEASE", "PRIVATEBUILD", "INFOINFERRED",
                                                          "0x00000040"}));
    EXPECT_EQ(FileOsText(0x40004), "VOS_NT_WINDOWS32");
    EXPECT_EQ(FileOsText(4), "VOS__WINDOWS32");
    EXPECT_EQ(FileOsText(0x10001), "VOS_DOS_WINDOWS16");
    EXPECT_EQ(FileOsText(0x40001), "0x00040001");
    EXPECT_EQ(FileTypeText(7), "VFT_STATIC_LIB");
    EXPECT_EQ(FileTypeText(6), "0x00000006");
    EXPECT_EQ(TranslationText({0x0409, 0x04B0}), "040904b0");

    const nlohmann::json j = VersionInfoJson(SampleRecord());
    EXPECT_EQ(j.dump(), R"({"file_flags":["DEBUG","PATCHED"],"file_os":"VOS_NT_WINDOWS32","file_type":"VFT_DLL",)"
                        R"("file_version":"1.2.3.4","product_version":"5.6.7.8","strings":{"040904B0":)"
                        R"({"CompanyName":"Maker","FileDescription":"Sample Library"}},"translations":["040904b0"]})");
}

TEST(VersionInfoWrite, WritesWhatResourceCompilersWriteAndReadsBack) {
    EXPECT_EQ(WriteVersionInfo(SampleRecord()), Sample(true));

    VersionInfo v = SampleRecord();
    v.fixed->fileDateMs = 0x01D2;
    v.fixed->fileSubtype = 3;
    v.tables.push_back({"041104b0", {{"Empty", ""}, {"Odd", "x"}, {"Wide", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"}}});
    v.translations.push_back({0x0411, 0x04B0});
    const auto read = ParseVersionInfo(WriteVersionInfo(v));
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.records, v);

    // Without a fixed part the writer gives the default one; without tables
    // or translations their blocks are left out.
    const auto bare = ParseVersionInfo(WriteVersionInfo(VersionInfo{}));
    EXPECT_FALSE(bare.error);
    EXPECT_EQ(bare.records, (VersionInfo{FixedFileInfo{}, {}, {}}));
}

TEST(VersionInfoEdit, SetsVersionsAndStrings) {
    VersionInfo v = SampleRecord();
    std::string why;
    EXPECT_FALSE(SetFileVersion(v, "1.2.3.70000", &why));
    EXPECT_NE(why.find("1.2.3.70000"), std::string::npos);
    EXPECT_EQ(v, SampleRecord());
    EXPECT_TRUE(SetFileVersion(v, "10.0.19041.1"));
    EXPECT_TRUE(SetProductVersion(v, "10.0.0.0"));
    EXPECT_EQ(v.fixed->fileVersion, (VersionNumber{10, 0, 19041, 1}));
    EXPECT_EQ(v.fixed->productVersion, (VersionNumber{10, 0, 0, 0}));

    // The table of a language, matched case-insensitively; replaced in place or appended.
    EXPECT_TRUE(SetVersionString(v, "CompanyName", "Other", 0x0409));
    EXPECT_TRUE(SetVersionString(v, "ProductName", "Thing"));
    EXPECT_FALSE(SetVersionString(v, "", "x"));
    ASSERT_EQ(v.tables.size(), 1u);
    EXPECT_EQ(v.tables[0].strings, (std::vector<VersionString>{
                                       {"CompanyName", "Other"}, {"FileDescription", "Sample Library"}, {"ProductName", "Thing"}}));
    // Another language gets a table of its own and a translation.
    EXPECT_TRUE(SetVersionString(v, "CompanyName", "Hersteller", 0x0407));
    ASSERT_EQ(v.tables.size(), 2u);
    EXPECT_EQ(v.tables[1], (VersionStringTable{"040704b0", {{"CompanyName", "Hersteller"}}}));
    EXPECT_EQ(v.translations, (std::vector<VersionTranslation>{{0x0409, 0x04B0}, {0x0407, 0x04B0}}));

    VersionInfo none;
    EXPECT_TRUE(SetVersionString(none, "FileDescription", "New"));
    EXPECT_EQ(none.tables, (std::vector<VersionStringTable>{{"040904b0", {{"FileDescription", "New"}}}}));
    EXPECT_EQ(none.translations, (std::vector<VersionTranslation>{{0x0409, 0x04B0}}));
    EXPECT_TRUE(SetFileVersion(none, "1.0.0.0"));
    EXPECT_EQ(ParseVersionInfo(WriteVersionInfo(none)).records, none);
}

// Where each kind of file keeps it, and what the document and info say.
TEST(VersionInfoDocument, FoundInEveryContainerAndSaidByInfo) {
    PeLayout pe;
    pe.resources.push_back({ResourceKey::Id(kVersionResourceType), ResourceKey::Id(1), 0x0409, Sample(true)});
    NeLayout ne;
    ne.types.push_back(NeTypeSpec(0x8010, {NeResourceSpec(0x8001, Sample(false))}));
    const std::pair<const char*, Bytes> files[] = {
        {"a.dll", BuildPe(pe).bytes},
        {"a.exe", BuildNeFile(ne).bytes},
        {"a.res", BuildRes32({{kVersionResourceType, 1, Sample(true)}})},
        {"a.r16", BuildRes16({{kVersionResourceType, 1, Sample(false)}})},
    };
    for (const auto& [name, bytes] : files) {
        const auto doc = Document::OfBytes(name, bytes);
        ASSERT_TRUE(doc->Version()) << name;
        EXPECT_EQ(*doc->Version(), SampleRecord()) << name;
        EXPECT_TRUE(doc->LoadAll().empty()) << name;
        const nlohmann::json j = InfoJsonObject(name, *doc, {});
        EXPECT_EQ(j["version"], VersionInfoJson(SampleRecord())) << name;
    }

    // Damage is placed in the file and is among the document's errors.
    PeLayout damaged;
    Bytes cut = Sample(true);
    cut[0] = cut[1] = 0xFF; // the root claims more than the resource holds
    damaged.resources.push_back({ResourceKey::Id(kVersionResourceType), ResourceKey::Id(1), 0x0409, cut});
    const auto image = BuildPe(damaged);
    const auto doc = Document::OfBytes("b.dll", image.bytes);
    ASSERT_EQ(doc->LoadAll().size(), 1u);
    const ReadError& e = doc->Errors()[0];
    EXPECT_EQ(e.kind, ReadErrorKind::Truncated);
    EXPECT_LE(e.offset, image.bytes.size());
    EXPECT_TRUE(doc->Version());

    // A library held in two languages gives the document's language, else its first.
    PeLayout languages;
    VersionInfo german = SampleRecord();
    SetVersionString(german, "CompanyName", "Hersteller");
    languages.resources.push_back({ResourceKey::Id(kVersionResourceType), ResourceKey::Id(1), 0x0407, WriteVersionInfo(german)});
    languages.resources.push_back({ResourceKey::Id(kVersionResourceType), ResourceKey::Id(1), 0x0409, Sample(true)});
    const auto both = Document::OfBytes("d.dll", BuildPe(languages).bytes);
    EXPECT_EQ(*both->Version()->tables[0].Find("CompanyName"), "Hersteller");
    both->SetLanguage(0x0409);
    EXPECT_EQ(*both->Version()->tables[0].Find("CompanyName"), "Maker");

    // No version information, no key.
    const auto plain = Document::OfBytes("c.res", BuildRes32({{RT_BITMAP, 1, Bytes(8, 0)}}));
    EXPECT_FALSE(plain->Version());
    EXPECT_FALSE(InfoJsonObject("c.res", *plain, {}).contains("version"));
}

// A real resource compiler's output, when one is installed: read, and
// written back byte for byte.
TEST(VersionInfoWindres, ReadsAndRewritesWhatTheCompilerWrote) {
    if (!HaveResourceCompiler()) GTEST_SKIP() << "x86_64-w64-mingw32-windres or cpp is not installed";
    TempDir dir;
    const std::string rc = R"(1 VERSIONINFO
FILEVERSION 6,1,7601,17514
PRODUCTVERSION 6,1,0,0
FILEFLAGSMASK 0x3f
FILEFLAGS 0x22
FILEOS 0x40004
FILETYPE 0x1
FILESUBTYPE 0x0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "CompanyName", "Example Works"
      VALUE "FileDescription", L"Sample \x00e9\x263a"
      VALUE "Comments", ""
      VALUE "SpecialBuild", "nightly"
    END
    BLOCK "040704e4"
    BEGIN
      VALUE "CompanyName", "Beispiel"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200, 0x407, 1252
  END
END
)";
    std::string log;
    const std::optional<Bytes> compiled = CompileResourceScript(dir, rc, log);
    ASSERT_TRUE(compiled) << "windres failed: " << log;
    const Bytes& res = *compiled;
    const std::optional<ByteView> block = FirstResEntry(res, kVersionResourceType);
    ASSERT_TRUE(block);
    const auto read = ParseVersionInfo(*block);
    EXPECT_FALSE(read.error);
    ASSERT_TRUE(read.records && read.records->fixed);
    const VersionInfo& v = *read.records;
    EXPECT_EQ(v.fixed->fileVersion, (VersionNumber{6, 1, 7601, 17514}));
    EXPECT_EQ(v.fixed->productVersion, (VersionNumber{6, 1, 0, 0}));
    EXPECT_EQ(FileFlagNames(*v.fixed), (std::vector<std::string>{"PRERELEASE", "SPECIALBUILD"}));
    ASSERT_EQ(v.tables.size(), 2u);
    EXPECT_EQ(v.tables[0].language, "040904b0");
    EXPECT_EQ(*v.tables[0].Find("FileDescription"), "Sample \xC3\xA9\xE2\x98\xBA");
    EXPECT_EQ(*v.tables[0].Find("Comments"), "");
    EXPECT_EQ(*v.tables[1].Find("CompanyName"), "Beispiel");
    EXPECT_EQ(v.translations, (std::vector<VersionTranslation>{{0x0409, 1200}, {0x0407, 1252}}));
    EXPECT_EQ(WriteVersionInfo(v), Bytes(block->begin(), block->end()));
}
