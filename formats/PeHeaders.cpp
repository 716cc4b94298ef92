#include "formats/PeHeaders.h"

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

std::optional<ReadError> ReadPeHeaders(ByteView file, PeHeaders& out) {
    out = PeHeaders{};
    const uint64_t size = file.size();
    if (PeekU16(file, 0) != kDosMagic || size < kLfanewOffset + 4)
        return ReadError{ReadErrorKind::Invalid, 0, "not an executable (no \"MZ\" header)"};
    const uint64_t pe = PeekU32(file, kLfanewOffset);
    if (!InBounds(pe, 4 + kFileHeaderSize, size))
        return ReadError::Truncated(size, "the PE header", 4 + kFileHeaderSize, pe);
    if (PeekU32(file, pe) != kPeSignature)
        return ReadError{ReadErrorKind::Invalid, pe, "not a 32-bit executable (no \"PE\" signature)"};
    out.fileHeader = pe + 4;
    const uint16_t sectionCount = PeekU16(file, out.fileHeader + 2);
    out.optionalSize = PeekU16(file, out.fileHeader + 16);
    out.optional = out.fileHeader + kFileHeaderSize;
    if (!InBounds(out.optional, out.optionalSize, size))
        return ReadError::Truncated(size, "the optional header", out.optionalSize, out.optional);
    const uint16_t magic = PeekU16(file, out.optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return ReadError::Invalid(out.optional, "an optional header of unknown kind", size);
    out.pe32Plus = magic == kPe32PlusMagic;
    const uint64_t directoriesAt = out.pe32Plus ? kPe32PlusDirectories : kPe32Directories;
    if (out.optionalSize < directoriesAt)
        return ReadError::Invalid(out.optional, "an optional header too short for its fields", size);
    out.sectionAlignment = PeekU32(file, out.optional + 32);
    out.fileAlignment = PeekU32(file, out.optional + 36);
    out.sizeOfHeaders = PeekU32(file, out.optional + 60);
    out.checkSum = PeekU32(file, out.optional + 64);
    out.directories = out.optional + directoriesAt;
    const uint32_t stated = PeekU32(file, out.directories - 4);
    out.directoryCount = uint32_t(std::min<uint64_t>(stated, (out.optionalSize - directoriesAt) / 8));

    out.sectionTable = out.optional + out.optionalSize;
    if (!InBounds(out.sectionTable, kSectionEntrySize * sectionCount, size))
        return ReadError::Truncated(size, "the section table", kSectionEntrySize * sectionCount, out.sectionTable);
    out.sections.reserve(sectionCount);
    for (uint16_t i = 0; i < sectionCount; ++i) {
        PeSection s;
        s.headerAt = out.sectionTable + kSectionEntrySize * i;
        s.virtualSize = PeekU32(file, s.headerAt + 8);
        s.virtualAddress = PeekU32(file, s.headerAt + 12);
        s.rawSize = PeekU32(file, s.headerAt + 16);
        s.rawPointer = PeekU32(file, s.headerAt + 20);
        out.sections.push_back(s);
    }
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
