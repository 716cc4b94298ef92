#include "explorer/core/ListRules.h"

#include <array>
#include <charconv>

#include "batch/core/OutputNames.h"
#include "platform/FileIo.h"

namespace gw {
namespace {

constexpr std::array<const char*, 7> kContainerTypes{
    "Library", "File Extension", "Executable", "DirectX File", "Delphi Library", "Screen Saver", "Driver"};

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

int CountOf(const ListRow& row) {
    int value = 0;
    const std::string& t = row.countText;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return ec == std::errc() && end == t.data() + t.size() ? value : 0;
}

} // namespace

int ListViewCompare(const ListRow& a, const ListRow& b, uint8_t sortMode, uint8_t sortAscending) {
    const std::string nameA = LowerAscii(a.caption), nameB = LowerAscii(b.caption);
    int result = 0;
    switch (sortMode) {
    case 1:
        result = CompareText8(a.kindMarker + LowerAscii(a.typeText) + nameA,
                              b.kindMarker + LowerAscii(b.typeText) + nameB);
        break;
    case 2: {
        const int countA = CountOf(a), countB = CountOf(b);
        if (countA == countB) return CompareText8(nameA, nameB); // never reversed
        result = countA > countB ? -1 : 1;
        break;
    }
    default: result = CompareText8(a.kindMarker + nameA, b.kindMarker + nameB); break;
    }
    return sortAscending ? result : -result;
}

bool ApplyColumnClick(ExplorerState& state, int column) {
    if (column < 0 || column > 2) return false;
    const auto mode = uint8_t(column);
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

std::string ClickStatusText(const ExplorerState& state, const SelectedRow& row) {
    if (!IsContainerType(row.typeText)) return row.typeText;
    std::string text = row.typeText + " - Contains " + row.countText;
    if (state.CatIcons)
        text += " Icons";
    else if (state.CatBitmaps)
        text += " Bitmaps";
    else if (state.CatCursors)
        text += " Cursors";
    return text;
}

SelectedRow SelectedRowOf(const ListRow& row) {
    return {row.imageIndex, row.caption, row.typeText, row.countText, row.kindMarker};
}

OpenPlan PlanOpen(ExplorerState& state, CommonData& common, const SelectedRow& row) {
    OpenPlan plan;
    const std::string& type = row.typeText;
    if (type.empty()) {
        plan.target = OpenTarget::Folder;
        plan.folder = JoinPath(state.CurrentDir, row.caption);
        return plan;
    }
    if (type == "Icon" || type == "Bitmap" || type == "Cursor") {
        common.SelFileName = LowerAscii(row.caption);
        common.SelFilePath = JoinPath(state.CurrentDir, row.caption);
        state.ExecutableSource = 0;
        state.ResourceSource = 0;
        plan.target = type == "Icon" ? OpenTarget::IconManager
                      : type == "Bitmap" ? OpenTarget::BitmapManager
                                         : OpenTarget::CursorManager;
        return plan;
    }
    state.WorkdeskShown = 0;
    if (state.CatIcons)
        plan.target = OpenTarget::IconWorkdesk;
    else if (state.CatBitmaps)
        plan.target = OpenTarget::BitmapWorkdesk;
    else if (state.CatCursors)
        plan.target = OpenTarget::CursorWorkdesk;
    else
        return plan;
    state.ExecutableSource = state.CatFiles;
    state.ResourceSource = state.CatResources;
    return plan;
}

} // namespace gw
