#pragma once
// What the Icon and Cursor Managers share: the images of one group, one row
// each, painted by one view, with the commands to save or export the
// selected image or all of them and the hook for the property sheet.
#include <QAbstractListModel>
#include <QDialog>

#include <functional>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/GroupCommands.h"
#include "formats/FileContents.h"
#include "managers/core/IconManager.h"

class QLabel;
class QListView;

namespace gw {

class Prompts;
struct CommonData;

// The rows of the manager's group: one per image, painted by one view.
template <class Group>
class GroupRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void SetGroup(const Group* group, ManagerMode mode);
    const Group* CurrentGroup() const { return m_group; }
    ManagerMode Mode() const { return m_mode; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const Group* m_group = nullptr;
    ManagerMode m_mode = ManagerMode::File;
};

template <class Group>
class GroupManager : public QDialog {
public:
    using Kind = ManagerKind<Group>;
    using Image = typename Kind::Image;

    // The workdesk's groups the manager shows one of; null: the manager
    // loads the selected file itself.
    void SetWorkdeskGroups(const std::vector<Group>* groups) { m_deskGroups = groups; }
    // The groups the manager shows now (for the property sheet).
    const std::vector<Group>* Groups() const;

    // The property sheet plugs in here; nothing happens while empty.
    std::function<void()> openProperties;

    QListView* List() const { return m_list; }
    QString StatusText(int panel) const;
    const ManagerLayout& Layout() const { return m_layout; }

    void FormShow();
    void FormClose();
    void SelectImage(int j);
    void PropertiesClick();
    void SaveOneClick();
    void SaveAllClick();
    void ConvertOneClick();
    void ConvertAllClick();
    void reject() override;

protected:
    // objectName "Form4", "Form9"; buttonPrefix "bIc", "bCu".
    GroupManager(const char* objectName, const char* buttonPrefix, CommonData& common, ActionFlags& flags,
                 Prompts& prompts, QWidget* parent);
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SayUnreadable(const std::string& why);
    const Group* CurrentGroup() const;
    const Image* SelectedImage() const;
    GroupSelection<Group> AllImages() const;
    // Where the images' bytes came from (cursors of a file lack the prefix).
    CursorDataForm DataForm() const;
    std::string SelectedBase() const;

    CommonData& m_common;
    ActionFlags& m_flags;
    Prompts& m_prompts;
    const std::vector<Group>* m_deskGroups = nullptr;
    FileContents m_contents; // file mode
    ManagerLayout m_layout;
    GroupRowsModel<Group>* m_model;
    QListView* m_list;
    QLabel* m_panel0;
    QLabel* m_panel1;
};

} // namespace gw
