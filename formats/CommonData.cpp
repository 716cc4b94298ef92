#include "formats/CommonData.h"

#include "platform/FileIo.h"

namespace gw {

const char* FileKindText(TFileKind kind) {
    switch (kind) {
    case fkIconFile: return "Icon File";
    case fkNEFile: return "NE File";
    case fkPEFile: return "PE File";
    case fkNonExecutable: return "Non Executable";
    default: return "";
    }
}

void CommonData::ReleaseIconGroups() {
    for (auto& g : IconGroups)
        for (auto& im : g.Images) Bytes().swap(im.Data);
    for (auto& g : IconGroups)
        for (auto& im : g.Images) im.Handle.reset();
    for (auto& g : IconGroups) g.Images.clear();
    IconGroups.clear();
}

void CommonData::ReleaseCursorGroups() {
    for (auto& g : CursorGroups)
        for (auto& im : g.Images) Bytes().swap(im.Data);
    for (auto& g : CursorGroups)
        for (auto& im : g.Images) im.Handle.reset();
    for (auto& g : CursorGroups) g.Images.clear();
    CursorGroups.clear();
}

void CommonData::ReleaseBitmaps() { Bitmaps.clear(); }

bool OpenCheckedFile(MappedFile& file, const std::string& path) {
    if (!file.Open(path)) return false;
    return file.size() >= 64;
}

TFileKind GetFileKindOfBytes(const std::string& name, ByteView bytes) {
    if (bytes.size() < 64) return fkNonExecutable;
    const std::string ext = UpperExtension(name);
    ByteReader head(bytes.first(64));
    if (ext == ".ICO" || ext == ".CUR") {
        uint16_t reserved = head.u16(), type = head.u16(), count = head.u16();
        const uint16_t wanted = ext == ".ICO" ? 1 : 2;
        if (reserved == 0 && type == wanted && count > 0) return ext == ".ICO" ? fkIconFile : fkCursorFile;
        return fkNonExecutable;
    }
    if (PeekU16(bytes, 0) != 0x5A4D) return fkNonExecutable;
    const uint16_t relocations = PeekU16(bytes, 0x18);
    if (relocations < 0x40 && relocations != 0) return fkNonExecutable;
    const uint64_t neOff = PeekU32(bytes, 0x3C);
    // The new header must be readable in full (64 bytes), as a read of 64
    // bytes there would otherwise fail.
    if (!InBounds(neOff, 64, bytes.size())) return fkNonExecutable;
    const uint16_t sig = PeekU16(bytes, neOff);
    if (sig == 0x454E) {
        const uint16_t winVer = PeekU16(bytes, neOff + 0x3E);
        const uint16_t rsrcTab = PeekU16(bytes, neOff + 0x24);
        const uint16_t resTab = PeekU16(bytes, neOff + 0x26);
        return (winVer >= 0x0300 && rsrcTab != resTab) ? fkNEFile : fkNonExecutable;
    }
    if (sig == 0x4550) return fkPEFile;
    return fkNonExecutable;
}

TFileKind GetFileKind(const std::string& path) {
    MappedFile file;
    if (!OpenCheckedFile(file, path)) return fkNonExecutable;
    return GetFileKindOfBytes(path, file.bytes());
}

} // namespace gw
