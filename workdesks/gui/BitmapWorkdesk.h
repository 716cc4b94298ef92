#pragma once
// The Bitmap Workdesk: every bitmap of one file as a thumbnail with its name,
// saved one at a time or all at once.
#include "workdesks/core/BitmapDesk.h"
#include "workdesks/gui/GroupDesk.h"

namespace gw {

// The bitmaps of the open file in caption order, each drawn as its
// thumbnail when the list first shows it.
class BitmapDeskModel : public QAbstractListModel {
public:
    explicit BitmapDeskModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // The items of a load and the bitmaps they index; null empties the list.
    void SetItems(const std::vector<BitmapRecord>* bitmaps, ThumbSize tile);
    const std::vector<BitmapDeskItem>& Items() const { return m_items; }
    QSize TileSize() const { return {m_tile.width, m_tile.height}; }
    // The transparent colour of a drawn thumbnail (the scaled bitmap's bottom-left pixel).
    std::optional<TColor> TransparentColorAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_items.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
    }

private:
    struct Thumb {
        QPixmap pixmap;
        TColor transparentColor = 0;
    };
    const Thumb& ThumbAt(size_t row) const;

    const std::vector<BitmapRecord>* m_bitmaps = nullptr;
    std::vector<BitmapDeskItem> m_items;
    ThumbSize m_tile{kBitmapThumbSide, kBitmapThumbSide};
    mutable std::vector<std::optional<Thumb>> m_thumbs; // by row
};

class BitmapWorkdesk : public DeskWindow {
public:
    BitmapWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);

    BitmapDeskModel* Model() const { return m_model; }
    // The list item at a row, and its thumbnail as the list shows it.
    const BitmapDeskItem& ItemAt(size_t row) const { return m_model->Items()[row]; }
    QImage ThumbnailAt(size_t row) const;

protected:
    RecordKind Records() const override { return RecordKind::Bitmaps; }
    void ShowGroups(bool loaded) override;
    QSize ModelPictureSize() const override { return m_model->TileSize(); }
    std::optional<size_t> ModelGroupAt(int row) const override;
    int ModelRowOf(size_t item) const override { return item < size_t(m_model->rowCount()) ? int(item) : -1; }
    BatchResult SaveOne(size_t item) override;
    BatchResult SaveAll() override;
    std::optional<ImageTransfer> TransferOf(size_t item) override;
    // The bitmap the row lists, with the row as the list shows it.
    ViewRequest ItemRequest(size_t row) override;

private:
    BitmapDeskFile DeskFile() const;

    BitmapDeskModel* m_model;
};

} // namespace gw
