#pragma once
// What the Icon and Cursor Managers share: the images of one group, one row
// each, painted by one view, with the commands to save or export the
// selected image or all of them and the hook for the property sheet.
#include <QAbstractListModel>
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/GroupCommands.h"
#include "formats/FileContents.h"
#include "gui/DamageReport.h"
#include "gui/ImageTransfer.h"
#include "gui/ViewRequest.h"
#include "gui/WindowPlaces.h"
#include "managers/core/IconManager.h"

class QLabel;
class QListView;
class QMenu;

namespace gw {

class Prompts;

// What tells the Icon Manager from the Cursor Manager.
struct ManagerDesign {
    const char* objectName = nullptr;   // "Form4", "Form9"
    const char* buttonPrefix = nullptr; // "bIc", "bCu": bIcSaveOne, ...
    const char* placesRole = nullptr;   // "IconManager": its size in the settings
    Viewer sheet = Viewer::IconSheet;   // the property sheet of an image
};

// The rows of the manager's group: one per image, painted by one view.
template <class Group>
class GroupRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void SetGroup(const Group* group, ManagerMode mode);
    const Group* CurrentGroup() const { return m_group; }
    ManagerMode Mode() const { return m_mode; }
    int rowCount(const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
    }
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

    // Opens the manager on a plain icon or cursor file, which it reads
    // itself. False, having said why, when nothing of the file can be shown;
    // the caller shows the manager otherwise.
    bool OpenFile(const std::string& path);
    // Opens the manager on one group of a file a workdesk has open.
    void OpenWorkdeskGroup(std::shared_ptr<Document> file, size_t group);

    QListView* List() const { return m_list; }
    QString StatusText(int panel) const;
    const DamageIndicator* Damage() const { return m_damage; }
    const ManagerLayout& Layout() const { return m_layout; }
    const Group* CurrentGroup() const;
    int SelectedImageIndex() const { return m_image; }

    void SelectImage(int j);
    void ShowProperties();
    void SaveSelectedImage();
    void SaveAllImages();
    void ExportSelectedAsBitmap();
    void ExportAllAsBitmaps();
    void CopySelectedImage();
    void reject() override;

protected:
    // viewers: where the property sheet is asked for; null opens none.
    GroupManager(const ManagerDesign& design, ActionFlags& flags, Prompts& prompts, Viewers* viewers,
                 QWidget* parent);
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Where a manager that shows images other than one group of its file
    // (the Cursor Manager's animated cursors) plugs in. By default: the
    // group of the file, its images in the form the mode gives, all of them
    // as the selection of the "All" commands, the request as it is.
    virtual const Group* ShownGroup() const;
    // Where the images' bytes came from (cursors of a file lack the prefix).
    virtual CursorDataForm DataForm() const;
    virtual GroupSelection<Group> AllImages() const;
    // What the property sheet is asked to show: the selected image of the
    // shown group of the file.
    virtual ViewRequest SheetViewRequest() const;
    // Called when the manager lets its file go.
    virtual void Released() {}
    // The key its size is remembered under: one per kind of content, since
    // the Cursor Manager is taller while it plays an animation.
    virtual PlacesKey Places() const { return {m_design.placesRole, objectName()}; }

    // Shows the one group of a plain icon or cursor file; false, having
    // said why, when there is nothing to show.
    bool OpenGroupFile(std::shared_ptr<Document> file);
    // Shows ShownGroup() of the file, its images named after name.
    void ShowFile(std::shared_ptr<Document> file, std::string name, ManagerMode mode);
    // Shows the rows of ShownGroup() again after it changed, named after
    // name, with the same row selected while there is one.
    void ShowRows(std::string name);
    void Release();
    void ShowUnreadable(const Document& file, const std::string& holdsNothing);
    void InsertAboveList(QWidget* widget);
    QMenu* ExtractMenu() const { return m_extractMenu; }
    const std::shared_ptr<Document>& File() const { return m_file; }

    ActionFlags& m_flags;
    Prompts& m_prompts;
    const ManagerDesign m_design;

private:
    void ShowGroup(ManagerMode mode);
    void FillRows(ManagerMode mode, int selected);
    const Image* SelectedImage() const;
    std::string SelectedBase() const;
    std::optional<ImageTransfer> TransferOf(int row) const;

    Viewers* m_viewers;
    std::shared_ptr<Document> m_file;
    size_t m_group = 0;
    int m_image = 0;
    std::string m_name;     // the group's name: the images are named after it
    std::string m_fileName; // the file's name as the status bar shows it
    ManagerLayout m_layout;
    int m_labelTextWidth = 0; // the widest row label's text: every row's label box is as wide
    GroupRowsModel<Group>* m_model;
    DragListView* m_list;
    QLabel* m_panel0;
    QLabel* m_panel1;
    DamageIndicator* m_damage;
    QMenu* m_extractMenu;
};

} // namespace gw
