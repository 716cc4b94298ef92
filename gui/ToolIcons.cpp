#include "gui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <cmath>
#include <tuple>

// Qt resources of a static library are registered by name from outside any
// namespace.
static void InitGrabwellResources() { Q_INIT_RESOURCE(grabwell); }

namespace gw {
namespace {

const QColor kInk(0x33, 0x3a, 0x45);
const QColor kBlue(0x2f, 0x6d, 0xc4);
const QColor kLightBlue(0x8c, 0xb8, 0xee);
const QColor kFolder(0xe8, 0xb3, 0x3c);
const QColor kFolderDark(0xb7, 0x83, 0x1d);
const QColor kGreen(0x2e, 0x9b, 0x4f);

void Tile(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kBlue.darker(130), 0.8));
    p.setBrush(kLightBlue);
    p.drawRect(r);
}

void Line(QPainter& p, double x1, double y, double x2) {
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
}

void Folder(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 2);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 2);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + 3.5);
    path.lineTo(r.right(), r.top() + 3.5);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kFolderDark, 0.9));
    p.setBrush(kFolder);
    p.drawPath(path);
}

// A disk: what a save command writes.
void Disk(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 0.9));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + r.width() * 0.22, r.top() + 0.8, r.width() * 0.56, r.height() * 0.36));
    p.setBrush(kLightBlue);
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.bottom() - r.height() * 0.34, r.width() * 0.5,
                      r.height() * 0.34 - 0.6));
}

// An arrow from (x1, y1) to (x2, y2) with its head at the end.
void Arrow(QPainter& p, const QColor& color, QPointF from, QPointF to) {
    p.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    if (len <= 0) return;
    const QPointF u = d / len, n(-u.y(), u.x());
    p.drawLine(to, to - u * 2.6 + n * 2.2);
    p.drawLine(to, to - u * 2.6 - n * 2.2);
}

// Every glyph is drawn on a 16 x 16 grid and scaled for larger pixmaps.
void DrawGlyph(QPainter& p, ToolGlyph glyph) {
    switch (glyph) {
    case ToolGlyph::FolderPanel:
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(3.5, 5), QPointF(3.5, 12.5));
        p.drawLine(QPointF(3.5, 8.5), QPointF(7, 8.5));
        p.drawLine(QPointF(3.5, 12.5), QPointF(7, 12.5));
        Folder(p, QRectF(1, 1, 6, 4));
        Folder(p, QRectF(7.5, 6, 7, 4.5));
        Folder(p, QRectF(7.5, 10.5, 7, 4.5));
        break;
    case ToolGlyph::ParentFolder: {
        Folder(p, QRectF(1, 4, 14, 10.5));
        p.setPen(QPen(kGreen.darker(120), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(8, 12.5), QPointF(8, 6.5));
        p.drawLine(QPointF(5, 9), QPointF(8, 6));
        p.drawLine(QPointF(11, 9), QPointF(8, 6));
        break;
    }
    case ToolGlyph::LargeIcons:
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) Tile(p, QRectF(1.5 + 7.5 * x, 1.5 + 7.5 * y, 5.5, 5.5));
        break;
    case ToolGlyph::SmallIcons:
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x) {
                Tile(p, QRectF(1.5 + 7.5 * x, 2 + 4.5 * y, 2.5, 2.5));
                Line(p, 5 + 7.5 * x, 3.25 + 4.5 * y, 7.5 + 7.5 * x);
            }
        break;
    case ToolGlyph::List:
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 2; ++x) {
                Tile(p, QRectF(1.5 + 7.5 * x, 1.5 + 3.6 * y, 2.2, 2.2));
                Line(p, 4.6 + 7.5 * x, 2.6 + 3.6 * y, 7.6 + 7.5 * x);
            }
        break;
    case ToolGlyph::Details:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc9, 0xd3, 0xe0));
        p.drawRect(QRectF(1, 1, 14, 2.5));
        for (int y = 0; y < 3; ++y) {
            Tile(p, QRectF(1.5, 5 + 3.6 * y, 2.2, 2.2));
            Line(p, 5, 6.1 + 3.6 * y, 9.5);
            Line(p, 11, 6.1 + 3.6 * y, 14.5);
        }
        break;
    case ToolGlyph::ExtractAll: {
        // A wand with sparks.
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 13.5), QPointF(9.5, 6.5));
        p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.2, 7.8), QPointF(9.5, 6.5));
        p.setPen(QPen(QColor(0xf0, 0xa2, 0x1b), 1.3, Qt::SolidLine, Qt::RoundCap));
        for (auto [cx, cy, r] : {std::tuple{12.0, 4.0, 2.6}, std::tuple{5.5, 3.5, 1.6}, std::tuple{13.0, 10.5, 1.6}}) {
            p.drawLine(QPointF(cx - r, cy), QPointF(cx + r, cy));
            p.drawLine(QPointF(cx, cy - r), QPointF(cx, cy + r));
        }
        break;
    }
    case ToolGlyph::SaveAllBitmaps: {
        // Two pictures and an arrow down into a tray.
        p.setPen(QPen(kInk, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 8, 6));
        p.drawRect(QRectF(2.5, 3.5, 8, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        QPolygonF hill{{3.5, 8.8}, {6, 6}, {8, 8}, {9.7, 6.8}, {9.7, 8.8}};
        p.drawPolygon(hill);
        p.setBrush(QColor(0xf0, 0xa2, 0x1b));
        p.drawEllipse(QPointF(5, 5.5), 0.9, 0.9);
        p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(12.5, 8), QPointF(12.5, 13));
        p.drawLine(QPointF(10.5, 11), QPointF(12.5, 13));
        p.drawLine(QPointF(14.5, 11), QPointF(12.5, 13));
        p.setPen(QPen(kInk, 1.2));
        p.drawLine(QPointF(2, 14.5), QPointF(15, 14.5));
        break;
    }
    case ToolGlyph::Exit:
        // A door, open, and an arrow leaving through it.
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xd8, 0xc3, 0x9a));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(QColor(0x9a, 0x6a, 0x2f));
        p.drawPolygon(QPolygonF{{2.5, 1.5}, {6.5, 3}, {6.5, 15}, {2.5, 14.5}});
        Arrow(p, kGreen.darker(120), {8.5, 8}, {15, 8});
        break;
    case ToolGlyph::SpecificView:
        // One picture standing on its line.
        Tile(p, QRectF(4, 3, 8, 8));
        Line(p, 1.5, 13.5, 14.5);
        break;
    case ToolGlyph::RawView:
        // Every picture of a group side by side, small to large.
        Tile(p, QRectF(1, 9, 3, 3));
        Tile(p, QRectF(5, 7, 4.5, 5));
        Tile(p, QRectF(10.5, 4.5, 4.5, 7.5));
        Line(p, 0.5, 13.5, 15.5);
        break;
    case ToolGlyph::SaveOne:
        Disk(p, QRectF(2, 2, 12, 12));
        break;
    case ToolGlyph::SaveAll:
        Disk(p, QRectF(5, 1, 10, 10));
        Disk(p, QRectF(1, 5, 10, 10));
        break;
    case ToolGlyph::ExtractImages:
        // A group of pictures with one taken out of it.
        p.setPen(QPen(kInk, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 6.5, 8, 8));
        Tile(p, QRectF(3, 8, 2.5, 2.5));
        Tile(p, QRectF(6, 10, 2.5, 3));
        Tile(p, QRectF(10.5, 1.5, 4, 4));
        Arrow(p, kGreen.darker(120), {6, 6}, {10, 2.5});
        break;
    case ToolGlyph::ConvertImages: {
        // An icon turned into a bitmap.
        Tile(p, QRectF(1, 1.5, 5, 5));
        Arrow(p, kBlue, {4, 8}, {8.5, 11});
        p.setPen(QPen(kInk, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9.5, 7.5, 5.5, 7));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF{{10, 14.5}, {12, 11.5}, {14.5, 14.5}});
        break;
    }
    case ToolGlyph::OpenManager:
        // A picture under a magnifying glass.
        Tile(p, QRectF(1.5, 1.5, 8, 8));
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(255, 255, 255, 140));
        p.drawEllipse(QPointF(8.5, 8.5), 3.6, 3.6);
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11.2, 11.2), QPointF(14.5, 14.5));
        break;
    }
}

QPixmap GlyphPixmap(ToolGlyph glyph, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    DrawGlyph(p, glyph);
    return pixmap;
}

} // namespace

QIcon ToolIcon(ToolGlyph glyph) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(GlyphPixmap(glyph, size));
    return icon;
}

QToolButton* SpeedButton(const char* name, ToolGlyph glyph, const QString& hint, bool checkable, int iconSize) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setIcon(ToolIcon(glyph));
    if (iconSize > 0) button->setIconSize(QSize(iconSize, iconSize));
    button->setToolTip(hint);
    button->setStatusTip(QString(hint).replace('\n', ' '));
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    return button;
}

QIcon AppIcon() {
    InitGrabwellResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/grabwell-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace gw
