#include "dialogkit/Message.h"

#include "dialogkit/DialogKit.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace DialogKit {

namespace {

#if QT_CONFIG(xcb)
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, false, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}
#endif

// Qt's X11 window gives a window with an empty title the application's name
// (QPlatformWindow::formatWindowTitle), so the window manager would show
// "Vexaron" where the title bar must stay empty. The window's name
// properties are emptied again once the window exists; Qt sets them only when
// the title changes.
void emptyTitleBar(QWidget *window)
{
#if QT_CONFIG(xcb)
    // The offscreen platform answers for X11 too, without a connection.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t netWmName = atom(connection, "_NET_WM_NAME");
    if (netWmName != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName,
                            atom(connection, "UTF8_STRING"), 8, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

} // namespace

QString programName()
{
    return QStringLiteral("Vexaron");
}

Message badInput(const QString &text)
{
    return { QMessageBox::Critical, QString(), text, QString() };
}

Message failure(const QString &notDone, const QString &reason)
{
    const QString text = reason.isEmpty() ? notDone : notDone + QStringLiteral("\n\n") + reason;
    return { QMessageBox::Critical, programName(), text, QString() };
}

Message notice(const QString &text, const QString &title)
{
    return { QMessageBox::NoIcon, title, text, QString() };
}

void show(QWidget *parent, const Message &message)
{
    QMessageBox box(message.icon, message.title, message.text, QMessageBox::Ok, parent);
    box.setObjectName(message.objectName);
    if (message.title.isEmpty())
        emptyTitleBar(&box);
    box.exec();
    handBackKeyboard(&box);
}

} // namespace DialogKit
