#pragma once
// What a picture carries to the clipboard and out of a drag: the image
// itself (PNG with alpha, for image editors) and the file the Save command
// would write, under its MIME type; a drag also carries that file, written
// to a temporary folder, as a URL, so a file manager receives the file.
#include <QImage>
#include <QListView>
#include <QString>

#include <functional>
#include <optional>

#include "platform/ByteReader.h"

class QMimeData;

namespace gw {

struct ImageTransfer {
    QImage picture;
    QString mimeType;     // "image/vnd.microsoft.icon", "image/x-win-bitmap", "image/bmp"
    Bytes fileBytes;      // what Save writes
    QString fileName;     // as Save names it: "APP.ico"
};

QMimeData* ClipboardData(const ImageTransfer& transfer);
// The same plus the written file's URL; null when the file cannot be written.
QMimeData* DragData(const ImageTransfer& transfer);
void CopyToClipboard(const ImageTransfer& transfer);

// A list whose items drag out as what transferOf gives for the item's row.
class DragListView : public QListView {
public:
    using QListView::QListView;
    std::function<std::optional<ImageTransfer>(int row)> transferOf;

protected:
    void startDrag(Qt::DropActions supported) override;
};

} // namespace gw
