#pragma once
// The headers of a PE32 or PE32+ file as the resource module, the resource
// table and its writer need them: where the optional header's fields, the data directories and
// the section table are, and each section's place in memory and in the file.
// Reads headers only; every offset it hands out lies inside the file.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

struct PeSection {
    uint64_t headerAt = 0; // file offset of its 40-byte entry in the section table
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;

    // Where the section ends in memory (its virtual size, or its raw size
    // when that is larger, as the loader maps it).
    uint64_t VirtualEnd() const;
    // The bytes the system's loader gives it in memory before alignment: its
    // virtual size, or its raw size when the virtual size is 0.
    uint64_t LoaderSpan() const { return virtualSize ? virtualSize : rawSize; }
    uint64_t RawEnd() const { return uint64_t(rawPointer) + rawSize; }
    bool Contains(uint64_t rva) const { return virtualAddress <= rva && rva < VirtualEnd(); }
};

struct PeDataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct PeHeaders {
    bool pe32Plus = false;
    uint64_t peHeader = 0;     // where "PE\0\0" is
    uint64_t fileHeader = 0;   // after "PE\0\0"
    uint16_t sectionCount = 0;
    uint64_t optional = 0;     // the optional header
    uint16_t optionalSize = 0;
    uint64_t sectionTable = 0;
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfHeaders = 0;
    uint32_t checkSum = 0;
    uint64_t directories = 0;     // file offset of data directory 0
    uint32_t directoryCount = 0;  // the directories the optional header holds
    uint32_t statedDirectoryCount = 0; // NumberOfRvaAndSizes, as stated
    std::vector<PeSection> sections;

    // The field offsets inside the file, for a writer that patches them.
    uint64_t SizeOfInitializedDataAt() const { return optional + 8; }
    uint64_t SizeOfImageAt() const { return optional + 56; }
    uint64_t SizeOfHeadersAt() const { return optional + 60; }
    uint64_t CheckSumAt() const { return optional + 64; }
    uint64_t SectionCountAt() const { return fileHeader + 2; }
    uint64_t DirectoryAt(uint32_t index) const { return directories + 8ull * index; }

    // Data directory index (zeros when the header does not hold it).
    PeDataDirectory Directory(ByteView file, uint32_t index) const;
    // The section whose memory range holds rva; nullopt when none does.
    std::optional<size_t> SectionOf(uint64_t rva) const;
    // The file offset of size bytes at rva, when they all lie in the raw data
    // of one section and inside the file.
    std::optional<uint64_t> FileOffset(uint64_t rva, uint64_t size, uint64_t fileSize) const;
    // Where the raw data of the sections ends (0 without any).
    uint64_t RawDataEnd() const;
};

// The data directory of the resources and of the certificate table.
constexpr uint32_t kPeResourceDirectory = 2;
constexpr uint32_t kPeCertificateDirectory = 4;

// The one reading of a PE file's headers: the DOS header, the PE signature,
// the file and optional headers and the section table, filled in as far as
// the bytes go. How far that was is the stop; each reader of PE files
// judges it by its own rules (the resource module leniently, the writer
// strictly, below).
enum class PeHeaderStop : uint8_t {
    Whole,
    NotMz,               // no "MZ" header
    PeHeaderOutside,     // the PE header's offset points outside the file
    NoSignature,         // no "PE\0\0" there
    MagicOutside,        // the file ends before the optional header's kind
    UnknownMagic,        // neither PE32 nor PE32+
    CountOutside,        // the file ends before NumberOfRvaAndSizes
    SectionTableOutside, // the file ends inside the section table
};
PeHeaderStop ScanPeHeaders(ByteView file, PeHeaders& out);

// The headers as the writer needs them: an error when the file is not a PE
// file or its headers are cut short or out of place (the optional header
// whole and long enough for its fields, the section table inside the file).
std::optional<ReadError> ReadPeHeaders(ByteView file, PeHeaders& out);

// Two sections whose memory ranges share an address (sections that take no
// memory share none), whatever order the section table lists them in: the
// second one's header offset, or nullopt when none do.
std::optional<uint64_t> OverlappingSection(const PeHeaders& pe);

// The rules the system's loader holds a program's layout to: the section
// table inside SizeOfHeaders; the sections in table order, each starting in
// memory where the one before ends (the first where the headers end),
// rounded up to SectionAlignment (a section whose alignment is below a page
// starts at its file offset); SizeOfImage the end of the last one; every
// section's raw data inside the file. nullopt when the file keeps them,
// else the first rule broken and where.
std::optional<ReadError> CheckLoaderLayout(const PeHeaders& pe, uint64_t fileSize, uint32_t sizeOfImage);

// The PE checksum of a whole file: the 16-bit one's-complement sum of its
// words (the checksum field itself counted as zero) plus the file's length.
uint32_t PeCheckSum(ByteView file, uint64_t checkSumAt);

} // namespace gw
