#pragma once
// The owner of the program's viewer windows: the workdesks, the managers,
// their property sheets, the About box and the extraction wizard. Each is
// made the first time a window asks for it, then kept and reused; every
// window that opens another asks here with a ViewRequest, so no window
// knows another and nothing is wired by hand.
#include <QDialog>
#include <QPointer>

#include <array>
#include <memory>

#include "batch/core/ActionFlags.h"
#include "gui/ViewRequest.h"

namespace gw {

class AlreadyExistsDialog;
class ExplorerWindow;
class ExtractionWizard;
class Prompts;
class QtPrompts;
struct ExplorerState;

class ViewerWindows : public Viewers {
public:
    // Modal: every viewer runs modally (exec), as in the program. Modeless:
    // it is shown and Open returns at once, so that a test can look at it.
    enum class Showing { Modal, Modeless };
    struct Options {
        Showing showing = Showing::Modal;
        // What the windows ask and tell the user through; null: the
        // program's dialogs, made with the first window that needs them.
        Prompts* prompts = nullptr;
    };

    // Plugs into the explorer: its rows' viewers, the About box, the wizard
    // and Save All Bitmaps. The windows belong to the explorer; the owner is
    // made after it and goes first, unplugging itself.
    ViewerWindows(ExplorerWindow& explorer, ExplorerState& state, Options options);
    ViewerWindows(ExplorerWindow& explorer, ExplorerState& state) : ViewerWindows(explorer, state, Options{}) {}
    ~ViewerWindows();
    ViewerWindows(const ViewerWindows&) = delete;
    ViewerWindows& operator=(const ViewerWindows&) = delete;

    void Open(const ViewRequest& request) override;

    // The window of a viewer; null until a request first needed it.
    QDialog* Window(Viewer viewer) const { return m_windows[size_t(viewer)]; }

private:
    template <class Window, class... Args>
    Window& Made(Viewer viewer, Args&&... args);
    void Show(QDialog& window);
    Prompts& WindowPrompts();
    void OpenWorkdesk(Viewer viewer, const ViewRequest& request);
    void OpenManager(const ViewRequest& request);
    void OpenSheet(const ViewRequest& request);
    void ExtractAll();
    void SaveAllBitmaps();

    ExplorerWindow& m_explorer;
    ExplorerState& m_state;
    Options m_options;
    // The existing-file flags every batch command shares, at their start values.
    ActionFlags m_flags;
    // The "Already exists" dialog and the prompts it answers, made with the
    // first window that needs them unless the options bring prompts.
    QPointer<AlreadyExistsDialog> m_existing;
    std::unique_ptr<QtPrompts> m_dialogPrompts;
    std::array<QPointer<QDialog>, size_t(Viewer::AboutBox) + 1> m_windows;
    QPointer<ExtractionWizard> m_wizard;
};

} // namespace gw
