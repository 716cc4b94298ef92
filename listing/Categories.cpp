#include "listing/Categories.h"

#include <array>

namespace gw {
namespace {

constexpr std::array<Category, 11> kCategories{
    Category::Icons,          Category::IconFiles,         Category::IconResources,
    Category::Bitmaps,        Category::BitmapFiles,       Category::BitmapResources,
    Category::StaticCursors,  Category::StaticCursorFiles, Category::StaticCursorResources,
    Category::AnimatedCursors, Category::AnimatedCursorResources,
};

} // namespace

std::span<const Category> Categories() { return kCategories; }

const char* CategoryName(Category category) {
    switch (category) {
    case Category::Icons: return "Icons";
    case Category::IconFiles: return "Icon Files";
    case Category::IconResources: return "Icon Resources";
    case Category::Bitmaps: return "Bitmaps";
    case Category::BitmapFiles: return "Bitmap Files";
    case Category::BitmapResources: return "Bitmap Resources";
    case Category::StaticCursors: return "Static Cursors";
    case Category::StaticCursorFiles: return "Static Cursor Files";
    case Category::StaticCursorResources: return "Static Cursor Resources";
    case Category::AnimatedCursors: return "Animated Cursors";
    case Category::AnimatedCursorResources: return "Animated Cursor Resources";
    }
    return "";
}

std::optional<Category> FindCategory(std::string_view text) {
    for (Category c : kCategories)
        if (text == CategoryName(c)) return c;
    return std::nullopt;
}

ObjectKind ObjectsOf(Category category) {
    switch (category) {
    case Category::Icons:
    case Category::IconFiles:
    case Category::IconResources: return ObjectKind::Icons;
    case Category::Bitmaps:
    case Category::BitmapFiles:
    case Category::BitmapResources: return ObjectKind::Bitmaps;
    case Category::StaticCursors:
    case Category::StaticCursorFiles:
    case Category::StaticCursorResources: return ObjectKind::Cursors;
    case Category::AnimatedCursors:
    case Category::AnimatedCursorResources: return ObjectKind::AnimatedCursors;
    }
    return ObjectKind::Icons;
}

bool ListsContainers(Category category) {
    switch (category) {
    case Category::Icons:
    case Category::Bitmaps:
    case Category::StaticCursors:
    case Category::AnimatedCursors: return false;
    default: return true;
    }
}

bool ListsResourceFiles(Category category) {
    return category == Category::IconResources || category == Category::BitmapResources ||
           category == Category::StaticCursorResources;
}

} // namespace gw
