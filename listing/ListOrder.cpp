#include "listing/ListOrder.h"

#include <algorithm>

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

// The count a row sorts by: a folder counts nothing.
int SortCount(const ListRow& row) { return row.IsFolder() ? 0 : row.count; }

} // namespace

int ListViewCompare(const ListRow& a, const ListRow& b, SortMode sortMode, uint8_t sortAscending) {
    int result = 0;
    if (sortMode == SortMode::ByObjects) {
        const int countA = SortCount(a), countB = SortCount(b);
        if (countA == countB) return CompareText8(a.caption, b.caption); // never reversed
        result = countA > countB ? -1 : 1;
    } else if (a.IsFolder() != b.IsFolder()) {
        result = a.IsFolder() ? -1 : 1;
    } else {
        if (sortMode == SortMode::ByType)
            result = CompareText8(RowTypeText(a), RowTypeText(b));
        if (result == 0) result = CompareText8(a.caption, b.caption);
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
