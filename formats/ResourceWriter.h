#pragma once
// Writes a resource table (formats/ResourceTable.h) back into the file it
// was read from: a PE file gets a rebuilt resource directory, a 32-bit
// resource file its entries. Every resource the table did not change comes
// out byte for byte as it went in; the writers refuse a file whose
// resources or headers are damaged, with the damage.
#include <cstdint>
#include <optional>

#include "formats/ResourceTable.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"

namespace gw {

struct ResourceWriteOptions {
    // A signed PE file is refused (its signature would no longer verify)
    // unless this is set: then the certificate table and its bytes at the
    // end of the file are removed and its data directory zeroed.
    bool stripSignature = false;
    // An installer that checks a CRC of its own file when it starts
    // (formats/InstallerSelfCheck.h) has its CRC brought up to date; where
    // that cannot be done it would refuse to run once changed, so it is
    // refused unless this is set.
    bool ignoreInstallerCheck = false;
};

struct ResourceWrite {
    Bytes bytes; // the whole new file; empty when error is set
    std::optional<ReadError> error;
    // PE: bytes after the last section (an installer's payload, say) that
    // were carried over after the new last section.
    uint64_t overlayKept = 0;
    // PE: the resources went to a new last section, because the old resource
    // section was not the last one; the old section stays as unused bytes.
    bool sectionAdded = false;
    bool signatureRemoved = false;
    // The error is the signature of a file written without stripSignature.
    bool refusedSigned = false;
    // The error is an installer's self-check, without ignoreInstallerCheck.
    bool refusedInstaller = false;
    // The file is an installer that checks its own CRC, and that CRC was
    // brought up to date.
    bool installerCrcUpdated = false;
};

// The resource directory of a PE file laid out at rva: the directories
// (types, then names, then languages; named entries first in ordinal UTF-16
// order, then ids ascending), the data entries, the name strings, then the
// data, each 8-byte aligned. Fails (Unsupported) when the entries do not fit
// below 4 GB from rva or a name is longer than 65,535 units.
std::optional<ReadError> BuildPeResourceDirectory(const std::vector<ResourceEntry>& entries, uint32_t rva,
                                                  Bytes& out);

// The PE file with its resources replaced by the table's. When the resource
// directory starts and fills the last section, that section is rewritten in
// place, grown or shrunk to the file alignment; when it fills another
// section and the new directory fits in that section's bytes, it is
// written at its start (nothing else moves; the rest of the section's bytes
// stay, unused); otherwise a new last section ".rsrc"
// takes them, when the headers have room for its entry, and the old bytes
// stay unused. SizeOfImage,
// SizeOfInitializedData, the section's sizes, the data directory and a
// non-zero CheckSum are brought up to date; bytes after the last section
// follow the new last section unchanged.
ResourceWrite WritePeResources(ByteView original, const ResourceTable& table, const ResourceWriteOptions& options = {});

// The 32-bit resource file of the table: its leading entry, each entry's
// stored bytes (or a new header, data and padding for a changed entry), then
// the trailing bytes.
Bytes WriteResResources(const ResourceTable& table);

// Either of the two, by the table's container. original is the file the
// table was read from (a resource file is written from the table alone).
ResourceWrite WriteResourceTable(ByteView original, const ResourceTable& table,
                                 const ResourceWriteOptions& options = {});

// One resource's data replaced (or added) in a whole file's bytes: reads the
// table, ReplaceResource, writes it back. Setting a program's version
// information (formats/SetVersion.h) does the same with the edited block.
ResourceWrite ReplaceResourceInFile(ByteView file, const ResourceKey& type, const ResourceKey& name, uint16_t language,
                                    Bytes data, const ResourceWriteOptions& options = {});

} // namespace gw
