#include "app/Icons.h"

#include <QBitmap>
#include <QByteArray>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cctype>

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

// The hryvnia sign of the stamp on the 32-unit grid: the outline of the
// Liberation Sans Bold glyph at 12 units, centred on the stamp (SIL Open
// Font License, document/fonts/LICENSE-OFL.txt). Drawn as a path, the icon
// needs no font: a glyph would load a font engine for each size before the
// main window can show.
const char HryvniaPath[] =
        "M18.67 22.58L24.09 22.58L24.09 22.48C24.09 21.83 23.57 21.50 22.53 21.50"
        "C22.14 21.50 21.82 21.55 21.57 21.65C21.33 21.75 21.14 21.91 21.02 22.14L19.33 21.83"
        "C19.52 21.29 19.86 20.89 20.35 20.65C20.85 20.40 21.56 20.28 22.48 20.28"
        "C23.55 20.28 24.36 20.48 24.93 20.87C25.50 21.26 25.78 21.83 25.78 22.58L26.30 22.58"
        "L26.30 23.81L25.27 23.81"
        "C25.08 24.00 24.85 24.16 24.59 24.30C24.33 24.43 24.05 24.55 23.73 24.66"
        "C23.42 24.77 22.93 24.90 22.25 25.05L26.30 25.05L26.30 26.28L20.72 26.28L20.72 26.38"
        "C20.72 26.75 20.86 27.03 21.16 27.21C21.45 27.39 21.89 27.48 22.47 27.48"
        "C23.39 27.48 23.99 27.23 24.30 26.72L26.02 27.02C25.55 28.19 24.38 28.78 22.52 28.78"
        "C20.27 28.78 19.14 27.95 19.14 26.28L18.67 26.28L18.67 25.05L19.45 25.05"
        "C19.62 24.77 19.89 24.53 20.25 24.34C20.61 24.14 21.15 23.97 21.86 23.81L18.67 23.81Z";

// Reads the absolute M, L, C and Z commands of an SVG path. Numbers are
// read without regard to the locale (a Ukrainian locale writes a comma).
QPainterPath svgPath(const char *data)
{
    QPainterPath path;
    const char *p = data;
    bool ok = true;
    auto number = [&]() {
        while (*p == ' ')
            ++p;
        const char *start = p;
        while (*p == '-' || *p == '.' || (*p >= '0' && *p <= '9'))
            ++p;
        bool read = false;
        const double value = QByteArray::fromRawData(start, int(p - start)).toDouble(&read);
        ok = ok && read;
        return value;
    };
    auto point = [&]() {
        const double x = number();
        return QPointF(x, number());
    };
    char command = 0;
    while (*p && ok) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(*p)))
            command = *p++;
        switch (command) {
        case 'M':
            path.moveTo(point());
            break;
        case 'L':
            path.lineTo(point());
            break;
        case 'C': {
            const QPointF c1 = point();
            const QPointF c2 = point();
            path.cubicTo(c1, c2, point());
            break;
        }
        case 'Z':
            path.closeSubpath();
            command = 0;
            break;
        default:
            ok = false; // not a path this reader knows
            break;
        }
    }
    Q_ASSERT(ok);
    return path;
}

// The letters of toolbar image 4, four pixels wide and five high, drawn
// pixel by pixel for the same reason: no font engine for a 7-pixel face.
void drawLetters(QPainter &p, int left, int top)
{
    static const char *const letters[3][5] = {
        { ".##.", "#..#", "####", "#..#", "#..#" }, // A
        { "###.", "#..#", "###.", "#..#", "###." }, // B
        { ".###", "#...", "#...", "#...", ".###" }, // C
    };
    for (int l = 0; l < 3; ++l)
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x)
                if (letters[l][y][x] == '#')
                    p.fillRect(left + l * 5 + x, top + y, 1, 1, Qt::black);
}

} // namespace

void drawProgramIcon(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // A payment order with a hryvnia sign on a green stamp.
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    drawSheet(p, QRectF(4.5, 1.5, 21, 28), 6);
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    for (int y = 10; y <= 22; y += 4)
        p.drawLine(QPointF(8, y), QPointF(22, y));
    p.setPen(QPen(QColor(20, 90, 40), 1.2));
    p.setBrush(QColor(40, 150, 70));
    p.drawEllipse(QRectF(15.5, 17.5, 14, 14));
    static const QPainterPath hryvnia = svgPath(HryvniaPath);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(hryvnia);
}

QPixmap programPixmap(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    drawProgramIcon(p);
    p.end();
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
        drawLetters(p, 1, 1);
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
