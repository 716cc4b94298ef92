#include "fuzz/Harnesses.h"

#include <algorithm>
#include <cstdlib>

#include <libdeflate.h>

#include "formats/AniFile.h"
#include "formats/BmpManage.h"
#include "formats/CursorManage.h"
#include "formats/FileKind.h"
#include "formats/IcnsFile.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/Document.h"
#include "formats/MuiResource.h"
#include "formats/PeResources.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"
#include "formats/ResourceWriter.h"
#include "formats/SetGroup.h"
#include "formats/SetVersion.h"
#include "formats/ShellLink.h"
#include "formats/VersionInfo.h"
#include "pictures/IconExtract.h"
#include "pictures/IconToBitmap.h"
#include "platform/BmpCodec.h"
#include "platform/IconImage.h"
#include "platform/LoadBudget.h"
#include "platform/PngDecode.h"
#include "platform/ResourceModule.h"
#include "platform/Text.h"
#include "fuzz/FuzzSupport.h"
#include "thumbnailer/Thumbnail.h"

namespace gw::fuzz {

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Damage is reported inside the file: never beyond its last byte.
template <class Result>
void CheckPlace(const Result& result, size_t size) {
    if (result.error) Check(result.error->offset <= size);
}

// Draws every picture a load deferred, as a window showing them all would;
// pictures of this size stay quick to decode.
template <class Groups>
void DrawAll(const Groups& groups) {
    for (const auto& g : groups)
        for (const auto& im : g.Images) (void)im.Handle();
}

} // namespace

// GetFileKind over any bytes, with each of the extensions that change its path.
int FuzzFileKind(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"a.ico", "a.cur", "a.dll", "a.exe"};
    const gw::ByteView bytes(data, size);
    for (const char* name : kNames) (void)gw::GetFileKindOfBytes(name, bytes);
    return 0;
}

// The .ico reader, then the group and single-image writers over what it read.
int FuzzIco(const uint8_t* data, size_t size) {
    const gw::ReadResult<gw::IconGroup> read = gw::ParseIconFile(gw::ByteView(data, size));
    CheckPlace(read, size);
    DrawAll(std::vector<gw::IconGroup>{read.records});
    (void)gw::WriteIconGroup(read.records);
    for (const auto& im : read.records.Images) (void)gw::WriteIconImage(im);
    return 0;
}

// The .cur reader, then the cursor writers over what it read.
int FuzzCur(const uint8_t* data, size_t size) {
    const gw::ReadResult<gw::CursorGroup> read = gw::ParseCursorFile(gw::ByteView(data, size));
    CheckPlace(read, size);
    DrawAll(std::vector<gw::CursorGroup>{read.records});
    (void)gw::WriteCursorGroup(read.records, gw::CursorDataForm::CurFile);
    for (const auto& im : read.records.Images) (void)gw::WriteCursorImage(im, gw::CursorDataForm::CurFile);
    return 0;
}

// The BMP decoder in its three forms: a .bmp file, a bitmap resource (a DIB
// given the 14-byte header), a bare DIB; the NE byte-count rule; and the
// encoder over whatever decoded.
int FuzzBmp(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    CheckPlace(gw::ParseBmpFile(bytes), size);
    gw::Bitmap file = gw::DecodeBmp(bytes);
    gw::Bitmap resource = gw::DecodeBitmapResource(bytes);
    (void)gw::DecodeDib(bytes);
    (void)gw::NeBitmapByteCount(bytes);
    // Encoding is costly for large images; keep the harness fast.
    if (file.HasHandle() && uint64_t(file.width) * uint64_t(file.height) <= 4096)
        (void)gw::EncodeBmp(file, gw::PixelFormat(size % 9));
    if (resource.HasHandle() && uint64_t(resource.width) * uint64_t(resource.height) <= 4096)
        (void)gw::EncodeBmp(resource, gw::PixelFormat::Bits4);
    return 0;
}

// The icon image decoder (every DIB depth and PNG) as an icon and as a cursor
// resource, at its stored size and at a size taken from the input, then the
// conversion to a bitmap on the key colour.
int FuzzIconImage(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int desired = data[0] % 72; // 0 = stored size
    const bool icon = data[1] & 1;
    const gw::ByteView bytes(data + 2, size - 2);
    gw::Handle stored = gw::DecodeIconImage(bytes, icon);
    gw::Handle scaled = gw::DecodeIconImage(bytes, icon, desired, desired);
    if (stored && uint64_t(stored->width) * uint64_t(stored->height) <= 65536)
        (void)gw::IconToBitmap(*stored, gw::KeyColor);
    if (scaled) (void)gw::IconToBitmap(*scaled, gw::KeyColor);
    return 0;
}

// Sets every whole chunk's CRC right, so that mutated chunks reach the
// decoders' own checks instead of stopping at their CRCs.
void FixChunkCrcs(gw::Bytes& png) {
    size_t pos = 8;
    while (png.size() >= pos + 12) {
        const uint32_t length = uint32_t(png[pos]) << 24 | uint32_t(png[pos + 1]) << 16 | uint32_t(png[pos + 2]) << 8 | png[pos + 3];
        if (png.size() - pos - 12 < length) break;
        const uint32_t crc = libdeflate_crc32(0, png.data() + pos + 4, size_t(length) + 4);
        for (int i = 0; i < 4; ++i) png[pos + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
        pos += 12 + size_t(length);
    }
}

// The two PNG decoders side by side: whatever the direct decoder decodes,
// libpng decodes to the same pixels; and the verdict alone says what the
// decode does. An odd first byte sets the input's CRCs right first.
int FuzzPng(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    gw::Bytes png(data + 1, data + size);
    if (data[0] & 1) FixChunkCrcs(png);
    {
        const gw::LoadBudget budget(png.size());
        gw::PngPixels direct;
        bool spent = false;
        if (gw::png_detail::DecodeDirect(png, direct, spent) == gw::png_detail::DirectResult::Decoded) {
            gw::PngPixels reference;
            Check(gw::png_detail::DecodeWithLibpng(png, reference, false));
            Check(reference.width == direct.width && reference.height == direct.height &&
                  reference.argb == direct.argb);
        }
    }
    gw::PngPixels pixels;
    bool decodes = false;
    {
        const gw::LoadBudget budget(png.size());
        decodes = gw::DecodePng(png, pixels);
    }
    const gw::LoadBudget budget(png.size());
    uint32_t width = 0, height = 0;
    Check(gw::PngDecodes(png, width, height) == decodes);
    Check(!decodes || (width == pixels.width && height == pixels.height));
    return 0;
}

// The NE readers: counters, icon groups (with the icon-library names),
// cursor groups and bitmaps, with as many entries as the counters give, as
// the windows ask for them, and more than the file holds.
int FuzzNe(const uint8_t* data, size_t size) {
    const gw::ByteView file(data, size);
    constexpr size_t kExtra = 2;
    const size_t icons = size_t(std::min(gw::CountNEIconGroups(file), 64)) + kExtra;
    const size_t cursors = size_t(std::min(gw::CountNEResources(file, false), 64)) + kExtra;
    const size_t bitmaps = size_t(std::min(gw::CountNEResources(file, true), 64)) + kExtra;
    const auto iconGroups = gw::ParseNeIconGroups(file, "fuzz.icl", icons);
    CheckPlace(iconGroups, size);
    DrawAll(iconGroups.records);
    const auto cursorGroups = gw::ParseNeCursorGroups(file, "fuzz.exe", cursors);
    CheckPlace(cursorGroups, size);
    DrawAll(cursorGroups.records);
    CheckPlace(gw::ParseNeBitmaps(file, "fuzz.exe", bitmaps), size);
    return 0;
}

// The PE resource module and its three loaders, over the input's bytes.
int FuzzPe(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    auto module = gw::ResourceModule::FromBytes(bytes);
    if (!module) return 0;
    if (module->Damage()) Check(module->Damage()->offset <= size);
    int counts[3] = {};
    const uint16_t types[3] = {gw::RT_GROUP_ICON, gw::RT_GROUP_CURSOR, gw::RT_BITMAP};
    for (int t = 0; t < 3; ++t) {
        counts[t] = module->Count(types[t]);
        (void)module->EnumNames(types[t]);
        const gw::ResourceModule::TypeTable table = module->Table(types[t]);
        for (const auto& name : table.Names()) {
            gw::ReadError why;
            if (!table.Find(name, &why)) Check(why.offset <= size);
        }
    }
    const auto iconGroups = gw::ParsePeIconGroups(*module, size_t(std::min(counts[0], 64)) + 1);
    CheckPlace(iconGroups, size);
    DrawAll(iconGroups.records);
    const auto cursorGroups = gw::ParsePeCursorGroups(*module, size_t(std::min(counts[1], 64)) + 1);
    CheckPlace(cursorGroups, size);
    DrawAll(cursorGroups.records);
    gw::FileContents contents;
    contents.BitmapCount = std::min(counts[2], 64) + 1;
    (void)gw::LoadBitmapsPE(contents, *module);
    for (const gw::ReadError& e : contents.Errors) Check(e.offset <= size);
    // A bitmap listed from its header decodes when drawn, with the size the header gave.
    for (const gw::BitmapRecord& b : contents.Bitmaps)
        if (b.Width > 0) Check(b.Bitmap()->width == b.Width && b.Bitmap()->height == b.Height);
    return 0;
}

// The resource-file readers of both layouts and the two counters.
int FuzzRes(const uint8_t* data, size_t size) {
    const gw::ByteView file(data, size);
    const bool is32 = gw::IsRes32(file);
    int counts[3];
    const uint16_t types[3] = {gw::RT_GROUP_ICON, gw::RT_GROUP_CURSOR, gw::RT_BITMAP};
    for (int t = 0; t < 3; ++t) {
        counts[t] = gw::CountResEntries(file, types[t]);
        // The other layout's walk over the same bytes must end too.
        (void)(is32 ? gw::Conta16(file, 0, types[t]) : gw::Conta32(file, 32, types[t]));
    }
    const auto iconGroups = gw::ParseResIconGroups(file, size_t(std::min(counts[0], 64)) + 1);
    CheckPlace(iconGroups, size);
    DrawAll(iconGroups.records);
    const auto cursorGroups = gw::ParseResCursorGroups(file, size_t(std::min(counts[1], 64)) + 1);
    CheckPlace(cursorGroups, size);
    DrawAll(cursorGroups.records);
    gw::FileContents contents;
    contents.BitmapCount = std::min(counts[2], 64) + 1;
    gw::LoadResBitmaps(contents, file);
    for (const gw::ReadError& e : contents.Errors) Check(e.offset <= size);
    // A bitmap listed from its header decodes when drawn, with the size the header gave.
    for (const gw::BitmapRecord& b : contents.Bitmaps)
        if (b.Width > 0) Check(b.Bitmap()->width == b.Width && b.Bitmap()->height == b.Height);
    return 0;
}

// The first-icon picture the explorer's scanners ask for.
int FuzzExtractIcon(const uint8_t* data, size_t size) {
    const std::string& path = gw::fuzz::InputFile(gw::ByteView(data, size), ".exe");
    (void)gw::ExtractFirstIcon(path, 32);
    return 0;
}

// The animated cursor reader: every error within the file, one rate per
// step, every step showing a frame that is there, every frame drawn.
int FuzzAni(const uint8_t* data, size_t size) {
    const auto read = gw::ParseAniFile(gw::ByteView(data, size));
    if (read.error) Check(read.error->offset <= size);
    const gw::AnimatedCursor& ani = read.records;
    Check(ani.StepFrames.size() == ani.StepRates.size());
    for (uint32_t f : ani.StepFrames) Check(f < ani.Frames.size());
    for (const gw::AnimationFrame& frame : ani.Frames) DrawAll(std::vector<gw::CursorGroup>{frame.Images});
    return 0;
}

// The version reader in both layouts: every error within the bytes, every
// text UTF-8; what it read writes, and the written bytes read back as the
// same record.
int FuzzVersionInfo(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    for (const gw::VersionLayout layout : {gw::VersionLayout::Wide, gw::VersionLayout::Narrow}) {
        const auto read = gw::ParseVersionInfo(bytes, layout);
        CheckPlace(read, size);
        if (!read.records) continue;
        for (const auto& table : read.records->tables) {
            Check(gw::IsUtf8(table.language));
            for (const auto& s : table.strings) Check(gw::IsUtf8(s.key) && gw::IsUtf8(s.value));
        }
        const gw::Bytes written = gw::WriteVersionInfo(*read.records);
        if (written.size() >= 0xFFFF) continue; // beyond what one block's length can say
        const auto again = gw::ParseVersionInfo(written, gw::VersionLayout::Wide);
        Check(!again.error && again.records);
        gw::VersionInfo expected = *read.records;
        if (!expected.fixed) expected.fixed.emplace(); // the writer always gives one
        Check(*again.records == expected);
    }
    return 0;
}

// The MUI resource reader over the bytes as a resource, and over them as a
// PE file whose MUI resource is looked up by its type's name: every error
// within the bytes, every text UTF-8, no part read from outside.
int FuzzMui(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    const auto read = gw::ParseMuiResource(bytes);
    CheckPlace(read, size);
    const gw::MuiResource& mui = read.records;
    for (const auto* names : {&mui.MainTypeNames, &mui.MuiTypeNames})
        for (const std::string& n : *names) Check(gw::IsUtf8(n));
    Check(gw::IsUtf8(mui.Language) && gw::IsUtf8(mui.FallbackLanguage));
    // Parts may overlap, but none is longer than the bytes.
    Check(mui.MainTypeIds.size() <= size / 4 && mui.MuiTypeIds.size() <= size / 4);
    if (const auto module = gw::ResourceModule::FromBytes(bytes)) {
        if (const auto inModule = gw::ReadModuleMui(*module, bytes)) CheckPlace(*inModule, size);
        for (const uint16_t language : {uint16_t(0), uint16_t(0x409)}) {
            const auto icons = gw::ParsePeIconGroups(*module, 4, language);
            CheckPlace(icons, size);
        }
    }
    return 0;
}

// Any bytes as a program, library or 32-bit resource file: the resources
// read are written back unchanged and read again as the same resources (a
// resource file as the same bytes), and writing that again changes nothing.
// Then a version string set on it, and an icon group, read back whole.
int FuzzResourceRewrite(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    const gw::ResourceTableRead read = gw::ReadResourceTable(bytes);
    CheckPlace(read, size);
    if (read.error) return 0;
    const gw::ResourceWrite written = gw::WriteResourceTable(bytes, read.table);
    if (written.error) return 0;
    const gw::ResourceTableRead again = gw::ReadResourceTable(written.bytes);
    Check(!again.error && gw::SameResources(again.table, read.table));
    if (read.table.container == gw::ResourceContainer::Res32) Check(written.bytes == gw::Bytes(data, data + size));
    Check(gw::WriteResourceTable(written.bytes, again.table).bytes == written.bytes);

    // Version information the editor wrote reads back whole, the string set.
    gw::VersionEdits edits;
    edits.strings = {{"Comments", "fuzz"}};
    const gw::FileVersionReplace version = gw::ReplaceVersionInFile(bytes, edits);
    if (!version.write.error && version.refusal.empty()) {
        const gw::ResourceTableRead edited = gw::ReadResourceTable(version.write.bytes);
        Check(!edited.error);
        const gw::ResourceEntry* block =
            gw::FindResource(edited.table, gw::ResourceKey::Id(gw::kVersionResourceType), version.name, version.language);
        Check(block != nullptr);
        const auto parsed = gw::ParseVersionInfo(gw::ByteView(block->data));
        Check(!parsed.error && parsed.records);
        bool set = false;
        for (const gw::VersionStringTable& table : parsed.records->tables)
            for (const gw::VersionString& s : table.strings) set = set || (s.key == "Comments" && s.value == "fuzz");
        Check(set);
    }

    // A 1 x 1 icon of 32 bits: info header, one pixel, one mask row.
    static const gw::Bytes kIcon = [] {
        gw::Bytes dib;
        for (uint32_t v : {40u, 1u, 2u}) gw::PutU32(dib, v);
        gw::PutU16(dib, 1);
        gw::PutU16(dib, 32);
        dib.resize(40 + 4 + 4, 0);
        gw::Bytes ico = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0};
        gw::PutU32(ico, uint32_t(dib.size()));
        gw::PutU32(ico, 22);
        ico.insert(ico.end(), dib.begin(), dib.end());
        return ico;
    }();
    const gw::FileGroupReplace set = gw::ReplaceGroupInFile(bytes, gw::GroupKind::Icon, kIcon, {});
    if (set.write.error) return 0;
    const gw::ResourceTableRead withIcon = gw::ReadResourceTable(set.write.bytes);
    Check(!withIcon.error);
    Check(gw::FindResource(withIcon.table, gw::ResourceKey::Id(gw::RT_GROUP_ICON), set.change.name,
                           set.change.languages.front()) != nullptr);
    // A program the writer wrote is one it can change again.
    Check(!gw::ReplaceGroupInFile(set.write.bytes, gw::GroupKind::Icon, kIcon, {}).write.error);
    return 0;
}

// A file opened once and every record read from it, as the command line and
// the windows read files: the first byte picks the name's extension, the rest
// is the file. Every error lies within the file and every name is UTF-8.
int FuzzOpened(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"a.ico", "a.cur", "a.bmp", "a.dll", "a.res", "a.icl"};
    if (size < 1) return 0;
    const auto file = gw::Document::OfBytes(kNames[data[0] % 6], gw::Bytes(data + 1, data + size));
    (void)file->LoadAll();
    for (const gw::ReadError& e : file->Errors()) Check(e.offset <= size - 1);
    const gw::FileContents& c = file->Contents();
    for (const auto& g : c.IconGroups) Check(gw::IsUtf8(g.Name));
    for (const auto& g : c.CursorGroups) Check(gw::IsUtf8(g.Name));
    for (const auto& b : c.Bitmaps) Check(gw::IsUtf8(b.Name));
    return 0;
}

// The thumbnailer over any file: the first byte picks the size asked for,
// the rest is the file. A thumbnail it makes is a PNG that decodes, no wider
// or taller than the size.
int FuzzThumbnail(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static constexpr int kSizes[] = {16, 32, 48, 256};
    const int side = kSizes[data[0] % 4];
    const std::optional<gw::Bytes> png =
        gw::ThumbnailPngOfBytes("input", gw::ByteView(data + 1, size - 1), side, nullptr);
    if (!png) return 0;
    const gw::Handle back = gw::DecodeIconImage(*png, true);
    Check(back && back->width <= side && back->height <= side);
    return 0;
}

// The shortcut reader: damage placed inside the file, every string UTF-8,
// the target path one of the paths read, the icon one of those stored.
int FuzzShellLink(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    const gw::ReadResult<gw::ShellLink> read = gw::ParseShellLink(bytes);
    CheckPlace(read, size);
    const gw::ShellLink& l = read.records;
    for (const std::string* s : {&l.targetPath, &l.idListPath, &l.localBasePath, &l.commonPathSuffix, &l.volumeLabel,
                                 &l.networkShare, &l.description, &l.relativePath, &l.workingDirectory, &l.arguments,
                                 &l.iconLocation, &l.environmentTarget, &l.iconEnvironmentPath, &l.darwinId})
        Check(gw::IsUtf8(*s));
    Check(l.unicode == ((l.linkFlags & gw::kLinkIsUnicode) != 0));
    // Nothing is read past a header that is not a shortcut's.
    if (!gw::LooksLikeShellLink(bytes)) Check(read.error && l.linkFlags == 0 && l.targetPath.empty());
    Check(l.targetPath.empty() || l.targetPath == l.idListPath || l.targetPath == l.environmentTarget ||
          l.targetPath.starts_with(l.localBasePath.empty() ? l.networkShare : l.localBasePath));
    const gw::ShortcutIcon icon = gw::ShortcutIconOf(l);
    const bool stored = icon.path == l.iconLocation || icon.path == l.iconEnvironmentPath;
    Check(icon.path.empty() ? icon.index == 0 : stored && icon.index == l.iconIndex);
    return 0;
}

// Read, write, read again: the second read equals the first, for icon files,
// cursor files and bitmaps in the formats that keep every pixel.
namespace {

void IconRoundTrip(gw::ByteView bytes) {
    const auto first = gw::ParseIconFile(bytes);
    if (first.error) return;
    const gw::Bytes written = gw::WriteIconGroup(first.records);
    const auto second = gw::ParseIconFile(written);
    Check(!second.error);
    const auto& a = first.records.Images;
    const auto& b = second.records.Images;
    Check(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        Check(a[i].Data == b[i].Data);
        Check(a[i].Width == b[i].Width && a[i].Height == b[i].Height && a[i].BitCount == b[i].BitCount);
        Check(bool(a[i].Handle()) == bool(b[i].Handle()));
    }
    Check(gw::WriteIconGroup(second.records) == written);
}

void CursorRoundTrip(gw::ByteView bytes) {
    const auto first = gw::ParseCursorFile(bytes);
    if (first.error) return;
    const gw::Bytes written = gw::WriteCursorGroup(first.records, gw::CursorDataForm::CurFile);
    const auto second = gw::ParseCursorFile(written);
    Check(!second.error);
    const auto& a = first.records.Images;
    const auto& b = second.records.Images;
    Check(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        Check(a[i].Data == b[i].Data);
        Check(a[i].HotspotX == b[i].HotspotX && a[i].HotspotY == b[i].HotspotY);
    }
}

void BitmapRoundTrip(gw::ByteView bytes) {
    const gw::Bitmap first = gw::DecodeBmp(bytes);
    if (!first.HasHandle() || uint64_t(first.width) * uint64_t(first.height) > 65536) return;
    // 24 bits keeps every colour; 32 bits keeps alpha too.
    const gw::Bitmap again24 = gw::DecodeBmp(gw::EncodeBmp(first, gw::PixelFormat::Bits24));
    Check(again24.width == first.width && again24.height == first.height);
    for (size_t i = 0; i < first.pixels.size(); ++i) Check((again24.pixels[i] & 0xFFFFFF) == (first.pixels[i] & 0xFFFFFF));
    const gw::Bitmap again32 = gw::DecodeBmp(gw::EncodeBmp(first, gw::PixelFormat::Bits32));
    Check(again32.pixels == first.pixels || first.pixelFormat != gw::PixelFormat::Bits32);
}

} // namespace

int FuzzRoundTrip(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    IconRoundTrip(bytes);
    CursorRoundTrip(bytes);
    BitmapRoundTrip(bytes);
    return 0;
}

// The icon family reader: damage placed inside the file, no more images than
// the element headers count, each image it made itself (all but the PNGs it
// keeps as stored) decodes at the size its entry states, and the group
// writes as an .ico that reads back whole.
int FuzzIconFamily(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    const gw::ReadResult<gw::IconGroup> read = gw::ParseIconFamily(bytes);
    CheckPlace(read, size);
    const gw::ReadResult<int> counted = gw::CountIconFamilyImages(bytes);
    Check(read.records.Images.size() + read.failed == size_t(counted.records));
    for (const gw::IconImage& im : read.records.Images) {
        if (gw::IsPng(im.Data)) continue;
        const gw::Handle& picture = im.Handle();
        Check(picture && uint32_t(picture->width) == gw::DrawnSide(im.Width));
    }
    if (!read.records.Images.empty()) {
        const gw::ReadResult<gw::IconGroup> back = gw::ParseIconFile(gw::WriteIconGroup(read.records));
        Check(!back.error && back.records.Images.size() == read.records.Images.size());
    }
    return 0;
}

const std::vector<Harness>& Harnesses() {
    static const std::vector<Harness> kAll = {
        {"filekind", FuzzFileKind},
        {"ico", FuzzIco},
        {"cur", FuzzCur},
        {"bmp", FuzzBmp},
        {"icon_image", FuzzIconImage},
        {"png", FuzzPng},
        {"ne", FuzzNe},
        {"pe", FuzzPe},
        {"res", FuzzRes},
        {"extract_icon", FuzzExtractIcon},
        {"roundtrip", FuzzRoundTrip},
        {"thumbnail", FuzzThumbnail},
        {"opened", FuzzOpened},
        {"ani", FuzzAni},
        {"rewrite", FuzzResourceRewrite},
        {"mui", FuzzMui},
        {"version", FuzzVersionInfo},
        {"lnk", FuzzShellLink},
        {"icns", FuzzIconFamily},
    };
    return kAll;
}

} // namespace gw::fuzz
