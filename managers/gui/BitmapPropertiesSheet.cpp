#include "managers/gui/BitmapPropertiesSheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "formats/Document.h"
#include "formats/FileContents.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr int kPictureSide = 64;
constexpr int kSheetWidth = 259;
constexpr int kSheetHeight = 200;

} // namespace

BitmapSheetRequest BitmapSheetRequestFor(const ViewRequest& request) {
    BitmapSheetRequest sheet;
    sheet.deskItem = request.bitmapRow;
    if (request.file) sheet.fileName = request.file->FileName();
    sheet.work = request.bitmap;
    // The picture of a bitmap file comes from its bitmap list; a workdesk's
    // item brings its own.
    if (request.askedBy == AskedBy::FileManager && request.file) sheet.contents = &request.file->Contents();
    return sheet;
}

BitmapPropertiesSheet::BitmapPropertiesSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("Form7");
    setWindowTitle("Bitmap Properties");
    setModal(true);
    // No system menu and no close box: the sheet closes through its button (or Esc).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget;
    tabs->addTab(page, "General");
    layout->addWidget(tabs, 1);

    auto* grid = new QGridLayout(page);
    grid->setColumnStretch(2, 1);
    m_preview = new QLabel(page);
    m_preview->setObjectName("Image1");
    m_preview->setFixedSize(kPictureSide, kPictureSide);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_preview, 0, 0, 3, 1, Qt::AlignTop);
    m_name = new QLabel(page);
    m_name->setObjectName("Label1");
    grid->addWidget(m_name, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Size:", page), 1, 1);
    m_size = new QLabel(page);
    m_size->setObjectName("Label2");
    grid->addWidget(m_size, 1, 2);
    grid->addWidget(new QLabel("Colors:", page), 2, 1);
    m_colors = new QLabel(page);
    m_colors->setObjectName("Label3");
    grid->addWidget(m_colors, 2, 2);
    grid->setRowStretch(3, 1);

    auto* close = new QPushButton("&Close", this);
    close->setObjectName("BitBtn1");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(kSheetWidth, kSheetHeight);
}

void BitmapPropertiesSheet::Open(const BitmapSheetRequest& request) {
    FormClose();
    QImage picture;
    if (const auto& item = request.deskItem) {
        picture = item->thumbnail;
        m_values = {item->caption, item->width + " x " + item->height, item->format};
    } else {
        const Bitmap none;
        m_values = BitmapFilePropertiesOf(request.fileName, request.work ? *request.work : none);
        const FileContents* contents = request.contents;
        if (contents && !contents->Bitmaps.empty()) {
            const BitmapSheetPicture sheet = BitmapSheetPictureOf(*contents->Bitmaps[0].Bitmap(),
                                                                  contents->MaxBmpWidth, contents->MaxBmpHeight);
            picture = ToQImage(sheet.picture, ArgbFromColor(sheet.transparentColor));
        }
    }
    // Drawn at its size from the top-left corner; a larger one is cut, never stretched.
    if (!picture.isNull()) m_preview->setPixmap(QPixmap::fromImage(picture));
    m_name->setText(FromLocal(m_values.name));
    m_size->setText(QString::fromStdString(m_values.size));
    m_colors->setText(QString::fromStdString(m_values.colors));
}

void BitmapPropertiesSheet::FormClose() { m_preview->clear(); }

// Every way of closing (the button, Esc) empties the picture.
void BitmapPropertiesSheet::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace gw
