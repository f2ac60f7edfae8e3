#pragma once

#include "document/SheetLayout.h"

#include <QFont>
#include <QRect>
#include <QSize>

class QKeyEvent;
class QWidget;

// What the program's dialogs share: one twips scale, the fonts, the centring,
// the keys and the hand-back of the keyboard when a dialog closes.
namespace DialogKit {

// Twips to a screen pixel, the same as the document window's.
constexpr int TwipsPerPixel = Sheet::TwipsPerPixel;

// A length in twips as whole pixels: the nearest pixel, a half rounded up.
// Every dialog dimension of the forms is a whole number of pixels except the
// lower line of each double rule, which falls a third of a pixel short of the
// next pixel and goes there.
int pixels(double twips);
QRect twips(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

// The shipped faces at a size in points; the faces are registered first.
QFont font(Sheet::Face face, double points, bool bold);

// Puts a window in the middle of the screen its parent (or the primary
// screen) is on.
void centreOnScreen(QWidget *window);

// Keys of a dialog that has no default and no cancel button: Escape does
// nothing, Enter clicks the focused button and nothing else. Returns false
// for every other key, which the dialog handles as usual.
bool keyWithoutDefaults(QWidget *dialog, QKeyEvent *event);

// Gives the keyboard back to the window a closed dialog was opened over, so
// that its menu keys work without a click: window managers do not always
// activate it by themselves.
void handBackKeyboard(QWidget *closedDialog);

} // namespace DialogKit
