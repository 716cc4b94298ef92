#include "explorer/core/ListRules.h"

#include <algorithm>

#include "explorer/core/ListColumns.h"
#include "formats/Document.h"
#include "formats/FileKinds.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace gw {
namespace {

// "Icon", "Bitmap", "Cursor", "Animated Cursor": what a category's
// containers are said to contain.
const char* ObjectNoun(Category category) {
    switch (ObjectsOf(category)) {
    case ObjectKind::Icons: return "Icon";
    case ObjectKind::Bitmaps: return "Bitmap";
    case ObjectKind::Cursors: return "Cursor";
    case ObjectKind::AnimatedCursors: return "Animated Cursor";
    }
    return "";
}

// Whether a row's file holds objects it counts: an executable or library,
// or a resource file in the animated cursor listing (the one listing that
// shows both).
bool CountsObjects(Category category, const ListRow& row) {
    if (!row.kind) return false;
    const FileListing listed = RowOf(*row.kind).listing;
    if (listed == FileListing::Holder) return true;
    return ObjectsOf(category) == ObjectKind::AnimatedCursors && listed == FileListing::Resources;
}

// The workdesk of the first kind of object a file holds: icons, then
// cursors (static or animated), then bitmaps.
std::optional<OpenTarget> DeskOfContents(const FileCounts& counts) {
    if (counts.iconGroups > 0) return OpenTarget::IconWorkdesk;
    if (counts.cursorGroups > 0 || counts.animations > 0) return OpenTarget::CursorWorkdesk;
    if (counts.bitmaps > 0) return OpenTarget::BitmapWorkdesk;
    return std::nullopt;
}

} // namespace

bool ApplyColumnClick(ExplorerState& state, int column) {
    const ListColumnInfo* clicked = ColumnAt(column);
    if (!clicked || !clicked->sort) return false;
    const SortMode mode = *clicked->sort;
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
    const std::string kind = std::string(ObjectNoun(state.Category)) + (containers ? " File" : "");
    return state.CurrentDir + ": " + CountText(uint64_t(std::max(state.DirCount, 0)), "Directory", "Directories") +
           " and " + CountText(uint64_t(std::max(count, 0)), kind);
}

std::string ClickStatusText(const ExplorerState& state, const ListRow& row) {
    std::string text = RowTypeText(row);
    if (CountsObjects(state.Category, row))
        text += " - Contains " + CountText(uint64_t(std::max(row.count, 0)), ObjectNoun(state.Category));
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
    // A file that is one object opens in that object's manager.
    if (const FileKindRow& kind = RowOf(*row.kind); kind.listing == FileListing::Alone) {
        switch (kind.holds) {
        case RecordKind::Icons: plan.target = OpenTarget::IconManager; break;
        case RecordKind::Bitmaps: plan.target = OpenTarget::BitmapManager; break;
        case RecordKind::Cursors:
        case RecordKind::Animations: plan.target = OpenTarget::CursorManager; break;
        }
        return plan;
    }
    // A container opens the workdesk of the category's objects.
    switch (ObjectsOf(state.Category)) {
    case ObjectKind::Icons: plan.target = OpenTarget::IconWorkdesk; break;
    case ObjectKind::Bitmaps: plan.target = OpenTarget::BitmapWorkdesk; break;
    case ObjectKind::Cursors:
    case ObjectKind::AnimatedCursors: plan.target = OpenTarget::CursorWorkdesk; break;
    }
    // One listed for its damage alone, with none of them left to read, opens
    // on what can still be read of it (a library cut short may keep its
    // bitmaps); with nothing at all, the category's workdesk says why.
    if (row.count == 0)
        if (const std::optional<OpenTarget> other = DeskOfContents(Document::Open(plan.path)->Counts()))
            plan.target = *other;
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
    const FileKindRow& kind = RowOf(counts.kind);
    switch (kind.listing) {
    case FileListing::Alone:
        switch (kind.holds) {
        case RecordKind::Icons: return Category::Icons;
        case RecordKind::Cursors: return Category::StaticCursors;
        case RecordKind::Bitmaps: return Category::Bitmaps;
        case RecordKind::Animations: return Category::AnimatedCursors;
        }
        break;
    case FileListing::Holder:
        return byContents(Category::IconFiles, Category::StaticCursorFiles, Category::BitmapFiles);
    case FileListing::Resources:
        return byContents(Category::IconResources, Category::StaticCursorResources, Category::BitmapResources);
    case FileListing::None: break;
    }
    return std::nullopt;
}

} // namespace gw
