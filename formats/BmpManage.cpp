#include "formats/BmpManage.h"

#include <algorithm>

#include "platform/BmpCodec.h"
#include "platform/DibDecode.h"
#include "platform/LoadBudget.h"

namespace gw {

namespace {

// Where the decoder's damage lies in the file: a bitmap cut short ends at
// the file's end; anything else is in its headers.
ReadError PlacedInFile(ByteView file, ReadError error) {
    constexpr uint64_t kFileHeaderSize = 14;
    error.offset = error.kind == ReadErrorKind::Truncated ? file.size() : std::min<uint64_t>(file.size(), kFileHeaderSize);
    return error;
}

} // namespace

ReadResult<BitmapRecord> ParseBmpFile(ByteView file) {
    ReadResult<BitmapRecord> result;
    ReadError why;
    Bitmap decoded = DecodeBmp(file, &why);
    if (!decoded.HasHandle()) {
        result.Note(PlacedInFile(file, why));
        return result;
    }
    BitmapRecord& bmp = result.records;
    bmp.PixelFormat = decoded.pixelFormat;
    bmp.Width = decoded.width;
    bmp.Height = decoded.height;
    bmp.Picture.Set(std::make_shared<Bitmap>(std::move(decoded)));
    return result;
}

void LoadBmpFile(FileContents& contents, ByteView file, const std::string& fileName) {
    ReadResult<BitmapRecord> read = ParseBmpFile(file);
    if (read.error) {
        contents.NoteError(read.error);
        return;
    }
    if (contents.Bitmaps.empty()) contents.Bitmaps.resize(1);
    BitmapRecord& bmp = contents.Bitmaps[0];
    bmp = std::move(read.records);
    bmp.Name = fileName;
    bmp.Named = true;
    contents.MaxBmpWidth = bmp.Width;
    contents.MaxBmpHeight = bmp.Height;
}

Bitmap DecodeBitmapResource(ByteView resource) {
    Bytes stream = BmpFileHeaderForResource();
    stream.insert(stream.end(), resource.begin(), resource.end());
    return DecodeBmp(stream);
}

bool BitmapListFiller::Offer(const std::string& name, bool isNamed, ByteView resource) {
    if (Full()) return false;
    BitmapRecord& bmp = m_contents.Bitmaps[m_next];
    bmp.Name = name;
    bmp.Named = isNamed;
    // The header says whether the bitmap decodes and what it is; the pixels
    // wait until the bitmap is drawn or written.
    dib::DibProbe probe;
    if (!dib::ProbeDibImage(resource, dib::DibRole::Bitmap, 0, probe)) return false;
    if (!m_owner && !SpendLoadBudget(resource.size())) return false;
    bmp.PixelFormat = probe.format;
    bmp.Width = probe.width;
    bmp.Height = probe.height;
    bmp.Picture.Defer(SharedBytes(m_owner, resource), m_transparency == BitmapTransparency::BottomLeftPixel);
    m_contents.RaiseMaxBmpSize(bmp.Width, bmp.Height);
    ++m_next;
    return true;
}

void DeferredBitmap::Defer(SharedBytes resource, bool takeBottomLeft) {
    m_resource = std::move(resource);
    m_takeBottomLeft = takeBottomLeft;
    m_pending = true;
}

void DeferredBitmap::Set(std::shared_ptr<Bitmap> bitmap) {
    m_bitmap = bitmap ? std::move(bitmap) : std::make_shared<Bitmap>();
    m_pending = false;
    m_resource.clear();
}

const std::shared_ptr<Bitmap>& DeferredBitmap::Get() const {
    if (m_pending) {
        m_pending = false;
        // One decode draws from a budget of its own, as a load would.
        const LoadBudget budget(m_resource.size());
        m_bitmap = std::make_shared<Bitmap>(DecodeBitmapResource(m_resource));
    }
    return m_bitmap;
}

TColor BitmapRecord::TransparentColor() const {
    if (!Picture.TakesBottomLeft()) return 0;
    const gw::Bitmap& b = *Bitmap();
    if (!b.HasHandle() || b.pixels.size() != size_t(b.width) * size_t(b.height)) return 0;
    return ColorFromArgb(b.Pixel(0, b.height - 1));
}

uint64_t NeBitmapByteCount(ByteView header) {
    constexpr uint64_t kTrailing = 40;
    if (header.size() < 40) return 0;
    const uint64_t headerSize = PeekU32(header, 0);
    const int32_t width = int32_t(PeekU32(header, 4));
    const int32_t height = int32_t(PeekU32(header, 8));
    const uint64_t bitCount = PeekU16(header, 14);
    const uint64_t colorsUsed = PeekU32(header, 32);
    uint64_t colorTable = 0;
    if (colorsUsed != 0)
        colorTable = colorsUsed * 4;
    else if (bitCount == 1 || bitCount == 4 || bitCount == 8)
        colorTable = 4ull << bitCount;
    // 64-bit arithmetic on magnitudes: a hostile header cannot overflow it
    // (32-bit values multiplied stay below 2^64 / 4).
    const uint64_t w = uint64_t(std::abs(int64_t(width)));
    const uint64_t h = uint64_t(std::abs(int64_t(height)));
    const uint64_t rowSize = ((w * bitCount + 31) / 32) * 4;
    return headerSize + colorTable + h * rowSize + kTrailing;
}

namespace {

// The placeholder picture: a grey tile with a dark frame and a red cross, the
// usual sign of a picture that could not be shown.
Bytes BuildGwFake() {
    constexpr int kSize = 16;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    const uint32_t bitsOffset = 14 + 40 + 256 * 4;
    PutU32(b, bitsOffset + kSize * kSize);
    PutU32(b, 0);
    PutU32(b, bitsOffset);
    PutU32(b, 40);
    PutI32(b, kSize);
    PutI32(b, kSize);
    PutU16(b, 1);
    PutU16(b, 8);
    PutU32(b, 0);
    PutU32(b, kSize * kSize);
    PutI32(b, 0);
    PutI32(b, 0);
    PutU32(b, 256);
    PutU32(b, 0);
    // Palette: a 6x6x6 colour cube followed by a grey ramp (256 colours).
    for (int i = 0; i < 216; ++i) {
        const uint32_t r = uint32_t(i / 36) * 51, g = uint32_t(i / 6 % 6) * 51, bl = uint32_t(i % 6) * 51;
        PutU32(b, (r << 16) | (g << 8) | bl);
    }
    for (int i = 0; i < 40; ++i) {
        const uint32_t v = uint32_t(i * 255 / 39);
        PutU32(b, (v << 16) | (v << 8) | v);
    }
    constexpr uint8_t kFrame = 216 + 12, kTile = 216 + 32, kRed = 5 * 36;
    for (int row = 0; row < kSize; ++row) { // bottom-up rows
        const int y = kSize - 1 - row;
        for (int x = 0; x < kSize; ++x) {
            uint8_t c = kTile;
            if (x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1) c = kFrame;
            else if ((x == y || x == kSize - 1 - y) && x > 2 && x < kSize - 3) c = kRed;
            b.push_back(c);
        }
    }
    return b;
}

} // namespace

Bytes GwFakeBmpFile() {
    static const Bytes kFile = BuildGwFake();
    return kFile;
}

const Bitmap& GwFakeBitmap() {
    static const Bitmap kBitmap = DecodeBmp(GwFakeBmpFile());
    return kBitmap;
}

} // namespace gw
