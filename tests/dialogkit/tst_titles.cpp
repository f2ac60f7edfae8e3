// The title bar of each message of the order dialog, as the X server holds
// it for the window manager: the two input messages have an empty one,
// although Qt gives an untitled window the program's name; the others keep
// "Vexaron".
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
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QString("xcb")); }

    void inputMessagesHaveAnEmptyTitleBar()
    {
        TestSupport::RunningProgram p;
        QVERIFY(p.main.MDIForm_Load());
        p.main.show();
        QStringList seen; // text|_NET_WM_NAME|WM_NAME of each box
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text() + '|' + windowProperty(box, "_NET_WM_NAME") + '|' + windowProperty(box, "WM_NAME");
                box->buttons().first()->click();
            }
        });
        answerer.start(20);
        std::unique_ptr<TestSupport::WhenModal> watch(TestSupport::whenModal<frmCreate>([](frmCreate *d) {
            const auto press = [d](const char *button) { d->findChild<QPushButton *>(button)->click(); };
            press("Command2"); // nothing typed
            for (const char *box : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6" })
                d->findChild<QLineEdit *>(box)->setText(box == QString("Text2") ? "12" : "x");
            d->findChild<QPlainTextEdit *>("Text8")->setPlainText("x");
            press("Command2"); // an amount that cannot be used
            press("Command3"); // saved as typed, after the warning
            d->done(0);
        }));
        p.command("mnuNew")->trigger();
        QCOMPARE(seen, (QStringList{ "Пропущено значение||", "Не верно введена сумма||",
                                     "Не верно введена сумма||", "Запис виконано!|Vexaron|Vexaron" }));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vexaron"); // as the program does: the name Qt would put in
    TestTitles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_titles.moc"
