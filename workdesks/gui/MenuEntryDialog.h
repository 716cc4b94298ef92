#pragma once
// "Add to Applications Menu...": the menu entry desktop-entry would make for
// the open program (batch/core/DesktopEntry), shown before anything is
// written: its name, its command and categories to edit, the icon sizes to
// keep; Add writes them into the user's data folder.
#include <QDialog>

#include <string>

#include "batch/core/DesktopEntry.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace gw {

class MenuEntryDialog : public QDialog {
public:
    // program: the file; dataDir: where the entry goes (the user's data
    // folder). When the program cannot have an entry, Error() says why.
    MenuEntryDialog(const std::string& program, const std::string& dataDir, QWidget* parent = nullptr);

    std::string Error() const { return Said(m_plan.error); }
    // The plan Add writes: the fields as edited, the unchecked sizes left out.
    DesktopEntryPlan EditedPlan() const;
    // Writes the edited plan and tells the desktop; "" or why it failed.
    std::string Add();

private:
    // A plan's error with the program it is about: "\"game.exe\": holds no ..."; "" for none.
    std::string Said(const std::string& error) const;

    std::string m_program;
    std::string m_dataDir;
    DesktopEntryPlan m_plan;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_exec = nullptr;
    QLineEdit* m_categories = nullptr;
    std::vector<std::pair<int, QCheckBox*>> m_sizes;
};

} // namespace gw
