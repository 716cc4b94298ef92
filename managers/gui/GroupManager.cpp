#include "managers/gui/GroupManager.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

#include <algorithm>

#include "batch/core/Prompts.h"
#include "batch/core/OutputNames.h"
#include "gui/Help.h"
#include "gui/ImageTransfer.h"
#include "gui/WindowPlaces.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "gui/ToolIcons.h"

namespace gw {

namespace {

constexpr int kWindowWidth = 257;
constexpr int kTroubleSignSide = 24;
constexpr int kWindowHeight = 438;
constexpr int kStatusSpacing = 6; // between the status bar's panels, as the bar lays them out
const QColor kSelectedBack(0xFF, 0xFF, 0x00); // yellow
const QColor kSelectedText(0xFF, 0x00, 0x00); // red

// One row: the image at the left, vertically centred; its label right-aligned,
// yellow with red text while selected. Every label box is as wide as the
// widest label of the group needs, so that the boxes line up.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(const ManagerLayout& layout, const int& labelTextWidth, QObject* parent)
        : QStyledItemDelegate(parent), m_layout(layout), m_labelTextWidth(labelTextWidth) {}

    // The width a label's text takes in a row.
    static int TextWidthOf(const QFontMetrics& metrics, const QString& label) {
        return metrics.boundingRect(QRect(), Qt::AlignCenter, label).width() + 8;
    }

    // Each row as tall as its own picture needs, and never too low for both
    // lines of its label (a large desktop font).
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QImage picture = index.data(Qt::DecorationRole).value<QImage>();
        const int height = picture.isNull() ? 0 : int(std::lround(picture.deviceIndependentSize().height()));
        const int label = option.fontMetrics.boundingRect(QRect(), Qt::AlignCenter, index.data().toString()).height();
        return {ManagerRowWidth(m_layout, TextWidth(option, index)), std::max(ManagerRowHeight(height), label + 4)};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect row = option.rect;
        const QImage picture = index.data(Qt::DecorationRole).value<QImage>();
        if (!picture.isNull())
            painter->drawImage(row.left() + kManagerPictureLeft, row.top() + (row.height() - picture.height()) / 2,
                               picture);
        const int textWidth = TextWidth(option, index);
        const int labelWidth = ManagerLabelWidth(m_layout, textWidth);
        const QRect label(row.left() + ManagerRowWidth(m_layout, textWidth) - labelWidth, row.top() + 1, labelWidth,
                          row.height() - 2);
        const bool selected = option.state & QStyle::State_Selected;
        // Yellow with red text while selected; otherwise the palette's own
        // colours, so a dark theme stays readable.
        painter->fillRect(label, selected ? kSelectedBack : option.palette.button().color());
        painter->setPen(selected ? kSelectedText : option.palette.buttonText().color());
        painter->drawText(label, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    }

private:
    int TextWidth(const QStyleOptionViewItem& option, const QModelIndex& index) const {
        return std::max(m_labelTextWidth, TextWidthOf(option.fontMetrics, index.data(Qt::DisplayRole).toString()));
    }
    const ManagerLayout& m_layout;
    const int& m_labelTextWidth;
};

} // namespace

template <class Group>
void GroupRowsModel<Group>::SetGroup(const Group* group, ManagerMode mode) {
    beginResetModel();
    m_group = group;
    m_mode = mode;
    endResetModel();
}

template <class Group>
int GroupRowsModel<Group>::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_group ? 0 : int(m_group->Images.size());
}

template <class Group>
QVariant GroupRowsModel<Group>::data(const QModelIndex& index, int role) const {
    if (!m_group || index.row() < 0 || size_t(index.row()) >= m_group->Images.size()) return {};
    const auto& im = m_group->Images[size_t(index.row())];
    if (role == Qt::DisplayRole) return QString::fromStdString(ManagerKind<Group>::RowLabel(im, m_mode));
    const bool decodes = !im.Missing && im.Handle();
    if (role == Qt::DecorationRole) return decodes ? ToQImage(*im.Handle()) : ImageTroubleSign(kTroubleSignSide);
    if (role == Qt::ToolTipRole) return ImageTrouble(im.Missing, decodes);
    return {};
}

template <class Group>
GroupManager<Group>::GroupManager(const ManagerDesign& design, ActionFlags& flags, Prompts& prompts,
                                  Viewers* viewers, QWidget* parent)
    : QDialog(parent), m_flags(flags), m_prompts(prompts), m_design(design), m_viewers(viewers),
      m_model(new GroupRowsModel<Group>(this)) {
    const QString noun = Kind::kNoun;
    setObjectName(design.objectName);
    setWindowTitle("Grabwell " + noun + " Manager");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(2);

    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    auto item = [this](QMenu* menu, const QString& name, const QString& text, void (GroupManager::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* file = bar->addMenu("&File");
    item(file, "Close1", "&Close", &GroupManager::reject)->setShortcut(QKeySequence::Close);
    item(file, "Exit1", "&Exit", &GroupManager::reject);
    item(bar->addMenu("&Edit"), "Copy1", "&Copy", &GroupManager::CopySelectedImage)->setShortcut(QKeySequence::Copy);
    item(bar->addMenu("&View"), "m3Properties", "&Properties", &GroupManager::ShowProperties)
        ->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    QMenu* extract = m_extractMenu = bar->addMenu("&Extract");
    item(extract, "Extractselected" + noun + "1", "Extract &Selected " + noun, &GroupManager::SaveSelectedImage)
        ->setShortcut(QKeySequence::Save);
    item(extract, "ExtractAll" + noun + "s1", "Extract &All " + noun + "s", &GroupManager::SaveAllImages)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QMenu* exportMenu = bar->addMenu("E&xport");
    item(exportMenu, "ExportSelected" + noun + "asBitmap1", "Export &Selected " + noun + " as Bitmap",
         &GroupManager::ExportSelectedAsBitmap);
    item(exportMenu, "ExportAll" + noun + "sasBitmap1", "Export &All " + noun + "s as Bitmap",
         &GroupManager::ExportAllAsBitmaps);
    QAction* help = bar->addMenu("&Help")->addAction("&Help");
    help->setObjectName("Help2");
    connect(help, &QAction::triggered, this, [this] { OpenHelp(this, kHelpManagers); });

    auto* tools = new QToolBar(this);
    tools->setObjectName("SpeedBar4");
    auto button = [&](const QString& name, ToolGlyph glyph, const QString& hint, void (GroupManager::*handler)()) {
        QAction* a = tools->addAction(ToolIcon(glyph), QString(hint).replace('\n', ' '));
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, handler);
    };
    const QString prefix = design.buttonPrefix;
    button("sExit", ToolGlyph::Exit, "Exit", &GroupManager::reject);
    tools->addSeparator();
    button(prefix + "SaveOne", ToolGlyph::SaveOne, "Extract Selected " + noun, &GroupManager::SaveSelectedImage);
    button(prefix + "SaveAll", ToolGlyph::SaveAll, "Extract all " + noun + "s", &GroupManager::SaveAllImages);
    button(prefix + "ConvertOne", ToolGlyph::ConvertImages, "Export Selected " + noun + "\nas Bitmap",
           &GroupManager::ExportSelectedAsBitmap);
    button(prefix + "ConvertAll", ToolGlyph::ConvertImages, "Export all " + noun + "s\nas Bitmap",
           &GroupManager::ExportAllAsBitmaps);
    layout->addWidget(tools);
    m_list = new DragListView(this);
    m_list->setObjectName("IcoListBox");
    // A row dragged out arrives as the file Save writes, or as a picture.
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->transferOf = [this](int row) { return TransferOf(row); };
    // A double-click or Enter on a row shows its properties.
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        SelectImage(index.row());
        ShowProperties();
    });
    m_list->installEventFilter(this);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new RowDelegate(m_layout, m_labelTextWidth, m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The list takes the window's height beyond the tool bar and status bar.
    layout->addWidget(m_list, 1);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SelectImage(current.row()); });

    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    m_panel0 = new QLabel(status);
    m_panel0->setMinimumWidth(110);
    m_panel1 = new QLabel(status);
    m_panel1->setMinimumWidth(100);
    status->addWidget(m_panel0);
    status->addWidget(m_panel1, 1);
    m_damage = new DamageIndicator(status);
    status->addPermanentWidget(m_damage);
    layout->addWidget(status);
    resize(kWindowWidth, kWindowHeight);
}


template <class Group>
const Group* GroupManager<Group>::CurrentGroup() const {
    return ShownGroup();
}

template <class Group>
const Group* GroupManager<Group>::ShownGroup() const {
    if (!m_file) return nullptr;
    const std::vector<Group>& groups = Kind::Groups(m_file->Contents());
    return m_group < groups.size() ? &groups[m_group] : nullptr;
}

template <class Group>
auto GroupManager<Group>::SelectedImage() const -> const Image* {
    const Group* group = CurrentGroup();
    if (!group || m_model->rowCount() == 0 || m_image < 0 || size_t(m_image) >= group->Images.size()) return nullptr;
    return &group->Images[size_t(m_image)];
}

template <class Group>
QString GroupManager<Group>::StatusText(int panel) const {
    return (panel == 0 ? m_panel0 : m_panel1)->text();
}

template <class Group>
bool GroupManager<Group>::OpenFile(const std::string& path) {
    return OpenGroupFile(Document::Open(path));
}

template <class Group>
bool GroupManager<Group>::OpenGroupFile(std::shared_ptr<Document> file) {
    Release();
    m_file = std::move(file);
    m_fileName = ViewerFileName(*m_file);
    if (m_file->Readable()) m_file->LoadAsImageFile(Kind::kFileKind);
    m_group = 0;
    m_name = LowerBaseName(m_fileName); // output names keep their lower-case form
    const Group* group = CurrentGroup();
    if (!m_file->Readable() || !group || group->Images.empty()) {
        // Nothing to show: say why instead of opening an empty window.
        ShowUnreadable(*m_file, "it holds no " + std::string(Kind::kNoun) + " images");
        Release();
        return false;
    }
    ShowGroup(ManagerMode::File);
    return true;
}

template <class Group>
void GroupManager<Group>::ShowUnreadable(const Document& file, const std::string& holdsNothing) {
    m_prompts.ShowMessage(MessageKind::Error, CannotShowText(ViewerFileName(file), file, holdsNothing));
}

template <class Group>
void GroupManager<Group>::ShowFile(std::shared_ptr<Document> file, std::string name, ManagerMode mode) {
    m_file = std::move(file);
    m_fileName = m_file ? ViewerFileName(*m_file) : std::string();
    m_name = std::move(name);
    ShowGroup(mode);
}

template <class Group>
void GroupManager<Group>::InsertAboveList(QWidget* widget) {
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->indexOf(m_list), widget);
}

template <class Group>
void GroupManager<Group>::OpenWorkdeskGroup(std::shared_ptr<Document> file, size_t group) {
    Release();
    m_file = std::move(file);
    m_group = group;
    m_fileName = m_file ? ViewerFileName(*m_file) : std::string();
    const Group* shown = CurrentGroup();
    m_name = shown ? shown->Name : std::string();
    ShowGroup(ManagerMode::Workdesk);
}

template <class Group>
void GroupManager<Group>::ShowGroup(ManagerMode mode) {
    m_panel0->setText(FromLocal(m_fileName));
    FillRows(mode, 0);
    // Rows wider than the designed 257-pixel window (256-pixel images) widen
    // it, up to the screen, rather than hide their labels to the right; so
    // do the file's and the image's names in the status bar. (The damage
    // sign, shown after, cuts its text at a word instead.)
    m_damage->Clear();
    const int rowWidth = m_model->rowCount() > 0 ? m_list->sizeHintForColumn(0) : 0;
    const int rowsNeed = rowWidth + 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width() + 8;
    const QMargins margins = layout()->contentsMargins();
    // The two panels, the bar's spacing beside each and its size grip.
    const QSizeGrip* grip = m_panel0->parentWidget()->findChild<QSizeGrip*>();
    const int statusNeeds = m_panel0->sizeHint().width() + m_panel1->sizeHint().width() + 3 * kStatusSpacing +
                            (grip ? grip->sizeHint().width() : 0) + margins.left() + margins.right();
    const int needed = std::max(rowsNeed, statusNeeds);
    const int screenWidth = screen() ? screen()->availableGeometry().width() : needed;
    RestoreWindowSize(*this, Places());
    resize(std::max(width(), std::max(kWindowWidth, std::min(needed, screenWidth))), height());
    m_damage->Show(m_file ? m_file->Errors() : std::vector<ReadError>{});
}

template <class Group>
void GroupManager<Group>::ShowRows(std::string name) {
    m_name = std::move(name);
    FillRows(m_model->Mode(), m_image);
}

// The rows of the shown group with row `selected` selected, or the last
// when there are fewer.
template <class Group>
void GroupManager<Group>::FillRows(ManagerMode mode, int selected) {
    const Group* group = CurrentGroup();
    m_layout = group ? Kind::Layout(*group) : ManagerLayout{};
    // At least one row shows, however small the window is made.
    m_list->setMinimumHeight(m_layout.rowHeight + 2 * m_list->frameWidth());
    m_list->setIconSize(QSize(m_layout.maxWidth, m_layout.maxWidth));
    m_model->SetGroup(group, mode);
    const int rows = m_model->rowCount();
    // Before the list lays the rows out (after this call): every label box as wide as the widest.
    m_labelTextWidth = 0;
    for (int r = 0; r < rows; ++r) {
        const QString label = m_model->data(m_model->index(r), Qt::DisplayRole).toString();
        m_labelTextWidth = std::max(m_labelTextWidth, RowDelegate::TextWidthOf(m_list->fontMetrics(), label));
    }
    if (rows > 0) {
        const int j = std::clamp(selected, 0, rows - 1);
        m_list->setCurrentIndex(m_model->index(j));
        SelectImage(j);
    } else {
        m_image = 0;
        m_panel1->clear();
    }
}

template <class Group>
void GroupManager<Group>::SelectImage(int j) {
    if (j < 0 || j >= m_model->rowCount()) return;
    m_image = j;
    m_panel1->setText(FromLocal(SelectedBase()));
    if (m_list->currentIndex().row() != j) m_list->setCurrentIndex(m_model->index(j));
}

// The file is let go when the manager closes; a workdesk that shares it keeps it.
template <class Group>
void GroupManager<Group>::Release() {
    m_model->SetGroup(nullptr, ManagerMode::File);
    m_file.reset();
    m_group = 0;
    m_image = 0;
    m_name.clear();
    m_fileName.clear();
    m_panel0->clear();
    m_panel1->clear();
    m_damage->Clear();
    Released();
}

// Closing with Esc does the same release work as the window's close button.
template <class Group>
bool GroupManager<Group>::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && SelectedImage()) {
            ShowProperties();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

template <class Group>
void GroupManager<Group>::reject() {
    if (m_file) RememberWindowSize(*this, Places());
    Release();
    QDialog::reject();
}

template <class Group>
void GroupManager<Group>::closeEvent(QCloseEvent* event) {
    if (m_file) RememberWindowSize(*this, Places());
    Release();
    QDialog::closeEvent(event);
}

template <class Group>
void GroupManager<Group>::ShowProperties() {
    if (!SelectedImage() || !m_viewers) return;
    m_viewers->Open(SheetViewRequest());
}

template <class Group>
ViewRequest GroupManager<Group>::SheetViewRequest() const {
    return {.target = m_design.sheet,
            .file = m_file,
            .shown = Shown::Group,
            .item = m_group,
            .image = size_t(m_image),
            .askedBy = m_model->Mode() == ManagerMode::File ? AskedBy::FileManager : AskedBy::WorkdeskManager,
            .name = m_name};
}

// The image as Save writes it (a one-image file) and as a picture.
template <class Group>
std::optional<ImageTransfer> GroupManager<Group>::TransferOf(int row) const {
    const Group* group = CurrentGroup();
    if (!group || row < 0 || size_t(row) >= group->Images.size()) return std::nullopt;
    const Image& im = group->Images[size_t(row)];
    SavedFile file = ImageSaveFile(im, DataForm());
    if (file.bytes.empty()) return std::nullopt;
    return ImageTransfer{im.Handle() ? ToQImage(*im.Handle()) : QImage(), file.mimeType, std::move(file.bytes),
                         FromLocal(SafeBaseName(ManagerImageName(m_name, size_t(row))) + file.ext)};
}

template <class Group>
void GroupManager<Group>::CopySelectedImage() {
    if (const auto transfer = TransferOf(m_image); transfer && SelectedImage()) CopyToClipboard(*transfer);
}

template <class Group>
CursorDataForm GroupManager<Group>::DataForm() const {
    return m_model->Mode() == ManagerMode::File ? CursorDataForm::CurFile : CursorDataForm::Resource;
}

template <class Group>
std::string GroupManager<Group>::SelectedBase() const {
    return ManagerImageName(m_name, size_t(std::max(m_image, 0)));
}

template <class Group>
GroupSelection<Group> GroupManager<Group>::AllImages() const {
    GroupSelection<Group> selection;
    if (const Group* group = CurrentGroup()) {
        selection.groups.push_back(group);
        selection.names.push_back(m_name);
    }
    selection.cursorForm = DataForm();
    return selection;
}

template <class Group>
void GroupManager<Group>::SaveSelectedImage() {
    if (const Image* im = SelectedImage())
        ReportBatchResult(SaveGroupImage(*im, SelectedBase(), m_prompts, DataForm()), m_prompts);
}

// An animation's frames are written even while the shown one has no image.
template <class Group>
void GroupManager<Group>::SaveAllImages() {
    const GroupSelection<Group> all = AllImages();
    if (m_model->rowCount() > 0 || !all.animations.empty())
        ReportBatchSummary("Extract All", ExtractDeskImages(all, m_flags, m_prompts), m_prompts);
}

template <class Group>
void GroupManager<Group>::ExportSelectedAsBitmap() {
    if (const Image* im = SelectedImage())
        ReportBatchResult(ConvertGroupImage(*im, SelectedBase(), m_prompts), m_prompts);
}

template <class Group>
void GroupManager<Group>::ExportAllAsBitmaps() {
    const GroupSelection<Group> all = AllImages();
    if (m_model->rowCount() > 0 || !all.animations.empty())
        ReportBatchSummary("Convert All", ConvertDeskImages(all, m_flags, m_prompts), m_prompts);
}

template class GroupRowsModel<IconGroup>;
template class GroupRowsModel<CursorGroup>;
template class GroupManager<IconGroup>;
template class GroupManager<CursorGroup>;

} // namespace gw
