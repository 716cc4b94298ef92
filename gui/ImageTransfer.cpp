#include "gui/ImageTransfer.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>

namespace gw {

namespace {

QByteArray Png(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    return bytes;
}

// The folder dragged files are written to: one per run, removed when the
// program ends (a file manager copies a dropped file before that).
const QTemporaryDir& DragFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + "/grabwell-drag-XXXXXX");
    return folder;
}

} // namespace

QMimeData* ClipboardData(const ImageTransfer& transfer) {
    auto* data = new QMimeData;
    if (!transfer.picture.isNull()) {
        data->setImageData(transfer.picture);
        data->setData("image/png", Png(transfer.picture));
    }
    if (!transfer.fileBytes.empty() && !transfer.mimeType.isEmpty())
        data->setData(transfer.mimeType, QByteArray(reinterpret_cast<const char*>(transfer.fileBytes.data()),
                                                     qsizetype(transfer.fileBytes.size())));
    return data;
}

QMimeData* DragData(const ImageTransfer& transfer) {
    const QTemporaryDir& folder = DragFolder();
    if (!folder.isValid() || transfer.fileBytes.empty() || transfer.fileName.isEmpty()) return nullptr;
    // Each drag gets a folder of its own, so two items of the same name never meet.
    static int drags = 0;
    const QString dir = folder.path() + "/" + QString::number(++drags);
    if (!QDir().mkpath(dir)) return nullptr;
    QSaveFile file(dir + "/" + transfer.fileName);
    const auto size = qint64(transfer.fileBytes.size());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(transfer.fileBytes.data()), size) != size || !file.commit())
        return nullptr;
    QMimeData* data = ClipboardData(transfer);
    data->setUrls({QUrl::fromLocalFile(file.fileName())});
    return data;
}

void CopyToClipboard(const ImageTransfer& transfer) { QGuiApplication::clipboard()->setMimeData(ClipboardData(transfer)); }

void DragListView::startDrag(Qt::DropActions) {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !transferOf) return;
    const std::optional<ImageTransfer> transfer = transferOf(current.row());
    if (!transfer) return;
    QMimeData* data = DragData(*transfer);
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    if (!transfer->picture.isNull())
        drag->setPixmap(QPixmap::fromImage(transfer->picture.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(Qt::CopyAction);
}

} // namespace gw
