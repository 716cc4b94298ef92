#include "explorer/gui/FileList.h"

#include <QHeaderView>
#include <QIconEngine>
#include <QListView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "explorer/core/ListColumns.h"
#include "explorer/core/ListRules.h"
#include "gui/DamageReport.h"
#include "pictures/RowPicture.h"

namespace gw {
namespace {

const QSize kLargeIconGrid(96, 68);
const QSize kSmallIconGrid(180, 22);

QString Text(const std::string& s) { return QString::fromStdString(s); }

// A view that reports a left click and a double-click after it has handled
// them itself (so the selection is already up to date), and that clears the
// selection on a press on empty space, as a file list does.
template <class View>
class ReportingView : public View {
public:
    using View::View;
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!this->indexAt(event->position().toPoint()).isValid()) {
            this->clearSelection();
            this->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
        View::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        View::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && onClick) onClick();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        View::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && onDoubleClick) onDoubleClick();
    }
    // Enter on the current row opens it, as a double-click does.
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && this->currentIndex().isValid() && onDoubleClick) {
            onDoubleClick();
            return;
        }
        View::keyPressEvent(event);
    }
};

// Leaves a little room above each tile of the large-icon view, whose grid
// would otherwise put the first row's icons against the list's edge.
class TileDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int topPadding = 0;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(0, topPadding, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, topPadding);
    }
};

constexpr int kLargeTilePadding = 6;

// The picture at each of its sizes with the damage sign over its
// bottom-right quarter.
QIcon MarkedDamaged(const QIcon& picture) {
    QIcon marked;
    for (int side : {kLargeTile, kSmallTile}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        picture.paint(&painter, QRect(0, 0, side, side));
        const int sign = std::max(8, side / 2);
        painter.drawImage(QPoint(side - sign, side - sign), ImageTroubleSign(sign));
        painter.end();
        marked.addPixmap(pixmap);
    }
    return marked;
}

// The decoration of one row of one list. It holds no pixels: it asks the
// model for the row's picture when it is painted. Its size is known without
// the picture (every row picture is a square tile, drawn at most
// kLargeTile across), so that sizing a row never makes a picture: the list
// and icon views size every row of a list when they lay it out.
class RowIconEngine : public QIconEngine {
public:
    RowIconEngine(std::weak_ptr<const FileListModel::PictureSource> source, uint64_t listing, int imageIndex)
        : m_source(std::move(source)), m_listing(listing), m_imageIndex(imageIndex) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Picture().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        return size.boundedTo(QSize(kLargeTile, kLargeTile));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Picture().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Picture().pixmap(size / scale, scale, mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("GrabwellListRow"); }
    QIconEngine* clone() const override { return new RowIconEngine(*this); }

private:
    QIcon Picture() const {
        const std::shared_ptr<const FileListModel::PictureSource> source = m_source.lock();
        if (!source || source->listing != m_listing) return {};
        return source->model->PictureAt(m_imageIndex);
    }

    std::weak_ptr<const FileListModel::PictureSource> m_source;
    uint64_t m_listing;
    int m_imageIndex;
};

// Hands the memory freed by dropping a list back to the system: the C
// library keeps freed small blocks for reuse, and a list of many thousands
// of rows leaves many of them.
void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

// ---- model ----

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent), m_source(std::make_shared<PictureSource>()) {
    m_source->model = this;
}

void FileListModel::ForgetPictures() {
    ++m_source->listing;
    m_pictures.Clear();
}

void FileListModel::Clear() {
    beginResetModel();
    ForgetPictures();
    // Swapped out rather than cleared, so that their room goes too.
    std::vector<ListRow>().swap(m_rows);
    std::vector<int>().swap(m_displayOf);
    m_makePicture = nullptr;
    endResetModel();
    ReturnFreedMemory();
}

void FileListModel::SetRows(std::vector<ListRow> rows, PictureMaker makePicture) {
    beginResetModel();
    ForgetPictures();
    m_rows = std::move(rows);
    m_makePicture = std::move(makePicture);
    int images = 0;
    for (const ListRow& row : m_rows) images = std::max(images, row.imageIndex + 1);
    m_displayOf.assign(size_t(images), -1);
    for (size_t display = 0; display < m_rows.size(); ++display)
        if (m_rows[display].imageIndex >= 0) m_displayOf[size_t(m_rows[display].imageIndex)] = int(display);
    endResetModel();
}

void FileListModel::Sort(SortMode sortMode, uint8_t sortAscending) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> imagesBefore;
    imagesBefore.reserve(size_t(before.size()));
    for (const QModelIndex& index : before) imagesBefore.push_back(m_rows[size_t(index.row())].imageIndex);

    // Rows the comparison finds equal keep the order the scan found them in,
    // whatever order an earlier sort left.
    std::sort(m_rows.begin(), m_rows.end(), [&](const ListRow& a, const ListRow& b) {
        const int order = ListViewCompare(a, b, sortMode, sortAscending);
        return order != 0 ? order < 0 : a.imageIndex < b.imageIndex;
    });

    for (size_t display = 0; display < m_rows.size(); ++display)
        m_displayOf[size_t(m_rows[display].imageIndex)] = int(display);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.push_back(index(m_displayOf[size_t(imagesBefore[size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const ListRow* FileListModel::RowAt(int displayRow) const {
    if (displayRow < 0 || size_t(displayRow) >= m_rows.size()) return nullptr;
    return &m_rows[size_t(displayRow)];
}

QIcon FileListModel::PictureAt(int imageIndex) const {
    if (imageIndex < 0 || size_t(imageIndex) >= m_displayOf.size() || m_displayOf[size_t(imageIndex)] < 0)
        return {};
    if (const QIcon* kept = m_pictures.Find(imageIndex)) return *kept;
    const ListRow& row = m_rows[size_t(m_displayOf[size_t(imageIndex)])];
    QIcon picture;
    try {
        if (m_makePicture) picture = m_makePicture(row);
    } catch (...) {
        // Out of memory reading a file that changed since the scan: an
        // empty tile, kept, so that it is not read again at every paint.
    }
    // A damaged file's picture carries the warning sign in its corner.
    if (row.damage) picture = MarkedDamaged(picture);
    return m_pictures.Put(imageIndex, std::move(picture));
}

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(kListColumns.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const ListRow* row = RowAt(index.row());
    const ListColumnInfo* column = ColumnAt(index.column());
    if (!row || !column) return {};
    if (role == Qt::DisplayRole) return Text(column->text(*row));
    // The picture and the tooltip go with the name, which every view shows.
    if (column->column != ListColumn::Name) return {};
    if (role == Qt::DecorationRole) return QIcon(new RowIconEngine(m_source, m_source->listing, row->imageIndex));
    // The whole name, for the views that cut it short, and the damage found.
    if (role == Qt::ToolTipRole)
        return row->damage ? Text(row->caption) + "\n" + DamageSummary({*row->damage}) : Text(row->caption);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const ListColumnInfo* column = ColumnAt(section);
    return column ? QVariant(QString::fromUtf8(column->header)) : QVariant();
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

// ---- views ----

FileListView::FileListView(FileListModel* model, QWidget* parent) : QStackedWidget(parent), m_model(model) {
    auto* iconView = new ReportingView<QListView>(this);
    iconView->setObjectName("ListViewIcons");
    iconView->setModel(model);
    iconView->setModelColumn(ColumnIndex(ListColumn::Name));
    iconView->setSelectionMode(QAbstractItemView::SingleSelection);
    iconView->setSelectionBehavior(QAbstractItemView::SelectRows);
    iconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    iconView->setResizeMode(QListView::Adjust);
    iconView->setTextElideMode(Qt::ElideRight);
    m_tileDelegate = new TileDelegate(iconView);
    iconView->setItemDelegate(m_tileDelegate);
    iconView->onClick = [this] { emit Clicked(); };
    iconView->onDoubleClick = [this] { emit DoubleClicked(); };
    m_iconView = iconView;

    m_emptyHint = new QLabel(this);
    m_emptyHint->setObjectName("EmptyListHint");
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setTextFormat(Qt::RichText);
    m_emptyHint->setForegroundRole(QPalette::PlaceholderText);
    m_emptyHint->hide();
    connect(m_emptyHint, &QLabel::linkActivated, this, &FileListView::HintLinkActivated);

    auto* detailsView = new ReportingView<QTreeView>(this);
    detailsView->setObjectName("ListViewDetails");
    detailsView->setModel(model);
    QItemSelectionModel* own = detailsView->selectionModel();
    detailsView->setSelectionModel(iconView->selectionModel());
    delete own;
    detailsView->setSelectionMode(QAbstractItemView::SingleSelection);
    detailsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    detailsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailsView->setRootIsDecorated(false);
    detailsView->setItemsExpandable(false);
    detailsView->setUniformRowHeights(true);
    detailsView->setAllColumnsShowFocus(true);
    detailsView->setIconSize(QSize(kSmallTile, kSmallTile));
    detailsView->header()->setSectionsClickable(true);
    detailsView->header()->setSectionsMovable(false);
    detailsView->header()->setStretchLastSection(true);
    detailsView->header()->setDefaultSectionSize(kListColumns[ColumnIndex(ListColumn::Objects)].designedWidth);
    // The header forgets its widths when the model resets (every scan); the
    // columns keep the widths the user gave them.
    connect(detailsView->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        // The last column stretches with the view: only the others are the user's.
        if (!m_restoringWidths && column >= 0 && column + 1 < int(m_columnWidths.size())) {
            m_columnWidths[size_t(column)] = width;
            m_widthsGiven = true;
        }
    });
    connect(model, &QAbstractItemModel::modelReset, this, &FileListView::RestoreColumnWidths);
    detailsView->onClick = [this] { emit Clicked(); };
    detailsView->onDoubleClick = [this] { emit DoubleClicked(); };
    connect(detailsView->header(), &QHeaderView::sectionClicked, this, &FileListView::ColumnClicked);
    m_detailsView = detailsView;

    // The current row, however it became current (a click, the keys).
    connect(iconView->selectionModel(), &QItemSelectionModel::currentChanged, this, &FileListView::CurrentChanged);

    addWidget(m_iconView);
    addWidget(m_detailsView);
    RestoreColumnWidths();
    SetViewStyle(ViewStyle::Details);
}

void FileListView::RestoreColumnWidths() {
    m_restoringWidths = true;
    // The last column stretches to the edge; only the others are set.
    for (size_t column = 0; column + 1 < m_columnWidths.size(); ++column) {
        int width = m_columnWidths[column];
        // Widths nobody chose fit the listing: its widest name and type, at
        // least the designed width, at most half the view.
        if (!m_widthsGiven && m_model->rowCount() > 0) {
            m_detailsView->resizeColumnToContents(int(column));
            const int fitted = m_detailsView->header()->sectionSize(int(column)) + 8;
            width = std::clamp(fitted, width, std::max(width, m_detailsView->width() / 2));
        }
        m_detailsView->header()->resizeSection(int(column), width);
    }
    m_restoringWidths = false;
}

std::vector<int> FileListView::ColumnWidths() const {
    std::vector<int> widths;
    if (!m_widthsGiven) return widths;
    for (size_t column = 0; column + 1 < m_columnWidths.size(); ++column)
        widths.push_back(m_detailsView->header()->sectionSize(int(column)));
    return widths;
}

void FileListView::SetColumnWidths(const std::vector<int>& widths) {
    for (size_t column = 0; column + 1 < m_columnWidths.size() && column < widths.size(); ++column)
        if (widths[column] > 0) m_columnWidths[column] = widths[column];
    m_widthsGiven = true;
    RestoreColumnWidths();
}

void FileListView::SetViewStyle(ViewStyle style) {
    m_style = style;
    if (style == ViewStyle::Details) {
        setCurrentWidget(m_detailsView);
        return;
    }
    const bool large = style == ViewStyle::LargeIcons;
    static_cast<TileDelegate*>(m_tileDelegate)->topPadding = large ? kLargeTilePadding : 0;
    m_iconView->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setIconSize(large ? QSize(kLargeTile, kLargeTile) : QSize(kSmallTile, kSmallTile));
    m_iconView->setFlow(style == ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
    m_iconView->setWrapping(true);
    m_iconView->setWordWrap(large);
    m_iconView->setGridSize(large ? kLargeIconGrid : style == ViewStyle::SmallIcons ? kSmallIconGrid : QSize());
    m_iconView->setSpacing(style == ViewStyle::List ? 1 : 0);
    setCurrentWidget(m_iconView);
}

int FileListView::SelectedRow() const {
    const QModelIndexList rows = m_iconView->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    // The explorer uses one row; with one selectable row this is it.
    return std::min_element(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
               return a.row() < b.row();
           })->row();
}

void FileListView::SelectRow(int displayRow) {
    QItemSelectionModel* selection = m_iconView->selectionModel();
    const QModelIndex index = m_model->index(displayRow, ColumnIndex(ListColumn::Name));
    if (!index.isValid()) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QWidget* FileListView::CurrentView() const {
    return m_style == ViewStyle::Details ? static_cast<QWidget*>(m_detailsView) : static_cast<QWidget*>(m_iconView);
}

void FileListView::SetEmptyHint(const QString& text) {
    m_emptyHint->setText(text);
    m_emptyHint->setVisible(!text.isEmpty());
    PlaceEmptyHint();
}

QString FileListView::EmptyHint() const { return m_emptyHint->isVisible() ? m_emptyHint->text() : QString(); }

// In the middle of the list, or below the rows it shows (its folders).
void FileListView::PlaceEmptyHint() {
    if (m_emptyHint->isHidden()) return;
    const int margin = m_emptyHint->fontMetrics().height();
    const int width = std::max(0, this->width() - 2 * margin);
    const int height = m_emptyHint->heightForWidth(width);
    int top = (this->height() - height) / 2;
    const auto* view = qobject_cast<const QAbstractItemView*>(CurrentView());
    if (view && m_model->rowCount() > 0) {
        const QRect last = view->visualRect(m_model->index(m_model->rowCount() - 1, ColumnIndex(ListColumn::Name)));
        top = std::max(top, view->viewport()->mapTo(this, last.bottomLeft()).y() + margin);
    }
    m_emptyHint->setGeometry(margin, top, width, height);
    m_emptyHint->raise();
}

void FileListView::resizeEvent(QResizeEvent* event) {
    QStackedWidget::resizeEvent(event);
    PlaceEmptyHint();
    emit Resized();
}

} // namespace gw
