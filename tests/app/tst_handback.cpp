// Closing a dialog gives the keyboard back to the main window: it is the
// active window again and Alt+З opens the menu "Заполнение" at once.
#include "support/RunningProgram.h"

#include <QtTest>
#include <QtWidgets>

class TestHandBack : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestSupport::RunningProgram> p;

private slots:
    void init()
    {
        p = std::make_unique<TestSupport::RunningProgram>();
        QVERIFY(p->main.MDIForm_Load());
        QVERIFY(p->sql("update firma set firma='ПП', kodfirma='1', bank='Б', kodbank='2', rsbank='3'"));
        p->main.show();
        p->main.showDocumentWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p->main));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("amount"); // typed into the order first; empty: nothing typed
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("OK after the amount warning") << "mnuNew" << "Command2" << "1234.56"
                                                     << QStringList{ "Не верно введена сумма" };
        QTest::newRow("order, Отмена") << "mnuNew" << "Command1" << "" << QStringList();
        QTest::newRow("requisites, Отмена") << "mnuFirma" << "Command1" << "" << QStringList();
        QTest::newRow("archive, Отмена") << "mnuArchive" << "Command1" << "" << QStringList();
        QTest::newRow("About, ОК") << "mnuAbout" << "Command1" << "" << QStringList();
    }

    void closing()
    {
        QFETCH(QString, command);
        QFETCH(QString, button);
        QFETCH(QString, amount);
        QFETCH(QStringList, boxes);
        TestSupport::MessageBoxAnswerer answerer;
        bool closed = false;
        QVERIFY(TestSupport::duringCommand<QDialog>(p->command(qPrintable(command)), [&](QDialog *d) {
            for (const char *box : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" })
                if (QWidget *w = amount.isEmpty() ? nullptr : d->findChild<QWidget *>(box))
                    w->setProperty(qobject_cast<QLineEdit *>(w) ? "text" : "plainText", box == QString("Text2") ? amount : "x");
            QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
            closed = !d->isVisible();
        }));
        QVERIFY(closed);
        QStringList shown;
        for (const TestSupport::SeenBox &box : answerer.seen)
            shown << box.text;
        QCOMPARE(shown, boxes);
        QTRY_COMPARE(QApplication::activeWindow(), &p->main);
        QVERIFY(p->main.isAncestorOf(QApplication::focusWidget()));
        auto *menu = p->main.findChild<QMenu *>("mnuCreate");
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(0x0417), "З", Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }
};

QTEST_MAIN(TestHandBack)
#include "tst_handback.moc"
