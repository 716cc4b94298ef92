#include "workdesks/gui/CursorWorkdesk.h"

#include <QMenu>

#include "batch/core/CursorTheme.h"
#include "batch/core/OutputNames.h"
#include "batch/core/Prompts.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr const char* kCursorThemeFolderTitle = "Select folder for the cursor theme";

const DeskWindowNames kCursorDeskNames{
    .objectName = "Form11",
    .caption = "Grabwell Cursor Workdesk",
    .placesRole = "CursorWorkdesk",
    .menuPrefix = "m5",
    .arrangeMenu = "&Arrange Cursors",
    .list = "ListView3",
    .formatBox = "cbCFormat",
    .toolBar = "SpeedBar1",
    .statusBar = "StatusBar5",
    .statusPanel1Width = 50,
    .exitButton = "sb2Exit",
    .exitHint = "Close",
    .pictureViews = false,
    .buttonPrefix = "sb5",
    .saveOneHint = "Extract and Save\nSelected Cursor",
    .saveAllHint = "Extract and Save\nall Cursors in File",
    .extractOneHint = "Extract and Save Separate Cursors\nin Selected Cursor",
    .extractAllHint = "Extract and Save \nall Cursors in File",
    // The hint reads as Save All's; the menu names what the command does.
    .extractAllMenu = "Extract and Save Separate Cursors in All Cursors of File",
    .convertOneHint = "Convert to Bitmap and Save\nSeparate Cursors in\nSelected Cursor",
    .convertAllHint = "Convert to Bitmap and Save\nSeparate Cursors in\nAll Cursors of File",
    .editHint = "Open Cursor\nin Manager",
    .manager = Viewer::CursorManager,
    .sheet = Viewer::CursorSheet,
};

} // namespace

CursorWorkdesk::CursorWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers, QWidget* parent)
    : GroupDesk(kCursorDeskNames, flags, prompts, viewers, parent) {
    auto* exportTheme = new QAction("Export as Linux cursor theme...", this);
    exportTheme->setObjectName("ExportCursorTheme");
    FileMenu()->insertAction(CloseSeparator(), exportTheme);
    connect(exportTheme, &QAction::triggered, this, &CursorWorkdesk::ExportCursorTheme);
}

std::optional<size_t> CursorWorkdesk::AnimationAt(size_t item) const {
    if (item < m_groupCount || item >= m_items.size()) return std::nullopt;
    return item - m_groupCount;
}

ViewRequest CursorWorkdesk::ItemRequest(size_t item) {
    const auto a = AnimationAt(item);
    if (!a) return GroupDesk::ItemRequest(item);
    const AnimatedCursor& animation = Contents().Animations[*a];
    const AnimationFrame* first = FirstStepFrame(animation);
    return {.file = File(),
            .shown = Shown::Animation,
            .item = *a,
            .frame = first ? animation.StepFrames.front() : ViewRequest::kNoFrame,
            .name = animation.Name};
}

void CursorWorkdesk::ShowGroups(bool loaded) {
    m_items.clear();
    m_groupCount = 0;
    if (loaded && File()) {
        m_items = Contents().CursorGroups;
        m_groupCount = m_items.size();
        File()->Load(RecordKind::Animations);
        for (const AnimatedCursor& animation : Contents().Animations) {
            const AnimationFrame* first = FirstStepFrame(animation);
            CursorGroup item = first ? first->Images : CursorGroup{};
            item.Name = animation.Name;
            item.Named = animation.Named;
            m_items.push_back(std::move(item));
        }
    }
    Model()->SetAnimatedFrom(m_groupCount);
    GroupDesk::ShowGroups(loaded);
}

BatchResult CursorWorkdesk::SaveOne(size_t item) {
    if (const auto a = AnimationAt(item)) return SaveAnimation(Contents().Animations[*a], m_prompts);
    return GroupDesk::SaveOne(item);
}

BatchResult CursorWorkdesk::SaveAll() {
    return SaveAllDeskGroups(Contents().CursorGroups, m_flags, m_prompts, Contents().Animations);
}

CursorDeskSelection CursorWorkdesk::Selection(std::optional<size_t> item) {
    CursorDeskSelection selection;
    selection.one = item.has_value();
    const auto add = [&](size_t i) {
        if (const auto a = AnimationAt(i))
            selection.animations.push_back(&Contents().Animations[*a]);
        else
            selection.groups.push_back(&m_items[i]);
    };
    if (item)
        add(*item);
    else
        for (size_t i = 0; i < m_items.size(); ++i) add(i);
    return selection;
}

// An animated cursor travels whole, as its .ani file, with its first frame's
// largest picture.
std::optional<ImageTransfer> CursorWorkdesk::TransferOf(size_t item) {
    const auto a = AnimationAt(item);
    if (!a) return GroupDesk::TransferOf(item);
    const AnimatedCursor& animation = Contents().Animations[*a];
    SavedFile file = AnimationSaveFile(animation);
    if (file.bytes.empty()) return std::nullopt;
    return ImageTransfer{LargestPicture(m_items[item]), file.mimeType, std::move(file.bytes),
                         FromLocal(SafeBaseName(animation.Name) + file.ext)};
}

void CursorWorkdesk::ExportCursorTheme() {
    if (!File()) return;
    const std::optional<std::string> folder = m_prompts.ChooseFolder(kCursorThemeFolderTitle);
    if (!folder) return;
    const std::string name = NameBeforeFirstDot(File()->FileName());
    CursorThemeRequest request;
    request.inputs = {File()->Path()};
    request.outDir = JoinPath(*folder, SafeBaseName(name));
    request.name = name;
    ReportBatchSummary("Export as Linux cursor theme", WriteCursorTheme(request), m_prompts);
}

} // namespace gw
