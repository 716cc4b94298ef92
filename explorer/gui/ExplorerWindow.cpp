#include "explorer/gui/ExplorerWindow.h"

#include <filesystem>

#include <QFileInfo>
#include <memory>

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>
#include <QRegularExpression>
#include <QMimeData>
#include <QInputDialog>
#include <QFileDialog>
#include <QDropEvent>
#include <QDragEnterEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <optional>

#include "explorer/core/ListRules.h"
#include "explorer/core/RowPictures.h"
#include "formats/FileContents.h"
#include "formats/Document.h"
#include "listing/Scanners.h"
#include "explorer/gui/FileList.h"
#include "explorer/gui/FolderTree.h"
#include "gui/BusyCursor.h"
#include "gui/DamageReport.h"
#include "gui/Help.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "gui/ToolIcons.h"
#include "gui/ElidedLabel.h"
#include "gui/LocationDialog.h"
#include "gui/WindowPlaces.h"
#include "platform/Paths.h"

namespace gw {
namespace {

constexpr int kFormWidth = 628;
constexpr int kFormHeight = 430;
constexpr int kTreeWidth = 180;
// A first window gives the folder tree this share of its width (at least
// kTreeWidth), so that names a few folders deep show whole.
constexpr double kTreeShare = 1.0 / 3;
constexpr int kTreeFitDelayMs = 250; // how soon the folder column fits new names
constexpr int kHintPanelWidth = 160;
const QSize kProgressPanelSize(270, 96);
constexpr qint64 kLabelRefreshMs = 15;
constexpr int kToolGlyphSize = 16;

// The explorer's tool buttons keep 16-pixel glyphs whatever the style's size.
QToolButton* ExplorerButton(const char* name, ToolGlyph glyph, const QString& hint, bool checkable) {
    return SpeedButton(name, glyph, hint, checkable, kToolGlyphSize);
}

QAction* MenuItem(QMenu* menu, const char* name, const QString& caption, const QString& hint = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setStatusTip(hint);
    return action;
}

} // namespace

ExplorerWindow::ExplorerWindow(ExplorerState& state, QWidget* parent)
    : QMainWindow(parent), m_state(state) {
    setObjectName("Form1");
    setWindowTitle("Grabwell Explorer");
    m_appIcon = AppIcon();
    setWindowIcon(m_appIcon);

    BuildMenus();
    BuildToolBar();
    BuildBody();
    BuildStatusBar();
    BuildProgressPanels();
    SetStartState();
    setAcceptDrops(true);
    ConnectHandlers();

    // A first start fills a sensible share of the screen, in the designed
    // proportions; later starts take the remembered size (RestorePlaces).
    const int widestToolBar = WidestToolBar();
    m_toolBarBesideHeader = widestToolBar - m_foldersHeader->width();
    const QSize designed(std::max(kFormWidth, widestToolBar), kFormHeight);
    QScreen* screen = QGuiApplication::primaryScreen();
    resize(screen ? FirstStartSize(designed, screen->availableGeometry().size()) : designed);
    if (screen) move(screen->availableGeometry().center() - rect().center());
    const int tree = std::max(kTreeWidth, int(width() * kTreeShare));
    m_splitter->setSizes({tree, width() - tree});
    FitStatusToWidth(tree);
}

ExplorerWindow::~ExplorerWindow() = default;

// ---- construction ----

void ExplorerWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    m_openAction = MenuItem(file, "m1Open", "&Open", "Open Selected Icon File");
    m_openAction->setEnabled(false);
    m_openAction->setShortcutContext(Qt::WidgetShortcut); // Enter on the list opens the current row
    QAction* openFile = MenuItem(file, "OpenFile", "Open &File...", "Open a file or folder by its name");
    openFile->setShortcut(QKeySequence::Open);
    connect(openFile, &QAction::triggered, this, &ExplorerWindow::ChooseFileToOpen);
    QAction* location = MenuItem(file, "GoToLocation", "Go to &Location...", "Type the path of a folder or file");
    location->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(location, &QAction::triggered, this, &ExplorerWindow::AskForLocation);
    file->addSeparator();
    m_exitAction = MenuItem(file, "m1Exit", "&Exit", "Exit Program");
    m_exitAction->setShortcut(QKeySequence::Quit);

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    m_toolBarAction = MenuItem(view, "mTB1", "&Toolbar", "Show/Hide Toolbar");
    m_statusBarAction = MenuItem(view, "mSB1", "Status &Bar", "Show/Hide Status Bar");
    m_folderPanelAction = MenuItem(view, "m1FPanel", "&Folder Panel", "Show/Hide Folder Panel");
    for (QAction* toggle : {m_toolBarAction, m_statusBarAction, m_folderPanelAction}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    view->addSeparator();
    m_largeIconsAction = MenuItem(view, "m1Large", "&Large Icons", "Large Icons");
    m_smallIconsAction = MenuItem(view, "m1Small", "&Small Icons", "Small Icons");
    m_listAction = MenuItem(view, "m1List", "&List", "List");
    m_detailsAction = MenuItem(view, "m1Details", "&Details", "Details");
    auto* styles = new QActionGroup(this);
    for (QAction* style : {m_largeIconsAction, m_smallIconsAction, m_listAction, m_detailsAction}) {
        style->setCheckable(true);
        styles->addAction(style);
    }
    m_detailsAction->setChecked(true);
    view->addSeparator();
    QMenu* arrange = view->addMenu("&Arrange Icons");
    arrange->setObjectName("ArrangeIcons1");
    m_byNameAction = MenuItem(arrange, "byName1", "by &Name");
    m_byTypeAction = MenuItem(arrange, "byType1", "by &Type");
    m_byObjectsAction = MenuItem(arrange, "byObject1", "by &Object");
    m_refreshAction = MenuItem(view, "Refresh1", "&Refresh");
    m_refreshAction->setShortcut(QKeySequence::Refresh);

    m_bitmapsMenu = menuBar()->addMenu("&Bitmaps");
    m_bitmapsMenu->setObjectName("Bitmaps1");
    m_saveAllBitmapsAction = MenuItem(m_bitmapsMenu, "mSallBits", "&Save all Bitmaps", "Save all Bitmaps");
    m_bitmapsMenu->menuAction()->setVisible(false);

    m_wizardMenu = menuBar()->addMenu("&Wizard");
    m_wizardMenu->setObjectName("Wizard1");
    m_extractAllAction = MenuItem(m_wizardMenu, "mWizard", "&Extract All");
    m_wizardMenu->menuAction()->setVisible(false);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    m_helpAction = MenuItem(help, "Help2", "&Help");
    m_helpAction->setShortcut(QKeySequence::HelpContents);
    m_aboutAction = MenuItem(help, "AboutGrabwell1", "&About Grabwell ..");
}

// The window starts wide enough for the whole tool bar, the commands that
// some categories show included, with this platform's fonts.
int ExplorerWindow::WidestToolBar() {
    ShowWizardCommands(true);
    ShowAllBitsCommands(true);
    const int width = m_toolBar->sizeHint().width() + 2 * m_toolBar->contentsMargins().left();
    ShowWizardCommands(false);
    ShowAllBitsCommands(false);
    return width;
}

void ExplorerWindow::BuildToolBar() {
    m_toolBar = new QToolBar("Toolbar", this);
    m_toolBar->setObjectName("ToolBar1");
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->toggleViewAction()->setVisible(false);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    // "All Folders" heads the folder tree, as wide as the tree.
    m_foldersHeader = new QFrame;
    m_foldersHeader->setObjectName("Panel3");
    m_foldersHeader->setFrameShape(QFrame::StyledPanel);
    m_foldersHeader->setFrameShadow(QFrame::Sunken);
    m_foldersHeader->setFixedWidth(kTreeWidth);
    m_foldersHeaderLabel = new QLabel("All Folders", m_foldersHeader);
    m_foldersHeaderLabel->setObjectName("Panel5");
    auto* headerLayout = new QHBoxLayout(m_foldersHeader);
    headerLayout->setContentsMargins(6, 2, 6, 2);
    headerLayout->addWidget(m_foldersHeaderLabel);
    m_toolBar->addWidget(m_foldersHeader);
    m_toolBar->addSeparator();

    auto* display = new QLabel("Display:");
    display->setObjectName("DisplayLabel");
    display->setContentsMargins(4, 0, 4, 0);
    m_toolBar->addWidget(display);
    m_categoryBox = new QComboBox;
    m_categoryBox->setObjectName("ComboBox1");
    m_categoryBox->setToolTip("Choose Type of Files");
    m_categoryBox->setStatusTip("Choose Type of Files");
    m_categoryBox->setEditable(false);
    m_categoryBox->setMaxVisibleItems(9);
    m_categoryBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const Category category : Categories()) m_categoryBox->addItem(CategoryName(category), int(category));
    m_toolBar->addWidget(m_categoryBox);
    m_toolBar->addSeparator();

    m_folderPanelButton = ExplorerButton("sbTree1", ToolGlyph::FolderPanel, "Show/Hide Folder Panel", true);
    m_folderPanelButton->setChecked(true);
    m_parentFolderButton = ExplorerButton("sbUpDir1", ToolGlyph::ParentFolder, "Parent Folder", false);
    m_parentFolderButton->setEnabled(false);
    m_toolBar->addWidget(m_folderPanelButton);
    m_toolBar->addWidget(m_parentFolderButton);
    m_toolBar->addSeparator();

    m_largeIconsButton = ExplorerButton("sbLarge1", ToolGlyph::LargeIcons, "Large Icons", true);
    m_smallIconsButton = ExplorerButton("sbSmall1", ToolGlyph::SmallIcons, "Small Icons", true);
    m_listButton = ExplorerButton("sbList1", ToolGlyph::List, "List", true);
    m_detailsButton = ExplorerButton("sbDetails1", ToolGlyph::Details, "Details", true);
    auto* styles = new QButtonGroup(this);
    styles->setExclusive(true);
    for (QToolButton* button : {m_largeIconsButton, m_smallIconsButton, m_listButton, m_detailsButton}) {
        styles->addButton(button);
        m_toolBar->addWidget(button);
    }
    m_detailsButton->setChecked(true);

    m_extractAllButton = ExplorerButton("sbWizard", ToolGlyph::ExtractAll, "Extract All", false);
    m_saveAllBitmapsButton =
        ExplorerButton("sbAllBits", ToolGlyph::SaveAllBitmaps, "Save all Bitmaps of\nSelected Directory", false);
    m_extractAllSlot = m_toolBar->addWidget(m_extractAllButton);
    m_saveAllBitmapsSlot = m_toolBar->addWidget(m_saveAllBitmapsButton);
    m_extractAllSlot->setVisible(false);
    m_saveAllBitmapsSlot->setVisible(false);
}

void ExplorerWindow::BuildBody() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName("Splitter1");
    m_splitter->setChildrenCollapsible(false);

    m_folders = new FolderTree(this); // objectName "DTree1Model"

    m_folderView = new QTreeView(m_splitter);
    m_folderView->setObjectName("DTree1");
    m_folderView->setModel(m_folders);
    m_folders->FollowView(m_folderView);
    m_folderView->setHeaderHidden(true);
    m_folderView->setUniformRowHeights(true);
    m_folderView->setAnimated(false);
    m_folderView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_folderView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_folderView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The column fits the widest folder name shown (a horizontal scroll bar
    // then reaches deep folders), measured at most a few times a second: the
    // rows of a folder other programs keep changing may come and go every
    // second, and measuring every row each time would keep the window busy.
    m_folderView->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_fitTree = new QTimer(this);
    m_fitTree->setSingleShot(true);
    m_fitTree->setInterval(kTreeFitDelayMs);
    connect(m_fitTree, &QTimer::timeout, m_folderView, [this] { m_folderView->resizeColumnToContents(0); });
    // The first change is fitted at once; those that follow within the
    // interval once more when it ends.
    const auto fitSoon = [this] {
        if (m_fitTree->isActive()) return;
        m_folderView->resizeColumnToContents(0);
        m_fitTree->start();
    };
    connect(m_folders, &QAbstractItemModel::rowsInserted, m_fitTree, fitSoon);
    connect(m_folders, &QAbstractItemModel::rowsRemoved, m_fitTree, fitSoon);
    connect(m_folders, &QAbstractItemModel::layoutChanged, m_fitTree, fitSoon);
    connect(m_folderView, &QTreeView::expanded, m_fitTree, fitSoon);
    connect(m_folderView, &QTreeView::collapsed, m_fitTree, fitSoon);
    m_folderView->header()->setStretchLastSection(false);
    // The selected folder stays marked when the list has the focus.
    QPalette palette = m_folderView->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_folderView->setPalette(palette);

    m_listModel = new FileListModel(this);
    m_listView = new FileListView(m_listModel, m_splitter);
    m_listView->setObjectName("ListView");

    m_splitter->addWidget(m_folderView);
    m_splitter->addWidget(m_listView);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kTreeWidth, kFormWidth - kTreeWidth});
    setCentralWidget(m_splitter);
}

void ExplorerWindow::BuildStatusBar() {
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName("StatusBar1");
    m_hintPanel = new QLabel;
    m_hintPanel->setObjectName("StatusBar1Panel0");
    m_hintPanel->setFixedWidth(kHintPanelWidth);
    m_statusPanel = new ElidedLabel;
    m_statusPanel->setObjectName("StatusBar1Panel1");
    // A long path must not widen the window: the panel takes what is left.
    m_statusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {m_hintPanel, m_statusPanel}) {
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
    }
    m_statusBar->addWidget(m_hintPanel);
    m_statusBar->addWidget(m_statusPanel, 1);
    setStatusBar(m_statusBar);
}

void ExplorerWindow::BuildProgressPanels() {
    auto makePanel = [this](const char* name, const QString& title, QLabel* line) {
        auto* panel = new QFrame(m_listView);
        panel->setObjectName(name);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setLineWidth(2);
        panel->setAutoFillBackground(true);
        panel->setFixedSize(kProgressPanelSize);
        auto* heading = new QLabel(title, panel);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(12, 8, 12, 10);
        layout->addWidget(heading);
        layout->addWidget(line);
        panel->hide();
        return std::pair{panel, layout};
    };

    m_entryLabel = new QLabel;
    m_entryLabel->setObjectName("Label2");
    m_entryLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName("Gauge1");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(true);
    auto [progress, progressLayout] = makePanel("Panel6", "Processing..", m_entryLabel);
    progressLayout->addWidget(m_progressBar);
    m_progressPanel = progress;

    // The extraction wizard's panel, shown by the wizard while it works.
    auto* wait = new QLabel("Please wait");
    wait->setObjectName("Panel7Label");
    m_waitPanel = makePanel("Panel7", "Analizing structure..", wait).first;
}

void ExplorerWindow::SetStartState() {
    m_state.Category = Categories()[0];
    m_categoryBox->setCurrentIndex(0); // before the change handler is connected: no scan
    m_state.SortMode = SortMode::ByName;
    m_state.SortAscending = 1;
    m_state.TempDir = TempFolderFromEnvironment();
}

void ExplorerWindow::ConnectHandlers() {
    connect(m_categoryBox, &QComboBox::currentIndexChanged, this, &ExplorerWindow::ChangeCategory);
    connect(m_folderView->selectionModel(), &QItemSelectionModel::currentChanged, this, &ExplorerWindow::ChangeFolder);
    connect(m_folderView, &QTreeView::clicked, this, &ExplorerWindow::ShowFolderSummary);
    connect(m_splitter, &QSplitter::splitterMoved, this, &ExplorerWindow::FitStatusToFolders);

    connect(m_folderPanelButton, &QToolButton::clicked, this, &ExplorerWindow::ToggleFolderPanel);
    connect(m_parentFolderButton, &QToolButton::clicked, this, &ExplorerWindow::GoUpFolder);
    connect(m_largeIconsButton, &QToolButton::clicked, this, &ExplorerWindow::ShowLargeIcons);
    connect(m_smallIconsButton, &QToolButton::clicked, this, &ExplorerWindow::ShowSmallIcons);
    connect(m_listButton, &QToolButton::clicked, this, &ExplorerWindow::ShowList);
    connect(m_detailsButton, &QToolButton::clicked, this, &ExplorerWindow::ShowDetails);
    connect(m_extractAllButton, &QToolButton::clicked, this, &ExplorerWindow::ExtractAll);
    connect(m_saveAllBitmapsButton, &QToolButton::clicked, this, &ExplorerWindow::SaveAllBitmaps);

    connect(m_openAction, &QAction::triggered, this, &ExplorerWindow::OpenSelectedRow);
    connect(m_exitAction, &QAction::triggered, this, &ExplorerWindow::ExitProgram);
    connect(m_toolBarAction, &QAction::triggered, this, &ExplorerWindow::ToggleToolBar);
    connect(m_statusBarAction, &QAction::triggered, this, &ExplorerWindow::ToggleStatusBar);
    connect(m_folderPanelAction, &QAction::triggered, this, &ExplorerWindow::ToggleFolderPanel);
    connect(m_largeIconsAction, &QAction::triggered, this, &ExplorerWindow::ShowLargeIcons);
    connect(m_smallIconsAction, &QAction::triggered, this, &ExplorerWindow::ShowSmallIcons);
    connect(m_listAction, &QAction::triggered, this, &ExplorerWindow::ShowList);
    connect(m_detailsAction, &QAction::triggered, this, &ExplorerWindow::ShowDetails);
    connect(m_byNameAction, &QAction::triggered, this, &ExplorerWindow::SortByName);
    connect(m_byTypeAction, &QAction::triggered, this, &ExplorerWindow::SortByType);
    connect(m_byObjectsAction, &QAction::triggered, this, &ExplorerWindow::SortByObjects);
    connect(m_refreshAction, &QAction::triggered, this, &ExplorerWindow::Refresh);
    connect(m_saveAllBitmapsAction, &QAction::triggered, this, &ExplorerWindow::SaveAllBitmaps);
    connect(m_extractAllAction, &QAction::triggered, this, &ExplorerWindow::ExtractAll);
    connect(m_helpAction, &QAction::triggered, this, &ExplorerWindow::ShowHelp);
    connect(m_aboutAction, &QAction::triggered, this, &ExplorerWindow::ShowAbout);

    connect(m_listView, &FileListView::Clicked, this, &ExplorerWindow::SelectClickedRow);
    connect(m_listView, &FileListView::DoubleClicked, this, &ExplorerWindow::OpenSelectedRow);
    connect(m_listView, &FileListView::CurrentChanged, this, [this] {
        if (!m_scanning) SelectClickedRow();
    });
    connect(m_listView, &FileListView::ColumnClicked, this, &ExplorerWindow::SortByColumn);
    connect(m_listView, &FileListView::HintLinkActivated, this, &ExplorerWindow::ShowCategoryOfHint);
    connect(m_listView, &FileListView::Resized, this, &ExplorerWindow::FitListToWindow);
    // The list resizes whenever the tree does: the splitter moved, its place restored, the window resized.
    connect(m_listView, &FileListView::Resized, this, &ExplorerWindow::FitStatusToFolders);
}

// ---- public helpers ----

// Brings the selected folder into view, keeping the names' left edge.
void ExplorerWindow::ScrollTreeToCurrent() {
    m_folderView->scrollTo(m_folderView->currentIndex(), QAbstractItemView::PositionAtCenter);
    // The column fits the names now in view (a view fits only the rows it shows).
    m_folderView->resizeColumnToContents(0);
    m_folderView->horizontalScrollBar()->setValue(0);
}

bool ExplorerWindow::SelectFolder(const QString& path) { return SelectTreeRow(m_folders->index(QDir::cleanPath(path))); }

// The tree lists the folders on the way to the row before it is found, so the
// row is in place now; the view lays its rows out later, so the row is
// scrolled into view once more when it has.
bool ExplorerWindow::SelectTreeRow(const QModelIndex& index) {
    if (!index.isValid()) return false;
    m_folderView->setCurrentIndex(index);
    m_folderView->scrollTo(index);
    QTimer::singleShot(0, this, [this] { ScrollTreeToCurrent(); });
    return true;
}

bool ExplorerWindow::OpenPath(const std::string& path) {
    if (!EntryExists(path)) return false;
    const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    if (IsFolder(absolute)) return SelectTreeRow(m_folders->IndexOfLocal(absolute));
    const auto file = Document::Open(absolute);
    if (const std::optional<Category> category = CategoryShowing(file->Counts())) {
        const QSignalBlocker quiet(m_categoryBox); // the folder's selection below scans once, in this category
        m_categoryBox->setCurrentIndex(m_categoryBox->findData(int(*category)));
    }
    // Selecting a folder lists it; the folder already selected is listed again in the new category.
    const std::string folder = absolute.substr(0, std::max<size_t>(1, absolute.find_last_of('/')));
    const bool already = m_folders->LocalPath(m_folderView->currentIndex()) == folder;
    if (!SelectTreeRow(m_folders->IndexOfLocal(folder))) return false;
    if (already) ChangeFolder();
    const std::string name = PathFileName(absolute);
    for (int row = 0; row < m_listModel->rowCount(); ++row) {
        const ListRow* listed = m_listModel->RowAt(row);
        if (!listed || listed->caption != name) continue;
        m_listView->SelectRow(row);
        SelectClickedRow();
        QTimer::singleShot(0, this, &ExplorerWindow::OpenSelectedRow);
        return true;
    }
    // Not listed where it belongs (its first icon cannot be drawn, or it
    // holds nothing to show): say why instead of showing only its folder.
    QTimer::singleShot(0, this, [this, file] { SayNotShown(*file); });
    return true;
}

void ExplorerWindow::SayNotShown(const Document& file) {
    const std::string text = CannotShowText(file.FileName(), file,
                                            "it holds no icons, cursors or bitmaps that can be shown");
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), FromLocal(text),
                                QMessageBox::Ok, this);
    box->setObjectName("NotShownMessage");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString ExplorerWindow::StatusText() const { return m_statusPanel->text(); }
QString ExplorerWindow::HintText() const { return m_hintPanel->text(); }

// ---- folder and category ----

void ExplorerWindow::HideFolderCommands() {
    ShowAllBitsCommands(false);
    ShowWizardCommands(false);
    m_openAction->setEnabled(false);
}

void ExplorerWindow::ChangeFolder() {
    if (m_scanning) {
        m_changePending = true;
        return;
    }
    const QModelIndex current = m_folderView->currentIndex();
    if (!current.isValid()) return;
    HideFolderCommands();
    m_state.CurrentDir = m_folders->LocalPath(current);
    QDir::setCurrent(FromLocal(m_state.CurrentDir)); // a folder we cannot enter is still listed as far as it can be
    SetStatus(m_state.CurrentDir);
    m_parentFolderButton->setEnabled(current.parent().isValid());
    DispatchCategory();
}

void ExplorerWindow::ChangeCategory() {
    if (m_scanning) {
        m_changePending = true;
        return;
    }
    HideFolderCommands();
    DispatchCategory();
}

void ExplorerWindow::DispatchCategory() {
    const QVariant chosen = m_categoryBox->currentData();
    if (!chosen.isValid() || m_state.CurrentDir.empty()) return;
    m_state.Category = Category(chosen.toInt());
    Scan(m_state.Category);
}

void ExplorerWindow::ShowFolderSummary() { SetStatus(FolderSummary(m_state)); }

// ---- the scan ----

void ExplorerWindow::Scan(Category category) {
    m_scanning = true;
    m_state.SelectedItem.reset();
    std::optional<BusyCursor> busy;
    const bool clearsFirst = ListsContainers(category);
    if (!clearsFirst) busy.emplace();
    m_listModel->Clear();
    m_listView->SetEmptyHint({});
    if (clearsFirst) {
        SetStatus(QString());
        QCoreApplication::processEvents();
        busy.emplace();
    }
    m_progressBar->setValue(0);
    m_entryLabel->clear();
    m_labelTimer.invalidate();
    PlacePanelsOverList();
    m_progressPanel->show();
    m_progressPanel->raise();

    ScanResult result;
    try {
        // The rows only: the list makes the pictures of the rows it draws.
        result = RunScanner(
            m_state.CurrentDir, category,
            [this](const std::string& name, int percent) { return ScanStep(name, percent); }, PictureMode::Skip);
    } catch (...) {
        // Out of memory building the rows: show what the counters say, no rows.
    }

    m_progressPanel->hide();
    StoreScanCounters(m_state, result);
    m_listModel->SetRows(std::move(result.rows), [this, folder = m_state.CurrentDir, category](const ListRow& row) {
        return PictureOf(RowPictureOf(folder, category, row));
    });
    SortList();
    busy.reset();
    SetStatus(FolderSummary(m_state));
    if (result.fileCount == 0 && !result.stopped) ShowOtherCategoryHint(category);
    if (result.showWizard) ShowWizardCommands(true);
    if (result.showAllBits) ShowAllBitsCommands(true);
    m_scanning = false;

    // A change made during the scan runs now, from the event loop, so that
    // changes arriving during that scan queue again rather than nest.
    if (m_changePending && !m_closing) {
        m_changePending = false;
        QTimer::singleShot(0, this, &ExplorerWindow::ChangeFolder);
    }
}

// A category that lists no file here says in the list which other one
// would, with a link that shows it.
void ExplorerWindow::ShowOtherCategoryHint(Category shown) {
    const std::optional<CategoryFinding> finding = CategoryThatFindsFiles(m_state.CurrentDir, shown);
    if (!finding) return;
    m_listView->SetEmptyHint(QStringLiteral("Nothing here under \"%1\".<br><a href=\"%2\">%3</a>")
                               .arg(CategoryName(shown))
                               .arg(int(finding->category))
                               .arg(FromLocal(CategoryFindingText(*finding)).toHtmlEscaped()));
}

void ExplorerWindow::ShowCategoryOfHint(const QString& link) {
    const int index = m_categoryBox->findData(link.toInt());
    if (index >= 0) m_categoryBox->setCurrentIndex(index);
}

bool ExplorerWindow::ScanStep(const std::string& lowerName, int percent) {
    // Pending events run after every entry, so the window stays responsive;
    // the entry's name is repainted at most once a frame, which looks the
    // same and keeps a folder of many small files from being painted slower
    // than it is read.
    if (!m_labelTimer.isValid() || m_labelTimer.elapsed() >= kLabelRefreshMs) {
        m_entryLabel->setText(FromLocal(lowerName));
        m_labelTimer.start();
    }
    m_progressBar->setValue(percent);
    QCoreApplication::processEvents();
    return !m_closing;
}

QIcon ExplorerWindow::PictureOf(const RowPicture& picture) const {
    switch (picture.kind) {
    case PictureKind::AppIcon: return m_appIcon;
    case PictureKind::Associated: {
        const QFileInfo info(FromLocal(picture.path));
        QIcon icon = m_iconProvider.icon(info);
        if (icon.isNull())
            icon = style()->standardIcon(info.isDir() ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
        return icon;
    }
    case PictureKind::Images: break;
    }
    QIcon icon;
    icon.addPixmap(TilePixmap(picture.large, kLargeTile));
    icon.addPixmap(TilePixmap(picture.small, kSmallTile));
    return icon;
}

void ExplorerWindow::ShowWizardCommands(bool visible) {
    m_extractAllSlot->setVisible(visible);
    m_wizardMenu->menuAction()->setVisible(visible);
}

void ExplorerWindow::ShowAllBitsCommands(bool visible) {
    m_saveAllBitmapsSlot->setVisible(visible);
    m_bitmapsMenu->menuAction()->setVisible(visible);
}

void ExplorerWindow::PlacePanelsOverList() {
    for (QFrame* panel : {m_progressPanel, m_waitPanel}) {
        const QPoint topLeft((m_listView->width() - panel->width()) / 2, (m_listView->height() - panel->height()) / 2);
        panel->move(QPoint(std::max(0, topLeft.x()), std::max(0, topLeft.y())));
    }
}

// The whole text stays readable in the tooltip when the panel cuts it.
void ExplorerWindow::SetStatus(const QString& text) {
    m_statusPanel->setText(text);
    m_statusPanel->setToolTip(text);
}
void ExplorerWindow::SetStatus(const std::string& text) { SetStatus(FromLocal(text)); }

// ---- window layout ----

// "All Folders" is as wide as the tree, as far as the tool bar leaves room
// for all its buttons (a wider header would push some into the overflow menu).
void ExplorerWindow::FitStatusToFolders() { FitStatusToWidth(m_folderView->width()); }

void ExplorerWindow::FitStatusToWidth(int treeWidth) {
    m_foldersHeader->setFixedWidth(std::max(0, std::min(treeWidth, width() - m_toolBarBesideHeader)));
}

void ExplorerWindow::GoUpFolder() {
    const QModelIndex parent = m_folderView->currentIndex().parent();
    if (parent.isValid()) m_folderView->setCurrentIndex(parent);
}

void ExplorerWindow::ExitProgram() { close(); }

void ExplorerWindow::ToggleToolBar() {
    const bool visible = m_toolBar->isHidden();
    m_toolBarAction->setChecked(visible);
    m_toolBar->setVisible(visible);
}

void ExplorerWindow::ToggleStatusBar() {
    const bool visible = m_statusBar->isHidden();
    m_statusBarAction->setChecked(visible);
    m_statusBar->setVisible(visible);
}

void ExplorerWindow::ToggleFolderPanel() { ShowFolderPanel(m_folderView->isHidden()); }

void ExplorerWindow::ShowFolderPanel(bool visible) {
    m_folderPanelAction->setChecked(visible);
    m_folderPanelButton->setChecked(visible);
    m_folderView->setVisible(visible);
    m_foldersHeader->setVisible(visible);
}

void ExplorerWindow::ShowLargeIcons() { ApplyViewStyle(ViewStyle::LargeIcons); }
void ExplorerWindow::ShowSmallIcons() { ApplyViewStyle(ViewStyle::SmallIcons); }
void ExplorerWindow::ShowList() { ApplyViewStyle(ViewStyle::List); }
void ExplorerWindow::ShowDetails() { ApplyViewStyle(ViewStyle::Details); }

void ExplorerWindow::ApplyViewStyle(ViewStyle style) {
    const std::array<std::pair<QAction*, QToolButton*>, 4> controls{{
        {m_largeIconsAction, m_largeIconsButton},
        {m_smallIconsAction, m_smallIconsButton},
        {m_listAction, m_listButton},
        {m_detailsAction, m_detailsButton}}};
    const auto& [item, button] = controls[size_t(style)];
    item->setChecked(true);
    button->setChecked(true);
    m_listView->SetViewStyle(style);
}

void ExplorerWindow::ShowHelp() { OpenHelp(this, kHelpExplorer); }

void ExplorerWindow::ShowAbout() {
    if (m_links.viewers) m_links.viewers->Open({.target = Viewer::AboutBox});
}

void ExplorerWindow::ExtractAll() {
    if (m_links.extractAll) m_links.extractAll();
}

void ExplorerWindow::SaveAllBitmaps() {
    if (m_links.saveAllBitmaps) m_links.saveAllBitmaps();
}

// ---- the file list ----

void ExplorerWindow::SortList() { m_listModel->Sort(m_state.SortMode, m_state.SortAscending); }

void ExplorerWindow::SortByColumn(int column) {
    if (ApplyColumnClick(m_state, column)) SortList();
}

void ExplorerWindow::FitListToWindow() {
    PlacePanelsOverList();
    SortList();
}

void ExplorerWindow::SortByName() {
    m_state.SortMode = SortMode::ByName;
    SortList();
}

void ExplorerWindow::SortByType() {
    m_state.SortMode = SortMode::ByType;
    SortList();
}

void ExplorerWindow::SortByObjects() {
    m_state.SortMode = SortMode::ByObjects;
    SortList();
}

// Reads the folder again (files may have come and gone), then sorts.
void ExplorerWindow::Refresh() {
    if (m_scanning) return;
    DispatchCategory();
    SortList();
}

void ExplorerWindow::ChooseFileToOpen() {
    const QString chosen = QFileDialog::getOpenFileName(this, "Open File", FromLocal(m_state.CurrentDir));
    if (!chosen.isEmpty() && !OpenPath(ToLocal(chosen))) SayNoSuchPath(chosen);
}

void ExplorerWindow::AskForLocation() {
    const std::optional<QString> typed = gw::AskForLocation(this, FromLocal(m_state.CurrentDir));
    if (!typed || typed->trimmed().isEmpty()) return;
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(typed->trimmed()).replace(QRegularExpression("^~"), QDir::homePath()));
    if (!OpenPath(ToLocal(path))) SayNoSuchPath(path);
}

void ExplorerWindow::SayNoSuchPath(const QString& path) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("\"%1\": no such file or folder").arg(path));
}

// A file or folder dropped on the window opens as "grabwell PATH" opens it.
void ExplorerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPath(event->mimeData()).empty()) event->acceptProposedAction();
}

void ExplorerWindow::dropEvent(QDropEvent* event) {
    const std::string path = DroppedPath(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, path] { OpenPath(path); });
}

// The first local file of a drop, in the file system's bytes.
std::string ExplorerWindow::DroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return QFile::encodeName(url.toLocalFile()).toStdString();
    return {};
}

// ---- remembered places ----

void ExplorerWindow::RestorePlaces() {
    restoreGeometry(Remembered("explorer/geometry").toByteArray());
    FitWindowToScreen(*this);
    m_splitter->restoreState(Remembered("explorer/splitter").toByteArray());
    // Kept as the entry's text.
    const std::optional<Category> remembered = FindCategory(Remembered("explorer/category").toString().toStdString());
    const int category = remembered ? m_categoryBox->findData(int(*remembered)) : -1;
    if (category >= 0) {
        const QSignalBlocker quiet(m_categoryBox); // the folder's selection scans once, in this category
        m_categoryBox->setCurrentIndex(category);
    }
    const int style = Remembered("explorer/view", int(ViewStyle::Details)).toInt();
    if (style >= int(ViewStyle::LargeIcons) && style <= int(ViewStyle::Details)) ApplyViewStyle(ViewStyle(style));
    const int sort = Remembered("explorer/sort", int(SortMode::ByName)).toInt();
    if (sort >= int(SortMode::ByName) && sort <= int(SortMode::ByObjects)) m_state.SortMode = SortMode(sort);
    m_state.SortAscending = Remembered("explorer/ascending", true).toBool() ? 1 : 0;
    std::vector<int> widths;
    for (const QVariant& width : Remembered("explorer/columns").toList()) widths.push_back(width.toInt());
    if (!widths.empty()) m_listView->SetColumnWidths(widths);
}

QString ExplorerWindow::RememberedFolder() const {
    const QString folder = Remembered("explorer/folder").toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void ExplorerWindow::RememberPlaces() const {
    Remember("explorer/geometry", saveGeometry());
    Remember("explorer/splitter", m_splitter->saveState());
    Remember("explorer/category", m_categoryBox->currentText());
    Remember("explorer/view", int(m_listView->Style()));
    Remember("explorer/sort", int(m_state.SortMode));
    Remember("explorer/ascending", m_state.SortAscending != 0);
    QVariantList widths;
    for (int width : m_listView->ColumnWidths()) widths.push_back(width);
    if (!widths.isEmpty()) Remember("explorer/columns", widths);
    if (!m_state.CurrentDir.empty()) Remember("explorer/folder", FromLocal(m_state.CurrentDir));
}

void ExplorerWindow::SelectClickedRow() {
    const ListRow* row = m_listModel->RowAt(m_listView->SelectedRow());
    if (!row) {
        m_state.SelectedItem.reset();
        SetStatus(FolderSummary(m_state));
        m_openAction->setEnabled(false);
        return;
    }
    m_state.SelectedItem = *row;
    SetStatus(ClickStatusText(m_state, *m_state.SelectedItem));
    m_openAction->setEnabled(true);
}

void ExplorerWindow::OpenSelectedRow() {
    const ListRow* row = m_listModel->RowAt(m_listView->SelectedRow());
    if (!row) {
        m_state.SelectedItem.reset();
        SetStatus(FolderSummary(m_state));
        return;
    }
    m_state.SelectedItem = *row;
    const OpenPlan plan = PlanOpen(m_state, *m_state.SelectedItem);
    if (plan.target == OpenTarget::Folder)
        SelectFolder(FromLocal(plan.path));
    else if (plan.target != OpenTarget::Nothing)
        OpenViewer(plan.target, plan.path);
}

void ExplorerWindow::OpenViewer(OpenTarget target, const std::string& path) {
    static const std::map<OpenTarget, Viewer> kViewers{
        {OpenTarget::IconManager, Viewer::IconManager},       {OpenTarget::CursorManager, Viewer::CursorManager},
        {OpenTarget::BitmapManager, Viewer::BitmapManager},   {OpenTarget::IconWorkdesk, Viewer::IconWorkdesk},
        {OpenTarget::CursorWorkdesk, Viewer::CursorWorkdesk}, {OpenTarget::BitmapWorkdesk, Viewer::BitmapWorkdesk}};
    const auto viewer = kViewers.find(target);
    if (viewer == kViewers.end() || !m_links.viewers) return;
    m_listView->setCursor(Qt::WaitCursor);
    m_links.viewers->Open({.target = viewer->second, .path = path});
    m_listView->unsetCursor();
}

// ---- events ----

bool ExplorerWindow::event(QEvent* event) {
    // Hints of the control or menu item under the pointer go to panel 0; the
    // main window would otherwise cover both panels with them.
    if (event->type() == QEvent::StatusTip) {
        m_hintPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void ExplorerWindow::closeEvent(QCloseEvent* event) {
    m_closing = true; // a running scan stops at its next entry
    RememberPlaces();
    event->accept();
}

} // namespace gw
