#pragma once
// The Icon Workdesk: every icon group of one file, in four picture styles,
// sorted three ways, saved, extracted and converted. A thin window over the
// core in workdesks/core: it loads through OpenIconDesk, lays pictures out
// by the core's numbers and runs the core's commands.
#include <QAbstractListModel>
#include <QDialog>
#include <QPixmap>

#include <functional>
#include <optional>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "formats/FileContents.h"
#include "listing/CommonData.h"
#include "listing/ExplorerState.h"
#include "workdesks/core/IconDesk.h"

class QAction;
class QComboBox;
class QLabel;
class QListView;
class QStatusBar;
class QToolBar;
class QToolButton;
class QVBoxLayout;

namespace gw {

class Prompts;

enum class IconDeskView { Specific, Raw, Desktop, Windows };

// The groups of the open file in the list's order, with one picture each for
// the view shown, drawn when the list first asks for it.
class IconDeskModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit IconDeskModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    void SetGroups(const std::vector<TAdvIconGroupList>* groups);
    void SetView(IconDeskView view, const DeskFormat* format);
    void Sort(DeskSortMode mode, const DeskFormat* format);
    QSize PictureSize() const;
    // The group shown at a row (its index in file order); nullopt for none.
    std::optional<size_t> GroupAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QPixmap Draw(size_t group) const;

    const std::vector<TAdvIconGroupList>* m_groups = nullptr;
    std::vector<size_t> m_order;
    IconDeskView m_view = IconDeskView::Raw;
    std::optional<DeskFormat> m_format;
    TileSize m_strip;
    mutable std::vector<std::optional<QPixmap>> m_pictures; // by group, for the current view
};

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
           QWidget* parent = nullptr);

    // The Icon Manager and Icon Properties plug in here; nothing happens while empty.
    std::function<void()> openManager;
    std::function<void()> openProperties;

    IconDeskModel* Model() const { return m_model; }
    QListView* List() const { return ListView1; }
    QComboBox* Formats() const { return cbIFormat; }
    QString StatusText(int panel) const;

public slots:
    void FormShow();
    void FormClose();
    void m2ExitClick();
    void m2byNameClick();
    void m2byImageClick();
    void m2byFormatClick();
    void m2propertiesClick();
    void Help1Click();
    void cbIFormatChange();
    void sb2SpecificClick();
    void sb2RawClick();
    void sb2DeskClick();
    void sb2WinClick();
    void sb2SaveOneClick();
    void sb2SaveAllClick();
    void sb2ExtractOneClick();
    void sb2ExtractAllClick();
    void sb2ConvertOneClick();
    void sb2ConvertAllClick();
    void sb2EditClick();
    void ListView1Click();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus(QVBoxLayout* layout);
    void BuildToolBar(QVBoxLayout* layout);
    void ShowView(IconDeskView view);
    void FitGrid();
    void Resort();
    const DeskFormat* ChosenFormat() const;
    std::optional<size_t> SelectedGroup() const;
    void Report(const BatchResult& result);
    void UpdateSelectionCommands();

    CommonData& m_common;
    const ExplorerState& m_explorer;
    ActionFlags& m_flags;
    Prompts& m_prompts;
    FileContents m_contents;
    std::vector<DeskFormat> m_formats;
    DeskSortMode m_sortMode = DeskSortMode::ByName;
    IconDeskView m_view = IconDeskView::Raw;

    IconDeskModel* m_model = nullptr;
    QListView* ListView1 = nullptr;
    QComboBox* cbIFormat = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QStatusBar* StatusBar2 = nullptr;
    QLabel* m_panel0 = nullptr;
    QLabel* m_panel1 = nullptr;
    QAction* m2byName = nullptr;
    QAction* m2byImage = nullptr;
    QAction* m2byFormat = nullptr;
    QAction* m2Properties = nullptr;
    QToolButton* sb2Specific = nullptr;
    QToolButton* sb2Raw = nullptr;
    QToolButton* sb2Desk = nullptr;
    QToolButton* sb2Win = nullptr;
    std::vector<QToolButton*> m_selectionCommands; // need a selected item
};

} // namespace gw
