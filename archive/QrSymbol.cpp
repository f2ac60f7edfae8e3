#include "archive/QrSymbol.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cerrno>
#include <qrencode.h>

namespace {

// The hryvnia sign in a unit square: the mirrored S and its two strokes.
QPainterPath hryvniaSign()
{
    QPainterPath sign;
    sign.moveTo(0.27, 0.30);
    sign.cubicTo(0.27, 0.04, 0.76, 0.04, 0.72, 0.32);
    sign.cubicTo(0.69, 0.50, 0.30, 0.52, 0.27, 0.72);
    sign.cubicTo(0.24, 0.97, 0.74, 0.98, 0.76, 0.72);
    sign.moveTo(0.16, 0.44);
    sign.lineTo(0.84, 0.44);
    sign.moveTo(0.16, 0.58);
    sign.lineTo(0.84, 0.58);
    return sign;
}

bool saveSvg(const QrSymbol &symbol, QSaveFile &file, int modulePixels)
{
    const int side = symbol.sideModules() * modulePixels;
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(side, side));
    svg.setViewBox(QRect(0, 0, side, side));
    svg.setTitle(QStringLiteral("QR"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    symbol.draw(painter, QRectF(0, 0, side, side));
    return painter.end();
}

} // namespace

QrSymbol QrSymbol::encode(const QByteArray &data)
{
    QrSymbol symbol;
    const struct { QRecLevel level; char name; } levels[] = {
        { QR_ECLEVEL_Q, 'Q' }, { QR_ECLEVEL_M, 'M' }, { QR_ECLEVEL_L, 'L' }
    };
    for (const auto &l : levels) {
        QRcode *code = QRcode_encodeData(int(data.size()),
                                         reinterpret_cast<const unsigned char *>(data.constData()),
                                         MinVersion, l.level);
        if (!code) {
            // ERANGE: too much data for any version at this level.
            if (errno == ERANGE)
                continue;
            symbol.m_error = QStringLiteral("Библиотека libqrencode не смогла построить код.");
            return symbol;
        }
        if (code->version <= MaxVersion) {
            symbol.m_width = code->width;
            symbol.m_version = code->version;
            symbol.m_level = l.name;
            symbol.m_dark.resize(code->width * code->width);
            for (int i = 0; i < code->width * code->width; ++i)
                symbol.m_dark[i] = char(code->data[i] & 1);
            QRcode_free(code);
            return symbol;
        }
        QRcode_free(code);
    }
    symbol.m_error = QStringLiteral("Данных больше, чем вмещает код наибольшего допустимого размера.");
    return symbol;
}

void QrSymbol::draw(QPainter &painter, const QRectF &area) const
{
    if (isNull())
        return;
    const qreal module = qMin(area.width(), area.height()) / sideModules();
    const QPointF origin = area.topLeft() + QPointF(QuietZone * module, QuietZone * module);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(area.topLeft(), QSizeF(sideModules() * module, sideModules() * module)), Qt::white);
    // One rectangle per run of dark modules in a row keeps the SVG small.
    QPainterPath dark;
    for (int y = 0; y < m_width; ++y)
        for (int x = 0; x < m_width;) {
            if (!this->dark(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < m_width && this->dark(end, y))
                ++end;
            dark.addRect(QRectF(origin.x() + x * module, origin.y() + y * module, (end - x) * module, module));
            x = end;
        }
    painter.fillPath(dark, Qt::black);

    // The mark: a white circle of a sixth of the symbol, the sign in black.
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal diameter = qRound(m_width / 6.0) * module;
    const QPointF centre = origin + QPointF(m_width * module / 2, m_width * module / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
    const qreal signSide = diameter * 0.7;
    painter.translate(centre - QPointF(signSide / 2, signSide / 2));
    painter.scale(signSide, signSide);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 0.1, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(hryvniaSign());
    painter.restore();
}

QImage QrSymbol::image(int modulePixels) const
{
    const int side = sideModules() * modulePixels;
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    draw(painter, QRectF(0, 0, side, side));
    painter.end();
    return picture;
}

bool QrSymbol::save(const QString &path, int modulePixels, QString *error) const
{
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    // Written whole or not at all: a temporary file beside it, then a rename.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written)
        written = svg ? saveSvg(*this, file, modulePixels) : image(modulePixels).save(&file, "PNG");
    if (written && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}
