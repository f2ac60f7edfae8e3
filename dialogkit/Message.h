#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The one way the program tells the user something: a box with one OK
// button, modal over its parent window.
namespace DialogKit {

struct Message
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;      // empty: the title bar stays empty, also on X11
    QString text;
    QString objectName; // for finding the box
};

// The program's name, the title of its failures and notices.
QString programName();

// A value the user typed is wrong: the error icon, an empty title bar.
Message badInput(const QString &text);
// Something was not done: the error icon, the program's name as the title,
// the sentence saying what was not done and, after an empty line, why (the
// store's text) when there is a reason.
Message failure(const QString &notDone, const QString &reason = QString());
// Something was done, or a word from the program: no icon.
Message notice(const QString &text, const QString &title = programName());

// Shows the box over parent (over nothing when parent is null) and returns
// when it is closed; the keyboard then goes back to parent's window.
void show(QWidget *parent, const Message &message);

} // namespace DialogKit
