#pragma once

#include <QPointF>

// Where the document window's top-left corner goes so that it stands in the
// middle of the main window's client area. Everything in twips; the
// division is exact, and the result is negative when the client area is
// the smaller.
inline QPointF centredOrigin(double clientWidth, double clientHeight, double documentWidth,
                             double documentHeight)
{
    return QPointF((clientWidth - documentWidth) / 2.0, (clientHeight - documentHeight) / 2.0);
}
