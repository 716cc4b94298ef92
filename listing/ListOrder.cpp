#include "listing/ListOrder.h"

#include <algorithm>
#include <charconv>

#include "platform/Paths.h"

namespace gw {
namespace {

// Byte-wise comparison with only A to Z folded: other codes compare as they
// are, and a text that is a prefix of the other goes first.
int CompareText8(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + ('a' - 'A'));
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + ('a' - 'A'));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CountOf(const ListRow& row) {
    int value = 0;
    const std::string& t = row.countText;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return ec == std::errc() && end == t.data() + t.size() ? value : 0;
}

} // namespace

int ListViewCompare(const ListRow& a, const ListRow& b, SortMode sortMode, uint8_t sortAscending) {
    const std::string nameA = LowerAscii(a.caption), nameB = LowerAscii(b.caption);
    int result = 0;
    switch (sortMode) {
    case SortMode::ByType:
        result = CompareText8(a.kindMarker + LowerAscii(a.typeText) + nameA,
                              b.kindMarker + LowerAscii(b.typeText) + nameB);
        break;
    case SortMode::ByObjects: {
        const int countA = CountOf(a), countB = CountOf(b);
        if (countA == countB) return CompareText8(nameA, nameB); // never reversed
        result = countA > countB ? -1 : 1;
        break;
    }
    default: result = CompareText8(a.kindMarker + nameA, b.kindMarker + nameB); break;
    }
    return sortAscending ? result : -result;
}

int CompareListNames(const std::string& a, const std::string& b) {
    const int folded = LowerAscii(a).compare(LowerAscii(b));
    if (folded != 0) return folded < 0 ? -1 : 1;
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

} // namespace gw
