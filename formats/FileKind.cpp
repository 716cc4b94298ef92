#include "formats/FileKind.h"

#include "formats/ExeHeader.h"
#include "platform/Paths.h"

namespace gw {

namespace {
constexpr uint64_t kMinFileSize = 64;
constexpr uint16_t kMinWindowsVersion = 0x0300;
// Linkers that do not state the expected Windows version leave the word 0;
// such modules are as readable as any other.
constexpr uint16_t kVersionNotStated = 0;

bool SupportedWindowsVersion(uint16_t version) {
    return version == kVersionNotStated || version >= kMinWindowsVersion;
}
} // namespace

const char* DeskKindText(FileKind kind) {
    switch (kind) {
    case FileKind::Icon: return "Icon File";
    case FileKind::Ne: return "NE File";
    case FileKind::Pe: return "PE File";
    case FileKind::NonExecutable: return "Non Executable";
    default: return "";
    }
}

FileKind GetFileKindOfBytes(const std::string& name, ByteView bytes) {
    if (bytes.size() < kMinFileSize) return FileKind::NonExecutable;
    const std::string ext = UpperExtension(name);
    if (ext == ".ICO" || ext == ".CUR") {
        ByteReader head(bytes.first(kMinFileSize));
        const uint16_t reserved = head.u16(), type = head.u16(), count = head.u16();
        const uint16_t wanted = ext == ".ICO" ? 1 : 2;
        if (reserved == 0 && type == wanted && count > 0) return ext == ".ICO" ? FileKind::Icon : FileKind::Cursor;
        return FileKind::NonExecutable;
    }
    const std::optional<ExeHeader> h = ReadExeHeader(bytes);
    if (!h) return FileKind::NonExecutable;
    if (h->signature == kNeSignature)
        return SupportedWindowsVersion(h->windowsVersion) && h->HasNeResources() ? FileKind::Ne : FileKind::NonExecutable;
    if (h->signature == kPeSignature16) return FileKind::Pe;
    return FileKind::NonExecutable;
}

} // namespace gw
