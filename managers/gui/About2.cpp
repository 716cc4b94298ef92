#include "managers/gui/About2.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "listing/CommonData.h"
#include "platform/Display.h"

namespace gw {

namespace {

constexpr int kSheetWidth = 259;
constexpr int kSheetHeight = 381;
constexpr int kValueX = 72;
constexpr int kOtherTop = 136;
constexpr int kOtherStep = 16;

QLabel* PlacedLabel(QWidget* page, const QString& text, int x, int y, int w = 180, int h = 13) {
    auto* label = new QLabel(text, page);
    label->setGeometry(x, y, w, h + 3);
    return label;
}

void Bevel(QWidget* page, int y) {
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(4, y, 239, 2);
}

} // namespace

TForm3::TForm3(CommonData& common, QWidget* parent) : QDialog(parent), m_common(common) {
    setObjectName("Form3");
    setWindowTitle("Icon Properties");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    m_page = new QWidget;
    tabs->addTab(m_page, "General");
    layout->addWidget(tabs, 1);
    m_preview = new QLabel(m_page);
    m_preview->setObjectName("Preview");
    m_preview->move(8, 8);
    m_name = PlacedLabel(m_page, {}, kValueX, 4);
    m_format = PlacedLabel(m_page, {}, kValueX, 20);
    m_size = PlacedLabel(m_page, {}, kValueX, 36);
    Bevel(m_page, 56);
    m_fileName = PlacedLabel(m_page, {}, kValueX, 62);
    // The two totals stand right of the longer of their captions.
    QLabel* images = PlacedLabel(m_page, "Total Images:", 8, 78);
    QLabel* size = PlacedLabel(m_page, "Total Size of Images:", 8, 94);
    const int valueX = 8 + std::max(images->sizeHint().width(), size->sizeHint().width()) + 6;
    m_totalImages = PlacedLabel(m_page, {}, valueX, 78, 100);
    m_totalSize = PlacedLabel(m_page, {}, valueX, 94, 100);
    Bevel(m_page, 114);
    m_heading = PlacedLabel(m_page, {}, 8, 120);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("BitBtn1");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(kSheetWidth, kSheetHeight);
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm3::FormShow() {
    FormClose();
    const int32_t g = m_common.IconGroupIndex;
    if (!m_groups || g < 0 || size_t(g) >= m_groups->size()) return;
    const TAdvIconGroupList& group = (*m_groups)[size_t(g)];
    const int source = m_common.IconPropsSource;
    if (source == 3) m_common.IconImageIndex = 0;
    const size_t image = size_t(std::max(m_common.IconImageIndex, 0));
    m_values = IconPropertiesOf(group, image, source, m_common.IconName, m_common.SelFileName);

    // The preview: the image at its size, or at the system icon size when that is smaller.
    if (image < group.Images.size() && !group.Images[image].Missing) {
        if (const Handle& picture = group.Images[image].Handle()) {
            QImage shown = ToQImage(*picture);
            const int w = std::min(shown.width(), Display::LargeIconSize());
            const int h = std::min(shown.height(), Display::LargeIconSize());
            if (w != shown.width() || h != shown.height())
                shown = shown.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_preview->setPixmap(QPixmap::fromImage(shown));
            m_preview->resize(shown.size());
        }
    }
    m_name->setText(FromLocal(m_values.name));
    m_format->setText(QString::fromStdString(m_values.format));
    m_size->setText(QString::fromStdString(m_values.size));
    m_fileName->setText(FromLocal(m_values.fileName));
    m_totalImages->setText(QString::fromStdString(m_values.totalImages));
    m_totalSize->setText(QString::fromStdString(m_values.totalSize));
    m_heading->setText(QString::fromStdString(m_values.heading));
    // A long format ("256 X 256 4294967296 Colors") widens the sheet rather than being cut.
    for (QLabel* value : {m_name, m_format, m_size, m_fileName}) value->adjustSize();
    const int needed = std::max({m_name->geometry().right(), m_format->geometry().right(), m_size->geometry().right(),
                                 m_fileName->geometry().right()}) + 8;
    if (needed > m_page->width()) resize(width() + needed - m_page->width(), height());
    for (size_t k = 0; k < m_values.otherLines.size(); ++k) {
        QLabel* line = PlacedLabel(m_page, QString::fromStdString(m_values.otherLines[k]), 8,
                                   kOtherTop + kOtherStep * int(k), 223);
        line->show();
        m_otherLines.push_back(line);
    }
}

void TForm3::FormClose() {
    resize(kSheetWidth, kSheetHeight);
    for (QLabel* line : m_otherLines) delete line;
    m_otherLines.clear();
    m_preview->clear();
}

// Every way of closing (the button, Esc, the window's close) clears the sheet.
void TForm3::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace gw
