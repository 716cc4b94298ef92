#pragma once
// The explorer's file list: one model over the rows of the last scan, shown
// by a QListView in the large-icon, small-icon and list views and by a
// QTreeView in the details view. Both views share the model and the
// selection, so switching the view keeps the selected row.
#include <QAbstractTableModel>
#include <QIcon>
#include <QStackedWidget>

#include <array>
#include <functional>
#include <span>
#include <vector>

#include "listing/ExplorerState.h"
#include "listing/ListRow.h"
#include "pictures/RowPicture.h"

class QListView;
class QStyledItemDelegate;
class QTreeView;

namespace gw {

// The rows of the last scan in the order the last sort gave them, and their
// pictures in scan order (picture n belongs to the row with image index n).
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using PictureMaker = std::function<QIcon(const RowPicture&)>;

    explicit FileListModel(QObject* parent = nullptr);

    // Empties the rows and both picture lists.
    void Clear();
    // Shows the rows of a scan in scan order with their pictures (picture n
    // of the row with image index n), one reset for all of them.
    void SetRows(std::vector<ListRow> rows, const std::vector<RowPicture>& pictures, const PictureMaker& makePicture);
    // Re-orders the rows by the explorer's comparison; the selection follows.
    void Sort(SortMode sortMode, uint8_t sortAscending);

    // The row shown at a display position; null when there is none.
    const ListRow* RowAt(int displayRow) const;
    // Every row, in display order (what the batch commands walk).
    std::span<const ListRow> Rows() const { return m_rows; }
    // The picture of a row by its image index.
    QIcon PictureAt(int imageIndex) const;
    int PictureCount() const { return int(m_pictures.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<ListRow> m_rows;
    std::vector<QIcon> m_pictures;
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

signals:
    // After a mouse click anywhere in the list (on a row or on empty space,
    // which clears the selection) has been handled by the view.
    void Clicked();
    void DoubleClicked();  // also Enter on the current row
    void CurrentChanged();
    void ColumnClicked(int column);
    void Resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RestoreColumnWidths();

    FileListModel* m_model;
    std::array<int, 4> m_columnWidths{200, 150, 80, 200}; // "Name", "Type", "Objects", "Description"
    bool m_restoringWidths = false;
    bool m_widthsGiven = false; // by the user or the remembered places; else they fit the contents
    QListView* m_iconView;
    QStyledItemDelegate* m_tileDelegate;
    QTreeView* m_detailsView;
    ViewStyle m_style = ViewStyle::Details;
};

} // namespace gw
