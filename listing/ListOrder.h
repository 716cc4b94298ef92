#pragma once
// The orders of a listing: the explorer's file list under its sort modes,
// and the sorted file lists of the tree walk.
#include <cstdint>
#include <string>

#include "listing/ExplorerState.h"
#include "listing/ListRow.h"

namespace gw {

// The order of two rows under a sort mode: negative when a goes first.
// Names and type texts compare with A to Z folded. By name and by type
// folders go before files, by type the type text decides before the name;
// by count the largest number goes first (a folder counts 0); a cleared
// direction flag reverses all three, but rows of equal count always stay in
// name order A to Z.
int ListViewCompare(const ListRow& a, const ListRow& b, SortMode sortMode, uint8_t sortAscending);

// The order of names in a sorted file list: ASCII letters compared without
// case, a name that is a prefix of the other first; names equal but for case
// in byte order, so the order is total.
int CompareListNames(const std::string& a, const std::string& b);

} // namespace gw
