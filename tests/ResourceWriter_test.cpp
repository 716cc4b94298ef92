// The resource table, its writers and set-icon / set-cursor: what is read is
// written back unchanged, damage is refused, a replaced group holds the
// file's images byte for byte, and setting the same icon again changes
// nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "batch/core/SetIcon.h"
#include "formats/Document.h"
#include "platform/PeHeaders.h"
#include "formats/ResTypes.h"
#include "formats/ResourceTable.h"
#include "formats/ResourceWriter.h"
#include "formats/SetGroup.h"
#include "platform/Paths.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"
#include "tests/support/NeBuilder.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ResBuilder.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

namespace {

// Three images, the last stored as PNG.
Bytes ThreeImageIco() {
    const Bytes png = BuildPng(48, 48, [](int x, int y) { return 0xFF000000u | uint32_t(x * 5) << 16 | uint32_t(y); });
    return BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}, {BuildIconDib(32, 8), 32, 32, 0, 0, 1, 8},
                         {png, 48, 48, 0, 0, 1, 32}});
}

// What a resource is, whatever its place: type, name, language, code page, data.
using Resource = std::tuple<std::string, std::string, uint16_t, uint32_t, Bytes>;
std::vector<Resource> Resources(const ResourceTable& t) {
    std::vector<Resource> out;
    for (const ResourceEntry& e : t.entries)
        out.emplace_back((e.type.isId ? "#" : "") + e.type.Text(), (e.name.isId ? "#" : "") + e.name.Text(),
                         e.language, e.codePage, e.data);
    std::sort(out.begin(), out.end());
    return out;
}

PeResource Res(ResourceKey type, ResourceKey name, uint16_t language, Bytes data) {
    return {std::move(type), std::move(name), language, std::move(data)};
}

// Two icon groups sharing image 2, named and numbered types, two languages.
PeLayout SharingLayout() {
    PeLayout l;
    l.resources = {Res(ResourceKey::Id(RT_ICON), ResourceKey::Id(1), 0x409, BuildIconDib(16, 4)),
                   Res(ResourceKey::Id(RT_ICON), ResourceKey::Id(2), 0x409, BuildIconDib(32, 8)),
                   Res(ResourceKey::Id(RT_ICON), ResourceKey::Id(3), 0x409, BuildIconDib(16, 24)),
                   Res(ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named("MAIN"), 0x409,
                       BuildIconGroup({{16, 16, 0, 0, 1, 4, 0, 1}, {32, 32, 0, 0, 1, 8, 0, 2}})),
                   Res(ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(7), 0x409,
                       BuildIconGroup({{32, 32, 0, 0, 1, 8, 0, 2}, {16, 16, 0, 0, 1, 24, 0, 3}})),
                   Res(ResourceKey::Named("DATA"), ResourceKey::Named("b"), 0x407, {1, 2, 3}),
                   Res(ResourceKey::Named("DATA"), ResourceKey::Named("b"), 0x409, {4, 5}),
                   Res(ResourceKey::Id(6), ResourceKey::Id(1), 0, Bytes(37, 0x55))};
    return l;
}

uint32_t DataEntryOfFirstResource(const PeImage& pe, const Bytes& b) {
    const uint32_t nameDir = PeekU32(b, DirEntryAt(pe, 0, 0) + 4) & 0x7FFFFFFF;
    const uint32_t languageDir = PeekU32(b, DirEntryAt(pe, nameDir, 0) + 4) & 0x7FFFFFFF;
    return pe.rsrcOffset + PeekU32(b, DirEntryAt(pe, languageDir, 0) + 4);
}

FileGroupReplace SetIcon(const Bytes& file, const Bytes& ico, GroupTarget target = {}, bool strip = false) {
    return ReplaceGroupInFile(file, GroupKind::Icon, ico, target, ResourceWriteOptions{strip});
}

} // namespace

TEST(ResourceTable, PeRoundTripKeepsEveryResourceAndSortsTheDirectory) {
    for (bool plus : {false, true}) {
        PeLayout layout = SharingLayout();
        layout.pe32Plus = plus;
        layout.resources.push_back(Res(ResourceKey::Named("DATA"), ResourceKey::Named("B"), 0, {9}));
        layout.resources.push_back(Res(ResourceKey::Named("DATA"), ResourceKey::Named("ab"), 0, {8}));
        const Bytes file = BuildPe(layout).bytes;
        const ResourceTableRead read = ReadPeResourceTable(file);
        ASSERT_FALSE(read.error) << read.error->Describe();
        ASSERT_EQ(read.table.entries.size(), layout.resources.size());

        const ResourceWrite w = WritePeResources(file, read.table);
        ASSERT_FALSE(w.error) << w.error->Describe();
        EXPECT_FALSE(w.sectionAdded); // the builder's .rsrc is the last section: rewritten in place
        const ResourceTableRead again = ReadPeResourceTable(w.bytes);
        ASSERT_FALSE(again.error);
        EXPECT_EQ(Resources(again.table), Resources(read.table));
        // Names first in ordinal UTF-16 order ("B" < "ab" < "b"), then ids.
        std::vector<std::string> dataNames;
        for (const ResourceEntry& e : again.table.entries)
            if (!e.type.isId) dataNames.push_back(e.name.Text() + "/" + std::to_string(e.language));
        EXPECT_EQ(dataNames, (std::vector<std::string>{"B/0", "ab/0", "b/1031", "b/1033"}));
        EXPECT_FALSE(again.table.entries.front().type.isId);
        // One resource replaced or added: only it changes.
    const ResourceWrite version =
        ReplaceResourceInFile(w.bytes, ResourceKey::Id(16), ResourceKey::Id(1), 0x409, {'v', 1});
    ASSERT_FALSE(version.error);
    ResourceTable expected = again.table;
    expected.entries.push_back(NewResource(ResourceKey::Id(16), ResourceKey::Id(1), 0x409, {'v', 1}));
    EXPECT_TRUE(SameResources(ReadPeResourceTable(version.bytes).table, expected));
    // Writing what was written changes nothing, and the loaders agree.
        EXPECT_EQ(WritePeResources(w.bytes, again.table).bytes, w.bytes);
        const auto doc = Document::OfBytes("a.dll", w.bytes);
        EXPECT_TRUE(doc->LoadAll().empty());
        EXPECT_EQ(doc->Contents().IconGroups.size(), 2u);
    }
}

TEST(ResourceTable, DamagedPeDirectoriesAreRefused) {
    const PeImage pe = BuildPe(SharingLayout());
    auto expectRefused = [](const Bytes& b, ReadErrorKind kind, const char* what) {
        const ResourceTableRead read = ReadPeResourceTable(b);
        ASSERT_TRUE(read.error) << what;
        EXPECT_EQ(read.error->kind, kind) << what << ": " << read.error->Describe();
        EXPECT_LE(read.error->offset, b.size()) << what;
        const ResourceWrite w = WritePeResources(b, ResourceTable{});
        EXPECT_EQ(w.error, read.error) << what;
        EXPECT_TRUE(w.bytes.empty()) << what;
    };
    Bytes loop = pe.bytes; // a type's name directory is the root again
    PatchU32(loop, DirEntryAt(pe, 0, 0) + 4, 0x80000000u);
    expectRefused(loop, ReadErrorKind::Invalid, "loop");

    Bytes outside = pe.bytes;
    PatchU32(outside, DataEntryOfFirstResource(pe, outside) + 4, 0x7FFFFFF0u);
    expectRefused(outside, ReadErrorKind::Invalid, "outside");

    Bytes overlap = pe.bytes; // the first resource's data starts inside the directory
    PatchU32(overlap, DataEntryOfFirstResource(pe, overlap), pe.rsrcRva + 8);
    expectRefused(overlap, ReadErrorKind::Invalid, "overlap");

    Bytes shallow = pe.bytes; // a name entry that names data
    const uint32_t nameDir = PeekU32(shallow, DirEntryAt(pe, 0, 0) + 4) & 0x7FFFFFFF;
    PatchU32(shallow, DirEntryAt(pe, nameDir, 0) + 4, 0x10);
    expectRefused(shallow, ReadErrorKind::Invalid, "shallow");

    Bytes cut(pe.bytes.begin(), pe.bytes.begin() + pe.rsrcOffset + 40);
    expectRefused(cut, ReadErrorKind::Truncated, "cut");

    // Long names copied into every language of a resource stop at the budget.
    PeLayout named;
    const std::string longName(20000, 'N');
    for (uint16_t language = 1; language <= 200; ++language)
        named.resources.push_back(Res(ResourceKey::Named(longName), ResourceKey::Named(longName), language, {1}));
    expectRefused(BuildPe(named).bytes, ReadErrorKind::OverBudget, "names");

    const ResourceTableRead ne = ReadResourceTable(BuildBatchNe());
    ASSERT_TRUE(ne.error);
    EXPECT_EQ(ne.error->kind, ReadErrorKind::Unsupported);
}

TEST(SetIcon, ReplacesTheFirstGroupKeepsSharedImagesAndIsIdempotent) {
    const Bytes file = BuildPe(SharingLayout()).bytes;
    const Bytes ico = ThreeImageIco();
    const FileGroupReplace once = SetIcon(file, ico);
    ASSERT_FALSE(once.write.error) << once.write.error->Describe();
    EXPECT_EQ(once.change.name.Text(), "MAIN");
    EXPECT_EQ(once.change.removedImages, 1u); // image 1; image 2 is still named by group 7
    EXPECT_EQ(once.change.imageIds, (std::vector<uint16_t>{1, 4, 5}));

    const ResourceTableRead read = ReadPeResourceTable(once.write.bytes);
    ASSERT_FALSE(read.error);
    // The group's images are the .ico's, byte for byte; the rest is untouched.
    const auto doc = Document::OfBytes("a.exe", once.write.bytes);
    ASSERT_TRUE(doc->LoadAll().empty());
    const auto& groups = doc->Contents().IconGroups;
    ASSERT_EQ(groups.size(), 2u);
    const auto icoDoc = Document::OfBytes("x.ico", ico);
    icoDoc->LoadAll();
    const auto& want = icoDoc->Contents().IconGroups[0].Images;
    const auto main = std::find_if(groups.begin(), groups.end(), [](auto& g) { return g.Name == "MAIN"; });
    ASSERT_NE(main, groups.end());
    ASSERT_EQ(main->Images.size(), 3u);
    for (size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(main->Images[j].Data, want[j].Data) << j;
        EXPECT_EQ(main->Images[j].Width, want[j].Width) << j;
        EXPECT_EQ(main->Images[j].BitCount, want[j].BitCount) << j;
    }
    const ResourceTable before = ReadPeResourceTable(file).table;
    for (const ResourceEntry& e : before.entries)
        if (!(e.type.isId && (e.type.id == RT_ICON || e.type.id == RT_GROUP_ICON))) {
            EXPECT_EQ(FindResource(read.table, e.type, e.name, e.language)->data, e.data) << e.name.Text();
        }
    EXPECT_EQ(FindResource(read.table, ResourceKey::Id(RT_ICON), ResourceKey::Id(2), 0x409)->data, BuildIconDib(32, 8));

    // Again, and many times: the same file.
    Bytes again = once.write.bytes;
    for (int i = 0; i < 20; ++i) again = SetIcon(again, ico).write.bytes;
    EXPECT_EQ(again, once.write.bytes);
}

TEST(SetIcon, NewGroupsNamedGroupsAndLanguages) {
    PeLayout none; // no resources at all: a new section, group 1, language 0
    none.resourceDirectory = false;
    none.resources = {};
    const Bytes ico = ThreeImageIco();
    const FileGroupReplace made = SetIcon(BuildPe(none).bytes, ico);
    ASSERT_FALSE(made.write.error) << made.write.error->Describe();
    EXPECT_TRUE(made.change.created);
    EXPECT_TRUE(made.write.sectionAdded);
    const ResourceTable t = ReadPeResourceTable(made.write.bytes).table;
    ASSERT_NE(FindResource(t, ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Id(1), 0), nullptr);
    EXPECT_EQ(Resources(ReadPeResourceTable(SetIcon(made.write.bytes, ico).write.bytes).table), Resources(t));

    // Empty section entries: a new entry after them is one that readers
    // stopping at an empty entry never see, so the change is refused.
    Bytes empty = BuildPe(none).bytes;
    PeHeaders h;
    ASSERT_FALSE(ReadPeHeaders(empty, h));
    std::fill(empty.begin() + h.sectionTable, empty.begin() + h.sectionTable + 80, 0);
    const FileGroupReplace placed = SetIcon(empty, ico);
    ASSERT_TRUE(placed.write.error);
    EXPECT_NE(placed.write.error->message.find("empty entry"), std::string::npos) << placed.write.error->message;

    // By name, case-insensitively; one language only, the other kept.
    const Bytes file = BuildPe(SharingLayout()).bytes;
    GroupTarget target;
    target.name = ResourceKey::Named("main");
    target.language = 0x407;
    const FileGroupReplace german = SetIcon(file, ico, target);
    ASSERT_FALSE(german.write.error);
    EXPECT_EQ(german.change.removedImages, 0u); // the 0x409 group still names its images
    const ResourceTable g = ReadPeResourceTable(german.write.bytes).table;
    EXPECT_NE(FindResource(g, ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named("MAIN"), 0x407), nullptr);
    EXPECT_EQ(FindResource(g, ResourceKey::Id(RT_GROUP_ICON), ResourceKey::Named("MAIN"), 0x409)->data,
              FindResource(ReadPeResourceTable(file).table, ResourceKey::Id(RT_GROUP_ICON),
                           ResourceKey::Named("MAIN"), 0x409)
                  ->data);

    // A damaged .ico is refused with its own error.
    Bytes broken = ico;
    broken.resize(broken.size() - 10);
    const FileGroupReplace refused = SetIcon(file, broken);
    ASSERT_TRUE(refused.write.error);
    EXPECT_TRUE(refused.inImageFile);
    EXPECT_EQ(refused.write.error->kind, ReadErrorKind::Truncated);
}

TEST(SetIcon, KeepsOverlayRecomputesCheckSumAndHandlesSignatures) {
    PeImage pe = BuildPe(SharingLayout());
    PeHeaders headers;
    ASSERT_FALSE(ReadPeHeaders(pe.bytes, headers));
    const Bytes overlay = {'P', 'A', 'Y', 'L', 'O', 'A', 'D', 0, 1, 2, 3};
    Bytes file = pe.bytes;
    file.insert(file.end(), overlay.begin(), overlay.end());
    PatchU32(file, headers.CheckSumAt(), 1);
    const FileGroupReplace set = SetIcon(file, ThreeImageIco());
    ASSERT_FALSE(set.write.error);
    const Bytes& out = set.write.bytes;
    EXPECT_EQ(set.write.overlayKept, overlay.size());
    EXPECT_TRUE(std::equal(overlay.begin(), overlay.end(), out.end() - overlay.size()));
    EXPECT_EQ(PeekU32(out, headers.CheckSumAt()), PeCheckSum(out, headers.CheckSumAt()));
    PeHeaders after;
    ASSERT_FALSE(ReadPeHeaders(out, after));
    const PeSection& rsrc = after.sections.back();
    EXPECT_EQ(rsrc.rawSize % after.fileAlignment, 0u);
    EXPECT_EQ(rsrc.RawEnd() + overlay.size(), out.size());
    EXPECT_EQ(PeekU32(out, after.SizeOfImageAt()), (rsrc.virtualAddress + rsrc.virtualSize + 0xFFF) / 0x1000 * 0x1000);

    // A certificate table at the end: refused, or removed when asked.
    Bytes signedFile = pe.bytes;
    const uint32_t certAt = uint32_t(signedFile.size());
    signedFile.resize(certAt + 32, 0xC5);
    PatchU32(signedFile, headers.DirectoryAt(kPeCertificateDirectory), certAt);
    PatchU32(signedFile, headers.DirectoryAt(kPeCertificateDirectory) + 4, 32);
    const FileGroupReplace refused = SetIcon(signedFile, ThreeImageIco());
    EXPECT_TRUE(refused.write.refusedSigned);
    EXPECT_TRUE(refused.write.bytes.empty());
    const FileGroupReplace stripped = SetIcon(signedFile, ThreeImageIco(), {}, true);
    ASSERT_FALSE(stripped.write.error);
    EXPECT_TRUE(stripped.write.signatureRemoved);
    EXPECT_EQ(stripped.write.bytes, SetIcon(pe.bytes, ThreeImageIco()).write.bytes);

    // Resources not in the last section, and no room for another entry.
    Bytes noRoom = pe.bytes;
    const uint64_t third = headers.sectionTable + 80;
    const char name[] = ".reloc";
    std::copy(name, name + 6, noRoom.begin() + third);
    PatchU32(noRoom, third + 12, 0x10000);
    noRoom[headers.SectionCountAt()] = 3;
    const FileGroupReplace full = SetIcon(noRoom, ThreeImageIco());
    ASSERT_TRUE(full.write.error);
    EXPECT_EQ(full.write.error->kind, ReadErrorKind::Unsupported);
    // A smaller icon fits in the old section's bytes: nothing else moves.
    noRoom.insert(noRoom.end(), overlay.begin(), overlay.end());
    const FileGroupReplace fits = SetIcon(noRoom, BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}}));
    ASSERT_FALSE(fits.write.error) << fits.write.error->Describe();
    EXPECT_FALSE(fits.write.sectionAdded);
    ASSERT_EQ(fits.write.bytes.size(), noRoom.size());
    EXPECT_EQ(fits.write.bytes[headers.SectionCountAt()], 3);
    EXPECT_TRUE(std::equal(noRoom.begin() + headers.sectionTable, noRoom.begin() + headers.sectionTable + 48,
                           fits.write.bytes.begin() + headers.sectionTable)); // .text, and .rsrc's name
    EXPECT_TRUE(std::equal(noRoom.end() - overlay.size(), noRoom.end(), fits.write.bytes.end() - overlay.size()));
    EXPECT_TRUE(std::equal(noRoom.begin() + third, noRoom.begin() + third + 40, fits.write.bytes.begin() + third));
    EXPECT_EQ(fits.change.imageIds, (std::vector<uint16_t>{1}));
}

TEST(SetCursor, KeepsHotSpotsAndStatesTheDoubledHeight) {
    const Bytes cur = BuildIcoFile({{BuildIconDib(32, 1), 32, 32, 0, 0, 5, 9}, {BuildIconDib(16, 4), 16, 16, 0, 0, 2, 3}}, 2);
    const FileGroupReplace set = ReplaceGroupInFile(BuildBatchPe(), GroupKind::Cursor, cur, {});
    ASSERT_FALSE(set.write.error) << set.write.error->Describe();
    const auto doc = Document::OfBytes("a.dll", set.write.bytes);
    ASSERT_TRUE(doc->LoadAll().empty());
    const CursorGroup& g = doc->Contents().CursorGroups.at(0);
    ASSERT_EQ(g.Images.size(), 2u);
    EXPECT_EQ(std::tie(g.Images[0].HotspotX, g.Images[0].HotspotY, g.Images[0].Width, g.Images[0].Height),
              std::make_tuple(uint16_t(5), uint16_t(9), uint16_t(32), uint16_t(64)));
    EXPECT_EQ(std::tie(g.Images[1].HotspotX, g.Images[1].HotspotY), std::make_tuple(uint16_t(2), uint16_t(3)));
    EXPECT_EQ(g.Images[1].Data, CursorImageRes(2, 3, BuildIconDib(16, 4)));
    const ResourceTable t = ReadPeResourceTable(set.write.bytes).table;
    const Bytes& group =
        FindResource(t, ResourceKey::Id(RT_GROUP_CURSOR), set.change.name, set.change.languages[0])->data;
    // width 32, height 64, planes 1, 1 bit, bytes 4 + DIB, id
    EXPECT_EQ(PeekU16(group, 6), 32);
    EXPECT_EQ(PeekU16(group, 8), 64);
    EXPECT_EQ(PeekU16(group, 10), 1);
    EXPECT_EQ(PeekU16(group, 12), 1);
    EXPECT_EQ(PeekU32(group, 14), 4 + BuildIconDib(32, 1).size());
    // An .ico is not a cursor file.
    EXPECT_TRUE(ReplaceGroupInFile(BuildBatchPe(), GroupKind::Cursor, ThreeImageIco(), {}).inImageFile);
}

TEST(SetIcon, ResourceFilesKeepOtherEntriesByteForByte) {
    const Bytes res = BuildBatchRes32();
    const ResourceTableRead read = ReadResResourceTable(res);
    ASSERT_FALSE(read.error) << read.error->Describe();
    EXPECT_EQ(WriteResResources(read.table), res); // unchanged: the same bytes
    const FileGroupReplace set = SetIcon(res, ThreeImageIco());
    ASSERT_FALSE(set.write.error);
    const ResourceTableRead after = ReadResResourceTable(set.write.bytes);
    ASSERT_FALSE(after.error);
    for (const ResourceEntry& e : read.table.entries) {
        const ResourceEntry* kept = FindResource(after.table, e.type, e.name, e.language);
        const bool replaced = e.type.isId && (e.type.id == RT_ICON || (e.type.id == RT_GROUP_ICON && e.name == set.change.name));
        if (!replaced) {
            ASSERT_NE(kept, nullptr) << e.name.Text();
            EXPECT_EQ(kept->stored, e.stored) << e.name.Text();
        }
    }
    EXPECT_EQ(SetIcon(set.write.bytes, ThreeImageIco()).write.bytes, set.write.bytes);
    const Bytes cut(res.begin(), res.end() - 7);
    ASSERT_TRUE(ReadResResourceTable(cut).error);
    EXPECT_EQ(ReadResResourceTable(cut).error->kind, ReadErrorKind::Truncated);
    EXPECT_TRUE(SetIcon(cut, ThreeImageIco()).write.error);
    const auto doc = Document::OfBytes("a.res", set.write.bytes);
    EXPECT_TRUE(doc->LoadAll().empty());
    EXPECT_EQ(doc->Contents().IconGroups.at(0).Images.size(), 3u);
}

TEST(SetIcon, TheCommandWritesANewFileAndChangesTheInputOnlyInPlace) {
    TempDir dir;
    const Bytes program = BuildBatchPe();
    ASSERT_TRUE(WriteFile(dir.file("a.exe"), program));
    ASSERT_EQ(::chmod(dir.file("a.exe").c_str(), 0751), 0);
    ASSERT_TRUE(WriteFile(dir.file("new.ico"), ThreeImageIco()));
    const std::string cli = std::string(GRABWELL_CLI) + " set-icon ";
    const RunResult set = RunCommand(cli + "-o " + dir.file("b.exe") + " " + dir.file("a.exe") + " " +
                                     dir.file("new.ico") + " 2>/dev/null");
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(ReadFile(dir.file("a.exe")), program);
    const Bytes written = ReadFile(dir.file("b.exe"));
    EXPECT_EQ(written, SetIcon(program, ThreeImageIco()).write.bytes);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("b.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0751u);

    EXPECT_EQ(RunCommand(cli + "-o " + dir.file("a.exe") + " " + dir.file("a.exe") + " " + dir.file("new.ico") +
                         " 2>/dev/null").status, 1);
    EXPECT_EQ(RunCommand(cli + dir.file("a.exe") + " " + dir.file("new.ico") + " 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(cli + "--group 70000 --in-place " + dir.file("a.exe") + " " + dir.file("new.ico") +
                         " 2>/dev/null").status, 2);
    EXPECT_EQ(ReadFile(dir.file("a.exe")), program);
    EXPECT_EQ(RunCommand(cli + "--in-place " + dir.file("a.exe") + " " + dir.file("new.ico") + " 2>/dev/null").status, 0);
    EXPECT_EQ(ReadFile(dir.file("a.exe")), written);
    // Nothing temporary is left behind.
    EXPECT_EQ(RunCommand("ls -A " + dir.path() + " | wc -l").out, "3\n");
}

// Programs linked by a real tool chain, checked by other readers and run.
namespace {

bool Have(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

std::string RunIn(const std::string& dir, const std::string& command) {
    const RunResult r = RunCommand("cd '" + dir + "' && " + command + " 2>&1");
    return r.status == 0 ? r.out : "FAILED (" + std::to_string(r.status) + "): " + r.out;
}

// A console program with an icon, a string table, version information and a
// manifest from the resource compiler; it prints its string 7. Empty when
// it was built, else why not.
std::string BuildConsoleProgram(const TempDir& dir, const std::string& compiler, const std::string& windres) {
    const std::string c =
        "#include <stdio.h>\n#include <windows.h>\nint main(void) { char s[64] = \"\";\n"
        "  int n = LoadStringA(GetModuleHandleA(NULL), 7, s, sizeof s);\n"
        "  HICON i = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(1));\n"
        "  printf(\"string 7: %s (%d), icon %s\\n\", s, n, i ? \"found\" : \"missing\"); return 0; }\n";
    const std::string rc =
        "1 ICON \"app.ico\"\nSTRINGTABLE { 7, \"seven\" }\n"
        "1 VERSIONINFO FILEVERSION 1,2,3,4 PRODUCTVERSION 1,2,3,4\nBEGIN BLOCK \"StringFileInfo\" BEGIN "
        "BLOCK \"040904b0\" BEGIN VALUE \"FileDescription\", \"test\" END END END\n1 24 \"app.manifest\"\n";
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<assembly "
                                 "xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>\n";
    WriteFile(dir.file("p.c"), Bytes(c.begin(), c.end()));
    WriteFile(dir.file("p.rc"), Bytes(rc.begin(), rc.end()));
    WriteFile(dir.file("app.manifest"), Bytes(manifest.begin(), manifest.end()));
    WriteFile(dir.file("app.ico"), BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}}));
    WriteFile(dir.file("new.ico"), ThreeImageIco());
    const std::string built = RunIn(dir.path(), windres + " --preprocessor=cpp p.rc -O coff -o p.o && " + compiler +
                                                  " -s -O1 -o p.exe p.c p.o");
    return built.starts_with("FAILED") ? built : std::string();
}

} // namespace

TEST(SetIconPrograms, AProgramKeepsItsOtherResourcesForEveryReader) {
    const std::string gcc = "x86_64-w64-mingw32-gcc", windres = "x86_64-w64-mingw32-windres";
    if (!Have(gcc) || !Have(windres) || !Have("cpp")) GTEST_SKIP() << gcc << ", " << windres << " or cpp is missing";
    TempDir dir;
    const std::string why = BuildConsoleProgram(dir, gcc, windres);
    ASSERT_EQ(why, "");
    const std::string set = RunIn(dir.path(), std::string(GRABWELL_CLI) + " set-icon -o out.exe p.exe new.ico");
    ASSERT_FALSE(set.starts_with("FAILED")) << set;
    const Bytes before = ReadFile(dir.file("p.exe")), after = ReadFile(dir.file("out.exe"));
    const ResourceTable a = ReadPeResourceTable(before).table, b = ReadPeResourceTable(after).table;
    EXPECT_EQ(b.entries.size(), a.entries.size() + 2);
    for (const ResourceEntry& e : a.entries)
        if (!e.type.isId || (e.type.id != RT_ICON && e.type.id != RT_GROUP_ICON)) {
            EXPECT_EQ(FindResource(b, e.type, e.name, e.language)->data, e.data) << e.type.Text();
        }
    // Setting it again changes nothing.
    EXPECT_FALSE(RunIn(dir.path(), std::string(GRABWELL_CLI) + " set-icon -o again.exe out.exe new.ico").starts_with("FAILED"));
    EXPECT_EQ(ReadFile(dir.file("again.exe")), after);

    if (Have("wrestool")) {
        const std::string listed = RunIn(dir.path(), "wrestool -l out.exe");
        EXPECT_NE(listed.find("--type=14 --name=1 --language=1033"), std::string::npos) << listed;
        EXPECT_NE(listed.find("--type=16"), std::string::npos) << listed;
        RunIn(dir.path(), "wrestool -x --raw -t3 -n1 out.exe > first.bin");
        EXPECT_EQ(ReadFile(dir.file("first.bin")), BuildIconDib(16, 4));
    }
    if (std::system("/usr/bin/python3 -c 'import pefile' >/dev/null 2>&1") == 0) {
        // No warnings, a checksum that verifies, the icons of the .ico.
        const std::string py =
            "import pefile, struct, sys\n"
            "pe = pefile.PE('out.exe')\n"
            "assert not pe.get_warnings(), pe.get_warnings()\n"
            "assert pe.OPTIONAL_HEADER.CheckSum == 0 or pe.verify_checksum()\n"
            "ico = open('new.ico', 'rb').read()\n"
            "want = [ico[o:o + n] for n, o in (struct.unpack_from('<II', ico, 6 + 16 * i + 8) for i in range(3))]\n"
            "icons = {e.id: e.directory.entries[0].data.struct for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == 3 "
            "for e in t.directory.entries}\n"
            "group = [t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == 14][0].directory.entries[0]\n"
            "g = group.directory.entries[0].data.struct\n"
            "g = pe.get_data(g.OffsetToData, g.Size)\n"
            "ids = [struct.unpack_from('<H', g, 6 + 14 * i + 12)[0] for i in range(struct.unpack_from('<H', g, 4)[0])]\n"
            "got = [pe.get_data(icons[i].OffsetToData, icons[i].Size) for i in ids]\n"
            "assert got == want\n"
            "print('ok')\n";
        WriteFile(dir.file("check.py"), Bytes(py.begin(), py.end()));
        EXPECT_EQ(RunIn(dir.path(), "/usr/bin/python3 check.py"), "ok\n");
    }
}

// Runs the program before and after under Wine (a fresh prefix: its first
// start takes a while); skipped without Wine.
TEST(SetIconPrograms, AProgramRunsTheSameUnderWineAfterItsIconIsSet) {
    const std::string gcc = "x86_64-w64-mingw32-gcc", windres = "x86_64-w64-mingw32-windres";
    if (!Have(gcc) || !Have(windres) || !Have("cpp") || !Have("wine"))
        GTEST_SKIP() << gcc << ", " << windres << ", cpp or wine is missing";
    TempDir dir;
    ASSERT_EQ(BuildConsoleProgram(dir, gcc, windres), "");
    ASSERT_FALSE(RunIn(dir.path(), std::string(GRABWELL_CLI) + " set-icon -o out.exe p.exe new.ico").starts_with("FAILED"));
    const std::string wine = "WINEDEBUG=-all WINEPREFIX='" + dir.file("prefix") + "' timeout 120 wine ";
    const std::string before = RunIn(dir.path(), "{ " + wine + "p.exe 2>/dev/null; }");
    const std::string after = RunIn(dir.path(), "{ " + wine + "out.exe 2>/dev/null; }");
    EXPECT_NE(before.find("string 7: seven (5), icon found"), std::string::npos) << before;
    EXPECT_EQ(after, before);
}

namespace {

// Whether a program keeps the loader's layout rules, by our check and by
// pefile's reading of its headers (sections one after the other in memory
// from the end of the headers, SizeOfImage their end, raw data inside the
// file, the table inside SizeOfHeaders). "" when both say it does.
std::string LayoutBroken(const std::string& dir, const std::string& file) {
    const Bytes bytes = ReadFile(dir + "/" + file);
    PeHeaders pe;
    if (std::optional<ReadError> e = ReadPeHeaders(bytes, pe)) return e->Describe();
    if (std::optional<ReadError> e = CheckLoaderLayout(pe, bytes.size(), PeekU32(bytes, pe.SizeOfImageAt())))
        return e->Describe();
    if (std::system("/usr/bin/python3 -c 'import pefile' >/dev/null 2>&1") != 0) return "";
    const std::string py =
        "import pefile, sys\n"
        "pe = pefile.PE(sys.argv[1], fast_load=True)\n"
        "o = pe.OPTIONAL_HEADER; a = o.SectionAlignment\n"
        "up = lambda v: (v + a - 1) // a * a\n"
        "end = up(o.SizeOfHeaders)\n"
        "assert pe.sections[-1].get_file_offset() + 40 <= o.SizeOfHeaders\n"
        "for s in pe.sections:\n"
        "    assert s.VirtualAddress == end, (s.Name, hex(s.VirtualAddress), hex(end))\n"
        "    assert s.PointerToRawData + s.SizeOfRawData <= len(pe.__data__)\n"
        "    end = up(s.VirtualAddress + (s.Misc_VirtualSize or s.SizeOfRawData))\n"
        "assert o.SizeOfImage == end, (hex(o.SizeOfImage), hex(end))\n"
        "print('ok')\n";
    WriteFile(dir + "/layout.py", Bytes(py.begin(), py.end()));
    const std::string said = RunIn(dir, "/usr/bin/python3 layout.py " + file);
    return said == "ok\n" ? "" : said;
}

} // namespace

// The resource section of a linked program is not its last one: a small icon
// takes the old section's bytes, a large one a new last section; either way,
// and for set-version, the sections still follow each other in memory.
TEST(SetIconPrograms, OutputsKeepTheLoadersLayoutRules) {
    const std::string gcc = "x86_64-w64-mingw32-gcc", windres = "x86_64-w64-mingw32-windres";
    if (!Have(gcc) || !Have(windres) || !Have("cpp")) GTEST_SKIP() << gcc << ", " << windres << " or cpp is missing";
    TempDir dir;
    ASSERT_EQ(BuildConsoleProgram(dir, gcc, windres), "");
    ASSERT_EQ(LayoutBroken(dir.path(), "p.exe"), "");
    WriteFile(dir.file("small.ico"), BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}}));
    WriteFile(dir.file("large.ico"), BuildIcoFile({{BuildIconDib(256, 32), 0, 0, 0, 0, 1, 32}}));
    const std::string cli = std::string(GRABWELL_CLI);
    for (const std::string& change : {"set-icon -o small.exe p.exe small.ico", "set-icon -o large.exe p.exe large.ico",
                                      "set-version -o version.exe --string Comments=a-longer-comment p.exe",
                                      "set-icon -o again.exe small.exe small.ico"}) {
        const std::string said = RunIn(dir.path(), cli + " " + change);
        ASSERT_FALSE(said.starts_with("FAILED")) << change << ": " << said;
        const std::string out = change.substr(change.find("-o ") + 3, change.find(".exe") + 4 - change.find("-o ") - 3);
        EXPECT_EQ(LayoutBroken(dir.path(), out), "") << change;
    }
    // The old resource section was reused in place, and again gives the same bytes.
    EXPECT_EQ(ReadFile(dir.file("again.exe")), ReadFile(dir.file("small.exe")));
    PeHeaders before, small;
    ASSERT_FALSE(ReadPeHeaders(ReadFile(dir.file("p.exe")), before));
    ASSERT_FALSE(ReadPeHeaders(ReadFile(dir.file("small.exe")), small));
    EXPECT_EQ(small.sections.size(), before.sections.size());
}

// Every program and library of the machine's Wine, given a small icon: each
// output keeps the layout rules its input kept.
TEST(SetIconPrograms, WinesProgramsKeepTheirLayout) {
    const std::string folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    if (!IsFolder(folder)) GTEST_SKIP() << folder << " is missing";
    const Bytes ico = BuildIcoFile({{BuildIconDib(16, 4), 16, 16, 0, 0, 1, 4}});
    size_t checked = 0, written = 0;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (!entry.name.ends_with(".exe") || checked >= 80) continue;
        const Bytes program = ReadFile(folder + "/" + entry.name);
        PeHeaders pe;
        if (ReadPeHeaders(program, pe) || CheckLoaderLayout(pe, program.size(), PeekU32(program, pe.SizeOfImageAt())))
            continue;
        ++checked;
        const FileGroupReplace set = SetIcon(program, ico);
        if (set.write.error) continue; // refused, with the reason
        ++written;
        PeHeaders after;
        ASSERT_FALSE(ReadPeHeaders(set.write.bytes, after)) << entry.name;
        const auto broken = CheckLoaderLayout(after, set.write.bytes.size(), PeekU32(set.write.bytes, after.SizeOfImageAt()));
        EXPECT_FALSE(broken) << entry.name << ": " << broken->Describe();
    }
    EXPECT_GT(written, 0u);
    std::printf("[          ] %zu of Wine's programs given an icon, %zu written\n", checked, written);
}
