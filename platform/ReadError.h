#pragma once
// What a reader found wrong with the bytes it was given, and where: the one
// shape every reader reports damage in, from the reader up to the windows,
// the command line and other programs. Readers return what they read before
// the damage together with it.
#include <cstdint>
#include <optional>
#include <string>

namespace gw {

enum class ReadErrorKind : uint8_t {
    Io,          // the file could not be opened or read
    Truncated,   // the bytes end before something the file says is there
    Invalid,     // a value the format does not allow, or that points nowhere
    Unsupported, // a valid value this reader does not handle
    OverBudget,  // the load's budget is spent (entries naming the same bytes again and again)
};

// "io", "truncated", "invalid", "unsupported", "over_budget".
const char* ReadErrorKindName(ReadErrorKind kind);

struct ReadError {
    ReadErrorKind kind = ReadErrorKind::Invalid;
    // The byte of the file the damage is at: for a truncated file, where its
    // bytes end. Never beyond the file's size.
    uint64_t offset = 0;
    std::string message; // what is wrong, e.g. "image 3 needs 4,264 bytes at 2,512"

    // "truncated at byte 3,000: image 3 needs 4,264 bytes at 2,512".
    std::string Describe() const;

    bool operator==(const ReadError&) const = default;

    // The same damage found inside a part of a file that starts at start
    // (an embedded file, a resource): its offset in the whole file.
    ReadError At(uint64_t start, uint64_t fileSize) const {
        ReadError placed = *this;
        placed.offset = start + offset < fileSize ? start + offset : fileSize;
        return placed;
    }

    // The three take where the fault lies first and the file's size last.
    // The bytes of a file of fileSize end before what needs length bytes at
    // offset: "<what> needs <length> bytes at <offset>", at the file's end.
    static ReadError Truncated(uint64_t offset, const std::string& what, uint64_t length, uint64_t fileSize);
    // A value at offset the format does not allow (offset capped at the file's end).
    static ReadError Invalid(uint64_t offset, std::string message, uint64_t fileSize);
    // The load's budget ran out on what lies at offset.
    static ReadError OverBudget(uint64_t offset, const std::string& what, uint64_t fileSize);
};

// A number with thousands grouped by commas: 4264 -> "4,264".
std::string GroupedNumber(uint64_t value);

// What a reader returns: the records it read, also those before a failure,
// and the first damage it found.
template <class T>
struct ReadResult {
    T records{};
    std::optional<ReadError> error;
    uint64_t failed = 0;             // items of a list that could not be read
    std::optional<size_t> stoppedAt; // the item at which the read ended early

    // Keeps the first damage found; later ones are usually its consequences.
    void Note(ReadError e) {
        if (!error) error = std::move(e);
    }
};

} // namespace gw
