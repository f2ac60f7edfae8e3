#include "app/Icons.h"

#include <QBitmap>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Icons {

namespace {

const QColor Silver(192, 192, 192);

// A sheet of paper with its top-right corner folded over.
void drawSheet(QPainter &p, const QRectF &r, double fold)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(210, 210, 210));
    p.drawPath(corner);
}

QPixmap masked(const QImage &image)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(Silver, Qt::MaskInColor));
    return pixmap;
}

QImage silverCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Silver);
    return image;
}

} // namespace

QPixmap programPixmap(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    p.scale(s, s);
    // A payment order with a hryvnia sign on a green stamp.
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    drawSheet(p, QRectF(4.5, 1.5, 21, 28), 6);
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    for (int y = 10; y <= 22; y += 4)
        p.drawLine(QPointF(8, y), QPointF(22, y));
    p.setPen(QPen(QColor(20, 90, 40), 1.2));
    p.setBrush(QColor(40, 150, 70));
    p.drawEllipse(QRectF(15.5, 17.5, 14, 14));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(15.5, 17.5, 14, 14), Qt::AlignCenter, QString(QChar(0x20B4)));
    return QPixmap::fromImage(image);
}

QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(programPixmap(16));
    icon.addPixmap(programPixmap(32));
    return icon;
}

QPixmap toolbarImage(int index)
{
    QImage image = silverCanvas(16, 15);
    QPainter p(&image);
    p.setPen(Qt::black);
    switch (index) {
    case 1: // a blank sheet with a folded corner
        drawSheet(p, QRectF(2.5, 0.5, 10, 13), 4);
        break;
    case 2: { // a sheet with a magnifying glass
        drawSheet(p, QRectF(1.5, 0.5, 9, 12), 3);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(6.5, 5.5, 6, 6));
        p.setPen(QPen(QColor(120, 70, 20), 2));
        p.drawLine(QPointF(11.5, 10.5), QPointF(14.5, 13.5));
        break;
    }
    case 3: // a printer
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(128, 128, 128));
        p.drawRect(1, 6, 13, 5);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 4);
        p.setPen(QColor(0, 160, 0));
        p.drawPoint(12, 8);
        break;
    case 4: { // ABC above a blue tick
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 7), Qt::AlignCenter, QStringLiteral("ABC"));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 0, 220), 2));
        p.drawPolyline(QPolygonF({ QPointF(3, 10), QPointF(6, 13), QPointF(13, 7) }));
        break;
    }
    default:
        break;
    }
    p.end();
    return masked(image);
}

QPixmap aboutPicture()
{
    QImage image(138, 188, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 188);
    sky.setColorAt(0, QColor(70, 120, 200));
    sky.setColorAt(0.55, QColor(160, 200, 240));
    sky.setColorAt(0.56, QColor(230, 200, 60));
    sky.setColorAt(1, QColor(200, 160, 30));
    p.fillRect(image.rect(), sky);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    drawSheet(p, QRectF(24, 30, 90, 120), 22);
    p.setPen(QPen(QColor(110, 110, 110), 2));
    for (int y = 62; y <= 130; y += 12)
        p.drawLine(QPointF(36, y), QPointF(102, y));
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace Icons
