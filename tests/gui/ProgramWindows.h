#pragma once
// The explorer and the program's owner of its viewer windows, which show
// their windows rather than run them modally and answer through scripted
// prompts, so that a test can act as a user does and look at each window.
#include <gtest/gtest.h>

#include <QComboBox>

#include <string>

#include "batch/core/ScriptedPrompts.h"
#include "explorer/gui/ExplorerWindow.h"
#include "explorer/gui/FileList.h"
#include "listing/ExplorerState.h"
#include "program/ViewerWindows.h"
#include "tests/gui/GuiTestApp.h"

namespace gw::test {

struct ProgramWindows {
    QApplication& app = GuiTestApp();
    ExplorerState state;
    ExplorerWindow explorer{state};
    ScriptedPrompts prompts;
    ViewerWindows viewers{explorer, state, {.showing = ViewerWindows::Showing::Modeless, .prompts = &prompts}};

    ProgramWindows() { explorer.show(); }

    // The window of a viewer; null until a row or a window asked for it.
    template <class Window>
    Window* Made(Viewer viewer) const {
        return static_cast<Window*>(viewers.Window(viewer));
    }

    // Lists the folder in a category and double-clicks a row, as a user does.
    void DoubleClick(const std::string& folder, const char* category, const std::string& caption) {
        auto* combo = explorer.findChild<QComboBox*>("ComboBox1");
        combo->setCurrentIndex(combo->findText(category));
        explorer.SelectFolder(QString::fromStdString(folder));
        for (int row = 0; row < explorer.ListModel()->rowCount(); ++row) {
            if (explorer.ListModel()->RowAt(row)->caption != caption) continue;
            explorer.List()->SelectRow(row);
            explorer.SelectClickedRow();
            explorer.OpenSelectedRow();
            return;
        }
        ADD_FAILURE() << caption << " is not listed under " << category;
    }
};

} // namespace gw::test
