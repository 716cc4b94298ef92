#include "workdesks/gui/Libo1.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "batch/core/Prompts.h"
#include "gui/BusyCursor.h"
#include "gui/Help.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "gui/ToolIcons.h"
#include "pictures/IconExtract.h"
#include "pictures/RowPicture.h"
#include "workdesks/core/IconDeskCommands.h"

namespace gw {

namespace {

constexpr int kPanel0Width = 250;
constexpr int kPanel1Width = 150;
const QColor kBaseline(160, 160, 160);

// The group's picture at size x size: its best image for that size, scaled.
QImage GroupIcon(const TAdvIconGroupList& group, int size) {
    std::vector<ImageChoice> choices;
    std::vector<size_t> present;
    for (size_t i = 0; i < group.Images.size(); ++i) {
        const TAdvIconImage& im = group.Images[i];
        if (im.Missing || im.Data.empty()) continue;
        choices.push_back({im.Width ? im.Width : 256, im.Height ? im.Height : 256, im.BitCount});
        present.push_back(i);
    }
    while (!choices.empty()) {
        const int best = BestImageFor(choices, size);
        const Handle icon = CreateIconFromResourceEx(group.Images[present[size_t(best)]].Data, true, kIconVersion,
                                                     size, size, 0);
        if (icon) return ToQImage(*icon);
        choices.erase(choices.begin() + best);
        present.erase(present.begin() + best);
    }
    return {};
}

QPixmap BlankTile(int64_t width, int64_t height, int64_t baseline) {
    QPixmap tile(int(std::max<int64_t>(width, 1)), int(std::max<int64_t>(height, 1)));
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setPen(kBaseline);
    painter.drawLine(0, int(baseline), int(width), int(baseline));
    return tile;
}

void DrawImage(QPainter& painter, const TAdvIconImage& im, int64_t x, int64_t y) {
    if (im.Missing) return;
    if (const Handle& picture = im.Handle()) painter.drawImage(int(x), int(y), ToQImage(*picture));
}

QToolButton* SpeedButton(const char* name, ToolGlyph glyph, const QString& hint, bool checkable = false) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setIcon(ToolIcon(glyph));
    button->setToolTip(hint);
    button->setStatusTip(QString(hint).replace('\n', ' '));
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    return button;
}

} // namespace

// ---- the model ----

void IconDeskModel::SetGroups(const std::vector<TAdvIconGroupList>* groups) {
    beginResetModel();
    m_groups = groups;
    m_order.clear();
    if (groups)
        for (size_t i = 0; i < groups->size(); ++i) m_order.push_back(i);
    m_strip = groups ? RawStripSize(*groups) : TileSize{};
    m_pictures.assign(groups ? groups->size() : 0, std::nullopt);
    endResetModel();
}

void IconDeskModel::SetView(IconDeskView view, const DeskFormat* format) {
    beginResetModel();
    m_view = view;
    m_format = format ? std::optional<DeskFormat>(*format) : std::nullopt;
    std::fill(m_pictures.begin(), m_pictures.end(), std::nullopt);
    endResetModel();
}

void IconDeskModel::Sort(DeskSortMode mode, const DeskFormat* format) {
    if (!m_groups) return;
    emit layoutAboutToBeChanged();
    std::stable_sort(m_order.begin(), m_order.end(), [&](size_t a, size_t b) {
        const int byMode = CompareDeskGroups((*m_groups)[a], (*m_groups)[b], mode, format);
        return byMode != 0 ? byMode < 0 : a < b;
    });
    emit layoutChanged();
}

QSize IconDeskModel::PictureSize() const {
    switch (m_view) {
    case IconDeskView::Desktop: return {kLargeTile, kLargeTile};
    case IconDeskView::Windows: return {kCompositeTile, kCompositeTile};
    case IconDeskView::Raw: return {int(std::max<int64_t>(m_strip.width, 1)), int(std::max<int64_t>(m_strip.height, 1))};
    case IconDeskView::Specific: {
        if (!m_format) return {kLargeTile, kLargeTile};
        const gw::TileSize t = SpecificTileSize(*m_format);
        return {int(t.width), int(t.height)};
    }
    }
    return {kLargeTile, kLargeTile};
}

std::optional<size_t> IconDeskModel::GroupAt(int row) const {
    if (row < 0 || size_t(row) >= m_order.size()) return std::nullopt;
    return m_order[size_t(row)];
}

int IconDeskModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_order.size()); }

QVariant IconDeskModel::data(const QModelIndex& index, int role) const {
    const std::optional<size_t> group = GroupAt(index.row());
    if (!group || !m_groups) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString((*m_groups)[*group].Name);
    if (role != Qt::DecorationRole) return {};
    // Drawn when the list first shows the row, then kept for this view.
    std::optional<QPixmap>& picture = m_pictures[*group];
    if (!picture) picture = Draw(*group);
    return *picture;
}

QPixmap IconDeskModel::Draw(size_t index) const {
    const TAdvIconGroupList& group = (*m_groups)[index];
    switch (m_view) {
    case IconDeskView::Desktop: {
        const QImage large = GroupIcon(group, kLargeTile);
        QPixmap tile(kLargeTile, kLargeTile);
        tile.fill(Qt::transparent);
        if (!large.isNull()) QPainter(&tile).drawImage(0, 0, large);
        return tile;
    }
    case IconDeskView::Windows: {
        QPixmap tile = BlankTile(kCompositeTile, kCompositeTile, kCompositeBaseline);
        QPainter painter(&tile);
        const QImage small = GroupIcon(group, kSmallTile), large = GroupIcon(group, kLargeTile);
        if (!small.isNull()) painter.drawImage(kCompositeSmallX, kCompositeSmallY, small);
        if (!large.isNull()) painter.drawImage(kCompositeLargeX, kCompositeLargeY, large);
        return tile;
    }
    case IconDeskView::Raw: {
        QPixmap tile = BlankTile(m_strip.width, m_strip.height, m_strip.height - 2);
        QPainter painter(&tile);
        const std::vector<int64_t> xs = RawStripPositions(group, m_strip.width);
        for (size_t i = 0; i < xs.size(); ++i) DrawImage(painter, group.Images[i], xs[i], kStripTop);
        return tile;
    }
    case IconDeskView::Specific: {
        if (!m_format) return BlankTile(kLargeTile, kLargeTile, kLargeTile - 2);
        const gw::TileSize size = SpecificTileSize(*m_format);
        QPixmap tile = BlankTile(size.width, size.height, SpecificBaseline(*m_format));
        const int image = SpecificImageOf(group, *m_format);
        if (image >= 0) {
            QPainter painter(&tile);
            DrawImage(painter, group.Images[size_t(image)], kSpecificMargin, kSpecificMargin);
        }
        return tile;
    }
    }
    return {};
}

// ---- the window ----

TForm2::TForm2(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
               QWidget* parent)
    : QDialog(parent), m_common(common), m_explorer(explorer), m_flags(flags), m_prompts(prompts) {
    setObjectName("Form2");
    setWindowTitle("Grabwell Icon Workdesk");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildMenus(layout);
    BuildToolBar(layout);

    m_model = new IconDeskModel(this);
    ListView1 = new QListView(this);
    ListView1->setObjectName("ListView1");
    ListView1->setModel(m_model);
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setUniformItemSizes(true);
    ListView1->setWordWrap(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(ListView1, 1);
    connect(ListView1, &QListView::clicked, this, &TForm2::ListView1Click);
    connect(ListView1, &QListView::doubleClicked, this, &TForm2::sb2EditClick);

    StatusBar2 = new QStatusBar(this);
    StatusBar2->setObjectName("StatusBar2");
    m_panel0 = new QLabel(StatusBar2);
    m_panel0->setMinimumWidth(kPanel0Width);
    m_panel1 = new QLabel(StatusBar2);
    m_panel1->setMinimumWidth(kPanel1Width);
    StatusBar2->addWidget(m_panel0);
    StatusBar2->addWidget(m_panel1, 1);
    layout->addWidget(StatusBar2);

    resize(720, 460);
    UpdateSelectionCommands();
}

void TForm2::BuildMenus(QVBoxLayout* layout) {
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    QAction* exit = file->addAction("&Exit");
    exit->setObjectName("m2Exit");
    connect(exit, &QAction::triggered, this, &TForm2::m2ExitClick);

    QMenu* view = bar->addMenu("&View");
    QAction* toolbar = view->addAction("&Toolbar");
    toolbar->setObjectName("m2TB");
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool on) { ToolBar2->setVisible(on); });
    QAction* status = view->addAction("&Status Bar");
    status->setObjectName("m2SB");
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { StatusBar2->setVisible(on); });
    QMenu* arrange = view->addMenu("&Arrange Icons");
    auto* group = new QActionGroup(this);
    auto radio = [&](const char* name, const char* text, void (TForm2::*handler)()) {
        QAction* a = arrange->addAction(text);
        a->setObjectName(name);
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    m2byName = radio("m2byName", "by &Name", &TForm2::m2byNameClick);
    m2byImage = radio("m2byImage", "by Image &Count", &TForm2::m2byImageClick);
    m2byFormat = radio("m2byFormat", "by Specific &Format", &TForm2::m2byFormatClick);
    m2byName->setChecked(true);
    m2Properties = view->addAction("&Properties");
    m2Properties->setObjectName("m2Properties");
    m2Properties->setEnabled(false);
    connect(m2Properties, &QAction::triggered, this, &TForm2::m2propertiesClick);

    QMenu* help = bar->addMenu("&Help");
    QAction* helpItem = help->addAction("&Help");
    helpItem->setObjectName("Help1");
    connect(helpItem, &QAction::triggered, this, &TForm2::Help1Click);
}

void TForm2::BuildToolBar(QVBoxLayout* layout) {
    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName("ToolBar2");
    layout->addWidget(ToolBar2);
    auto add = [&](QToolButton* button, void (TForm2::*handler)()) {
        ToolBar2->addWidget(button);
        connect(button, &QToolButton::clicked, this, handler);
        return button;
    };
    add(SpeedButton("SpeedButton1", ToolGlyph::ParentFolder, "Exit"), &TForm2::m2ExitClick);
    ToolBar2->addSeparator();
    sb2Specific = add(SpeedButton("sb2Specific", ToolGlyph::Details, "Specific View", true), &TForm2::sb2SpecificClick);
    sb2Raw = add(SpeedButton("sb2Raw", ToolGlyph::List, "Raw View", true), &TForm2::sb2RawClick);
    sb2Desk = add(SpeedButton("sb2Desk", ToolGlyph::LargeIcons, "Desktop View (Large)", true), &TForm2::sb2DeskClick);
    sb2Win = add(SpeedButton("sb2Win", ToolGlyph::SmallIcons, "Windows View (Small and large)", true),
                 &TForm2::sb2WinClick);
    auto* views = new QButtonGroup(this);
    for (QToolButton* b : {sb2Specific, sb2Raw, sb2Desk, sb2Win}) views->addButton(b);
    sb2Raw->setChecked(true);
    ToolBar2->addSeparator();
    auto* label = new QLabel(" Image Format: ", ToolBar2);
    ToolBar2->addWidget(label);
    cbIFormat = new QComboBox(ToolBar2);
    cbIFormat->setObjectName("cbIFormat");
    cbIFormat->setToolTip("Image Format");
    cbIFormat->setMinimumContentsLength(16);
    cbIFormat->setEnabled(false);
    ToolBar2->addWidget(cbIFormat);
    connect(cbIFormat, &QComboBox::activated, this, &TForm2::cbIFormatChange);
    ToolBar2->addSeparator();
    m_selectionCommands = {
        add(SpeedButton("sb2SaveOne", ToolGlyph::SaveAllBitmaps, "Extact and Save\nSelected Icon"), &TForm2::sb2SaveOneClick),
        add(SpeedButton("sb2ExtractOne", ToolGlyph::ExtractAll, "Extract and Save Separate Icons\nin Selected Icon"),
            &TForm2::sb2ExtractOneClick),
        add(SpeedButton("sb2ConvertOne", ToolGlyph::SaveAllBitmaps,
                        "Convert to Bitmap and Save\nSeparate Icons in\nSelected Icon"),
            &TForm2::sb2ConvertOneClick),
        add(SpeedButton("sb2Edit", ToolGlyph::LargeIcons, "Open Icon\nin Manager"), &TForm2::sb2EditClick),
    };
    add(SpeedButton("sb2SaveAll", ToolGlyph::SaveAllBitmaps, "Extract and Save\nall Icons in File"), &TForm2::sb2SaveAllClick);
    add(SpeedButton("sb2ExtractAll", ToolGlyph::ExtractAll, "Extract and Save Separate Icons\nin All Icons of File"),
        &TForm2::sb2ExtractAllClick);
    add(SpeedButton("sb2ConvertAll", ToolGlyph::SaveAllBitmaps,
                    "Convert to Bitmap and Save\nSeparate Icons in\nAll Icons of File"),
        &TForm2::sb2ConvertAllClick);
}

QString TForm2::StatusText(int panel) const { return (panel == 0 ? m_panel0 : m_panel1)->text(); }

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm2::FormShow() {
    if (m_common.WorkdeskShown) return;
    const BusyCursor busy;
    m2Properties->setEnabled(false);
    const IconDeskOpening opening = OpenIconDesk(m_explorer, m_common, m_contents);
    m_panel0->setText(FromLocal(opening.fileText));
    m_panel1->setText(QString::fromStdString(opening.kindText));
    m_formats.clear();
    cbIFormat->clear();
    if (!opening.failed) {
        m_formats = DeskFormatsOf(m_contents.IconGroups);
        for (const DeskFormat& f : m_formats) cbIFormat->addItem(QString::fromStdString(f.label));
        if (!m_formats.empty()) cbIFormat->setCurrentIndex(0);
        m_model->SetGroups(&m_contents.IconGroups);
    } else {
        m_model->SetGroups(nullptr);
    }
    ShowView(m_view);
    m_common.WorkdeskShown = 1;
    UpdateSelectionCommands();
}

void TForm2::FormClose() {
    m_model->SetGroups(nullptr);
    m_contents.ReleaseIconGroups();
    m_contents = FileContents{};
    m_formats.clear();
    cbIFormat->clear();
    m2Properties->setEnabled(false);
    m_common.WorkdeskShown = 0;
    UpdateSelectionCommands();
}

// Closing with Esc does the same release work as the window's close button.
void TForm2::reject() {
    FormClose();
    QDialog::reject();
}

void TForm2::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TForm2::m2ExitClick() { reject(); }

const DeskFormat* TForm2::ChosenFormat() const {
    const int i = cbIFormat->currentIndex();
    return i >= 0 && size_t(i) < m_formats.size() ? &m_formats[size_t(i)] : nullptr;
}

std::optional<size_t> TForm2::SelectedGroup() const {
    const QModelIndexList selected = ListView1->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return std::nullopt;
    return m_model->GroupAt(selected.front().row());
}

void TForm2::UpdateSelectionCommands() {
    const bool selected = SelectedGroup().has_value();
    for (QToolButton* b : m_selectionCommands) b->setEnabled(selected);
    m2Properties->setEnabled(selected);
}

void TForm2::ShowView(IconDeskView view) {
    m_view = view;
    sb2Specific->setChecked(view == IconDeskView::Specific);
    sb2Raw->setChecked(view == IconDeskView::Raw);
    sb2Desk->setChecked(view == IconDeskView::Desktop);
    sb2Win->setChecked(view == IconDeskView::Windows);
    cbIFormat->setEnabled(view == IconDeskView::Specific && !m_formats.empty());
    if (view != IconDeskView::Specific && m_sortMode == DeskSortMode::ByFormat) {
        m2byName->setChecked(true);
        m_sortMode = DeskSortMode::ByName;
    }
    m_model->SetView(view, ChosenFormat());
    FitGrid();
    Resort();
}

// Each item's cell: its picture and two lines of caption below it.
void TForm2::FitGrid() {
    const QSize picture = m_model->PictureSize();
    ListView1->setIconSize(picture);
    const int text = ListView1->fontMetrics().height();
    ListView1->setGridSize(QSize(std::max(picture.width() + 12, 72), picture.height() + 2 * text + 8));
}

void TForm2::Resort() { m_model->Sort(m_sortMode, ChosenFormat()); }

void TForm2::m2byNameClick() {
    m_sortMode = DeskSortMode::ByName;
    Resort();
}
void TForm2::m2byImageClick() {
    m_sortMode = DeskSortMode::ByImageCount;
    Resort();
}
void TForm2::m2byFormatClick() {
    m_sortMode = DeskSortMode::ByFormat;
    Resort();
}

void TForm2::cbIFormatChange() {
    m_model->SetView(m_view, ChosenFormat());
    FitGrid();
    Resort();
}

void TForm2::sb2SpecificClick() { ShowView(IconDeskView::Specific); }
void TForm2::sb2RawClick() { ShowView(IconDeskView::Raw); }
void TForm2::sb2DeskClick() { ShowView(IconDeskView::Desktop); }
void TForm2::sb2WinClick() { ShowView(IconDeskView::Windows); }

void TForm2::ListView1Click() { UpdateSelectionCommands(); }

void TForm2::m2propertiesClick() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group) return;
    m_common.IconPropsSource = 3;
    m_common.IconGroupIndex = int32_t(*group);
    if (openProperties) openProperties();
}

void TForm2::sb2EditClick() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group) return;
    m_common.ExecutableSource = 1;
    m_common.IconGroupIndex = int32_t(*group);
    m_common.IconName = m_contents.IconGroups[*group].Name;
    if (openManager) openManager();
}

void TForm2::Help1Click() { OpenHelp(this, kHelpWorkdesks); }

void TForm2::Report(const BatchResult& result) { ReportBatchResult(result, m_prompts); }

void TForm2::sb2SaveOneClick() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group) return;
    Report(SaveIconGroup(m_contents.IconGroups[*group], m_prompts));
}

void TForm2::sb2SaveAllClick() {
    const BusyCursor busy;
    Report(SaveAllIconGroups(m_contents.IconGroups, m_flags, m_prompts));
}

namespace {

DeskSelection AllGroups(const std::vector<TAdvIconGroupList>& groups) {
    DeskSelection all;
    for (const auto& g : groups) all.groups.push_back(&g);
    return all;
}

} // namespace

void TForm2::sb2ExtractOneClick() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group) return;
    Report(ExtractIconImages({{&m_contents.IconGroups[*group]}, true}, m_flags, m_prompts));
}

void TForm2::sb2ExtractAllClick() {
    const BusyCursor busy;
    Report(ExtractIconImages(AllGroups(m_contents.IconGroups), m_flags, m_prompts));
}

void TForm2::sb2ConvertOneClick() {
    const std::optional<size_t> group = SelectedGroup();
    if (!group) return;
    Report(ConvertIconImages({{&m_contents.IconGroups[*group]}, true}, m_flags, m_prompts));
}

void TForm2::sb2ConvertAllClick() {
    const BusyCursor busy;
    Report(ConvertIconImages(AllGroups(m_contents.IconGroups), m_flags, m_prompts));
}

} // namespace gw
