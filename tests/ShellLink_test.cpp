// The shortcut (.lnk) reader over shortcuts the builder makes: every field
// read back as stored, 8-bit strings in Windows-1252, the target path and
// the icon chosen as Windows chooses them, and damage of each kind said
// with its place while what came before it is kept. Where lnkinfo
// (liblnk-utils) is installed, the reader agrees with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "formats/ShellLink.h"
#include "platform/Text.h"
#include "tests/support/Builders.h"
#include "tests/support/RunCommand.h"
#include "tests/support/ShellLinkBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

ReadResult<ShellLink> Read(const ShellLinkLayout& layout) { return ParseShellLink(BuildShellLink(layout).bytes); }

void ExpectUtf8(const ShellLink& l) {
    for (const std::string* s : {&l.targetPath, &l.idListPath, &l.localBasePath, &l.commonPathSuffix, &l.volumeLabel,
                                 &l.networkShare, &l.description, &l.relativePath, &l.workingDirectory, &l.arguments,
                                 &l.iconLocation, &l.environmentTarget, &l.iconEnvironmentPath, &l.darwinId})
        EXPECT_TRUE(IsUtf8(*s)) << *s;
}

const char* const kTool = "C:\\Program Files\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe";

} // namespace

TEST(ShellLink, AFullUnicodeShortcutReadsBackWhole) {
    const BuiltShellLink built = BuildShellLink(SampleShellLink());
    EXPECT_TRUE(LooksLikeShellLink(built.bytes));
    const auto read = ParseShellLink(built.bytes);
    ASSERT_FALSE(read.error) << read.error->Describe();
    const ShellLink& l = read.records;
    EXPECT_TRUE(l.unicode);
    EXPECT_EQ(l.linkFlags, uint32_t(kLinkHasTargetIdList | kLinkHasLinkInfo | kLinkHasName | kLinkHasRelativePath |
                                    kLinkHasWorkingDir | kLinkHasArguments | kLinkHasIconLocation | kLinkIsUnicode |
                                    kLinkHasExpString | kLinkHasExpIcon));
    EXPECT_EQ(l.fileAttributes, 0x20u);
    EXPECT_EQ(l.fileSize, 123456u);
    EXPECT_EQ(l.writeTime, 0x01D9A1B2C3D4E5F6ull);
    EXPECT_EQ(l.creationTime, l.writeTime);
    EXPECT_EQ(l.iconIndex, -3);
    EXPECT_EQ(l.showCommand, 3u);
    EXPECT_EQ(l.hotKey, 0x0647);

    // The ID list: My Computer, C:\, then each item's long name, from
    // extension blocks of versions 9, 7 and 3.
    EXPECT_EQ(l.idListPath, kTool);
    // The link information: its Unicode paths, not the 8-bit copies (which lost characters).
    EXPECT_EQ(l.localBasePath, kTool);
    EXPECT_EQ(l.commonPathSuffix, "");
    EXPECT_EQ(l.volumeLabel, "Syst\u00E8me \u2603");
    EXPECT_EQ(l.driveType, 3u);
    EXPECT_EQ(l.driveSerial, 0x1234ABCDu);
    EXPECT_EQ(l.networkShare, "");
    EXPECT_EQ(l.targetPath, kTool);

    EXPECT_EQ(l.description, "Grabwell \u2014 ic\u00F4nes");
    EXPECT_EQ(l.relativePath, std::string("..\\..") + (kTool + 2));
    EXPECT_EQ(l.workingDirectory, "C:\\Program Files\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls");
    EXPECT_EQ(l.arguments, "--open \"C:\\Users\\Zo\u00EB\\Desktop\" \U0001F642"); // a surrogate pair
    EXPECT_EQ(l.iconLocation, "C:\\Windows\\System32\\shell32.dll");
    // The blocks' UTF-16 parts, not their 8-bit ones.
    EXPECT_EQ(l.environmentTarget, "%ProgramFiles%\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe");
    EXPECT_EQ(l.iconEnvironmentPath, "%SystemRoot%\\System32\\imageres.dll");
    EXPECT_EQ(l.darwinId, "");
    ExpectUtf8(l);

    ShellLinkLayout darwin = SampleShellLink();
    darwin.darwinId = "w_1^VX!!!!!!!!!MKKSkEXCELFiles>tW{~$4Q]c@II=l2xaTO5Z";
    EXPECT_EQ(Read(darwin).records.darwinId, *darwin.darwinId);
}

TEST(ShellLink, AnsiStringsAreReadAsWindows1252) {
    const BuiltShellLink built = BuildShellLink(SampleAnsiShellLink());
    // "Café €5" as the builder wrote it: one byte each, é 0xE9 and € 0x80.
    const std::string bytes(built.bytes.begin(), built.bytes.end());
    EXPECT_NE(bytes.find("Caf\xE9 \x80" "5"), std::string::npos);
    const auto read = ParseShellLink(built.bytes);
    ASSERT_FALSE(read.error) << read.error->Describe();
    const ShellLink& l = read.records;
    EXPECT_FALSE(l.unicode);
    EXPECT_EQ(l.description, "Caf\u00E9 \u20AC5");
    EXPECT_EQ(l.workingDirectory, "D:\\Games");
    EXPECT_EQ(l.arguments, "/fullscreen");
    EXPECT_EQ(l.iconLocation, "D:\\Games\\Caf\u00E9.ico");
    EXPECT_EQ(l.iconIndex, 2);
    EXPECT_EQ(l.localBasePath, "D:\\Games\\Caf\u00E9.exe");
    EXPECT_EQ(l.volumeLabel, "DATA");
    // Items without extension blocks give their short names; a volume item of type 0x23 (as Wine writes it).
    EXPECT_EQ(l.idListPath, "D:\\GAMES\\CAFE.EXE");
    EXPECT_EQ(l.targetPath, "D:\\Games\\Caf\u00E9.exe");
    ExpectUtf8(l);

    // 8-bit environment blocks (no UTF-16 part).
    ShellLinkLayout env = SampleAnsiShellLink();
    env.environmentTarget = "%USERPROFILE%\\Caf\u00E9.exe";
    env.iconEnvironmentPath = "%USERPROFILE%\\Caf\u00E9.ico";
    env.environmentAnsiOnly = true;
    const auto envRead = Read(env);
    ASSERT_FALSE(envRead.error);
    EXPECT_EQ(envRead.records.environmentTarget, "%USERPROFILE%\\Caf\u00E9.exe");
    EXPECT_EQ(envRead.records.iconEnvironmentPath, "%USERPROFILE%\\Caf\u00E9.ico");
}

TEST(ShellLink, ANetworkShareAndItsSuffixMakeTheTarget) {
    for (bool unicode : {false, true}) {
        const ShellLinkLayout s = NetworkShellLink("\\\\server\\\u00E9quipe", "outils\\grabwell.exe", unicode);
        const auto read = Read(s);
        ASSERT_FALSE(read.error) << read.error->Describe();
        EXPECT_EQ(read.records.networkShare, "\\\\server\\\u00E9quipe") << unicode;
        EXPECT_EQ(read.records.commonPathSuffix, "outils\\grabwell.exe");
        EXPECT_EQ(read.records.targetPath, "\\\\server\\\u00E9quipe\\outils\\grabwell.exe");
        EXPECT_EQ(read.records.localBasePath, "");
        EXPECT_EQ(read.records.arguments, "-x");
    }
}

// The link information's path first, but not when its 8-bit copy lost
// characters and the ID list spells them (Wine writes such shortcuts), nor
// when ForceNoLinkInfo says to ignore it; the environment block's target last.
TEST(ShellLink, TheTargetPathIsTheBestOneStored) {
    ShellLinkLayout lossy;
    LinkInfoLayout li;
    li.localBasePath = "C:\\\u0444\u0430\u0439\u043B.txt"; // Cyrillic: "C:\????.txt" in Windows-1252
    lossy.linkInfo = li;
    lossy.idList = std::vector<Bytes>{MyComputerItem(), VolumeItem("C:\\"),
                                      FileEntryItem("FAJL~1.TXT", "\u0444\u0430\u0439\u043B.txt")};
    auto read = Read(lossy);
    ASSERT_FALSE(read.error);
    EXPECT_EQ(read.records.localBasePath, "C:\\????.txt");
    EXPECT_EQ(read.records.targetPath, "C:\\\u0444\u0430\u0439\u043B.txt");
    lossy.idList.reset();
    EXPECT_EQ(Read(lossy).records.targetPath, "C:\\????.txt"); // the best there is

    ShellLinkLayout forced = SampleAnsiShellLink();
    forced.extraFlags = kLinkForceNoLinkInfo;
    read = Read(forced);
    EXPECT_EQ(read.records.localBasePath, "D:\\Games\\Caf\u00E9.exe");
    EXPECT_EQ(read.records.targetPath, "D:\\GAMES\\CAFE.EXE");

    ShellLinkLayout envOnly;
    envOnly.environmentTarget = "%windir%\\notepad.exe";
    read = Read(envOnly);
    ASSERT_FALSE(read.error);
    EXPECT_EQ(read.records.targetPath, "%windir%\\notepad.exe");
    EXPECT_EQ(read.records.linkFlags, uint32_t(kLinkIsUnicode | kLinkHasExpString));
}

TEST(ShellLink, TheIdListPathFromEachKindOfFileEntry) {
    auto pathOf = [](std::vector<Bytes> items) {
        ShellLinkLayout s;
        s.idList = std::move(items);
        const auto read = Read(s);
        EXPECT_FALSE(read.error) << read.error->Describe();
        return read.records.idListPath;
    };
    for (uint16_t version : {3, 7, 8, 9})
        EXPECT_EQ(pathOf({MyComputerItem(), VolumeItem("E:\\"),
                          FileEntryItem("LONGFO~1", "Long folder name", true, version),
                          FileEntryItem("A.TXT", "a.txt", false, version)}),
                  "E:\\Long folder name\\a.txt")
            << version;
    // Wine's own layout of the long name's block.
    EXPECT_EQ(pathOf({MyComputerItem(), VolumeItem("C:\\", 0x23), WineFileEntryItem("users", "users", true),
                      WineFileEntryItem("D\u00F6k\u00FCmanlar O", "D\u00F6k\u00FCmanlar \u03A9", true),
                      WineFileEntryItem("???? ?.txt", "\u0444\u0430\u0439\u043B \u0441.txt")}),
              "C:\\users\\D\u00F6k\u00FCmanlar \u03A9\\\u0444\u0430\u0439\u043B \u0441.txt");
    // A drive alone.
    EXPECT_EQ(pathOf({MyComputerItem(), VolumeItem("C:\\")}), "C:\\");

    // Items it does not know leave the path empty, and are no damage: a
    // root other than My Computer, a network item, a volume with no drive
    // name, an item with no type, My Computer alone.
    Bytes controlPanel = MyComputerItem();
    controlPanel[4] = 0x21;
    EXPECT_EQ(pathOf({controlPanel, VolumeItem("C:\\")}), "");
    EXPECT_EQ(pathOf({MyComputerItem(), RawItem({0xC3, 0x01, 0x81, '\\', '\\', 's', 0})}), "");
    EXPECT_EQ(pathOf({MyComputerItem(), VolumeItem("Data")}), "");
    EXPECT_EQ(pathOf({MyComputerItem(), VolumeItem("C:\\"), RawItem({})}), "");
    EXPECT_EQ(pathOf({MyComputerItem()}), "");
    EXPECT_EQ(pathOf({}), "");
}

TEST(ShellLink, DamageIsSaidWithItsKindAndPlaceAndWhatCameBeforeIsKept) {
    const BuiltShellLink sample = BuildShellLink(SampleShellLink());
    const uint64_t size = sample.bytes.size();

    // A cut header: nothing read.
    for (size_t n = 0; n < 0x4C; ++n) {
        const auto read = ParseShellLink(ByteView(sample.bytes).first(n));
        ASSERT_TRUE(read.error) << n;
        EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated);
        EXPECT_EQ(read.error->offset, n);
        EXPECT_EQ(read.records.linkFlags, 0u);
        EXPECT_FALSE(LooksLikeShellLink(ByteView(sample.bytes).first(n)));
    }
    // A header of another size or class is not a shortcut's.
    Bytes other = sample.bytes;
    other[0] = 0x4D;
    EXPECT_FALSE(LooksLikeShellLink(other));
    EXPECT_EQ(ParseShellLink(other).error,
              (ReadError{ReadErrorKind::Invalid, 0, "the header states a size of 77 bytes, not 76"}));
    other = sample.bytes;
    other[19] = 0x47;
    EXPECT_FALSE(LooksLikeShellLink(other));
    EXPECT_EQ(ParseShellLink(other).error->offset, 4u);

    // A string's count past the end: truncated where the file ends; the
    // header, ID list and link information kept, nothing after.
    ShellLinkLayout longCount = SampleShellLink();
    longCount.statedDescriptionCount = 60000;
    auto read = Read(longCount);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated);
    EXPECT_EQ(read.error->offset, size);
    EXPECT_EQ(read.error->message, "the description (NAME_STRING) of 60,000 characters needs 120,000 bytes at " +
                                       GroupedNumber(sample.stringsAt + 2));
    EXPECT_EQ(read.records.iconIndex, -3);
    EXPECT_EQ(read.records.idListPath, kTool);
    EXPECT_EQ(read.records.localBasePath, kTool);
    EXPECT_EQ(read.records.targetPath, kTool);
    EXPECT_EQ(read.records.description, "");
    EXPECT_EQ(read.records.iconLocation, "");
    EXPECT_EQ(read.records.iconEnvironmentPath, "");

    // The link information's size past the end: the ID list kept.
    ShellLinkLayout longInfo = SampleShellLink();
    longInfo.linkInfo->statedSize = 100000;
    read = Read(longInfo);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated);
    EXPECT_EQ(read.error->offset, size);
    EXPECT_EQ(read.records.idListPath, kTool);
    EXPECT_EQ(read.records.targetPath, kTool);
    EXPECT_EQ(read.records.localBasePath, "");
    EXPECT_EQ(read.records.description, "");
    // ... or below its own header's size.
    longInfo.linkInfo->statedSize = 12;
    read = Read(longInfo);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, sample.linkInfoAt);

    // An ID list item of size 1: the path is not spelt; the ID list's size
    // is known, so what follows it is read.
    ShellLinkLayout badItem = SampleShellLink();
    badItem.idList->insert(badItem.idList->begin() + 1, Bytes{0x01, 0x00});
    read = Read(badItem);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, sample.idListAt + 2 + 20); // after the root item
    EXPECT_EQ(read.error->message, "item 1 of the link target ID list states a size of 1 byte");
    EXPECT_EQ(read.records.idListPath, "");
    EXPECT_EQ(read.records.targetPath, kTool);
    EXPECT_EQ(read.records.description, "Grabwell \u2014 ic\u00F4nes");
    EXPECT_EQ(read.records.iconEnvironmentPath, "%SystemRoot%\\System32\\imageres.dll");

    // An item that runs past the list's end, a list without its terminal item.
    ShellLinkLayout shortList = SampleShellLink();
    const uint16_t listSize = uint16_t(sample.linkInfoAt - sample.idListAt - 2);
    shortList.statedIdListSize = uint16_t(listSize - 10);
    read = Read(shortList);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    const size_t lastItem = sample.idListAt + 2 + listSize - 2 - shortList.idList->back().size();
    EXPECT_EQ(read.error->offset, lastItem);
    EXPECT_EQ(read.records.idListPath, "");
    shortList.statedIdListSize = uint16_t(listSize - 2);
    read = Read(shortList);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->offset, sample.linkInfoAt - 2);
    EXPECT_EQ(read.error->message, "the link target ID list ends without its terminal item");

    // An extra block of a huge size: the blocks before it and everything else kept.
    ShellLinkLayout hugeBlock = SampleShellLink();
    Bytes huge = ExtraBlock(0xA0000003, Bytes(88, 0));
    PatchU32(huge, 0, 0x7FFFFFF0);
    hugeBlock.extraBlocks.push_back(huge);
    read = Read(hugeBlock);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Truncated);
    EXPECT_EQ(read.error->offset, BuildShellLink(hugeBlock).bytes.size());
    EXPECT_EQ(read.error->message, "the extra data block 0xA0000003 needs 2,147,483,632 bytes at " +
                                       GroupedNumber(size - 4)); // where the terminal block was
    EXPECT_EQ(read.records.environmentTarget,
              "%ProgramFiles%\\\u00DCn\u00EFc\u00F8d\u00E9 T\u00F8\u00F8ls\\grabwell \u2603.exe");
    EXPECT_EQ(read.records.iconEnvironmentPath, "%SystemRoot%\\System32\\imageres.dll");
    EXPECT_EQ(read.records.iconLocation, "C:\\Windows\\System32\\shell32.dll");

    // A block smaller than its header; an environment block of the wrong
    // size, skipped by its size with the blocks after it read.
    ShellLinkLayout tiny = SampleAnsiShellLink();
    tiny.extraBlocks = {Bytes{5, 0, 0, 0, 1}};
    read = Read(tiny);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, BuildShellLink(tiny).extraDataAt);
    ShellLinkLayout wrongSize = SampleAnsiShellLink();
    wrongSize.extraBlocks = {ExtraBlock(kEnvironmentVariableBlock, Bytes(0x100, 'x')),
                             EnvironmentDataBlock(kIconEnvironmentBlock, "%SystemRoot%\\x.dll")};
    read = Read(wrongSize);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, BuildShellLink(wrongSize).extraDataAt);
    EXPECT_EQ(read.records.environmentTarget, "");
    EXPECT_EQ(read.records.iconEnvironmentPath, "%SystemRoot%\\x.dll");

    // Inside the link information: a header size it does not allow, a path
    // offset pointing past it. The strings after it are read.
    Bytes badHeader = BuildShellLink(SampleAnsiShellLink()).bytes;
    const size_t infoAt = BuildShellLink(SampleAnsiShellLink()).linkInfoAt;
    PatchU32(badHeader, infoAt + 4, 0x20);
    read = ParseShellLink(badHeader);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, infoAt + 4);
    EXPECT_EQ(read.records.localBasePath, "");
    EXPECT_EQ(read.records.targetPath, "D:\\GAMES\\CAFE.EXE");
    EXPECT_EQ(read.records.description, "Caf\u00E9 \u20AC5");
    Bytes badOffset = BuildShellLink(SampleAnsiShellLink()).bytes;
    PatchU32(badOffset, infoAt + 16, 0xFFFF);
    read = ParseShellLink(badOffset);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->kind, ReadErrorKind::Invalid);
    EXPECT_EQ(read.error->offset, infoAt + 16);
    EXPECT_EQ(read.records.localBasePath, "");
    EXPECT_EQ(read.records.volumeLabel, "DATA");
    EXPECT_EQ(read.records.iconLocation, "D:\\Games\\Caf\u00E9.ico");
}

// Every cut of a full shortcut: damage said inside what is there, every
// string UTF-8; only a cut between extra blocks (the terminal block
// missing) loses nothing.
TEST(ShellLink, EveryCutIsSaidUnlessItFallsBetweenBlocks) {
    const BuiltShellLink sample = BuildShellLink(SampleShellLink());
    const size_t blocks = sample.extraDataAt;
    const std::set<size_t> between = {blocks, blocks + 0x314, blocks + 2 * 0x314, sample.bytes.size() - 4};
    for (size_t n = 0; n < sample.bytes.size(); ++n) {
        const auto read = ParseShellLink(ByteView(sample.bytes).first(n));
        ExpectUtf8(read.records);
        if (read.error) {
            EXPECT_LE(read.error->offset, n);
        }
        EXPECT_EQ(!read.error, between.count(n) == 1) << n;
        if (n >= sample.stringsAt) {
            EXPECT_EQ(read.records.localBasePath, kTool) << n;
        }
    }
}

TEST(ShellLink, TheIconShownIsChosenAsWindowsChoosesIt) {
    ShellLinkLayout s = SampleShellLink();
    ShortcutIcon icon = ShortcutIconOf(Read(s).records);
    EXPECT_EQ(icon.path, "%SystemRoot%\\System32\\imageres.dll");
    EXPECT_EQ(icon.index, -3);
    // The block without the HasExpIcon flag is not used.
    s.setExpIconFlag = false;
    icon = ShortcutIconOf(Read(s).records);
    EXPECT_EQ(icon.path, "C:\\Windows\\System32\\shell32.dll");
    EXPECT_EQ(icon.index, -3);
    // The block alone.
    s = SampleShellLink();
    s.iconLocation.reset();
    EXPECT_EQ(ShortcutIconOf(Read(s).records).path, "%SystemRoot%\\System32\\imageres.dll");
    // Neither: the target's first icon, whatever the header's index.
    s.iconEnvironmentPath.reset();
    s.iconIndex = 5;
    icon = ShortcutIconOf(Read(s).records);
    EXPECT_EQ(icon.path, "");
    EXPECT_EQ(icon.index, 0);
    // The location string alone, with its index.
    ShellLink link;
    link.iconLocation = "C:\\a.ico";
    link.iconIndex = 7;
    icon = ShortcutIconOf(link);
    EXPECT_EQ(icon.path, "C:\\a.ico");
    EXPECT_EQ(icon.index, 7);
}

// ---- lnkinfo -----------------------------------------------------------------

namespace {

struct LnkinfoOutput {
    std::map<std::string, std::string> values; // "Local path" -> "C:\..."
    std::string itemPath;                      // the path its shell items spell, long names preferred
};

LnkinfoOutput RunLnkinfo(const std::string& file) {
    LnkinfoOutput out;
    const RunResult run = RunCommand("lnkinfo -c windows-1252 '" + file + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    std::istringstream lines(run.out);
    std::string line, section;
    std::vector<std::string> names;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != '\t') section = line;
        const size_t colon = line.find("\t: ");
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        key.erase(0, key.find_first_not_of('\t'));
        key.erase(key.find_last_not_of('\t') + 1);
        const std::string value = line.substr(colon + 3);
        if (section == "Link information:") out.values[key] = value;
        if (key == "Volume name") out.itemPath = value;
        if (key == "Name") names.push_back(value);
        if (key == "Long name" && !names.empty()) names.back() = value;
    }
    for (const std::string& name : names)
        out.itemPath += (out.itemPath.empty() || out.itemPath.back() == '\\' ? "" : "\\") + name;
    return out;
}

} // namespace

// lnkinfo (liblnk 20181227) reads the same strings, link information and
// ID list names. Two of its faults are kept out of the comparison: it reads
// the show command and hot key from the wrong place, and it mangles
// characters outside the Basic Multilingual Plane.
TEST(ShellLinkLnkinfo, ReadsWhatLnkinfoReads) {
    if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "lnkinfo is not installed";
    std::vector<ShellLinkLayout> layouts;
    layouts.push_back(SampleShellLink());
    layouts.back().arguments = "--open \"C:\\Users\\Zo\u00EB\\Desktop\"";
    layouts.push_back(SampleAnsiShellLink());
    for (bool unicode : {false, true}) {
        ShellLinkLayout net = NetworkShellLink("\\\\server\\\u00E9quipe", "outils\\grabwell.exe", unicode);
        net.arguments.reset();
        net.unicode = unicode;
        net.description = "\u00C9quipe";
        net.iconIndex = 12;
        layouts.push_back(net);
    }
    ShellLinkLayout env;
    env.environmentTarget = "%windir%\\notepad.exe";
    env.relativePath = ".\\notepad.exe";
    layouts.push_back(env);

    TempDir dir;
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::string file = dir.file("link" + std::to_string(i) + ".lnk");
        ASSERT_TRUE(WriteFile(file, BuildShellLink(layouts[i]).bytes));
        const auto read = ParseShellLink(ReadFile(file));
        ASSERT_FALSE(read.error) << read.error->Describe();
        const ShellLink& l = read.records;
        const LnkinfoOutput info = RunLnkinfo(file);
        auto expect = [&](const std::string& key, const std::string& ours) {
            const auto it = info.values.find(key);
            EXPECT_EQ(it == info.values.end() ? std::string() : it->second, ours) << key << " in " << file;
        };
        expect("Local path", l.localBasePath.empty() ? "" : l.localBasePath + l.commonPathSuffix);
        expect("Description", l.description);
        expect("Relative path", l.relativePath);
        expect("Working directory", l.workingDirectory);
        expect("Command line arguments", l.arguments);
        // lnkinfo shows the icon environment block in place of the string.
        expect("Icon location", l.iconEnvironmentPath.empty() ? l.iconLocation : l.iconEnvironmentPath);
        expect("Environment variables location", l.environmentTarget);
        expect("Icon index", std::to_string(l.iconIndex));
        expect("File size", std::to_string(l.fileSize) + " bytes");
        if (!l.localBasePath.empty()) {
            expect("Volume label", l.volumeLabel);
            char serial[16];
            std::snprintf(serial, sizeof serial, "0x%08x", l.driveSerial);
            expect("Drive serial number", serial);
            expect("Drive type", "Fixed (" + std::to_string(l.driveType) + ")");
        }
        // lnkinfo joins the share and the suffix, as the target path does.
        if (!l.networkShare.empty()) expect("Network path", l.targetPath);
        EXPECT_EQ(info.itemPath, l.idListPath) << file;
    }
}

// ---- Shortcuts Wine's shell link object wrote ----------------------------------

// The shortcuts tools/make-wine-shortcuts.sh writes with IShellLinkW and
// IPersistFile::Save under Wine, read back as they were made; and as
// lnkinfo reads them, where it is installed. Run with
// GRABWELL_WINE_SHORTCUTS naming the script's output folder; skipped
// without it (booting a Wine prefix is too slow for every test run).
TEST(ShellLinkWine, ReadsShortcutsWineWrote) {
    const char* folder = std::getenv("GRABWELL_WINE_SHORTCUTS");
    if (!folder || !*folder) GTEST_SKIP() << "GRABWELL_WINE_SHORTCUTS is not set (tools/make-wine-shortcuts.sh)";
    const Bytes manifest = ReadFile(std::string(folder) + "/manifest.tsv");
    ASSERT_FALSE(manifest.empty()) << folder << "/manifest.tsv";
    const bool lnkinfo = std::system("command -v lnkinfo >/dev/null 2>&1") == 0;
    std::istringstream lines(std::string(manifest.begin(), manifest.end()));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field == "-" ? "" : field);
        ASSERT_EQ(f.size(), 9u) << line;
        const std::string file = std::string(folder) + "/" + f[0];
        SCOPED_TRACE(file);
        const auto read = ParseShellLink(ReadFile(file));
        ASSERT_FALSE(read.error) << read.error->Describe();
        const ShellLink& l = read.records;
        ExpectUtf8(l);
        EXPECT_TRUE(l.unicode);
        EXPECT_EQ(l.targetPath, f[1]);
        // Wine spells local targets in the ID list too, by their long names.
        if (f[1].size() > 1 && f[1][1] == ':') {
            EXPECT_EQ(l.idListPath, f[1]);
        }
        EXPECT_EQ(l.arguments, f[2]);
        EXPECT_EQ(l.workingDirectory, f[3]);
        EXPECT_EQ(l.description, f[4]);
        EXPECT_EQ(l.iconLocation, f[5]);
        EXPECT_EQ(l.iconIndex, f[6].empty() ? 0 : std::stoi(f[6]));
        EXPECT_EQ(l.showCommand, f[7].empty() ? 1u : uint32_t(std::stoul(f[7])));
        EXPECT_EQ(l.hotKey, f[8].empty() ? 0u : std::stoul(f[8], nullptr, 0));
        const ShortcutIcon icon = ShortcutIconOf(l);
        EXPECT_EQ(icon.path, f[5]);
        EXPECT_EQ(icon.index, f[5].empty() ? 0 : l.iconIndex);
        if (lnkinfo) {
            const LnkinfoOutput info = RunLnkinfo(file);
            auto expect = [&](const std::string& key, const std::string& ours) {
                const auto it = info.values.find(key);
                EXPECT_EQ(it == info.values.end() ? std::string() : it->second, ours) << key;
            };
            expect("Local path", l.localBasePath);
            expect("Description", l.description);
            expect("Working directory", l.workingDirectory);
            expect("Command line arguments", l.arguments);
            expect("Icon location", l.iconLocation);
            expect("Icon index", std::to_string(l.iconIndex));
        }
        ++count;
    }
    EXPECT_GT(count, 0);
}
