#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn here rather than shipped as files.
namespace Icons {

// The program's own icon, in 16 x 16 and 32 x 32.
QIcon programIcon();
QPixmap programPixmap(int size);

// The toolbar images, 16 x 15 with silver as the transparent colour:
// 1 a blank sheet with a folded corner, 2 a sheet with a magnifying glass,
// 3 a printer, 4 the letters ABC above a blue tick.
QPixmap toolbarImage(int index);

// The picture of the About window.
QPixmap aboutPicture();

} // namespace Icons
