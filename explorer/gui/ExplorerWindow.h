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
    QFrame* progressPanel;     // Panel6: "Processing..", the entry's name and the gauge, over the list
    QFrame* waitPanel;         // Panel7: "Analizing structure..", "Please wait"
    QProgressBar* progressBar; // Gauge1
    QLabel* entryLabel;        // Label2
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
    FileListView* List() const { return m_listView; }
    ExplorerPanels Panels() const { return {m_progressPanel, m_waitPanel, m_progressBar, m_entryLabel}; }
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
    QElapsedTimer m_labelTimer; // since m_entryLabel last showed an entry
    QFileIconProvider m_iconProvider;
    QIcon m_appIcon;

    // The members are named by their role; each widget's objectName, by
    // which tests and the remembered places find it, is set where it is made.

    // Tool bar.
    QToolBar* m_toolBar = nullptr;
    QFrame* m_foldersHeader = nullptr;
    QLabel* m_foldersHeaderLabel = nullptr;
    QComboBox* m_categoryBox = nullptr;
    QToolButton* m_folderPanelButton = nullptr;
    QToolButton* m_parentFolderButton = nullptr;
    QToolButton* m_largeIconsButton = nullptr;
    QToolButton* m_smallIconsButton = nullptr;
    QToolButton* m_listButton = nullptr;
    QToolButton* m_detailsButton = nullptr;
    QToolButton* m_extractAllButton = nullptr;
    QToolButton* m_saveAllBitmapsButton = nullptr;
    QAction* m_extractAllSlot = nullptr;     // the tool bar's place of m_extractAllButton (shows and hides it)
    QAction* m_saveAllBitmapsSlot = nullptr;

    // Folder tree and file list.
    QSplitter* m_splitter = nullptr;
    QTreeView* m_folderView = nullptr;
    FolderTree* m_folders = nullptr;
    QTimer* m_fitTree = nullptr; // fits the folder column to its names, at most every quarter second
    FileListModel* m_listModel = nullptr;
    FileListView* m_listView = nullptr;

    // Status bar and progress panels.
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_hintPanel = nullptr;   // panel 0
    QLabel* m_statusPanel = nullptr; // panel 1
    QFrame* m_progressPanel = nullptr; // "Processing..", over the list during a scan
    QLabel* m_entryLabel = nullptr;    // the entry being read
    QProgressBar* m_progressBar = nullptr;
    QFrame* m_waitPanel = nullptr;     // "Analizing structure..", shown by the wizard

    // Menus.
    QMenu* m_bitmapsMenu = nullptr;
    QMenu* m_wizardMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_toolBarAction = nullptr;
    QAction* m_statusBarAction = nullptr;
    QAction* m_folderPanelAction = nullptr;
    QAction* m_largeIconsAction = nullptr;
    QAction* m_smallIconsAction = nullptr;
    QAction* m_listAction = nullptr;
    QAction* m_detailsAction = nullptr;
    QAction* m_byNameAction = nullptr;
    QAction* m_byTypeAction = nullptr;
    QAction* m_byObjectsAction = nullptr;
    QAction* m_refreshAction = nullptr;
    QAction* m_saveAllBitmapsAction = nullptr;
    QAction* m_extractAllAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_aboutAction = nullptr;
};

} // namespace gw
