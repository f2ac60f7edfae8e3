#pragma once

#include "document/SheetFields.h"
#include "document/SheetLayout.h"

#include <QFont>
#include <QRectF>

class QPainter;

namespace Sheet {

// Draws the whole sheet: captions, fields, rectangles and rule lines. The
// painter's coordinates must be twips (the window scales by 1/15, the printer
// by its resolution / 1440), so the screen and the paper share this routine.
void paint(QPainter &painter, const SheetFields &fields);

// The font of a sheet element, sized in twips.
QFont font(Face face, double points, bool bold);

// How much wider than its box a one-line text may be and still stay on
// one line (see singleLineBox).
constexpr double SingleLineTolerance = 1.08;
QRectF singleLineBox(const Text &element, const QFont &font, const QString &text);

// The most of a text its box can ever show, handed to layout instead of the
// whole: layout takes time in the text's length, and a purpose of a
// megabyte would hold up every repaint. A line shows at most the box's
// width over the narrowest glyph's, the box at most its height over the
// line spacing; four times that leaves room for blanks at line ends, which
// take no width.
QString visiblePart(const Text &element, const QFont &font, const QString &text);

// The flags a text element is drawn with.
int textFlags(const Text &element);

} // namespace Sheet
