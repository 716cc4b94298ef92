#include "workdesks/gui/BitmapWorkdesk.h"

#include <QPainter>

#include "batch/core/OutputNames.h"
#include "formats/KindReader.h"

namespace gw {

void BitmapDeskModel::SetItems(const std::vector<BitmapRecord>* bitmaps, ThumbSize tile) {
    beginResetModel();
    m_bitmaps = bitmaps;
    m_items = bitmaps ? BitmapDeskItemsOf(*bitmaps) : std::vector<BitmapDeskItem>{};
    m_tile = tile;
    m_thumbs.assign(m_items.size(), std::nullopt);
    endResetModel();
}

const BitmapDeskModel::Thumb& BitmapDeskModel::ThumbAt(size_t row) const {
    std::optional<Thumb>& thumb = m_thumbs[row];
    if (thumb) return *thumb;
    thumb.emplace();
    // The scaled bitmap at the top-left corner of its tile, its bottom-left
    // colour transparent; the rest of the tile is left clear.
    QPixmap tile(m_tile.width, m_tile.height);
    tile.fill(Qt::transparent);
    const BitmapThumb scaled = MakeBitmapThumb(*(*m_bitmaps)[m_items[row].entry].Bitmap(), m_tile);
    if (scaled.picture.HasHandle()) {
        thumb->transparentColor = scaled.transparentColor;
        QPainter(&tile).drawImage(0, 0, ToQImage(scaled.picture, ArgbFromColor(scaled.transparentColor)));
    }
    thumb->pixmap = tile;
    return *thumb;
}

std::optional<TColor> BitmapDeskModel::TransparentColorAt(int row) const {
    if (row < 0 || size_t(row) >= m_items.size()) return std::nullopt;
    return ThumbAt(size_t(row)).transparentColor;
}

QVariant BitmapDeskModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_items.size()) return {};
    const BitmapDeskItem& item = m_items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(item.caption);
    case Qt::DecorationRole: return ThumbAt(size_t(index.row())).pixmap;
    case Qt::ToolTipRole: {
        // "LOGO", "120 x 40, 256 Colors": the indexed formats' texts are colour counts.
        const bool indexed = item.format == PixelFormat::Bits1 || item.format == PixelFormat::Bits4 ||
                             item.format == PixelFormat::Bits8;
        return QStringLiteral("%1\n%2 x %3, %4%5")
            .arg(QString::fromStdString(item.caption))
            .arg(item.width)
            .arg(item.height)
            .arg(QString::fromUtf8(BitmapFormatText(item.format)), indexed ? " Colors" : "");
    }
    default: return {};
    }
}

namespace {

// No picture styles, orders, format box, extract or convert commands.
const DeskWindowNames kBitmapDeskNames{
    .objectName = "Form8",
    .caption = "Grabwell Bitmap Workdesk",
    .placesRole = "BitmapWorkdesk",
    .menuPrefix = "m4",
    .list = "ListView2",
    .toolBar = "SpeedBar1",
    .statusBar = "StatusBar4",
    .statusPanel1Width = 50,
    .exitButton = "SpeedButton1",
    .exitHint = "Exit",
    .buttonPrefix = "sb4",
    .saveOneHint = "Extact and Save\nSelected Bitmap",
    .saveAllHint = "Extract and Save\nall Bitmaps in File",
    .editHint = "Open Bitmap \nin Manager",
    .manager = Viewer::BitmapManager,
    .sheet = Viewer::BitmapSheet,
};

} // namespace

BitmapWorkdesk::BitmapWorkdesk(ActionFlags& flags, Prompts& prompts, Viewers* viewers, QWidget* parent)
    : DeskWindow(kBitmapDeskNames, flags, prompts, viewers, parent), m_model(new BitmapDeskModel(this)) {
    AttachModel(m_model);
}

void BitmapWorkdesk::ShowGroups(bool loaded) {
    if (!loaded || !m_file) {
        m_model->SetItems(nullptr, BitmapTileSize(0, 0));
        return;
    }
    const FileContents& contents = m_file->Contents();
    m_model->SetItems(&contents.Bitmaps, BitmapTileSize(contents.MaxBmpWidth, contents.MaxBmpHeight));
}

std::optional<size_t> BitmapWorkdesk::ModelGroupAt(int row) const {
    if (row < 0 || row >= m_model->rowCount()) return std::nullopt;
    return size_t(row);
}

QImage BitmapWorkdesk::ThumbnailAt(size_t row) const {
    return m_model->index(int(row)).data(Qt::DecorationRole).value<QPixmap>().toImage();
}

ViewRequest BitmapWorkdesk::ItemRequest(size_t row) {
    const BitmapDeskItem& item = ItemAt(row);
    return {.file = m_file,
            .shown = Shown::Bitmap,
            .item = item.entry,
            .bitmapRow = WorkdeskBitmapView{item.caption, std::to_string(item.width), std::to_string(item.height),
                                            BitmapFormatText(item.format), ThumbnailAt(row)}};
}

BitmapDeskFile BitmapWorkdesk::DeskFile() const {
    if (!m_file) return {};
    // A language-neutral library's bitmaps are read again from its resource file.
    return {&m_file->Contents().Bitmaps, m_file->Path(), BitmapSaveSourceFor(m_file->Kind()),
            ModuleOf(*m_file, RecordKind::Bitmaps)};
}

BatchResult BitmapWorkdesk::SaveOne(size_t item) { return SaveDeskBitmap(DeskFile(), m_model->Items()[item], m_prompts); }

// The bitmap as Save writes it, and as a picture.
std::optional<ImageTransfer> BitmapWorkdesk::TransferOf(size_t item) {
    if (!m_file || item >= m_model->Items().size()) return std::nullopt;
    const BitmapDeskItem& chosen = m_model->Items()[item];
    std::string why;
    Bytes file = DeskBitmapFile(DeskFile(), chosen, why);
    if (file.empty()) return std::nullopt;
    return ImageTransfer{ToQImage(*m_file->Contents().Bitmaps[chosen.entry].Bitmap()), "image/bmp", std::move(file),
                         FromLocal(SafeBaseName(chosen.caption) + ".bmp")};
}

// Every item in the list's order, each file named after the bitmap it holds.
BatchResult BitmapWorkdesk::SaveAll() { return SaveAllDeskBitmaps(DeskFile(), m_model->Items(), m_flags, m_prompts); }

} // namespace gw
