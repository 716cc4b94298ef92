#pragma once
// The explorer window: the folder tree, the "Display:" category box, the
// file list of the selected folder, and the commands that open a listed
// file in its viewer.
#include <QFileIconProvider>
#include <QElapsedTimer>
#include <QIcon>
#include <QMainWindow>

#include <functional>
#include <map>

#include "listing/Categories.h"
#include "listing/ExplorerState.h"
#include "explorer/core/ListRules.h"
#include "gui/ViewRequest.h"

class QAction;
class QActionGroup;
class QComboBox;
class QTimer;
class QFrame;
class QLabel;
class QMenu;
class QModelIndex;
class QProgressBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeView;

class QMimeData;

namespace gw {

class Document;

class FileListModel;
class FolderTree;
class FileListView;
struct RowPicture;
enum class ViewStyle;

// The explorer's progress panels, which the extraction wizard drives too.
struct ExplorerPanels {
    QFrame* panel6;       // "Processing..", Label2 and Gauge1, over the list
    QFrame* panel7;       // "Analizing structure..", "Please wait"
    QProgressBar* gauge1;
    QLabel* label2;
};

// Where the program plugs into the explorer. Each command does nothing
// while its entry is empty.
struct ExplorerLinks {
    // Opens the viewer a row names on the row's file (the Managers of image
    // files, the Workdesks of containers) and the About box, modally.
    Viewers* viewers = nullptr;
    std::function<void()> extractAll;     // the extraction wizard (sbWizard, "&Wizard" / "&Extract All")
    std::function<void()> saveAllBitmaps; // sbAllBits, "&Bitmaps" / "&Save all Bitmaps"
};

class ExplorerWindow : public QMainWindow {
    Q_OBJECT
public:
    ExplorerWindow(ExplorerState& state, QWidget* parent = nullptr);
    ~ExplorerWindow() override;

    ExplorerLinks& Links() { return m_links; }

    // Moves the folder tree to a folder, which scans it as any change of the
    // tree's folder does. False when the tree does not show that folder.
    bool SelectFolder(const QString& path);
    // The program's PATH argument: a folder is selected in the tree; a file's
    // folder is listed in the category that shows it, the file's row is
    // selected and, once the window shows, opened as a double-click would.
    // False when the path does not exist. The path is in the file system's
    // bytes, so that a name that is not UTF-8 still opens.
    bool OpenPath(const std::string& path);
    // The places and views the user left at the last run: size, position,
    // splitter, category, view and sort (before the first scan), and the
    // folder to start in (empty when none is remembered or it is gone).
    void RestorePlaces();
    QString RememberedFolder() const;
    void RememberPlaces() const;
    void ScrollTreeToCurrent();
    bool SelectTreeRow(const QModelIndex& index); // false for an invalid row

    bool IsScanning() const { return m_scanning; }
    FileListModel* ListModel() const { return m_listModel; }
    FileListView* List() const { return ListView; }
    ExplorerPanels Panels() const { return {Panel6, Panel7, Gauge1, Label2}; }
    QString StatusText() const;     // status panel 1
    QString HintText() const;       // status panel 0

public slots:
    void ChangeCategory();
    void ChangeFolder();
    void ShowFolderSummary();
    void FitStatusToFolders();
    void FitStatusToWidth(int treeWidth);
    void ShowOtherCategoryHint(Category shown);
    void ShowCategoryOfHint(const QString& link);
    void GoUpFolder();
    void ExitProgram();
    void ToggleToolBar();
    void ToggleStatusBar();
    void ToggleFolderPanel();
    void ShowLargeIcons();
    void ShowSmallIcons();
    void ShowList();
    void ShowDetails();
    void ShowHelp();
    void ShowAbout();
    void SortByColumn(int column);
    void FitListToWindow();
    void SelectClickedRow();
    void OpenSelectedRow();
    void SortByName();
    void SortByType();
    void SortByObjects();
    void Refresh();
    void ExtractAll();
    void SaveAllBitmaps();
    void ChooseFileToOpen();
    void AskForLocation();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SetStartState();
    void BuildMenus();
    void BuildToolBar();
    void BuildBody();
    void BuildStatusBar();
    void BuildProgressPanels();
    void ConnectHandlers();
    int WidestToolBar();

    void HideFolderCommands();
    void DispatchCategory();
    void Scan(Category category);
    bool ScanStep(const std::string& lowerName, int percent);
    void ShowWizardCommands(bool visible);
    void ShowAllBitsCommands(bool visible);
    void ApplyViewStyle(ViewStyle style);
    void ShowFolderPanel(bool visible);
    void SortList();
    void SetStatus(const QString& text);
    void SetStatus(const std::string& text);
    void PlacePanelsOverList();
    void OpenViewer(OpenTarget target, const std::string& path);
    void SayNotShown(const Document& file);
    void SayNoSuchPath(const QString& path);
    static std::string DroppedPath(const QMimeData* data);
    QIcon PictureOf(const RowPicture& picture) const;

    ExplorerState& m_state;
    ExplorerLinks m_links;
    bool m_scanning = false;
    int m_toolBarBesideHeader = 0; // the widest tool bar's width beside the "All Folders" header
    bool m_changePending = false; // a folder or category change arrived during a scan
    bool m_closing = false;
    QElapsedTimer m_labelTimer; // since Label2 last showed an entry
    QFileIconProvider m_iconProvider;
    QIcon m_appIcon;

    // Tool bar.
    QToolBar* ToolBar1 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Panel5 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* sbTree1 = nullptr;
    QToolButton* sbUpDir1 = nullptr;
    QToolButton* sbLarge1 = nullptr;
    QToolButton* sbSmall1 = nullptr;
    QToolButton* sbList1 = nullptr;
    QToolButton* sbDetails1 = nullptr;
    QToolButton* sbWizard = nullptr;
    QToolButton* sbAllBits = nullptr;
    QAction* m_sbWizardSlot = nullptr;  // the tool bar's place of sbWizard (shows and hides it)
    QAction* m_sbAllBitsSlot = nullptr;

    // Folder tree and file list.
    QSplitter* Splitter1 = nullptr;
    QTreeView* DTree1 = nullptr;
    FolderTree* m_folders = nullptr;
    QTimer* m_fitTree = nullptr; // fits the folder column to its names, at most every quarter second
    FileListModel* m_listModel = nullptr;
    FileListView* ListView = nullptr;

    // Status bar and progress panels.
    QStatusBar* StatusBar1 = nullptr;
    QLabel* m_hintPanel = nullptr;   // panel 0
    QLabel* m_statusPanel = nullptr; // panel 1
    QFrame* Panel6 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QFrame* Panel7 = nullptr;

    // Menus.
    QMenu* Bitmaps1 = nullptr;
    QMenu* Wizard1 = nullptr;
    QAction* m1Open = nullptr;
    QAction* m1Exit = nullptr;
    QAction* mTB1 = nullptr;
    QAction* mSB1 = nullptr;
    QAction* m1FPanel = nullptr;
    QAction* m1Large = nullptr;
    QAction* m1Small = nullptr;
    QAction* m1List = nullptr;
    QAction* m1Details = nullptr;
    QAction* byName1 = nullptr;
    QAction* byType1 = nullptr;
    QAction* byObject1 = nullptr;
    QAction* Refresh1 = nullptr;
    QAction* mSallBits = nullptr;
    QAction* mWizard = nullptr;
    QAction* Help2 = nullptr;
    QAction* AboutGrabwell1 = nullptr;
};

} // namespace gw
