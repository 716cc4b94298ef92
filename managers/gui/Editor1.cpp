#include "managers/gui/Editor1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QVBoxLayout>

#include "batch/core/GroupCommands.h"
#include "batch/core/Prompts.h"
#include "gui/Help.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "gui/ToolIcons.h"
#include "listing/CommonData.h"

namespace gw {

namespace {

constexpr int kWindowWidth = 257;
constexpr int kWindowHeight = 438;
const QColor kSelectedBack(0xFF, 0xFF, 0x00); // yellow
const QColor kSelectedText(0xFF, 0x00, 0x00); // red

// One row: the image at the left, vertically centred; its label right-aligned,
// yellow with red text while selected.
class IconRowDelegate : public QStyledItemDelegate {
public:
    IconRowDelegate(const ManagerLayout& layout, QObject* parent) : QStyledItemDelegate(parent), m_layout(layout) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {ManagerRowWidth(m_layout, TextWidth(option, index)), m_layout.rowHeight};
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
        painter->fillRect(label, selected ? kSelectedBack : option.palette.button().color());
        painter->setPen(selected ? kSelectedText : Qt::black);
        painter->drawText(label, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    }

private:
    static int TextWidth(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return option.fontMetrics.boundingRect(QRect(), Qt::AlignCenter, index.data(Qt::DisplayRole).toString())
                   .width() +
               8;
    }
    const ManagerLayout& m_layout;
};

} // namespace

void IconRowsModel::SetGroup(const TAdvIconGroupList* group, ManagerMode mode) {
    beginResetModel();
    m_group = group;
    m_mode = mode;
    endResetModel();
}

int IconRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_group ? 0 : int(m_group->Images.size());
}

QVariant IconRowsModel::data(const QModelIndex& index, int role) const {
    if (!m_group || index.row() < 0 || size_t(index.row()) >= m_group->Images.size()) return {};
    const TAdvIconImage& im = m_group->Images[size_t(index.row())];
    if (role == Qt::DisplayRole) return QString::fromStdString(IconRowLabel(im, m_mode));
    if (role == Qt::DecorationRole && !im.Missing && im.Handle()) return ToQImage(*im.Handle());
    return {};
}

TForm4::TForm4(CommonData& common, ActionFlags& flags, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_common(common), m_flags(flags), m_prompts(prompts), m_model(new IconRowsModel(this)) {
    setObjectName("Form4");
    setWindowTitle("Grabwell Icon Manager");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(2);

    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    auto item = [this](QMenu* menu, const char* name, const char* text, void (TForm4::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item(bar->addMenu("&File"), "Exit1", "&Exit", &TForm4::reject);
    item(bar->addMenu("&View"), "m3Properties", "&Properties", &TForm4::PropertiesClick);
    QMenu* extract = bar->addMenu("&Extract");
    item(extract, "ExtractselectedIcon1", "Extract &Selected Icon", &TForm4::SaveOneClick);
    item(extract, "ExtractAllIcons1", "Extract &All Icons", &TForm4::SaveAllClick);
    QMenu* exportMenu = bar->addMenu("E&xport");
    item(exportMenu, "ExportSelectedIconasBitmap1", "Export &Selected Icon as Bitmap", &TForm4::ConvertOneClick);
    item(exportMenu, "ExportAllIconsasBitmap1", "Export &All Icons as Bitmap", &TForm4::ConvertAllClick);
    QAction* help = bar->addMenu("&Help")->addAction("&Help");
    help->setObjectName("Help2");
    connect(help, &QAction::triggered, this, [this] { OpenHelp(this, kHelpManagers); });

    auto* tools = new QToolBar(this);
    tools->setObjectName("SpeedBar4");
    auto button = [&](const char* name, ToolGlyph glyph, const char* hint, void (TForm4::*handler)()) {
        QAction* a = tools->addAction(ToolIcon(glyph), QString(hint).replace('\n', ' '));
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, handler);
    };
    button("sExit", ToolGlyph::Exit, "Exit", &TForm4::reject);
    tools->addSeparator();
    button("bIcSaveOne", ToolGlyph::SaveOne, "Extract Selected Icon", &TForm4::SaveOneClick);
    button("bIcSaveAll", ToolGlyph::SaveAll, "Extract all Icons", &TForm4::SaveAllClick);
    button("bIcConvertOne", ToolGlyph::ConvertImages, "Export Selected Icon\nas Bitmap", &TForm4::ConvertOneClick);
    button("bIcConvertAll", ToolGlyph::ConvertImages, "Export all Icons\nas Bitmap", &TForm4::ConvertAllClick);
    layout->addWidget(tools);

    m_list = new QListView(this);
    m_list->setObjectName("IcoListBox");
    m_list->setModel(m_model);
    m_list->setItemDelegate(new IconRowDelegate(m_layout, m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    layout->addWidget(m_list);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SelectImage(current.row()); });
    layout->addStretch(1);

    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    m_panel0 = new QLabel(status);
    m_panel0->setMinimumWidth(110);
    m_panel1 = new QLabel(status);
    m_panel1->setMinimumWidth(100);
    status->addWidget(m_panel0);
    status->addWidget(m_panel1, 1);
    layout->addWidget(status);
    resize(kWindowWidth, kWindowHeight);
}

const std::vector<TAdvIconGroupList>* TForm4::Groups() const {
    return m_deskGroups ? m_deskGroups : &m_contents.IconGroups;
}

const TAdvIconGroupList* TForm4::Group() const {
    const std::vector<TAdvIconGroupList>* groups = Groups();
    const int32_t g = m_common.IconGroupIndex;
    return g >= 0 && size_t(g) < groups->size() ? &(*groups)[size_t(g)] : nullptr;
}

const TAdvIconImage* TForm4::SelectedImage() const {
    const TAdvIconGroupList* group = Group();
    const int32_t j = m_common.IconImageIndex;
    if (!group || m_model->rowCount() == 0 || j < 0 || size_t(j) >= group->Images.size()) return nullptr;
    return &group->Images[size_t(j)];
}

QString TForm4::StatusText(int panel) const { return (panel == 0 ? m_panel0 : m_panel1)->text(); }

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm4::FormShow() {
    if (m_common.PropsDialogOpen) return;
    m_panel0->setText(FromLocal(m_common.SelFileName));
    const ManagerMode mode = m_deskGroups ? ManagerMode::Workdesk : ManagerMode::File;
    if (mode == ManagerMode::File) OpenIconManagerFile(m_common, m_contents);
    const TAdvIconGroupList* group = Group();
    m_layout = group ? IconManagerLayout(*group) : ManagerLayout{};
    m_list->setFixedHeight(m_layout.listHeight);
    m_list->setIconSize(QSize(m_layout.maxWidth, m_layout.maxWidth));
    m_model->SetGroup(group, mode);
    // Rows wider than the designed 257-pixel window (256-pixel images) widen
    // it, up to the screen, rather than hide their labels to the right.
    const int rowWidth = m_model->rowCount() > 0 ? m_list->sizeHintForColumn(0) : 0;
    const int needed = rowWidth + 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width() + 8;
    const int screenWidth = screen() ? screen()->availableGeometry().width() : needed;
    resize(std::max(kWindowWidth, std::min(needed, screenWidth)), height());
    if (m_model->rowCount() > 0) {
        m_list->setCurrentIndex(m_model->index(0));
        SelectImage(0);
    } else {
        m_panel1->clear();
    }
}

void TForm4::SelectImage(int j) {
    if (j < 0 || j >= m_model->rowCount()) return;
    m_common.IconImageIndex = j;
    m_panel1->setText(FromLocal(ManagerImageName(m_common.IconName, size_t(j))));
    if (m_list->currentIndex().row() != j) m_list->setCurrentIndex(m_model->index(j));
}

void TForm4::FormClose() {
    m_model->SetGroup(nullptr, ManagerMode::File);
    m_contents.ReleaseIconGroups();
    m_contents = FileContents{};
    m_deskGroups = nullptr;
    m_panel0->clear();
    m_panel1->clear();
    m_common.PropsDialogOpen = 0;
}

// Closing with Esc does the same release work as the window's close button.
void TForm4::reject() {
    FormClose();
    QDialog::reject();
}

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TForm4::PropertiesClick() {
    if (!SelectedImage()) return;
    m_common.PropsDialogOpen = 1;
    m_common.IconPropsSource = m_model->Mode() == ManagerMode::File ? 1 : 2;
    if (openProperties) openProperties();
}

GroupSelection<TAdvIconGroupList> TForm4::AllImages() const {
    GroupSelection<TAdvIconGroupList> selection;
    if (const TAdvIconGroupList* group = Group()) {
        selection.groups.push_back(group);
        selection.names.push_back(m_common.IconName);
    }
    return selection;
}

void TForm4::SaveOneClick() {
    if (const TAdvIconImage* im = SelectedImage())
        ReportBatchResult(SaveGroupImage(*im, ManagerImageName(m_common.IconName, size_t(m_common.IconImageIndex)),
                                         m_prompts),
                          m_prompts);
}

void TForm4::SaveAllClick() {
    if (m_model->rowCount() > 0) ReportBatchResult(ExtractDeskImages(AllImages(), m_flags, m_prompts), m_prompts);
}

void TForm4::ConvertOneClick() {
    if (const TAdvIconImage* im = SelectedImage())
        ReportBatchResult(
            ConvertGroupImage(*im, ManagerImageName(m_common.IconName, size_t(m_common.IconImageIndex)), m_prompts),
            m_prompts);
}

void TForm4::ConvertAllClick() {
    if (m_model->rowCount() > 0) ReportBatchResult(ConvertDeskImages(AllImages(), m_flags, m_prompts), m_prompts);
}

} // namespace gw
