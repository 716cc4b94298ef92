#include "workdesks/gui/GroupDesk.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "batch/core/Prompts.h"
#include "gui/BusyCursor.h"
#include "gui/Help.h"
#include "gui/ImageTransfer.h"
#include "gui/LocalPaths.h"
#include "gui/WindowPlaces.h"
#include "platform/Paths.h"
#include "batch/core/FileInformation.h"
#include "platform/LanguageName.h"
#include "gui/ToolIcons.h"

namespace gw {

namespace {

constexpr int kPanel0Width = 250;
constexpr int kCellTop = 4;
const QColor kBaseline(160, 160, 160);

// Every item takes the whole cell of the grid, so that a caption is
// elided only when it is wider than the cell, whichever item came first.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize cell;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return cell.isValid() ? cell : QStyledItemDelegate::sizeHint(option, index);
    }
    // The picture a little below the cell's top, so that the first row does
    // not touch the list's edge.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(0, kCellTop, 0, 0);
        // The caption right under its picture; the cell's spare height
        // stays below it, between it and the next row.
        shifted.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
        QStyledItemDelegate::paint(painter, shifted, index);
    }
};

} // namespace

QImage GroupIcon(const IconGroup& group, int size) {
    const Handle picture = GroupPicture(group, size);
    return picture ? ToQImage(*picture) : QImage();
}

QPixmap BlankTile(int64_t width, int64_t height, int64_t baseline, qreal pixelRatio) {
    QPixmap tile(int(std::lround(double(std::max<int64_t>(width, 1)) * pixelRatio)),
                 int(std::lround(double(std::max<int64_t>(height, 1)) * pixelRatio)));
    tile.setDevicePixelRatio(pixelRatio);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setPen(kBaseline);
    painter.drawLine(0, int(baseline), int(width), int(baseline));
    return tile;
}

void MarkAnimated(QPixmap& tile) {
    const QSizeF size = tile.deviceIndependentSize();
    const qreal side = std::min<qreal>(12, std::min(size.width(), size.height()));
    const QRectF disc(size.width() - side, 0, side, side);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x40, 0x80));
    painter.drawEllipse(disc);
    const qreal u = side / 12;
    const QPointF triangle[3] = {disc.topLeft() + QPointF(4.5 * u, 3 * u), disc.topLeft() + QPointF(4.5 * u, 9 * u),
                                 disc.topLeft() + QPointF(9.5 * u, 6 * u)};
    painter.setBrush(Qt::white);
    painter.drawPolygon(triangle, 3);
}

DeskWindow::DeskWindow(const DeskWindowNames& names, ActionFlags& flags, Prompts& prompts, Viewers* viewers,
                       QWidget* parent)
    : QDialog(parent), m_flags(flags), m_prompts(prompts), m_names(names), m_viewers(viewers) {
    setObjectName(names.objectName);
    setWindowTitle(names.caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildMenus(layout);
    BuildToolBar(layout);

    m_list = new DragListView(this);
    m_list->setObjectName(names.list);
    // An item dragged out arrives as the file Save writes, or as a picture.
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->transferOf = [this](int row) -> std::optional<ImageTransfer> {
        const std::optional<size_t> item = ModelGroupAt(row);
        return item && m_file ? TransferOf(*item) : std::nullopt;
    };
    m_list->setViewMode(QListView::IconMode);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setUniformItemSizes(true);
    m_list->setWordWrap(true);
    // Names are single words ("TIFPS3CE_CONTROLS"); their ends tell them apart.
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setItemDelegate(new CellDelegate(m_list));
    layout->addWidget(m_list, 1);
    connect(m_list, &QListView::doubleClicked, this, &DeskWindow::OpenInManager);
    m_list->installEventFilter(this); // Enter on an item

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(names.statusBar);
    m_panel0 = new QLabel(m_statusBar);
    m_panel0->setMinimumWidth(kPanel0Width);
    m_panel1 = new QLabel(m_statusBar);
    m_panel1->setMinimumWidth(names.statusPanel1Width);
    m_statusBar->addWidget(m_panel0);
    m_statusBar->addWidget(m_panel1, 1);
    m_damage = new DamageIndicator(m_statusBar);
    m_statusBar->addPermanentWidget(m_damage);
    layout->addWidget(m_statusBar);
    resize(720, 460);
}

void DeskWindow::AttachModel(QAbstractItemModel* model) {
    m_list->setModel(model);
    // However the selection changes (a click, the arrow keys, a reset of
    // the list), the commands that need a selected item follow it.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DeskWindow::UpdateSelectionCommands);
    UpdateSelectionCommands();
}

void DeskWindow::BuildMenus(QVBoxLayout* layout) {
    const std::string p = m_names.menuPrefix;
    auto named = [&](QAction* a, const char* suffix) {
        a->setObjectName(QString::fromStdString(p + suffix));
        return a;
    };
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    QMenu* file = m_fileMenu = bar->addMenu("&File");
    // Every command of the tool bar is in a menu too, with the desktop's
    // standard keys where there is one.
    auto command = [&](QMenu* menu, const char* hint, const QKeySequence& keys, void (DeskWindow::*handler)(),
                       bool needsSelection) {
        QAction* a = menu->addAction(QString(hint).replace('\n', ' ').simplified());
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, handler);
        if (needsSelection) m_selectionActions.push_back(a);
        return a;
    };
    command(file, m_names.saveOneHint, QKeySequence::Save, &DeskWindow::SaveSelected, true)->setObjectName("SaveSelected");
    command(file, m_names.saveAllHint, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &DeskWindow::SaveAllItems, false)
        ->setObjectName("SaveAll");
    if (m_names.extractOneHint) {
        command(file, m_names.extractOneHint, {}, &DeskWindow::ExtractSelected, true);
        command(file, m_names.extractAllMenu ? m_names.extractAllMenu : m_names.extractAllHint, {},
                &DeskWindow::ExtractAllItems, false);
        command(file, m_names.convertOneHint, {}, &DeskWindow::ConvertSelected, true);
        command(file, m_names.convertAllHint, {}, &DeskWindow::ConvertAllItems, false);
    }
    command(file, m_names.editHint, {}, &DeskWindow::OpenInManager, true);
    file->addSeparator();
    command(file, "File &Information...", {}, &DeskWindow::ShowFileInformation, false)
        ->setObjectName("FileInformation");
    m_closeSeparator = file->addSeparator();
    QAction* close = file->addAction("&Close");
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &DeskWindow::reject);
    connect(named(file->addAction("&Exit"), "Exit"), &QAction::triggered, this, &DeskWindow::reject);
    QMenu* edit = bar->addMenu("&Edit");
    command(edit, "&Copy", QKeySequence::Copy, &DeskWindow::CopySelected, true)->setObjectName("Copy");

    QMenu* view = bar->addMenu("&View");
    QAction* toolbar = named(view->addAction("&Toolbar"), "TB");
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    // The languages of a file that holds its items in several (filled on opening).
    m_languageMenu = view->addMenu("&Language");
    m_languageMenu->setObjectName("LanguageMenu");
    m_languageMenu->menuAction()->setVisible(false);
    QAction* status = named(view->addAction("&Status Bar"), "SB");
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { m_statusBar->setVisible(on); });
    if (m_names.arrangeMenu) {
        QMenu* arrange = view->addMenu(m_names.arrangeMenu);
        auto* group = new QActionGroup(this);
        auto radio = [&](const char* suffix, const char* text, void (DeskWindow::*handler)()) {
            QAction* a = named(arrange->addAction(text), suffix);
            a->setCheckable(true);
            group->addAction(a);
            connect(a, &QAction::triggered, this, handler);
            return a;
        };
        m_byName = radio("byName", "by &Name", &DeskWindow::SortByName);
        m_byImage = radio("byImage", "by Image &Count", &DeskWindow::SortByImageCount);
        m_byFormat = radio("byFormat", "by Specific &Format", &DeskWindow::SortByFormat);
        m_byName->setChecked(true);
    }
    m_properties = named(view->addAction("&Properties"), "Properties");
    m_properties->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    m_properties->setEnabled(false);
    connect(m_properties, &QAction::triggered, this, &DeskWindow::ShowProperties);

    QMenu* help = bar->addMenu("&Help");
    QAction* helpItem = help->addAction("&Help");
    helpItem->setObjectName("Help1");
    connect(helpItem, &QAction::triggered, this, &DeskWindow::ShowHelp);
}

void DeskWindow::BuildToolBar(QVBoxLayout* layout) {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(m_names.toolBar);
    layout->addWidget(m_toolBar);
    const std::string p = m_names.buttonPrefix;
    auto add = [this](QToolButton* button, void (DeskWindow::*handler)()) { return AddTool(button, handler); };
    add(SpeedButton(m_names.exitButton, ToolGlyph::Exit, m_names.exitHint), &DeskWindow::reject);
    m_toolBar->addSeparator();
    if (m_names.arrangeMenu) BuildViewButtons();
    m_toolBar->addSeparator();
    m_selectionCommands.push_back(
        add(SpeedButton((p + "SaveOne").c_str(), ToolGlyph::SaveOne, m_names.saveOneHint), &DeskWindow::SaveSelected));
    if (m_names.extractOneHint) {
        m_selectionCommands.push_back(add(SpeedButton((p + "ExtractOne").c_str(), ToolGlyph::ExtractImages, m_names.extractOneHint),
                                          &DeskWindow::ExtractSelected));
        m_selectionCommands.push_back(add(
            SpeedButton((p + "ConvertOne").c_str(), ToolGlyph::ConvertImages, m_names.convertOneHint), &DeskWindow::ConvertSelected));
    }
    m_selectionCommands.push_back(
        add(SpeedButton((p + "Edit").c_str(), ToolGlyph::OpenManager, m_names.editHint), &DeskWindow::OpenInManager));
    add(SpeedButton((p + "SaveAll").c_str(), ToolGlyph::SaveAll, m_names.saveAllHint), &DeskWindow::SaveAllItems);
    if (m_names.extractOneHint) {
        add(SpeedButton((p + "ExtractAll").c_str(), ToolGlyph::ExtractImages, m_names.extractAllHint), &DeskWindow::ExtractAllItems);
        add(SpeedButton((p + "ConvertAll").c_str(), ToolGlyph::ConvertImages, m_names.convertAllHint),
            &DeskWindow::ConvertAllItems);
    }
}

QToolButton* DeskWindow::AddTool(QToolButton* button, void (DeskWindow::*handler)()) {
    m_toolBar->addWidget(button);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

// The picture styles and the format box of the Icon and Cursor Workdesks.
void DeskWindow::BuildViewButtons() {
    auto add = [this](QToolButton* button, void (DeskWindow::*handler)()) { return AddTool(button, handler); };
    auto* views = new QButtonGroup(this);
    m_specific = add(SpeedButton("sb2Specific", ToolGlyph::SpecificView, "Specific View", true), &DeskWindow::ShowSpecificView);
    m_raw = add(SpeedButton("sb2Raw", ToolGlyph::RawView, "Raw View", true), &DeskWindow::ShowRawView);
    views->addButton(m_specific);
    views->addButton(m_raw);
    if (m_names.pictureViews) {
        m_desk = add(SpeedButton("sb2Desk", ToolGlyph::LargeIcons, "Desktop View (Large)", true), &DeskWindow::ShowDesktopView);
        m_win = add(SpeedButton("sb2Win", ToolGlyph::SmallIcons, "Windows View (Small and large)", true),
                    &DeskWindow::ShowWindowsView);
        views->addButton(m_desk);
        views->addButton(m_win);
    }
    m_raw->setChecked(true);
    m_toolBar->addSeparator();
    m_toolBar->addWidget(new QLabel(" Image Format: ", m_toolBar));
    m_formatBox = new QComboBox(m_toolBar);
    m_formatBox->setObjectName(m_names.formatBox);
    m_formatBox->setToolTip("Image Format");
    m_formatBox->setMinimumContentsLength(16);
    // As wide as the longest format of the file ("256 X 256 256 Colors").
    m_formatBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_formatBox->setEnabled(false);
    m_toolBar->addWidget(m_formatBox);
    connect(m_formatBox, &QComboBox::activated, this, &DeskWindow::ChangeFormat);
}

QString DeskWindow::StatusText(int panel) const { return (panel == 0 ? m_panel0 : m_panel1)->text(); }

int DeskWindow::RowCount() const { return m_list->model() ? m_list->model()->rowCount() : 0; }

std::vector<std::string> DeskWindow::Captions() const {
    std::vector<std::string> out;
    for (int r = 0; r < RowCount(); ++r)
        out.push_back(m_list->model()->data(m_list->model()->index(r, 0), Qt::DisplayRole).toString().toStdString());
    return out;
}

bool DeskWindow::Open(const std::string& path) {
    Release();
    const BusyCursor busy;
    // The size and picture style the user left this workdesk in.
    RestoreWindowSize(*this, Places());
    const int view = RememberedPlace(Places(), "view", int(m_view)).toInt();
    if (view >= int(DeskView::Specific) && view <= int(DeskView::Windows)) m_view = DeskView(view);
    if (path != m_languagePath) m_language.reset(); // a language is chosen for one file
    m_languagePath = path;
    m_file = Document::Open(path);
    m_file->SetLanguage(m_language);
    const DeskOpening opening = OpenDesk(*m_file, Records());
    m_panel0->setText(FromLocal(opening.fileText));
    // A language-neutral library's images come from its resource file: say which.
    const std::string& from = m_file->ResourcesFrom();
    m_panel1->setText(QString::fromStdString(opening.kindText) +
                      (from.empty() ? QString() : " - images from " + FromLocal(PathFileName(from))));
    m_panel1->setToolTip(from.empty() ? QString() : "Images read from " + FromLocal(from));
    FillLanguageMenu();
    m_formats.clear();
    // The items first: the formats are those of the items listed.
    ShowGroups(true);
    if (m_formatBox) {
        m_formats = FormatsOfFile();
        for (const DeskFormat& f : m_formats) m_formatBox->addItem(QString::fromStdString(f.label));
        if (!m_formats.empty()) m_formatBox->setCurrentIndex(0);
    }
    if (RowCount() == 0 && m_file->Damaged()) {
        // Nothing to show: say why instead of opening an empty window.
        m_prompts.ShowMessage(MessageKind::Error,
                              CannotShowText(m_file->FileName(), *m_file, "it holds nothing to show"));
        Release();
        return false;
    }
    m_damage->Show(m_file->Errors());
    ShowView(m_view);
    UpdateSelectionCommands();
    return true;
}

// Everything the file holds is let go when the workdesk closes, unless a
// manager still shares it.
void DeskWindow::Release() {
    ShowGroups(false);
    m_file.reset();
    m_formats.clear();
    if (m_formatBox) m_formatBox->clear();
    m_panel0->clear();
    m_panel1->clear();
    m_damage->Clear();
    UpdateSelectionCommands();
}

// Closing with Esc does the same release work as the window's close button.
void DeskWindow::reject() {
    RememberPlaces();
    Release();
    QDialog::reject();
}

void DeskWindow::RememberPlaces() const {
    if (!m_file) return; // closed already
    RememberWindowSize(*this, Places());
    RememberPlace(Places(), "view", int(m_view));
}

// Under the workdesk's role; earlier versions used its objectName.
PlacesKey DeskWindow::Places() const { return {m_names.placesRole, objectName()}; }

// Enter on an item does what a double-click does.
bool DeskWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && SelectedGroup()) {
            OpenInManager();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DeskWindow::closeEvent(QCloseEvent* event) {
    RememberPlaces();
    Release();
    QDialog::closeEvent(event);
}

const DeskFormat* DeskWindow::ChosenFormat() const {
    const int i = m_formatBox ? m_formatBox->currentIndex() : -1;
    return i >= 0 && size_t(i) < m_formats.size() ? &m_formats[size_t(i)] : nullptr;
}

std::optional<size_t> DeskWindow::SelectedGroup() const {
    if (!m_list->selectionModel()) return std::nullopt;
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return std::nullopt;
    return ModelGroupAt(selected.front().row());
}

// Selects the row that shows a group (none: clears the selection); a view or
// format change redraws the list and would otherwise drop the selection.
void DeskWindow::SelectGroup(std::optional<size_t> group) {
    const int row = group ? ModelRowOf(*group) : -1;
    if (row < 0) {
        m_list->selectionModel()->clearSelection();
    } else {
        const QModelIndex index = m_list->model()->index(row, 0);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    }
    UpdateSelectionCommands();
}

void DeskWindow::UpdateSelectionCommands() {
    const bool selected = SelectedGroup().has_value();
    for (QToolButton* b : m_selectionCommands) b->setEnabled(selected);
    for (QAction* a : m_selectionActions) a->setEnabled(selected);
    m_properties->setEnabled(selected);
}

void DeskWindow::ShowView(DeskView view) {
    if (!m_names.pictureViews && (view == DeskView::Desktop || view == DeskView::Windows)) view = DeskView::Raw;
    m_view = view;
    if (m_names.arrangeMenu) {
        m_specific->setChecked(view == DeskView::Specific);
        m_raw->setChecked(view == DeskView::Raw);
        if (m_desk) m_desk->setChecked(view == DeskView::Desktop);
        if (m_win) m_win->setChecked(view == DeskView::Windows);
        m_formatBox->setEnabled(view == DeskView::Specific && !m_formats.empty());
        if (view != DeskView::Specific && m_sortMode == DeskSortMode::ByFormat) {
            m_byName->setChecked(true);
            m_sortMode = DeskSortMode::ByName;
        }
    }
    const std::optional<size_t> selected = SelectedGroup();
    SetModelView(view, ChosenFormat());
    FitGrid();
    Resort();
    SelectGroup(selected);
}

// Each item's cell: its picture, two lines of caption below it, and a
// line's height of space before the next row, so a caption sits clearly
// with its own picture rather than just above the picture of the row below
// (whose images stand at the top of tall strips).
void DeskWindow::FitGrid() {
    const QSize picture = ModelPictureSize();
    m_list->setIconSize(picture);
    const int text = m_list->fontMetrics().height();
    const QSize cell(std::max(picture.width() + 12, 96), picture.height() + 3 * text + 8);
    static_cast<CellDelegate*>(m_list->itemDelegate())->cell = cell - QSize(4, 4);
    m_list->setGridSize(cell);
}

void DeskWindow::Resort() { SortModel(m_sortMode, ChosenFormat()); }

void DeskWindow::SortByName() {
    m_sortMode = DeskSortMode::ByName;
    Resort();
}
void DeskWindow::SortByImageCount() {
    m_sortMode = DeskSortMode::ByImageCount;
    Resort();
}
void DeskWindow::SortByFormat() {
    m_sortMode = DeskSortMode::ByFormat;
    if (m_byFormat) m_byFormat->setChecked(true);
    Resort();
}

void DeskWindow::ChangeFormat() {
    const std::optional<size_t> selected = SelectedGroup();
    SetModelView(m_view, ChosenFormat());
    FitGrid();
    Resort();
    SelectGroup(selected);
}

void DeskWindow::ShowSpecificView() { ShowView(DeskView::Specific); }
void DeskWindow::ShowRawView() { ShowView(DeskView::Raw); }
void DeskWindow::ShowDesktopView() { ShowView(DeskView::Desktop); }
void DeskWindow::ShowWindowsView() { ShowView(DeskView::Windows); }

void DeskWindow::ShowProperties() { AskFor(m_names.sheet); }

void DeskWindow::OpenInManager() { AskFor(m_names.manager); }

// The manager or the sheet on the selected item, as the workdesk describes it.
void DeskWindow::AskFor(Viewer target) {
    const std::optional<size_t> group = SelectedGroup();
    if (!group || !m_file || !m_viewers) return;
    ViewRequest request = ItemRequest(*group);
    request.target = target;
    request.askedBy = AskedBy::Workdesk;
    m_viewers->Open(request);
}

void DeskWindow::ShowHelp() { OpenHelp(this, kHelpWorkdesks); }

// Kind, counts, version information, languages and damage of the open file.
void DeskWindow::ShowFileInformation() {
    if (!m_file) return;
    QDialog dialog(this);
    dialog.setObjectName("FileInformationDialog");
    dialog.setWindowTitle("File Information - " + FromLocal(m_file->FileName()));
    const QString information = FromLocal(FileInformationText(*m_file));
    auto* text = new QPlainTextEdit(information, &dialog);
    text->setObjectName("FileInformationText");
    text->setReadOnly(true);
    // Lines longer than the room (a copyright, a long path) wrap rather than
    // scroll sideways.
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto* close = new QPushButton("&Close", &dialog);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(close, 0, Qt::AlignRight);
    // As wide as the longest line and as tall as every line, within three
    // quarters of the screen; never smaller than the designed 520 x 320.
    const QFontMetrics metrics(text->font());
    const QStringList lines = information.split('\n');
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (text->frameWidth() + int(std::ceil(text->document()->documentMargin()))) +
                        text->verticalScrollBar()->sizeHint().width() + metrics.averageCharWidth();
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1400, 1000);
    const int width = std::clamp(widest + margins, 520, std::max(520, screen.width() * 3 / 4));
    const int wrapped = metrics.boundingRect(QRect(0, 0, width - margins, INT_MAX),
                                             Qt::TextWordWrap | Qt::TextWrapAnywhere, information).height();
    const int height = std::clamp(wrapped + margins + metrics.lineSpacing(), 320, std::max(320, screen.height() * 3 / 4));
    text->setMinimumSize(width, height);
    dialog.adjustSize();
    text->setMinimumSize(520, 320);
    m_fileInformation = &dialog;
    dialog.exec();
    m_fileInformation = nullptr;
}

// "First in the file" and each language the items are held in; choosing one
// opens the file again with its items shown in that language where they
// have it.
void DeskWindow::FillLanguageMenu() {
    m_languageMenu->clear();
    const std::set<uint16_t> languages = m_file ? LanguagesHeld(*m_file, Records()) : std::set<uint16_t>{};
    m_languageMenu->menuAction()->setVisible(languages.size() > 1);
    if (languages.size() < 2) return;
    auto* group = new QActionGroup(m_languageMenu);
    auto add = [&](const QString& text, std::optional<uint16_t> language) {
        QAction* a = m_languageMenu->addAction(text);
        a->setCheckable(true);
        a->setChecked(language == m_language);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, language] {
            if (!m_file || language == m_language) return;
            m_language = language;
            const std::optional<size_t> selected = SelectedGroup();
            const std::string path = m_file->Path(); // Open lets the file go first
            Open(path);
            SelectGroup(selected);
        });
    };
    add("&First in the File", std::nullopt);
    for (uint16_t language : languages) add(QString::fromStdString(LanguageName(language)), language);
}

void DeskWindow::CopySelected() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group || !m_file) return;
    if (const std::optional<ImageTransfer> transfer = TransferOf(*group)) CopyToClipboard(*transfer);
}

void DeskWindow::SaveSelected() {
    if (const std::optional<size_t> group = SelectedGroup()) ReportBatchResult(SaveOne(*group), m_prompts);
}

void DeskWindow::SaveAllItems() {
    const BusyCursor busy;
    ReportBatchSummary("Save All", SaveAll(), m_prompts);
}

void DeskWindow::ExtractSelected() {
    if (const std::optional<size_t> group = SelectedGroup()) ReportBatchResult(Extract(group), m_prompts);
}

void DeskWindow::ExtractAllItems() {
    const BusyCursor busy;
    ReportBatchSummary("Extract All", Extract(std::nullopt), m_prompts);
}

void DeskWindow::ConvertSelected() {
    if (const std::optional<size_t> group = SelectedGroup()) ReportBatchResult(Convert(group), m_prompts);
}

void DeskWindow::ConvertAllItems() {
    const BusyCursor busy;
    ReportBatchSummary("Convert All", Convert(std::nullopt), m_prompts);
}

} // namespace gw
