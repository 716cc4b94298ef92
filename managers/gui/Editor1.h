#pragma once
// The Icon Manager: the images of one icon group, one row each, with its
// commands to save or export the selected image or all of them.
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
class IconRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void SetGroup(const TAdvIconGroupList* group, ManagerMode mode);
    const TAdvIconGroupList* Group() const { return m_group; }
    ManagerMode Mode() const { return m_mode; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const TAdvIconGroupList* m_group = nullptr;
    ManagerMode m_mode = ManagerMode::File;
};

class TForm4 : public QDialog {
public:
    TForm4(CommonData& common, ActionFlags& flags, Prompts& prompts, QWidget* parent = nullptr);

    // The workdesk's groups the manager shows one of (IconGroupIndex); null:
    // the manager loads the selected icon file itself.
    void SetWorkdeskGroups(const std::vector<TAdvIconGroupList>* groups) { m_deskGroups = groups; }
    // The groups the manager shows now (for Icon Properties).
    const std::vector<TAdvIconGroupList>* Groups() const;

    // Icon Properties plugs in here; nothing happens while empty.
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
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const TAdvIconGroupList* Group() const;
    const TAdvIconImage* SelectedImage() const;
    GroupSelection<TAdvIconGroupList> AllImages() const;

    CommonData& m_common;
    ActionFlags& m_flags;
    Prompts& m_prompts;
    const std::vector<TAdvIconGroupList>* m_deskGroups = nullptr;
    FileContents m_contents; // file mode
    ManagerLayout m_layout;
    IconRowsModel* m_model;
    QListView* m_list;
    QLabel* m_panel0;
    QLabel* m_panel1;
};

} // namespace gw
