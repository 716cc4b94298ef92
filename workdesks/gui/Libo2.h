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
    void SetItems(const std::vector<TAdvBmp>* bitmaps, ThumbSize tile);
    const std::vector<BitmapDeskItem>& Items() const { return m_items; }
    QSize TileSize() const { return {m_tile.width, m_tile.height}; }
    // The transparent colour of a drawn thumbnail (the scaled bitmap's bottom-left pixel).
    std::optional<TColor> TransparentColorAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_items.size()); }
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Thumb {
        QPixmap pixmap;
        TColor transparentColor = 0;
    };
    const Thumb& ThumbAt(size_t row) const;

    const std::vector<TAdvBmp>* m_bitmaps = nullptr;
    std::vector<BitmapDeskItem> m_items;
    ThumbSize m_tile{kBitmapThumbSide, kBitmapThumbSide};
    mutable std::vector<std::optional<Thumb>> m_thumbs; // by row
};

class TForm8 : public DeskWindow {
public:
    TForm8(CommonData& common, const ExplorerState& explorer, ActionFlags& flags, Prompts& prompts,
           QWidget* parent = nullptr);

    BitmapDeskModel* Model() const { return m_model; }
    const FileContents& Contents() const { return m_contents; }
    // The model row last handed to the manager or the property sheet.
    int HandedOverRow() const { return m_handedOver; }

protected:
    DeskOpening Load() override;
    void ShowGroups(bool loaded) override;
    QSize ModelPictureSize() const override { return m_model->TileSize(); }
    std::optional<size_t> ModelGroupAt(int row) const override;
    int ModelRowOf(size_t item) const override { return item < size_t(m_model->rowCount()) ? int(item) : -1; }
    void Release() override;
    BatchResult SaveOne(size_t item) override;
    BatchResult SaveAll() override;
    void HandOver(size_t item, bool toManager) override;

private:
    BitmapDeskFile File() const;

    FileContents m_contents;
    std::string m_kindText;
    BitmapDeskModel* m_model;
    int m_handedOver = -1;
};

} // namespace gw
