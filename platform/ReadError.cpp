#include "platform/ReadError.h"

#include <algorithm>

#include "platform/Text.h"

namespace gw {

const char* ReadErrorKindName(ReadErrorKind kind) {
    switch (kind) {
    case ReadErrorKind::Io: return "io";
    case ReadErrorKind::Truncated: return "truncated";
    case ReadErrorKind::Invalid: return "invalid";
    case ReadErrorKind::Unsupported: return "unsupported";
    case ReadErrorKind::OverBudget: return "over_budget";
    }
    return "invalid";
}

std::string GroupedNumber(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string ReadError::Describe() const {
    return std::string(ReadErrorKindName(kind)) + " at byte " + GroupedNumber(offset) + ": " + message;
}

ReadError ReadError::Truncated(uint64_t offset, const std::string& what, uint64_t length, uint64_t fileSize) {
    return {ReadErrorKind::Truncated, fileSize,
            what + " needs " + GroupedNumber(length) + " " + CountNoun(length, "byte") + " at " + GroupedNumber(offset)};
}

ReadError ReadError::Invalid(uint64_t offset, std::string message, uint64_t fileSize) {
    return {ReadErrorKind::Invalid, std::min(offset, fileSize), std::move(message)};
}

ReadError ReadError::OverBudget(uint64_t offset, const std::string& what, uint64_t fileSize) {
    return {ReadErrorKind::OverBudget, std::min(offset, fileSize),
            what + ": the load's budget for copies and pictures is spent"};
}

} // namespace gw
