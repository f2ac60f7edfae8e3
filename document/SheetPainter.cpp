#include "document/SheetPainter.h"

#include "document/SheetFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

namespace Sheet {

QFont font(Face face, double points, bool bold)
{
    QFont f(face == Face::Serif ? SheetFonts::serifFamily() : SheetFonts::sansFamily());
    // Pixel sizes are taken in the painter's own units, here twips, so the
    // text keeps its size whatever device the sheet is drawn on.
    f.setPixelSize(qRound(points * TwipsPerPoint));
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    f.setItalic(false);
    f.setUnderline(false);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

// The stand-in faces run a few per cent wider than the originals, so a
// one-line text that overflows its box by no more than that stays on its
// line (the box widened to fit) instead of wrapping out of sight. Returns an
// invalid box when the text must wrap.
QRectF singleLineBox(const Text &t, const QFont &font, const QString &text)
{
    if (text.contains(QLatin1Char('\n')))
        return QRectF();
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > t.width * SingleLineTolerance)
        return QRectF();
    const qreal w = qMax<qreal>(t.width, width);
    qreal left = t.left;
    if (t.align & Qt::AlignHCenter)
        left = t.left + (t.width - w) / 2.0;
    return QRectF(left, t.top, w, t.height);
}

QString visiblePart(const Text &t, const QFont &font, const QString &text)
{
    const QFontMetricsF metrics(font);
    qreal narrowest = metrics.height() / 8;
    for (const QChar c : QStringLiteral(" .,'|il1"))
        narrowest = qMin(narrowest, metrics.horizontalAdvance(c));
    const qint64 perLine = qint64(t.width / qMax<qreal>(narrowest, 1.0)) + 1;
    const qint64 lines = qint64(t.height / qMax<qreal>(metrics.lineSpacing(), 1.0)) + 1;
    const qint64 most = 4 * perLine * lines;
    return text.size() > most ? text.left(most) : text;
}

int textFlags(const Text &element)
{
    return int(element.align) | Qt::AlignTop | Qt::TextWordWrap;
}

void paint(QPainter &painter, const SheetFields &fields)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRect(0, 0, WidthTwips, HeightTwips), Qt::white);

    for (const Rect &r : rects()) {
        // The border lies inside the rectangle, as on the form.
        const int w = r.borderPixels * TwipsPerPixel;
        QPen pen(Qt::black, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(r.left + w / 2.0, r.top + w / 2.0, r.width - w, r.height - w));
    }

    painter.setPen(QPen(Qt::black, TwipsPerPixel, Qt::SolidLine, Qt::FlatCap));
    for (const Line &l : lines())
        painter.drawLine(QPointF(l.x1, l.y1 + TwipsPerPixel / 2.0),
                         QPointF(l.x2, l.y2 + TwipsPerPixel / 2.0));

    painter.setPen(Qt::black);
    for (const Text &t : texts()) {
        const QString stored = t.field == Field::None ? t.text : fields.text(t.field);
        if (stored.isEmpty())
            continue;
        const QRectF box(t.left, t.top, t.width, t.height);
        painter.save();
        const QFont f = font(t.face, t.points, t.bold);
        const QString text = visiblePart(t, f, stored);
        painter.setFont(f);
        const QRectF drawn = singleLineBox(t, f, text);
        if (drawn.isValid()) {
            painter.setClipRect(drawn);
            painter.drawText(drawn, int(t.align) | Qt::AlignTop, text);
        } else {
            // Lines that fall below the field are cut off; nothing grows.
            painter.setClipRect(box);
            painter.drawText(box, textFlags(t), text);
        }
        painter.restore();
    }
    painter.restore();
}

} // namespace Sheet
