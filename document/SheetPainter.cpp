#include "document/SheetPainter.h"

#include "document/SheetFonts.h"

#include <QPainter>
#include <QPen>
#include <QTextLayout>

namespace Sheet {

namespace {

QFont stretched(const Text &t, int stretch)
{
    QFont f = font(t.face, t.points, t.bold);
    f.setStretch(stretch);
    return f;
}

// QTextLayout breaks lines at the line separator only.
QString forLayout(QString text)
{
    return text.replace(QLatin1Char('\n'), QChar::LineSeparator);
}

// Lays the text out across the box's width; the lines that stand wholly
// inside the box, and at least the first one.
int layOut(QTextLayout &layout, const Text &t, bool wraps, bool anywhere)
{
    QTextOption option(t.align);
    option.setWrapMode(!wraps ? QTextOption::NoWrap
                       : anywhere ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                  : QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    qreal y = 0;
    int shown = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(t.width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (shown == 0 || y <= t.height)
            ++shown;
    }
    layout.endLayout();
    return shown;
}

// Whether the text fits the box whole at this stretch: every line within
// the width, every line within the height.
bool fitsAt(const Text &t, const QString &text, int stretch, bool wraps)
{
    QTextLayout layout(forLayout(text), stretched(t, stretch));
    const int shown = layOut(layout, t, wraps, false);
    if (shown < layout.lineCount())
        return false;
    for (int i = 0; i < layout.lineCount(); ++i)
        if (layout.lineAt(i).naturalTextWidth() > t.width)
            return false;
    return true;
}

// The widest stretch in [lowest, 100] at which the text fits; lowest when
// none does.
int widestFitting(const Text &t, const QString &text, int lowest, bool wraps)
{
    if (fitsAt(t, text, 100, wraps))
        return 100;
    int fits = lowest, failsAt = 100;
    while (failsAt - fits > 1) {
        const int middle = (fits + failsAt) / 2;
        (fitsAt(t, text, middle, wraps) ? fits : failsAt) = middle;
    }
    return fits;
}

void drawText(QPainter &painter, const Text &t, const QString &text)
{
    const Setting setting = settingFor(t, text);
    QTextLayout layout(forLayout(text), stretched(t, setting.stretch));
    const int shown = layOut(layout, t, setting.wraps, true);
    painter.save();
    // A last guard: a glyph reaching beyond its own line stays in the box.
    painter.setClipRect(QRectF(t.left, t.top, t.width, t.height));
    for (int i = 0; i < shown; ++i)
        layout.lineAt(i).draw(&painter, QPointF(t.left, t.top));
    painter.restore();
}

} // namespace

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

Setting settingFor(const Text &t, const QString &text)
{
    if (t.field == Field::AmountInWords)
        return { widestFitting(t, text, 1, false), false };
    // A box of several lines (the purpose of payment) keeps a text as
    // designed while its wrapped lines fit; a one-line box condenses first.
    return { widestFitting(t, text, CondenseFloor, true), true };
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
        const QString text = t.field == Field::None ? t.text : fields.text(t.field);
        if (!text.isEmpty())
            drawText(painter, t, text);
    }
    painter.restore();
}

} // namespace Sheet
