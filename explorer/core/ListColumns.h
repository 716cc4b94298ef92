#pragma once
// The columns of the explorer's file list in the details view, in their
// order: what each is headed, what a row shows in it, what a click on its
// header sorts by and how wide it is at first. The list's model, its header,
// its widths and the column clicks all read this one table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "listing/ExplorerState.h"
#include "listing/ListRow.h"

namespace gw {

enum class ListColumn : uint8_t { Name, Type, Objects, Description };

struct ListColumnInfo {
    ListColumn column;
    const char* header;                  // the header text
    std::string (*text)(const ListRow&); // what a row shows in the column
    std::optional<SortMode> sort;        // what a click on the header sorts by; none: the click does nothing
    int designedWidth;                   // in pixels, until the user or a listing sets one
};

// Column "Name": the name as the folder listing gave it.
std::string RowNameText(const ListRow& row);
// Column "Description": what an executable or library says it is.
std::string RowDescriptionText(const ListRow& row);

// The last column stretches to the edge of the view.
inline constexpr std::array<ListColumnInfo, 4> kListColumns{{
    {ListColumn::Name, "Name", &RowNameText, SortMode::ByName, 200},
    {ListColumn::Type, "Type", &RowTypeText, SortMode::ByType, 150},
    {ListColumn::Objects, "Objects", &RowCountText, SortMode::ByObjects, 80},
    {ListColumn::Description, "Description", &RowDescriptionText, std::nullopt, 200},
}};

// Each column's designed width, in the table's order.
constexpr std::array<int, kListColumns.size()> DesignedColumnWidths() {
    std::array<int, kListColumns.size()> widths{};
    for (size_t i = 0; i < kListColumns.size(); ++i) widths[i] = kListColumns[i].designedWidth;
    return widths;
}

// The view's column number of a column, and the column at a number (null
// for a number that is no column).
constexpr int ColumnIndex(ListColumn column) { return int(column); }
constexpr const ListColumnInfo* ColumnAt(int index) {
    return index >= 0 && size_t(index) < kListColumns.size() ? &kListColumns[size_t(index)] : nullptr;
}

} // namespace gw
