#include "explorer/core/ListColumns.h"

namespace gw {

// The table is in the order of ListColumn, so a column's number finds its entry.
static_assert([] {
    for (size_t i = 0; i < kListColumns.size(); ++i)
        if (ColumnIndex(kListColumns[i].column) != int(i)) return false;
    return true;
}());

std::string RowNameText(const ListRow& row) { return row.caption; }

std::string RowDescriptionText(const ListRow& row) { return row.description; }

} // namespace gw
