#include "formats/ExeHeader.h"

namespace gw {

namespace {

constexpr uint16_t kMzSignature = 0x5A4D;
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kNewHeaderSize = 64;
constexpr uint64_t kRelocationOffsetAt = 0x18;
constexpr uint16_t kMinRelocationOffset = 0x40;
constexpr uint64_t kNewHeaderOffsetAt = 0x3C;
constexpr uint64_t kResourceTableAt = 0x24;
constexpr uint64_t kResidentNamesAt = 0x26;
constexpr uint64_t kWindowsVersionAt = 0x3E;

} // namespace

std::optional<ExeHeader> ReadExeHeader(ByteView file) {
    if (file.size() < kDosHeaderSize || PeekU16(file, 0) != kMzSignature) return std::nullopt;
    const uint16_t relocations = PeekU16(file, kRelocationOffsetAt);
    if (relocations < kMinRelocationOffset && relocations != 0) return std::nullopt;
    ExeHeader h;
    h.newHeader = PeekU32(file, kNewHeaderOffsetAt);
    if (!InBounds(h.newHeader, kNewHeaderSize, file.size())) return std::nullopt;
    h.signature = PeekU16(file, h.newHeader);
    if (h.signature == kNeSignature) {
        h.resourceTable = PeekU16(file, h.newHeader + kResourceTableAt);
        h.residentNames = PeekU16(file, h.newHeader + kResidentNamesAt);
        h.windowsVersion = PeekU16(file, h.newHeader + kWindowsVersionAt);
    }
    return h;
}

} // namespace gw
