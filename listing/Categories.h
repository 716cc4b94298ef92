#pragma once
// The display categories of the explorer's "Display:" box, their texts and
// what each lists. The two animated cursor entries come last, so the numbers
// of the nine before them stand.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace gw {

// The entries of the box, in its order.
enum class Category : uint8_t {
    Icons,
    IconFiles,
    IconResources,
    Bitmaps,
    BitmapFiles,
    BitmapResources,
    StaticCursors,
    StaticCursorFiles,
    StaticCursorResources,
    // .ani files, and executables, libraries and resource files that hold
    // animated cursors or icons.
    AnimatedCursors,
    AnimatedCursorResources,
};

// The objects a category shows.
enum class ObjectKind : uint8_t { Icons, Bitmaps, Cursors, AnimatedCursors };

// Every category in the order of the box.
std::span<const Category> Categories();

// The box's text of a category: "Icons", "Static Cursor Resources", ...
const char* CategoryName(Category category);

// The category whose text equals text exactly; none when no text does.
std::optional<Category> FindCategory(std::string_view text);

ObjectKind ObjectsOf(Category category);

// True for the categories that list files holding objects (executables,
// libraries, resource files) rather than image files: the "... Files" and
// "... Resources" entries and "Animated Cursor Resources". Their scans clear
// the status text and let the window repaint before they start, count
// ContainerCount and offer the wizard.
bool ListsContainers(Category category);

// True for "Icon Resources", "Bitmap Resources" and "Static Cursor
// Resources", which list compiled resource files only. ("Animated Cursor
// Resources" lists executables and resource files alike.)
bool ListsResourceFiles(Category category);

} // namespace gw
