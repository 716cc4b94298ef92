#pragma once
// Compiled resource files (.res, .r32, .r16, .dcr) in the 32-bit and the
// 16-bit layout: the readers and the counters.
#include <optional>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/FileContents.h"
#include "platform/ReadError.h"
#include "platform/ResourceKey.h"

namespace gw {

// Read the bytes of a whole resource file into contents.IconGroups /
// CursorGroups / Bitmaps, sized here to the counts in contents, with the
// damage noted in contents. Entries not found stay empty.
//
// Languages: in the 32-bit layout every entry states one. The entries of
// one type and name in different languages are one record, read in
// language when it is held in it, else from its first entry in file order;
// its Language says which, its Languages every language it is held in. A
// group's images are read in the group's language when they are held in
// it, else from the first entry of their id. The 16-bit layout tells no
// language: each entry is a record, Language 0, Languages empty.
void LoadResIcons(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner = nullptr,
                  std::optional<uint16_t> language = std::nullopt);
void LoadResCursors(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner = nullptr,
                    std::optional<uint16_t> language = std::nullopt);
void LoadResBitmaps(FileContents& contents, ByteView file, const std::shared_ptr<const void>& owner = nullptr,
                    std::optional<uint16_t> language = std::nullopt);

// The group readers themselves: the first count groups of the file in file
// order, and the first damage found.
// With an owner that keeps the bytes alive, images are views of them.
ReadResult<std::vector<IconGroup>> ParseResIconGroups(ByteView file, size_t count,
                                                      const std::shared_ptr<const void>& owner = nullptr,
                                                      std::optional<uint16_t> language = std::nullopt);
ReadResult<std::vector<CursorGroup>> ParseResCursorGroups(ByteView file, size_t count,
                                                          const std::shared_ptr<const void>& owner = nullptr,
                                                          std::optional<uint16_t> language = std::nullopt);

// True when the file starts with the empty 32-byte leading entry of the
// 32-bit layout.
bool IsRes32(ByteView file);
constexpr uint64_t kRes32LeadSize = 32;

// The frame of one entry of the 32-bit layout: the sizes it states and
// where its header, its data and the next entry are. The readers here and
// the resource table (formats/ResourceTable.h) walk entries by it, each
// reading the type and name in its own form.
struct Res32Frame {
    uint64_t start = 0;
    uint32_t dataSize = 0;
    uint32_t headerSize = 0;

    uint64_t HeaderEnd() const { return start + headerSize; }
    uint64_t DataStart() const { return start + headerSize; }
    // Where the next entry starts: after the data, on a multiple of 4.
    uint64_t Next() const { return (DataStart() + dataSize + 3) / 4 * 4; }
    // A reader at the type, after the two sizes, that ends where the header
    // does (or the file, when that is sooner).
    ByteReader Keys(ByteView file) const;
};

// The type or the name of an entry of the 32-bit layout, read by r: 0xFFFF
// and an id, or UTF-16 code units up to a zero unit, kept whole. False when
// r ran out before its end.
bool ReadRes32Key(ByteReader& r, ResourceKey& key);

// The frame of the entry at start; nullopt when its two sizes are not in
// the file.
std::optional<Res32Frame> Res32FrameAt(ByteView file, uint64_t start);

// One entry of the 32-bit layout as its header holds it: its frame, its
// type and name, and the fields after them (on a multiple of 4: data
// version, memory flags, language, version, characteristics). The readers
// and the resource table read entries by it, each judging it by its own
// rules. Fields the header (or the file) ends before are 0.
struct Res32Entry {
    Res32Frame frame;
    ResourceKey type;
    ResourceKey name;
    bool keysWhole = false;   // the type and the name end inside the header
    bool fieldsWhole = false; // so do all five fields
    uint32_t dataVersion = 0;
    uint16_t memoryFlags = 0;
    uint16_t language = 0;
    uint32_t version = 0;
    uint32_t characteristics = 0;
};
// The entry at start; nullopt when its two sizes are not in the file.
std::optional<Res32Entry> ReadRes32Entry(ByteView file, uint64_t start);

// Whether every byte from pos on is zero: padding after the last entry,
// not an entry.
bool OnlyZerosFrom(ByteView file, uint64_t pos);

// The counters: the number of resources of type resType (2, 12 or 14) from
// offset start (32 for the 32-bit layout, 0 for the 16-bit one), a resource
// held in several languages counted once, as the readers list it.
int Conta32(ByteView file, uint64_t start, uint16_t resType);
int Conta16(ByteView file, uint64_t start, uint16_t resType);
// The count of a whole file in the layout it starts with.
int CountResEntries(ByteView file, uint16_t resType);
// The first damage a walk over every entry of the file finds, if any.
std::optional<ReadError> ResFileDamage(ByteView file);

// Animated cursors (type 21) and animated icons (22) of a resource file:
// how many, and each read whole by the animated cursor reader (languages as
// for the loads above).
int CountResAnimations(ByteView file);
ReadResult<std::vector<AnimatedCursor>> ParseResAnimations(ByteView file, const std::shared_ptr<const void>& owner = nullptr,
                                                           std::optional<uint16_t> language = std::nullopt);

// The data of the first entry of a numeric resource type in file order (the
// first name, the first language), cut short where the file ends; nullopt
// when the file holds none. The walk's damage is ResFileDamage's.
std::optional<ByteView> FirstResEntry(ByteView file, uint16_t resType);

} // namespace gw
