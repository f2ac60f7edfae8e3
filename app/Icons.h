#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

// The program's pictures, drawn here rather than shipped as files.
namespace Icons {

// The program's own icon, in 16 x 16 and 32 x 32. The one drawing of it:
// the desktop's PNG and SVG icons are made from it when the program is built.
QIcon programIcon();
QPixmap programPixmap(int size);
// Draws the icon on its grid of 32 units.
void drawProgramIcon(QPainter &painter);

// The toolbar images, 16 x 15 with silver as the transparent colour:
// 1 a blank sheet with a folded corner, 2 a sheet with a magnifying glass,
// 3 a printer, 4 the letters ABC above a blue tick.
QPixmap toolbarImage(int index);

// The picture of the About window.
QPixmap aboutPicture();

} // namespace Icons
