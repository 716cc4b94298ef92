#include "listing/Categories.h"

#include <array>

#include "formats/ResTypes.h"

namespace gw {
namespace {

constexpr std::array<Category, 11> kCategories{{
    {"Icons", 1, 0, 0, 0, 0, ScannerId::ReadIcons, 0, false},
    {"Icon Files", 1, 0, 0, 1, 0, ScannerId::ReadFiles, 0, false},
    {"Icon Resources", 1, 0, 0, 0, 1, ScannerId::ReadResources, RT_GROUP_ICON, false},
    {"Bitmaps", 0, 1, 0, 0, 0, ScannerId::ReadBitmaps, 0, true},
    {"Bitmap Files", 0, 1, 0, 1, 0, ScannerId::ReadCursorBitmapFiles, 0, true},
    {"Bitmap Resources", 0, 1, 0, 0, 1, ScannerId::ReadResources, RT_BITMAP, true},
    {"Static Cursors", 0, 0, 1, 0, 0, ScannerId::ReadCursors, 0, false},
    {"Static Cursor Files", 0, 0, 1, 1, 0, ScannerId::ReadCursorBitmapFiles, 0, false},
    {"Static Cursor Resources", 0, 0, 1, 0, 1, ScannerId::ReadResources, RT_GROUP_CURSOR, false},
    // .ani files, and executables, libraries and resource files that hold
    // animated cursors or icons.
    {"Animated Cursors", 0, 0, 1, 0, 0, ScannerId::ReadAnimatedCursors, 0, false, 1},
    {"Animated Cursor Resources", 0, 0, 1, 1, 0, ScannerId::ReadAnimatedCursorResources, RT_ANICURSOR, false, 1},
}};

} // namespace

std::span<const Category> Categories() { return kCategories; }

const Category* FindCategory(std::string_view text) {
    for (const Category& c : kCategories)
        if (text == c.text) return &c;
    return nullptr;
}

void ApplyCategoryFlags(ExplorerState& state, const Category& category) {
    state.CatIcons = category.catIcons;
    state.CatBitmaps = category.catBitmaps;
    state.CatCursors = category.catCursors;
    state.CatFiles = category.catFiles;
    state.CatResources = category.catResources;
    state.CatAnimated = category.catAnimated;
}

bool ClearsStatusFirst(ScannerId scanner) {
    return scanner == ScannerId::ReadFiles || scanner == ScannerId::ReadCursorBitmapFiles ||
           scanner == ScannerId::ReadResources || scanner == ScannerId::ReadAnimatedCursorResources;
}

} // namespace gw
