#include "explorer/core/ListRules.h"

#include "platform/Paths.h"

namespace gw {
namespace {

// " Icons", " Bitmaps", " Cursors", " Animated Cursors": what a category's
// containers are said to contain.
const char* ObjectsWord(Category category) {
    switch (ObjectsOf(category)) {
    case ObjectKind::Icons: return " Icons";
    case ObjectKind::Bitmaps: return " Bitmaps";
    case ObjectKind::Cursors: return " Cursors";
    case ObjectKind::AnimatedCursors: return " Animated Cursors";
    }
    return "";
}

// Whether a row's file holds objects it counts: an executable or library,
// or a resource file in the animated cursor listing (the one listing that
// shows both).
bool CountsObjects(Category category, const ListRow& row) {
    if (row.kind == FileKind::Pe || row.kind == FileKind::Ne) return true;
    return ObjectsOf(category) == ObjectKind::AnimatedCursors && row.kind == FileKind::Resource;
}

} // namespace

bool ApplyColumnClick(ExplorerState& state, int column) {
    if (column < 0 || column > 2) return false;
    const auto mode = SortMode(column);
    if (mode == state.SortMode) {
        state.SortAscending = state.SortAscending ? 0 : 1;
    } else {
        state.SortMode = mode;
        state.SortAscending = 1;
    }
    return true;
}

std::string FolderSummary(const ExplorerState& state) {
    const bool containers = ListsContainers(state.Category);
    const int count = containers ? state.ContainerCount : state.ImageFileCount;
    const char* kind = "";
    switch (ObjectsOf(state.Category)) {
    case ObjectKind::Icons: kind = containers ? " Icon Files" : " Icons"; break;
    case ObjectKind::Bitmaps: kind = containers ? " Bitmap Files" : " Bitmaps"; break;
    case ObjectKind::Cursors: kind = containers ? " Cursor Files" : " Cursors"; break;
    case ObjectKind::AnimatedCursors: kind = containers ? " Animated Cursor Files" : " Animated Cursors"; break;
    }
    return state.CurrentDir + ": " + std::to_string(state.DirCount) + " Directories and " + std::to_string(count) +
           kind;
}

std::string ClickStatusText(const ExplorerState& state, const ListRow& row) {
    std::string text = RowTypeText(row);
    if (CountsObjects(state.Category, row)) text += " - Contains " + RowCountText(row) + ObjectsWord(state.Category);
    if (row.damage) text += " - Damaged: " + row.damage->Describe();
    return text;
}

OpenPlan PlanOpen(const ExplorerState& state, const ListRow& row) {
    OpenPlan plan;
    plan.path = JoinPath(state.CurrentDir, row.caption);
    if (row.IsFolder()) {
        plan.target = OpenTarget::Folder;
        return plan;
    }
    switch (*row.kind) {
    case FileKind::Icon: plan.target = OpenTarget::IconManager; return plan;
    case FileKind::Bitmap: plan.target = OpenTarget::BitmapManager; return plan;
    case FileKind::Cursor:
    case FileKind::AnimatedCursor: plan.target = OpenTarget::CursorManager; return plan;
    default: break;
    }
    // A container opens the workdesk of the category's objects.
    switch (ObjectsOf(state.Category)) {
    case ObjectKind::Icons: plan.target = OpenTarget::IconWorkdesk; break;
    case ObjectKind::Bitmaps: plan.target = OpenTarget::BitmapWorkdesk; break;
    case ObjectKind::Cursors:
    case ObjectKind::AnimatedCursors: plan.target = OpenTarget::CursorWorkdesk; break;
    }
    return plan;
}

std::optional<Category> CategoryShowing(const FileCounts& counts) {
    const auto byContents = [&](Category icons, Category cursors, Category bitmaps) {
        if (counts.iconGroups > 0) return icons;
        if (counts.cursorGroups > 0) return cursors;
        if (counts.bitmaps > 0) return bitmaps;
        if (counts.animations > 0) return Category::AnimatedCursorResources;
        return icons;
    };
    switch (counts.kind) {
    case FileKind::Icon: return Category::Icons;
    case FileKind::Cursor: return Category::StaticCursors;
    case FileKind::Bitmap: return Category::Bitmaps;
    case FileKind::Ne:
    case FileKind::Pe: return byContents(Category::IconFiles, Category::StaticCursorFiles, Category::BitmapFiles);
    case FileKind::Resource:
        return byContents(Category::IconResources, Category::StaticCursorResources, Category::BitmapResources);
    case FileKind::AnimatedCursor: return Category::AnimatedCursors;
    case FileKind::NonExecutable: break;
    }
    return std::nullopt;
}

} // namespace gw
