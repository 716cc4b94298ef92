#include "formats/IconLocation.h"

#include <algorithm>
#include <charconv>

#include "formats/Document.h"

namespace gw {

namespace {

constexpr char kIndexSeparator = ',';
constexpr char kQuote = '"';
constexpr char kIndirectStringMark = '@';
constexpr int64_t kMaxResourceId = 0xFFFF;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An optional sign and at least one decimal digit, nothing else ("+3", "-101").
bool IsSignedNumber(const std::string& text) {
    const size_t digitsAt = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    return digitsAt < text.size() && std::all_of(text.begin() + digitsAt, text.end(), IsDigit);
}

// The value of a signed number; nullopt when it does not fit 32 bits.
std::optional<int32_t> NumberValue(const std::string& number) {
    const char* begin = number.data() + (number[0] == '+' ? 1 : 0);
    const char* end = number.data() + number.size();
    int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The file name without its quotes; nullopt when a quote is left open or
// stands inside it.
std::optional<std::string> Unquoted(const std::string& file) {
    if (file.size() >= 2 && file.front() == kQuote && file.back() == kQuote) {
        const std::string inner = Trimmed(file.substr(1, file.size() - 2));
        if (inner.find(kQuote) != std::string::npos) return std::nullopt;
        return inner;
    }
    if (file.find(kQuote) != std::string::npos) return std::nullopt;
    return file;
}

} // namespace

std::optional<IconLocation> ParseIconLocation(const std::string& text) {
    const std::string whole = Trimmed(text);
    if (whole.empty() || whole[0] == kIndirectStringMark) return std::nullopt;
    IconLocation location;
    std::string file = whole;
    const size_t comma = whole.find_last_of(kIndexSeparator);
    // A comma inside the quoted file name is no index separator.
    const bool quotedAfter = comma != std::string::npos && whole.find(kQuote, comma) != std::string::npos;
    const std::string index = comma == std::string::npos ? std::string() : Trimmed(whole.substr(comma + 1));
    if (comma != std::string::npos && !quotedAfter && (index.empty() || IsSignedNumber(index))) {
        if (!index.empty()) {
            const std::optional<int32_t> value = NumberValue(index);
            if (!value) return std::nullopt;
            location.index = *value;
        }
        file = Trimmed(whole.substr(0, comma));
    }
    std::optional<std::string> path = Unquoted(file);
    if (!path || path->empty()) return std::nullopt;
    location.path = std::move(*path);
    return location;
}

const IconGroup* PickIconGroup(const FileContents& contents, int32_t index) {
    const std::vector<IconGroup>& groups = contents.IconGroups;
    if (index >= 0) {
        if (size_t(index) >= groups.size() || !IsFilled(groups[size_t(index)])) return nullptr;
        return &groups[size_t(index)];
    }
    const int64_t id = -int64_t(index);
    if (id > kMaxResourceId) return nullptr;
    const std::string name = std::to_string(id);
    for (const IconGroup& group : groups)
        if (!group.Named && group.Name == name) return &group;
    return nullptr;
}

const IconGroup* PickIconGroup(Document& file, int32_t index) {
    file.Load(RecordKind::Icons);
    return PickIconGroup(file.Contents(), index);
}

} // namespace gw
