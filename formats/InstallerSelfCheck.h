#pragma once
// Installers that check their own file when they start. Such an installer is
// a small program followed, after its sections, by its packed data: a 28-byte
// header at a 512-byte boundary of the file, the data, and a CRC-32 of the
// file as the last 4 bytes the header counts. When the installer starts it
// recomputes that CRC and refuses to run if any byte differs, so rewriting
// its resources breaks it; the writers use this to refuse such a file.
//
// The header, little-endian:
//   +0   u32  flags (kInstallerNoCrc: the check is turned off)
//   +4   u32  0xDEADBEEF
//   +8   12   "NullsoftInst"
//   +20  u32  length of the packed header that follows
//   +24  u32  length of everything from this header to the end of the CRC
#include <cstdint>
#include <optional>

#include "platform/ByteReader.h"

namespace gw {

constexpr uint64_t kInstallerHeaderSize = 28;
constexpr uint64_t kInstallerHeaderAlignment = 512;
constexpr uint32_t kInstallerUninstaller = 0x1; // the uninstaller it writes (checked the same way)
constexpr uint32_t kInstallerNoCrc = 0x4;       // built with its check turned off
constexpr uint32_t kInstallerForceCrc = 0x8;    // its check cannot be skipped from the command line

// An installer that checks a CRC of its own file when it starts.
struct InstallerSelfCheck {
    uint64_t headerAt = 0; // file offset of its header
    uint32_t length = 0;   // the bytes the header counts from itself, its CRC last
};

// Looks for the header of such an installer in the bytes after the sections
// (file[overlayStart..]) at 512-byte boundaries of the file, the only places
// the installer itself looks; the first header found decides. nullopt when
// there is none, when the installer's check is turned off, or when the data
// the header counts does not fit in the file (then the bytes only look like
// a header, or the installer is cut short and broken already).
std::optional<InstallerSelfCheck> FindInstallerSelfCheck(ByteView file, uint64_t overlayStart);

// The CRC such an installer checks: CRC-32 of the file's bytes from byte 512
// (the DOS and PE headers' first bytes, the checksum field among them, are
// not counted) up to the CRC itself, stored little-endian in the header's
// last 4 counted bytes. Brings it up to date after the program before the
// header changed, so the installer still runs. False (file unchanged) when
// the header is not at a 512-byte boundary (where the installer looks for
// it) or its bytes are not all in the file.
bool UpdateInstallerCrc(Bytes& file, const InstallerSelfCheck& installer);

} // namespace gw
