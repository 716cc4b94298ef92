#pragma once
// The explorer's file list: one model over the rows of the last scan, shown
// by a QListView in the large-icon, small-icon and list views and by a
// QTreeView in the details view. Both views share the model and the
// selection, so switching the view keeps the selected row.
#include <QAbstractTableModel>
#include <QIcon>
#include <QStackedWidget>

class QLabel;

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "explorer/core/ListColumns.h"
#include "explorer/core/RecentCache.h"
#include "listing/ExplorerState.h"
#include "listing/ListRow.h"

class QListView;
class QStyledItemDelegate;
class QTreeView;

namespace gw {

// The rows of the last scan in the order the last sort gave them. Their
// pictures are made when a view draws them and kept in a bounded cache of
// the rows drawn last, which a new list empties: the rows of a folder of
// many thousands of files hold no pixels.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Makes the picture of a row (without the damage sign, which the model adds).
    using PictureMaker = std::function<QIcon(const ListRow&)>;

    // The most pictures kept at once: more than the large-icon view shows on
    // the largest screens, some 6 KB each.
    static constexpr size_t kPictureLimit = 2048;

    explicit FileListModel(QObject* parent = nullptr);

    // Empties the rows and the pictures, and hands the memory they took back
    // to the system.
    void Clear();
    // Shows the rows of a scan, one reset for all of them; makePicture makes
    // the picture of a row when it is first drawn.
    void SetRows(std::vector<ListRow> rows, PictureMaker makePicture);
    // Re-orders the rows by the explorer's comparison; the selection follows.
    void Sort(SortMode sortMode, uint8_t sortAscending);

    // The row shown at a display position; null when there is none.
    const ListRow* RowAt(int displayRow) const;
    // Every row, in display order (what the batch commands walk).
    std::span<const ListRow> Rows() const { return m_rows; }
    // The picture of a row by its image index, a damaged file's with the
    // warning sign: the kept one, else made now and kept. Null for no row.
    QIcon PictureAt(int imageIndex) const;
    // How many pictures are kept (at most kPictureLimit).
    size_t KeptPictureCount() const { return m_pictures.Size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The decoration of a row is an icon that holds no pixels: it gets the
    // row's picture from PictureAt when it is painted, so the views can size
    // every row without making every picture.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // What the decoration icons see of the model: it, and which list it
    // shows. An icon kept from an earlier list, or kept after the model is
    // gone, draws nothing.
    struct PictureSource {
        const FileListModel* model = nullptr;
        uint64_t listing = 0;
    };

private:
    // Starts a new list: the pictures kept go, and the icons handed out for
    // the old one draw nothing from now on.
    void ForgetPictures();

    std::vector<ListRow> m_rows;
    std::vector<int> m_displayOf; // the display position of each image index, -1 for none
    PictureMaker m_makePicture;
    mutable RecentCache<int, QIcon> m_pictures{kPictureLimit}; // by image index
    std::shared_ptr<PictureSource> m_source;
};

enum class ViewStyle { LargeIcons, SmallIcons, List, Details };

class FileListView : public QStackedWidget {
    Q_OBJECT
public:
    explicit FileListView(FileListModel* model, QWidget* parent = nullptr);

    void SetViewStyle(ViewStyle style);
    ViewStyle Style() const { return m_style; }

    // The display position of the selected row, -1 when none is selected.
    int SelectedRow() const;
    void SelectRow(int displayRow);

    QListView* IconView() const { return m_iconView; }
    QTreeView* DetailsView() const { return m_detailsView; }
    // The view of the current style.
    QWidget* CurrentView() const;

    // The Details view's column widths ("Name", "Type", "Objects";
    // "Description" stretches to the edge). Until the user widens a column or widths are given, the
    // columns fit what each listing shows, and ColumnWidths is empty.
    std::vector<int> ColumnWidths() const;
    void SetColumnWidths(const std::vector<int>& widths);

    // A note shown in the middle of an empty list (rich text; its links
    // emit HintLinkActivated); an empty text hides it.
    void SetEmptyHint(const QString& text);
    QString EmptyHint() const;

signals:
    // After a mouse click anywhere in the list (on a row or on empty space,
    // which clears the selection) has been handled by the view.
    void Clicked();
    void DoubleClicked();  // also Enter on the current row
    void CurrentChanged();
    void ColumnClicked(int column);
    void Resized();
    void HintLinkActivated(const QString& link);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RestoreColumnWidths();
    void PlaceEmptyHint();

    FileListModel* m_model;
    std::array<int, kListColumns.size()> m_columnWidths = DesignedColumnWidths();
    bool m_restoringWidths = false;
    bool m_widthsGiven = false; // by the user or the remembered places; else they fit the contents
    QListView* m_iconView;
    QStyledItemDelegate* m_tileDelegate;
    QTreeView* m_detailsView;
    QLabel* m_emptyHint;
    ViewStyle m_style = ViewStyle::Details;
};

} // namespace gw
