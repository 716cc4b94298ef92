#include "program/ViewerWindows.h"

#include "batch/gui/AlreadyExistsDialog.h"
#include "batch/gui/ExtractionWizard.h"
#include "batch/gui/QtPrompts.h"
#include "explorer/gui/ExplorerCommands.h"
#include "explorer/gui/ExplorerWindow.h"
#include "explorer/gui/FileList.h"
#include "gui/AboutBox.h"
#include "managers/gui/BitmapGlyphManager.h"
#include "managers/gui/BitmapPropertiesSheet.h"
#include "managers/gui/CursorManager.h"
#include "managers/gui/CursorPropertiesSheet.h"
#include "managers/gui/IconManager.h"
#include "managers/gui/IconPropertiesSheet.h"
#include "workdesks/gui/BitmapWorkdesk.h"
#include "workdesks/gui/CursorWorkdesk.h"
#include "workdesks/gui/IconWorkdesk.h"

namespace gw {

ViewerWindows::ViewerWindows(ExplorerWindow& explorer, ExplorerState& state, Options options)
    : m_explorer(explorer), m_state(state), m_options(options) {
    explorer.Links() = {.viewers = this,
                        .extractAll = [this] { ExtractAll(); },
                        .saveAllBitmaps = [this] { SaveAllBitmaps(); }};
}

// The explorer outlives the owner: it is unplugged, and the windows that use
// the owner's flags and prompts go before them.
ViewerWindows::~ViewerWindows() {
    m_explorer.Links() = {};
    for (QPointer<QDialog>& window : m_windows) delete window.data();
    delete m_wizard.data();
    m_dialogPrompts.reset();
    delete m_existing.data();
}

template <class Window, class... Args>
Window& ViewerWindows::Made(Viewer viewer, Args&&... args) {
    QPointer<QDialog>& window = m_windows[size_t(viewer)];
    if (!window) window = new Window(std::forward<Args>(args)..., &m_explorer);
    return static_cast<Window&>(*window);
}

Prompts& ViewerWindows::WindowPrompts() {
    if (m_options.prompts) return *m_options.prompts;
    if (!m_dialogPrompts) {
        m_existing = new AlreadyExistsDialog(&m_explorer);
        m_dialogPrompts = std::make_unique<QtPrompts>(&m_explorer, *m_existing);
    }
    return *m_dialogPrompts;
}

void ViewerWindows::Show(QDialog& window) {
    if (m_options.showing == Showing::Modal)
        window.exec();
    else
        window.show();
}

void ViewerWindows::Open(const ViewRequest& request) {
    switch (request.target) {
    case Viewer::IconWorkdesk:
    case Viewer::CursorWorkdesk:
    case Viewer::BitmapWorkdesk: return OpenWorkdesk(request.target, request);
    case Viewer::IconManager:
    case Viewer::CursorManager:
    case Viewer::BitmapManager: return OpenManager(request);
    case Viewer::IconSheet:
    case Viewer::CursorSheet:
    case Viewer::BitmapSheet: return OpenSheet(request);
    case Viewer::AboutBox: return Show(Made<AboutBox>(Viewer::AboutBox));
    }
}

// A workdesk opens a file by its path and shows only when it holds
// something to show (it has said why otherwise).
void ViewerWindows::OpenWorkdesk(Viewer viewer, const ViewRequest& request) {
    DeskWindow* desk = nullptr;
    if (viewer == Viewer::IconWorkdesk)
        desk = &Made<IconWorkdesk>(viewer, m_flags, WindowPrompts(), this);
    else if (viewer == Viewer::CursorWorkdesk)
        desk = &Made<CursorWorkdesk>(viewer, m_flags, WindowPrompts(), this);
    else
        desk = &Made<BitmapWorkdesk>(viewer, m_flags, WindowPrompts(), this);
    if (desk->Open(request.path)) Show(*desk);
}

// A manager opens on a file of its own by its path, or on the item of the
// file a workdesk has open: an icon or cursor group, an animated cursor
// (which plays) or a bitmap.
void ViewerWindows::OpenManager(const ViewRequest& request) {
    const bool own = !request.file;
    switch (request.target) {
    case Viewer::IconManager: {
        IconManager& manager = Made<IconManager>(request.target, m_flags, WindowPrompts(), this);
        if (own && !manager.OpenFile(request.path)) return;
        if (!own) manager.OpenWorkdeskGroup(request.file, request.item);
        return Show(manager);
    }
    case Viewer::CursorManager: {
        CursorManager& manager = Made<CursorManager>(request.target, m_flags, WindowPrompts(), this);
        if (own && !manager.OpenFile(request.path)) return;
        if (!own && request.shown == Shown::Animation)
            manager.OpenWorkdeskAnimation(request.file, request.item);
        else if (!own)
            manager.OpenWorkdeskGroup(request.file, request.item);
        return Show(manager);
    }
    default: {
        BitmapGlyphManager& manager = Made<BitmapGlyphManager>(request.target, WindowPrompts(), this);
        if (own && !manager.OpenFile(request.path)) return;
        if (!own)
            manager.OpenWorkdeskBitmap(request.file, request.item, request.bitmapRow.value_or(WorkdeskBitmapView()));
        return Show(manager);
    }
    }
}

// A sheet shows what the request names; an icon or cursor sheet whose group
// is not in the file does not open.
void ViewerWindows::OpenSheet(const ViewRequest& request) {
    switch (request.target) {
    case Viewer::IconSheet: {
        const SheetRequest<IconGroup> shown = SheetRequestFor<IconGroup>(request);
        if (!shown.group) return;
        IconPropertiesSheet& sheet = Made<IconPropertiesSheet>(request.target);
        sheet.Open(shown);
        return Show(sheet);
    }
    case Viewer::CursorSheet: {
        const SheetRequest<CursorGroup> shown = SheetRequestFor<CursorGroup>(request);
        if (!shown.group) return;
        CursorPropertiesSheet& sheet = Made<CursorPropertiesSheet>(request.target);
        sheet.Open(shown);
        return Show(sheet);
    }
    default: {
        BitmapPropertiesSheet& sheet = Made<BitmapPropertiesSheet>(request.target);
        sheet.Open(BitmapSheetRequestFor(request));
        return Show(sheet);
    }
    }
}

void ViewerWindows::ExtractAll() {
    if (!m_wizard) m_wizard = new ExtractionWizard(WindowPrompts(), m_state.TempDir, &m_explorer);
    const ExplorerPanels p = m_explorer.Panels();
    PanelProgress progress(p.progressPanel, p.waitPanel, p.progressBar, p.entryLabel);
    RunExtractAll(*m_wizard, m_state, m_explorer.ListModel()->Rows(), m_flags, progress);
}

void ViewerWindows::SaveAllBitmaps() {
    SaveAllListedBitmaps(m_state, m_explorer.ListModel()->Rows(), m_flags, WindowPrompts());
}

} // namespace gw
