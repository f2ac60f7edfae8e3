// The title bar and icon of the order dialog's messages, the title as the X
// server holds it for the window manager: the input messages have an empty
// one, although Qt gives an untitled window the program's name; the others
// keep "Vexaron".
#include "entry/frmCreate.h"
#include "support/RunningProgram.h"

#include <QtTest>
#include <QtWidgets>

#include <xcb/xcb.h>

namespace {

// A text property of the window; "<none>" when the window has none.
QString windowProperty(QWidget *window, const char *name)
{
    xcb_connection_t *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, false, uint16_t(qstrlen(name)), name), nullptr);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, false, xcb_window_t(window->winId()), atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
    const QString value = !reply || reply->type == XCB_NONE
            ? QStringLiteral("<none>")
            : QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply)),
                                xcb_get_property_value_length(reply));
    free(atom);
    free(reply);
    return value;
}

} // namespace

class TestTitles : public QObject
{
    Q_OBJECT

private slots:
    // As the program does: the name Qt would put in an empty title.
    void initTestCase() { QApplication::setApplicationName("Vexaron"); }

    // Each box as text|_NET_WM_NAME|WM_NAME|icon|buttons, answered with OK.
    void inputMessagesHaveAnEmptyTitleBar()
    {
        TestSupport::RunningProgram p;
        QVERIFY(p.start());
        QStringList seen;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << QStringList{ box->text(), windowProperty(box, "_NET_WM_NAME"), windowProperty(box, "WM_NAME"),
                                     QString::number(box->icon()), QString::number(box->buttons().size()) }.join('|');
                box->buttons().first()->click();
            }
        });
        answerer.start(20);
        QVERIFY(TestSupport::duringCommand<frmCreate>(p.command("mnuNew"), [](frmCreate *d) {
            d->findChild<QPushButton *>("Command2")->click(); // nothing typed
            for (QLineEdit *box : d->findChildren<QLineEdit *>(QRegularExpression("^Text")))
                box->setText("12");
            d->findChild<QPlainTextEdit *>("Text8")->setPlainText("x");
            d->findChild<QPushButton *>("Command3")->click(); // saved after the amount's warning
        }));
        QCOMPARE(seen, (QStringList{ "Пропущено значение|||3|1", "Не верно введена сумма|||3|1",
                                     "Запис виконано!|Vexaron|Vexaron|0|1" }));
    }
};

QTEST_MAIN(TestTitles)
#include "tst_titles.moc"
