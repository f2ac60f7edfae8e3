#pragma once

#include <QString>

class QKeyEvent;
class QWidget;

// What the program's dialogs share.
namespace DialogSupport {

// Puts a window in the middle of the screen its parent (or the primary
// screen) is on.
void centreOnScreen(QWidget *window);

// Tells a failure: the error icon, one OK button, the program's name as the
// title.
void showFailure(QWidget *parent, const QString &text);

// Tells what a change that went through left to worry about (the disk's
// error after the commit); nothing when warning is empty.
void showWarningIfAny(QWidget *parent, const QString &warning);

// Keys of a dialog that has no default and no cancel button: Escape does
// nothing, Enter clicks the focused button and nothing else. Returns false
// for every other key, which the dialog handles as usual.
bool keyWithoutDefaults(QWidget *dialog, QKeyEvent *event);

} // namespace DialogSupport
