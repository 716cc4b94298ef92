#include "explorer/core/ListRules.h"

#include <array>

#include "platform/Paths.h"

namespace gw {
namespace {

constexpr std::array<const char*, 7> kContainerTypes{
    "Library", "File Extension", "Executable", "DirectX File", "Delphi Library", "Screen Saver", "Driver"};

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
    const bool containers = state.CatFiles || state.CatResources;
    const int count = containers ? state.ContainerCount : state.ImageFileCount;
    const char* kind = "";
    if (state.CatIcons)
        kind = containers ? " Icon Files" : " Icons";
    else if (state.CatBitmaps)
        kind = containers ? " Bitmap Files" : " Bitmaps";
    else if (state.CatCursors && state.CatAnimated)
        kind = containers ? " Animated Cursor Files" : " Animated Cursors";
    else if (state.CatCursors)
        kind = containers ? " Cursor Files" : " Cursors";
    return state.CurrentDir + ": " + std::to_string(state.DirCount) + " Directories and " + std::to_string(count) +
           kind;
}

bool IsContainerType(const std::string& typeText) {
    for (const char* t : kContainerTypes)
        if (typeText == t) return true;
    return false;
}

namespace {

// Whether a row's file holds objects it counts: an executable or library,
// or a resource file in the animated cursor listing (the one listing that
// shows both).
bool CountsObjects(const ExplorerState& state, const std::string& typeText) {
    return IsContainerType(typeText) || (state.CatAnimated && typeText == kResourceFileType);
}

} // namespace

std::string ClickStatusText(const ExplorerState& state, const ListRow& row) {
    if (!CountsObjects(state, row.typeText)) return row.typeText;
    std::string text = row.typeText + " - Contains " + row.countText;
    if (state.CatIcons)
        text += " Icons";
    else if (state.CatBitmaps)
        text += " Bitmaps";
    else if (state.CatCursors)
        text += state.CatAnimated ? " Animated Cursors" : " Cursors";
    return text;
}

OpenPlan PlanOpen(const ExplorerState& state, const ListRow& row) {
    OpenPlan plan;
    plan.path = JoinPath(state.CurrentDir, row.caption);
    const std::string& type = row.typeText;
    if (type.empty()) {
        plan.target = OpenTarget::Folder;
        return plan;
    }
    if (type == "Icon" || type == "Bitmap" || type == "Cursor" || type == kAnimatedCursorType) {
        plan.target = type == "Icon" ? OpenTarget::IconManager
                      : type == "Bitmap" ? OpenTarget::BitmapManager
                                         : OpenTarget::CursorManager;
        return plan;
    }
    if (state.CatIcons)
        plan.target = OpenTarget::IconWorkdesk;
    else if (state.CatBitmaps)
        plan.target = OpenTarget::BitmapWorkdesk;
    else if (state.CatCursors)
        plan.target = OpenTarget::CursorWorkdesk;
    return plan;
}

const Category* CategoryShowing(const FileCounts& counts) {
    const auto byContents = [&](const char* icons, const char* cursors, const char* bitmaps) {
        if (counts.iconGroups > 0) return FindCategory(icons);
        if (counts.cursorGroups > 0) return FindCategory(cursors);
        if (counts.bitmaps > 0) return FindCategory(bitmaps);
        if (counts.animations > 0) return FindCategory("Animated Cursor Resources");
        return FindCategory(icons);
    };
    switch (counts.kind) {
    case FileKind::Icon: return FindCategory("Icons");
    case FileKind::Cursor: return FindCategory("Static Cursors");
    case FileKind::Bitmap: return FindCategory("Bitmaps");
    case FileKind::Ne:
    case FileKind::Pe: return byContents("Icon Files", "Static Cursor Files", "Bitmap Files");
    case FileKind::Resource:
        return byContents("Icon Resources", "Static Cursor Resources", "Bitmap Resources");
    case FileKind::AnimatedCursor: return FindCategory("Animated Cursors");
    case FileKind::NonExecutable: break;
    }
    return nullptr;
}

} // namespace gw

