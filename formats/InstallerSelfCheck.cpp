#include "formats/InstallerSelfCheck.h"

#include <cstring>

#include <libdeflate.h>

namespace gw {

namespace {

constexpr uint32_t kSignature = 0xDEADBEEF;
constexpr char kMagic[12] = {'N', 'u', 'l', 'l', 's', 'o', 'f', 't', 'I', 'n', 's', 't'};
constexpr uint64_t kCrcSize = 4;

bool IsHeader(ByteView file, uint64_t at) {
    return InBounds(at, kInstallerHeaderSize, file.size()) && PeekU32(file, at + 4) == kSignature &&
           std::memcmp(file.data() + at + 8, kMagic, sizeof kMagic) == 0;
}

} // namespace

std::optional<InstallerSelfCheck> FindInstallerSelfCheck(ByteView file, uint64_t overlayStart) {
    if (overlayStart >= file.size()) return std::nullopt;
    // overlayStart < file.size(), so rounding up cannot overflow, and each
    // step stays within a few hundred bytes of the end before the loop stops.
    uint64_t at = (overlayStart + kInstallerHeaderAlignment - 1) / kInstallerHeaderAlignment * kInstallerHeaderAlignment;
    for (; InBounds(at, kInstallerHeaderSize, file.size()); at += kInstallerHeaderAlignment) {
        if (!IsHeader(file, at)) continue;
        const uint32_t flags = PeekU32(file, at);
        const uint32_t length = PeekU32(file, at + 24);
        if (flags & kInstallerNoCrc) return std::nullopt;
        if (length < kInstallerHeaderSize + kCrcSize || !InBounds(at, length, file.size())) return std::nullopt;
        return InstallerSelfCheck{at, length};
    }
    return std::nullopt;
}

bool UpdateInstallerCrc(Bytes& file, const InstallerSelfCheck& installer) {
    const uint64_t at = installer.headerAt;
    if (at < kInstallerHeaderAlignment || at % kInstallerHeaderAlignment != 0 || !IsHeader(file, at) ||
        installer.length < kInstallerHeaderSize + kCrcSize || !InBounds(at, installer.length, file.size()))
        return false;
    const uint64_t crcAt = at + installer.length - kCrcSize;
    const uint32_t crc = uint32_t(libdeflate_crc32(0, file.data() + kInstallerHeaderAlignment,
                                                   size_t(crcAt - kInstallerHeaderAlignment)));
    PatchU32(file, crcAt, crc);
    return true;
}

} // namespace gw
