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

// How far a text may be condensed before it wraps, in per cent of its
// natural width. Three quarters is the narrowest standard width of a face
// ("Condensed", OpenType width class 3): at the sheet's 8.25 and 9.75 points
// the letters keep their shapes and the stems of "ш", "м", "н" stay apart,
// while every 29-character account and every code fits its box (an account
// needs about 86 %). Narrower, the synthetic squeeze thins the vertical
// strokes until digits such as 0, 6, 8 are hard to tell apart.
constexpr int CondenseFloor = 75;

// How a text is set in its element's box: the stretch of its font in per
// cent (100: as designed) and whether it wraps at blanks.
struct Setting
{
    int stretch = 100;
    bool wraps = false;
};

// One rule for every element: the text keeps its natural width when it
// fits; else it is condensed just enough to fit, down to CondenseFloor; a
// text still too wide there wraps at blanks (a word wider than the box at
// the character) and the lines below the box are cut whole. The amount in
// words always stays whole on its one line, condensed as far as it needs.
Setting settingFor(const Text &element, const QString &text);

} // namespace Sheet
