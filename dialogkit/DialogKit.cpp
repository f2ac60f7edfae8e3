#include "dialogkit/DialogKit.h"

#include "document/SheetFonts.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace DialogKit {

int pixels(double twips)
{
    return qRound(twips / TwipsPerPixel);
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

QSize twipsSize(int width, int height)
{
    return QSize(pixels(width), pixels(height));
}

QFont font(Sheet::Face face, double points, bool bold)
{
    SheetFonts::registerFonts();
    QFont f(face == Sheet::Face::Serif ? SheetFonts::serifFamily() : SheetFonts::sansFamily());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void centreOnScreen(QWidget *window)
{
    const QWidget *parent = window->parentWidget();
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

bool keyWithoutDefaults(QWidget *dialog, QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->ignore();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *button = qobject_cast<QPushButton *>(dialog->focusWidget());
            button && button->isEnabled()) {
            button->click();
            event->accept();
        } else {
            event->ignore();
        }
        return true;
    default:
        return false;
    }
}

void handBackKeyboard(QWidget *closedDialog)
{
    QWidget *parent = closedDialog->parentWidget();
    if (!parent || closedDialog->isVisible())
        return;
    QWidget *window = parent->window();
    if (window->isVisible())
        window->activateWindow();
}

} // namespace DialogKit
