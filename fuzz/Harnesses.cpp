#include "fuzz/Harnesses.h"

#include <algorithm>
#include <cstdlib>

#include "formats/BmpManage.h"
#include "pictures/IconToBitmap.h"
#include "formats/CommonData.h"
#include "formats/CursorManage.h"
#include "pictures/IconExtract.h"
#include "formats/IconFormat.h"
#include "formats/IconManage.h"
#include "formats/NeResources.h"
#include "formats/PeResources.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"
#include "platform/BmpCodec.h"
#include "platform/IconImage.h"
#include "platform/ResourceModule.h"
#include "fuzz/FuzzSupport.h"

namespace gw::fuzz {

// GetFileKind over any bytes, with each of the extensions that change its path.
int FuzzFileKind(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"a.ico", "a.cur", "a.dll", "a.exe"};
    const gw::ByteView bytes(data, size);
    for (const char* name : kNames) (void)gw::GetFileKindOfBytes(name, bytes);
    return 0;
}

// The .ico reader, then the group and single-image writers over what it read.
int FuzzIco(const uint8_t* data, size_t size) {
    gw::CommonData cd;
    cd.IconGroups.resize(1);
    (void)gw::ReadIconFileBytes(cd, gw::ByteView(data, size));
    const auto& g = cd.IconGroups[0];
    (void)gw::WriteIconGroup(g);
    for (const auto& im : g.Images) (void)gw::WriteIconImage(im);
    return 0;
}

// The .cur reader, then the cursor writers over what it read.
int FuzzCur(const uint8_t* data, size_t size) {
    gw::CommonData cd;
    cd.SelFileName = "fuzz.cur";
    (void)gw::LoadCursorFileBytes(cd, gw::ByteView(data, size));
    for (const auto& g : cd.CursorGroups) {
        (void)gw::WriteCursorGroup(g, gw::CursorDataForm::CurFile);
        for (const auto& im : g.Images) (void)gw::WriteCursorImage(im, gw::CursorDataForm::CurFile);
    }
    return 0;
}

// The BMP decoder in its three forms: a .bmp file, a bitmap resource (a DIB
// given the 14-byte header), a bare DIB; the NE byte-count rule; and the
// encoder over whatever decoded.
int FuzzBmp(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    gw::Bitmap file = gw::DecodeBmp(bytes);
    gw::Bitmap resource = gw::DecodeBitmapResource(bytes);
    (void)gw::DecodeDib(bytes);
    (void)gw::NeBitmapByteCount(bytes);
    // Encoding is costly for large images; keep the harness fast.
    if (file.HasHandle() && uint64_t(file.width) * uint64_t(file.height) <= 4096)
        (void)gw::EncodeBmp(file, gw::PixelFormat(size % 9));
    if (resource.HasHandle() && uint64_t(resource.width) * uint64_t(resource.height) <= 4096)
        (void)gw::EncodeBmp(resource, gw::PixelFormat::pf4bit);
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
    gw::Handle stored = gw::CreateIconFromResourceEx(bytes, icon, gw::kIconVersion, 0, 0, 0);
    gw::Handle scaled = gw::CreateIconFromResourceEx(bytes, icon, gw::kIconVersion, desired, desired, 0);
    if (stored && uint64_t(stored->width) * uint64_t(stored->height) <= 65536)
        (void)gw::IconToBitmap(*stored, gw::KeyColor);
    if (scaled) (void)gw::IconToBitmap(*scaled, gw::KeyColor);
    return 0;
}

// The NE readers: counters, icon groups (with the icon-library names),
// cursor groups and bitmaps, with lists sized from the counters as the
// windows size them and also larger than the file holds.
int FuzzNe(const uint8_t* data, size_t size) {
    const gw::ByteView file(data, size);
    const int icons = gw::CountNEIconGroups(file);
    const int cursors = gw::CountNEResourcesOfBytes(file, false);
    const int bitmaps = gw::CountNEResourcesOfBytes(file, true);
    constexpr int kExtra = 2;
    gw::CommonData cd;
    cd.SelFileName = "fuzz.icl";
    cd.SelFilePath = "/fuzz/fuzz.icl";
    cd.IconGroupCount = std::min(icons, 64) + kExtra;
    cd.IconGroups.resize(size_t(cd.IconGroupCount));
    (void)gw::LoadIconsNEOfBytes(cd, file, cd.SelFilePath);
    cd.CursorGroupCount = std::min(cursors, 64) + kExtra;
    cd.CursorGroups.resize(size_t(cd.CursorGroupCount));
    (void)gw::LoadCursorsNEOfBytes(cd, file);
    cd.BitmapCount = std::min(bitmaps, 64) + kExtra;
    cd.Bitmaps.resize(size_t(cd.BitmapCount));
    (void)gw::LoadBitmapsNEOfBytes(cd, file);
    return 0;
}

// The PE resource module and its three loaders.
int FuzzPe(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    auto module = gw::ResourceModule::FromBytes(bytes);
    if (!module) return 0;
    int counts[3] = {};
    const uint16_t types[3] = {gw::RT_GROUP_ICON, gw::RT_GROUP_CURSOR, gw::RT_BITMAP};
    for (int t = 0; t < 3; ++t) {
        counts[t] = module->Count(types[t]);
        (void)module->EnumNames(types[t]);
        const gw::ResourceModule::TypeTable table = module->Table(types[t]);
        for (const auto& name : table.Names()) (void)table.Find(name);
    }
    const std::string path = "/fuzz/fuzz.dll";
    gw::CommonData cd;
    cd.SelFilePath = path;
    cd.IconGroupCount = std::min(counts[0], 64) + 1;
    cd.IconGroups.resize(size_t(cd.IconGroupCount));
    (void)gw::LoadIconsPE(cd, *module, path);
    cd.CursorGroupCount = std::min(counts[1], 64) + 1;
    cd.CursorGroups.resize(size_t(cd.CursorGroupCount));
    (void)gw::LoadCursorsPE(cd, *module, path);
    cd.BitmapCount = std::min(counts[2], 64) + 1;
    cd.Bitmaps.resize(size_t(cd.BitmapCount));
    (void)gw::LoadBitmapsPE(cd, *module);
    return 0;
}

// The resource-file readers of both layouts and the two counters.
int FuzzRes(const uint8_t* data, size_t size) {
    const gw::ByteView file(data, size);
    const bool is32 = gw::IsRes32(file);
    int counts[3];
    const uint16_t types[3] = {gw::RT_GROUP_ICON, gw::RT_GROUP_CURSOR, gw::RT_BITMAP};
    for (int t = 0; t < 3; ++t) {
        counts[t] = is32 ? gw::Conta32(file, 32, types[t]) : gw::Conta16(file, 0, types[t]);
        // The other layout's walk over the same bytes must end too.
        (void)(is32 ? gw::Conta16(file, 0, types[t]) : gw::Conta32(file, 32, types[t]));
    }
    gw::CommonData cd;
    cd.IconGroups.resize(size_t(std::min(counts[0], 64) + 1));
    gw::LoadResIconsBytes(cd, file);
    cd.CursorGroups.resize(size_t(std::min(counts[1], 64) + 1));
    gw::LoadResCursorsBytes(cd, file);
    cd.Bitmaps.resize(size_t(std::min(counts[2], 64) + 1));
    gw::LoadResBitmapsBytes(cd, file);
    return 0;
}

// The icon count and first-icon picture the explorer's scanners ask for.
int FuzzExtractIcon(const uint8_t* data, size_t size) {
    const std::string& path = gw::fuzz::InputFile(gw::ByteView(data, size), ".exe");
    (void)gw::ExtractIconCount(path);
    (void)gw::ExtractFirstIcon(path, 32);
    return 0;
}

// Read, write, read again: the second read equals the first, for icon files,
// cursor files and bitmaps in the formats that keep every pixel.
namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void IconRoundTrip(gw::ByteView bytes) {
    gw::CommonData first;
    if (gw::ReadIconFileBytes(first, bytes) != 0) return;
    const gw::Bytes written = gw::WriteIconGroup(first.IconGroups[0]);
    gw::CommonData second;
    Check(gw::ReadIconFileBytes(second, written) == 0);
    const auto& a = first.IconGroups[0].Images;
    const auto& b = second.IconGroups[0].Images;
    Check(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        Check(a[i].Data == b[i].Data);
        Check(a[i].Width == b[i].Width && a[i].Height == b[i].Height && a[i].BitCount == b[i].BitCount);
        Check(bool(a[i].Handle) == bool(b[i].Handle));
    }
    Check(gw::WriteIconGroup(second.IconGroups[0]) == written);
}

void CursorRoundTrip(gw::ByteView bytes) {
    gw::CommonData first;
    first.SelFileName = "a.cur";
    if (!gw::LoadCursorFileBytes(first, bytes).empty()) return;
    const gw::Bytes written = gw::WriteCursorGroup(first.CursorGroups[0], gw::CursorDataForm::CurFile);
    gw::CommonData second;
    second.SelFileName = "a.cur";
    Check(gw::LoadCursorFileBytes(second, written).empty());
    const auto& a = first.CursorGroups[0].Images;
    const auto& b = second.CursorGroups[0].Images;
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
    const gw::Bitmap again24 = gw::DecodeBmp(gw::EncodeBmp(first, gw::PixelFormat::pf24bit));
    Check(again24.width == first.width && again24.height == first.height);
    for (size_t i = 0; i < first.pixels.size(); ++i) Check((again24.pixels[i] & 0xFFFFFF) == (first.pixels[i] & 0xFFFFFF));
    const gw::Bitmap again32 = gw::DecodeBmp(gw::EncodeBmp(first, gw::PixelFormat::pf32bit));
    Check(again32.pixels == first.pixels || first.pixelFormat != gw::PixelFormat::pf32bit);
}

} // namespace

int FuzzRoundTrip(const uint8_t* data, size_t size) {
    const gw::ByteView bytes(data, size);
    IconRoundTrip(bytes);
    CursorRoundTrip(bytes);
    BitmapRoundTrip(bytes);
    return 0;
}

const std::vector<Harness>& Harnesses() {
    static const std::vector<Harness> kAll = {
        {"filekind", FuzzFileKind},
        {"ico", FuzzIco},
        {"cur", FuzzCur},
        {"bmp", FuzzBmp},
        {"icon_image", FuzzIconImage},
        {"ne", FuzzNe},
        {"pe", FuzzPe},
        {"res", FuzzRes},
        {"extract_icon", FuzzExtractIcon},
        {"roundtrip", FuzzRoundTrip},
    };
    return kAll;
}

} // namespace gw::fuzz
