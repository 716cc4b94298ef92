// The bitmap object's loader: a .bmp stream (14-byte file header and a DIB)
// or a bare DIB, decoded by the shared DIB decoder. EncodeBmp lives in
// BmpEncode.cpp.
#include "platform/BmpCodec.h"

#include "platform/DibDecode.h"

#include <functional>

namespace gw {
namespace {

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint64_t kBitsOffsetField = 10;

Bitmap DecodeAsBitmap(ByteView dib, uint64_t bitsOffset, ReadError* error) {
    dib::DibImage image;
    if (!dib::DecodeDibImage(dib, dib::DibRole::Bitmap, bitsOffset, image, error)) return {};
    return std::move(image.bitmap);
}

// The reason alone, for callers that only show it.
Bitmap WithReason(std::string* reason, const std::function<Bitmap(ReadError*)>& decode) {
    ReadError error;
    Bitmap bitmap = decode(&error);
    if (reason && !bitmap.HasHandle()) *reason = error.message;
    return bitmap;
}

} // namespace

Bitmap DecodeBmp(ByteView stream, ReadError* error) {
    if (stream.size() < kFileHeaderSize || stream[0] != 'B' || stream[1] != 'M') {
        if (error) *error = ReadError{ReadErrorKind::Invalid, 0, "Bitmap image is not valid"};
        return {};
    }
    // The file size and reserved fields are not trusted. The bits offset is
    // counted from the start of the file; a bitmap resource's zero header
    // leaves it 0, which means "right after the colour table".
    const uint64_t fileBitsOffset = PeekU32(stream, kBitsOffsetField);
    const uint64_t bitsOffset = fileBitsOffset > kFileHeaderSize ? fileBitsOffset - kFileHeaderSize : 0;
    return DecodeAsBitmap(stream.subspan(kFileHeaderSize), bitsOffset, error);
}

Bitmap DecodeBmp(ByteView stream, std::string* error) {
    return WithReason(error, [&](ReadError* e) { return DecodeBmp(stream, e); });
}

Bitmap DecodeDib(ByteView dib, std::string* error) {
    return WithReason(error, [&](ReadError* e) { return DecodeAsBitmap(dib, 0, e); });
}

Bytes BmpFileHeaderForResource() {
    Bytes header(kFileHeaderSize, 0);
    header[0] = 'B';
    header[1] = 'M';
    return header;
}

} // namespace gw
