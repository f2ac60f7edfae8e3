#include "document/DialogSupport.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace DialogSupport {

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

void showFailure(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vexaron"), text, QMessageBox::Ok, parent);
    box.exec();
}

void showWarningIfAny(QWidget *parent, const QString &warning)
{
    if (warning.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vexaron"), warning, QMessageBox::Ok, parent);
    box.exec();
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

} // namespace DialogSupport
