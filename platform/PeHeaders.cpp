#include "platform/PeHeaders.h"

#include "platform/PeLayout.h"

#include <algorithm>
#include <string>

namespace gw {

namespace {

using namespace pe_layout;

// Where the data directories start in each optional header, right after
// NumberOfRvaAndSizes.
constexpr uint64_t kPe32Directories = 96;
constexpr uint64_t kPe32PlusDirectories = 112;

} // namespace

uint64_t PeSection::VirtualEnd() const {
    return uint64_t(virtualAddress) + std::max(virtualSize, rawSize);
}

PeDataDirectory PeHeaders::Directory(ByteView file, uint32_t index) const {
    if (index >= directoryCount) return {};
    return {PeekU32(file, DirectoryAt(index)), PeekU32(file, DirectoryAt(index) + 4)};
}

std::optional<size_t> PeHeaders::SectionOf(uint64_t rva) const {
    for (size_t i = 0; i < sections.size(); ++i)
        if (sections[i].virtualAddress <= rva && rva < sections[i].VirtualEnd()) return i;
    return std::nullopt;
}

std::optional<uint64_t> PeHeaders::FileOffset(uint64_t rva, uint64_t size, uint64_t fileSize) const {
    const std::optional<size_t> index = SectionOf(rva);
    if (!index) return std::nullopt;
    const PeSection& s = sections[*index];
    const uint64_t within = rva - s.virtualAddress;
    if (!InBounds(within, size, s.rawSize)) return std::nullopt;
    const uint64_t offset = s.rawPointer + within;
    if (!InBounds(offset, size, fileSize)) return std::nullopt;
    return offset;
}

uint64_t PeHeaders::RawDataEnd() const {
    uint64_t end = 0;
    for (const PeSection& s : sections)
        if (s.rawSize) end = std::max(end, s.RawEnd());
    return end;
}

PeHeaderStop ScanPeHeaders(ByteView file, PeHeaders& out) {
    out = PeHeaders{};
    const uint64_t size = file.size();
    if (size < kLfanewOffset + 4 || PeekU16(file, 0) != kDosMagic) return PeHeaderStop::NotMz;
    out.peHeader = PeekU32(file, kLfanewOffset);
    if (!InBounds(out.peHeader, 4 + kFileHeaderSize, size)) return PeHeaderStop::PeHeaderOutside;
    if (PeekU32(file, out.peHeader) != kPeSignature) return PeHeaderStop::NoSignature;
    out.fileHeader = out.peHeader + 4;
    out.sectionCount = PeekU16(file, out.fileHeader + 2);
    out.optionalSize = PeekU16(file, out.fileHeader + 16);
    out.optional = out.fileHeader + kFileHeaderSize;
    out.sectionTable = out.optional + out.optionalSize;
    if (!InBounds(out.optional, 2, size)) return PeHeaderStop::MagicOutside;
    const uint16_t magic = PeekU16(file, out.optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return PeHeaderStop::UnknownMagic;
    out.pe32Plus = magic == kPe32PlusMagic;
    const uint64_t directoriesAt = out.pe32Plus ? kPe32PlusDirectories : kPe32Directories;
    out.directories = out.optional + directoriesAt;
    out.sectionAlignment = PeekU32(file, out.optional + 32);
    out.fileAlignment = PeekU32(file, out.optional + 36);
    out.sizeOfHeaders = PeekU32(file, out.optional + 60);
    out.checkSum = PeekU32(file, out.optional + 64);
    if (!InBounds(out.directories - 4, 4, size)) return PeHeaderStop::CountOutside;
    out.statedDirectoryCount = PeekU32(file, out.directories - 4);
    // The directories the optional header has room for, of those it states.
    out.directoryCount = out.optionalSize < directoriesAt
                             ? 0
                             : uint32_t(std::min<uint64_t>(out.statedDirectoryCount,
                                                           (out.optionalSize - directoriesAt) / kDataDirectorySize));
    if (!InBounds(out.sectionTable, kSectionEntrySize * out.sectionCount, size))
        return PeHeaderStop::SectionTableOutside;
    out.sections.reserve(out.sectionCount);
    for (uint16_t i = 0; i < out.sectionCount; ++i) {
        PeSection s;
        s.headerAt = out.sectionTable + kSectionEntrySize * i;
        s.virtualSize = PeekU32(file, s.headerAt + 8);
        s.virtualAddress = PeekU32(file, s.headerAt + 12);
        s.rawSize = PeekU32(file, s.headerAt + 16);
        s.rawPointer = PeekU32(file, s.headerAt + 20);
        out.sections.push_back(s);
    }
    return PeHeaderStop::Whole;
}

std::optional<ReadError> ReadPeHeaders(ByteView file, PeHeaders& out) {
    const uint64_t size = file.size();
    const PeHeaderStop stop = ScanPeHeaders(file, out);
    // The writer's rules, in its order: the optional header whole before its kind.
    switch (stop) {
    case PeHeaderStop::NotMz: return ReadError{ReadErrorKind::Invalid, 0, "not an executable (no \"MZ\" header)"};
    case PeHeaderStop::PeHeaderOutside:
        return ReadError::Truncated(out.peHeader, "the PE header", 4 + kFileHeaderSize, size);
    case PeHeaderStop::NoSignature:
        return ReadError{ReadErrorKind::Invalid, out.peHeader, "not a 32-bit executable (no \"PE\" signature)"};
    default: break;
    }
    if (!InBounds(out.optional, out.optionalSize, size))
        return ReadError::Truncated(out.optional, "the optional header", out.optionalSize, size);
    if (stop == PeHeaderStop::MagicOutside || stop == PeHeaderStop::UnknownMagic)
        return ReadError::Invalid(out.optional, "an optional header of unknown kind", size);
    if (out.optionalSize < out.directories - out.optional)
        return ReadError::Invalid(out.optional, "an optional header too short for its fields", size);
    // The count lies inside the whole optional header checked above.
    if (stop == PeHeaderStop::SectionTableOutside)
        return ReadError::Truncated(out.sectionTable, "the section table", kSectionEntrySize * out.sectionCount, size);
    return std::nullopt;
}

std::optional<uint64_t> OverlappingSection(const PeHeaders& pe) {
    std::vector<const PeSection*> byAddress;
    for (const PeSection& s : pe.sections)
        if (s.VirtualEnd() > s.virtualAddress) byAddress.push_back(&s);
    std::sort(byAddress.begin(), byAddress.end(), [](const PeSection* a, const PeSection* b) {
        return a->virtualAddress != b->virtualAddress ? a->virtualAddress < b->virtualAddress
                                                      : a->headerAt < b->headerAt;
    });
    uint64_t end = 0;
    for (const PeSection* s : byAddress) {
        if (s->virtualAddress < end) return s->headerAt;
        end = s->VirtualEnd();
    }
    return std::nullopt;
}

std::optional<ReadError> CheckLoaderLayout(const PeHeaders& pe, uint64_t fileSize, uint32_t sizeOfImage) {
    const uint64_t alignment = pe.sectionAlignment;
    if (alignment == 0 || (alignment & (alignment - 1)) != 0)
        return ReadError::Invalid(pe.optional + 32, "the section alignment is not a power of two", fileSize);
    auto alignUp = [&](uint64_t v) { return (v + alignment - 1) / alignment * alignment; };
    const uint64_t tableEnd = pe.sectionTable + kSectionEntrySize * pe.sections.size();
    if (tableEnd > pe.sizeOfHeaders)
        return ReadError::Invalid(pe.SizeOfHeadersAt(), "the section table does not end inside SizeOfHeaders",
                                  fileSize);
    // Below a page the loader maps the file as it lies: each section starts
    // in memory at its file offset.
    constexpr uint64_t kPage = 0x1000;
    uint64_t next = alignUp(pe.sizeOfHeaders);
    for (size_t i = 0; i < pe.sections.size(); ++i) {
        const PeSection& s = pe.sections[i];
        if (s.virtualAddress != next)
            return ReadError::Invalid(s.headerAt + 12,
                                      "section " + std::to_string(i + 1) +
                                          " does not start in memory where the one before it ends",
                                      fileSize);
        if (alignment < kPage && s.rawSize && s.rawPointer != s.virtualAddress)
            return ReadError::Invalid(s.headerAt + 20,
                                      "section " + std::to_string(i + 1) + " is not at its memory address in the file",
                                      fileSize);
        if (s.rawSize && !InBounds(s.rawPointer, s.rawSize, fileSize))
            return ReadError::Invalid(s.headerAt + 16,
                                      "section " + std::to_string(i + 1) + " has raw data beyond the end of the file",
                                      fileSize);
        next = alignUp(uint64_t(s.virtualAddress) + s.LoaderSpan());
    }
    if (sizeOfImage != next)
        return ReadError::Invalid(pe.SizeOfImageAt(), "SizeOfImage is not where the last section ends in memory",
                                  fileSize);
    return std::nullopt;
}

uint32_t PeCheckSum(ByteView file, uint64_t checkSumAt) {
    uint64_t sum = 0;
    const uint64_t size = file.size();
    // The field's own bytes count as zero, wherever the header puts it.
    const auto byteAt = [&](uint64_t i) -> uint32_t {
        return i >= size || (i >= checkSumAt && i < checkSumAt + 4) ? 0u : file[i];
    };
    for (uint64_t i = 0; i < size; i += 2) {
        const uint32_t word = byteAt(i) | byteAt(i + 1) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + size);
}

} // namespace gw
