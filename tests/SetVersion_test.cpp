#include <gtest/gtest.h>

#include <filesystem>

#include "batch/core/SetIcon.h"
#include "formats/Document.h"
#include "formats/ResTypes.h"
#include "formats/ResourceTable.h"
#include "formats/SetVersion.h"
#include "formats/VersionInfo.h"
#include "platform/FileIo.h"
#include "tests/support/Builders.h"
#include "tests/support/ExplorerFiles.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"
#include "tests/support/VersionBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

// A library with an icon, a string resource and, when asked, the sample
// version information (1.2.3.4, "Sample Library" by "Maker").
Bytes Library(bool withVersion, uint16_t versionLanguage = 0x0409) {
    PeLayout layout;
    layout.pe32Plus = true;
    const Bytes image = ExplorerIconDib(32, 0x0000FF);
    IconGroupEntry e;
    e.width = e.height = 32;
    e.bitCount = 24;
    e.bytesInRes = uint32_t(image.size());
    e.id = 7;
    layout.resources = {{ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0x0409, BuildIconGroup({e})},
                        {ResourceKey::Id(RT_ICON), ResourceKey::Id(7), 0x0409, image},
                        {ResourceKey::Id(6), ResourceKey::Id(1), 0x0409, Bytes{1, 2, 3, 4}}};
    if (withVersion)
        layout.resources.push_back({ResourceKey::Id(16), ResourceKey::Id(1), versionLanguage,
                                    BuildVersionBlock(SampleVersionTree(true), true)});
    return BuildPe(layout).bytes;
}

VersionInfo VersionOf(const std::string& path) {
    auto doc = Document::Open(path);
    const std::optional<VersionInfo>& v = doc->Version();
    EXPECT_TRUE(v.has_value()) << path;
    EXPECT_TRUE(doc->Errors().empty()) << doc->Errors().front().Describe();
    return v.value_or(VersionInfo{});
}

std::string StringOf(const VersionInfo& v, const char* key) {
    for (const VersionStringTable& t : v.tables)
        if (const std::string* s = t.Find(key)) return *s;
    return "(none)";
}

// Every resource but the version information, for "nothing else changed".
std::vector<ResourceEntry> OtherResources(const Bytes& file) {
    ResourceTableRead read = ReadResourceTable(file);
    EXPECT_FALSE(read.error);
    std::vector<ResourceEntry> out;
    for (ResourceEntry& e : read.table.entries)
        if (!(e.type == ResourceKey::Id(16))) out.push_back(std::move(e));
    return out;
}

bool SameEntries(const std::vector<ResourceEntry>& a, const std::vector<ResourceEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!(a[i].type == b[i].type) || !(a[i].name == b[i].name) || a[i].language != b[i].language ||
            a[i].data != b[i].data)
            return false;
    return true;
}

} // namespace

TEST(SetVersion, EditsTheGivenFieldsAndKeepsEverythingElse) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("lib.dll"), Library(true)));
    SetVersionRequest request;
    request.program = dir.file("lib.dll");
    request.output = dir.file("out.dll");
    request.fileVersion = "2.0.0.7";
    request.strings = {{"ProductName", "Star Trader"}, {"CompanyName", "New Maker"}};
    const SetVersionOutcome outcome = SetProgramVersion(request);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(ReadFile(dir.file("lib.dll")), Library(true)); // the input is never changed
    const VersionInfo v = VersionOf(dir.file("out.dll"));
    ASSERT_TRUE(v.fixed);
    EXPECT_EQ(VersionNumberText(v.fixed->fileVersion), "2.0.0.7");
    EXPECT_EQ(VersionNumberText(v.fixed->productVersion), "5.6.7.8"); // kept
    EXPECT_EQ(StringOf(v, "ProductName"), "Star Trader");
    EXPECT_EQ(StringOf(v, "CompanyName"), "New Maker");
    EXPECT_EQ(StringOf(v, "FileDescription"), "Sample Library"); // kept
    EXPECT_TRUE(SameEntries(OtherResources(ReadFile(dir.file("out.dll"))), OtherResources(Library(true))));

    // The same edit again gives the same file.
    request.program = dir.file("out.dll");
    request.inPlace = true;
    const Bytes once = ReadFile(dir.file("out.dll"));
    ASSERT_TRUE(SetProgramVersion(request).ok);
    EXPECT_EQ(ReadFile(dir.file("out.dll")), once);
}

TEST(SetVersion, AFileWithoutVersionInformationGetsOne) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("plain.dll"), Library(false)));
    SetVersionRequest request;
    request.program = dir.file("plain.dll");
    request.output = dir.file("out.dll");
    request.productVersion = "3.1.0.0";
    request.strings = {{"FileDescription", "Plain"}};
    const SetVersionOutcome outcome = SetProgramVersion(request);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(outcome.created);
    EXPECT_EQ(outcome.language, 0x0409);
    const VersionInfo v = VersionOf(dir.file("out.dll"));
    EXPECT_EQ(VersionNumberText(v.fixed->productVersion), "3.1.0.0");
    ASSERT_EQ(v.tables.size(), 1u);
    EXPECT_EQ(v.tables[0].language, "040904b0");
    EXPECT_EQ(StringOf(v, "FileDescription"), "Plain");
    ASSERT_EQ(v.translations.size(), 1u);
    EXPECT_EQ(TranslationText(v.translations[0]), "040904b0");
}

TEST(SetVersion, ResourceFilesNeutralResourcesAndRefusals) {
    TempDir dir;
    // A neutral version resource whose table names US English: the strings
    // go into that table, no second one is made.
    ASSERT_TRUE(WriteFile(dir.file("neutral.dll"), Library(true, 0)));
    SetVersionRequest request;
    request.program = dir.file("neutral.dll");
    request.output = dir.file("neutral-out.dll");
    request.strings = {{"Comments", "hi"}};
    ASSERT_TRUE(SetProgramVersion(request).ok);
    const VersionInfo neutral = VersionOf(dir.file("neutral-out.dll"));
    ASSERT_EQ(neutral.tables.size(), 1u);
    EXPECT_EQ(StringOf(neutral, "Comments"), "hi");

    // A 32-bit resource file.
    ASSERT_TRUE(WriteFile(dir.file("app.res"), BuildRes32({{16, 1, BuildVersionBlock(SampleVersionTree(true), true)},
                                                          {RT_BITMAP, 2, Bytes(64, 7)}})));
    request.program = dir.file("app.res");
    request.output = dir.file("out.res");
    request.fileVersion = "9.9.9.9";
    request.strings.clear();
    const SetVersionOutcome res = SetProgramVersion(request);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(VersionNumberText(VersionOf(dir.file("out.res")).fixed->fileVersion), "9.9.9.9");

    // Bad versions, damaged version information: refused, nothing written.
    request.program = dir.file("neutral.dll");
    request.output = dir.file("never.dll");
    request.fileVersion = "1.2.3";
    EXPECT_FALSE(SetProgramVersion(request).ok);
    request.fileVersion = "1.2.3.70000";
    EXPECT_FALSE(SetProgramVersion(request).ok);
    VersionNode cut = SampleVersionTree(true);
    cut.length = 0xFFF0; // past its parent
    PeLayout damaged;
    damaged.resources = {{ResourceKey::Id(16), ResourceKey::Id(1), 0x0409, BuildVersionBlock(cut, true)}};
    ASSERT_TRUE(WriteFile(dir.file("damaged.dll"), BuildPe(damaged).bytes));
    request.program = dir.file("damaged.dll");
    request.fileVersion = "1.2.3.4";
    const SetVersionOutcome refused = SetProgramVersion(request);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("damaged.dll"), std::string::npos) << refused.error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.dll")));
}

// The edit on a file's bytes: what is refused is said in the core's own words
// (the command line and Python print them) and nothing is written; a version
// resource longer than its 16-bit lengths can say is refused rather than
// written cut, its last strings lost.
TEST(SetVersion, RefusalsOnBytesAreSaidAndWriteNothing) {
    const Bytes library = Library(true);
    VersionEdits edits;
    EXPECT_EQ(ReplaceVersionInFile(library, edits).refusal, kNoVersionEdits);
    edits.fileVersion = "1.2.3";
    FileVersionReplace refused = ReplaceVersionInFile(library, edits);
    EXPECT_EQ(refused.refusal.rfind("the file version: \"1.2.3\" is not a version", 0), 0u) << refused.refusal;
    EXPECT_TRUE(refused.write.bytes.empty());
    edits.fileVersion.clear();
    edits.productVersion = "1.2.3.x";
    EXPECT_EQ(ReplaceVersionInFile(library, edits).refusal.rfind("the product version: ", 0), 0u);
    edits.productVersion.clear();
    edits.strings = {{"", "x"}};
    EXPECT_EQ(ReplaceVersionInFile(library, edits).refusal, "a version string needs a key");

    edits.strings = {{"Comments", std::string(40000, 'x')}};
    refused = ReplaceVersionInFile(library, edits);
    EXPECT_NE(refused.refusal.find("bytes long, more than the 65,535 a version resource can hold"), std::string::npos)
        << refused.refusal;
    EXPECT_TRUE(refused.write.bytes.empty());
    EXPECT_FALSE(refused.write.error);

    // Just below the limit the whole string is written.
    edits.strings = {{"Comments", std::string(30000, 'x')}};
    const FileVersionReplace written = ReplaceVersionInFile(library, edits);
    ASSERT_TRUE(written.refusal.empty() && !written.write.error) << written.refusal;
    EXPECT_EQ(written.name, ResourceKey::Id(1));
    EXPECT_EQ(written.language, 0x0409);
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("long.dll"), written.write.bytes));
    EXPECT_EQ(StringOf(VersionOf(dir.file("long.dll")), "Comments"), std::string(30000, 'x'));
}
