#include <gtest/gtest.h>

#include <set>

#include "formats/FileContents.h"
#include "formats/Document.h"
#include "formats/FileKind.h"
#include "formats/FileKinds.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Padded(Bytes b, size_t size = 64) {
    if (b.size() < size) b.resize(size, 0);
    return b;
}

Bytes MzHeader(uint16_t reloc, uint32_t neOff) {
    Bytes b(64, 0);
    b[0] = 'M';
    b[1] = 'Z';
    b[0x18] = uint8_t(reloc);
    b[0x19] = uint8_t(reloc >> 8);
    for (int i = 0; i < 4; ++i) b[0x3C + i] = uint8_t(neOff >> (8 * i));
    return b;
}

Bytes NeFile(uint16_t winVer, uint16_t rsrcTab, uint16_t resTab) {
    Bytes b = MzHeader(0x40, 0x80);
    b.resize(0x80 + 64, 0);
    b[0x80] = 'N';
    b[0x81] = 'E';
    b[0x80 + 0x24] = uint8_t(rsrcTab);
    b[0x80 + 0x26] = uint8_t(resTab);
    b[0x80 + 0x3E] = uint8_t(winVer);
    b[0x80 + 0x3F] = uint8_t(winVer >> 8);
    return b;
}

} // namespace

TEST(FileKind, IconAndCursorHeadersDecideByExtensionAlone) {
    const Bytes ico = Padded({0, 0, 1, 0, 1, 0});
    const Bytes cur = Padded({0, 0, 2, 0, 3, 0});
    EXPECT_EQ(GetFileKindOfBytes("a.ico", ico), FileKind::Icon);
    EXPECT_EQ(GetFileKindOfBytes("A.ICO", ico), FileKind::Icon);
    EXPECT_EQ(GetFileKindOfBytes("a.cur", cur), FileKind::Cursor);
    EXPECT_EQ(GetFileKindOfBytes("a.cur", ico), FileKind::NonExecutable);
    EXPECT_EQ(GetFileKindOfBytes("a.ico", Padded({0, 0, 1, 0, 0, 0})), FileKind::NonExecutable); // count 0
    EXPECT_EQ(GetFileKindOfBytes("a.ico", Padded({1, 0, 1, 0, 1, 0})), FileKind::NonExecutable); // reserved
    // An executable named .ico is not looked at as an executable.
    EXPECT_EQ(GetFileKindOfBytes("a.ico", NeFile(0x30A, 0x40, 0x50)), FileKind::NonExecutable);
    // Fewer than 64 bytes: never anything.
    EXPECT_EQ(GetFileKindOfBytes("a.ico", Bytes{0, 0, 1, 0, 1, 0}), FileKind::NonExecutable);
}

TEST(FileKind, ExecutableHeaders) {
    EXPECT_EQ(GetFileKindOfBytes("a.dll", NeFile(0x30A, 0x40, 0x50)), FileKind::Ne);
    EXPECT_EQ(GetFileKindOfBytes("a.dll", NeFile(0x300, 0x40, 0x50)), FileKind::Ne);
    EXPECT_EQ(GetFileKindOfBytes("a.dll", NeFile(0x200, 0x40, 0x50)), FileKind::NonExecutable);
    EXPECT_EQ(GetFileKindOfBytes("a.dll", NeFile(0x30A, 0x40, 0x40)), FileKind::NonExecutable);

    Bytes pe = MzHeader(0, 0x40);
    pe.resize(0x40 + 64, 0);
    pe[0x40] = 'P';
    pe[0x41] = 'E';
    EXPECT_EQ(GetFileKindOfBytes("x.exe", pe), FileKind::Pe);
    Bytes relocOk = pe;
    relocOk[0x18] = 0x40;
    EXPECT_EQ(GetFileKindOfBytes("x.exe", relocOk), FileKind::Pe);
    Bytes relocBad = pe;
    relocBad[0x18] = 0x20;
    EXPECT_EQ(GetFileKindOfBytes("x.exe", relocBad), FileKind::NonExecutable);

    // New header offset past the end, or a header cut short.
    Bytes far = MzHeader(0x40, 0xFFFFFFF0u);
    EXPECT_EQ(GetFileKindOfBytes("x.exe", far), FileKind::NonExecutable);
    Bytes cut = pe;
    cut.resize(0x40 + 10);
    EXPECT_EQ(GetFileKindOfBytes("x.exe", cut), FileKind::NonExecutable);
}

TEST(FileKind, FromDisk) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("a.ico"), Padded({0, 0, 1, 0, 1, 0})));
    EXPECT_EQ(Document::Open(dir.file("a.ico"))->Kind(), FileKind::Icon);
    const auto missing = Document::Open(dir.file("missing.ico"));
    EXPECT_EQ(missing->Kind(), FileKind::NonExecutable);
    EXPECT_FALSE(missing->Readable());
    ASSERT_EQ(missing->Errors().size(), 1u);
    EXPECT_EQ(missing->Errors()[0].kind, ReadErrorKind::Io);
    EXPECT_EQ(Document::Open(dir.path())->Kind(), FileKind::NonExecutable); // a folder
    EXPECT_STREQ(DeskKindText(FileKind::Ne), "NE File");
    EXPECT_STREQ(DeskKindText(FileKind::NonExecutable), "Non Executable");
}

// Every kind has its row, found again by its kind; the thumbnailer is
// declared for the MIME types of every kind it draws (all but plain
// bitmaps, which desktops draw themselves), so a new kind cannot be left out.
TEST(FileKindTable, EveryKindHasARowAndTheThumbnailerTakesItsTypes) {
    std::set<FileKind> kinds;
    for (const FileKindRow& row : FileKindRows()) {
        EXPECT_TRUE(kinds.insert(row.kind).second) << row.text;
        EXPECT_EQ(&RowOf(row.kind), &row);
    }
    EXPECT_EQ(kinds.size(), size_t(FileKind::Shortcut) + 1);
    EXPECT_EQ(FileKindRows().back().kind, FileKind::NonExecutable); // the fallback is asked last

    const Bytes file = ReadFile(std::string(GRABWELL_DESKTOP_FILES) + "/grabwell.thumbnailer");
    const std::string text(file.begin(), file.end());
    const size_t at = text.find("MimeType=");
    ASSERT_NE(at, std::string::npos);
    const std::string declared = ";" + text.substr(at + 9, text.find('\n', at) - at - 9);
    for (const FileKindRow& row : FileKindRows()) {
        if (row.kind == FileKind::Bitmap) continue;
        const std::string types = row.mimeTypes;
        for (size_t from = 0; from < types.size();) {
            const size_t end = std::min(types.find(';', from), types.size());
            EXPECT_NE(declared.find(";" + types.substr(from, end - from) + ";"), std::string::npos)
                << row.text << ": " << types.substr(from, end - from);
            from = end + 1;
        }
    }
}
