// The requisites window, opened by the main window's command, on a real
// database file: what it shows, its keys, and each box's round trip through
// the file.

#include "requisites/frmFirma.h"
#include "support/RunningProgram.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QStringList Stored = { "ТОВ Вексарон", "12345678", "АТ Ощадбанк", "300465", "26001000012345" };

QLineEdit *box(QWidget *d, int k) { return d->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(k + 1)); }
QPushButton *button(QWidget *d, const char *name) { return d->findChild<QPushButton *>(name); }


} // namespace

using TestSupport::duringCommand;

class TstFrmFirma : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestSupport::RunningProgram> p;

private slots:
    void init()
    {
        p = std::make_unique<TestSupport::RunningProgram>();
        QVERIFY(p->start());
        QVERIFY(p->sql("update firma set firma='ТОВ Вексарон', kodfirma='12345678', bank='АТ Ощадбанк', "
                       "kodbank='300465', rsbank='26001000012345'"));
    }

    // The title; "Сохранить" disabled at first (the stored requisites shown: see the
    // round trips); the tab order; the bank code from a typed IBAN. A second
    // opening shows the same window as it was left, not read again, the
    // focus back in the first box; Esc does nothing; a close request is
    // "Отмена".
    void openingsKeepTheWindowAsLeft()
    {
        p->main.setGeometry(20, 40, 500, 300); // the window opens in the screen's middle all the same
        frmFirma *first = duringCommand<frmFirma>(p->command("mnuFirma"), [&](frmFirma *d) {
            QCOMPARE(d->frameGeometry().center(), p->main.screen()->availableGeometry().center());
            QCOMPARE(d->windowTitle(), QStringLiteral(" Реквизиты Предприятия"));
            QVERIFY(!button(d, "Command2")->isEnabled()); // although filling ran the change handlers
            QCOMPARE(QApplication::focusWidget(), box(d, 0));
            box(d, 4)->clear(); // enables "Сохранить"
            for (QWidget *next : QList<QWidget *>{ box(d, 1), box(d, 2), box(d, 3), button(d, "Command1"),
                                                   button(d, "Command2"), box(d, 4) }) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            // Typing an IBAN fills an empty bank code and leaves one typed.
            box(d, 3)->clear();
            QTest::keyClicks(box(d, 4), "UA213223130000026007233566001");
            const QString filled = box(d, 3)->text();
            box(d, 3)->setText("305299");
            box(d, 4)->clear();
            QTest::keyClicks(box(d, 4), "UA213223130000026007233566001");
            QCOMPARE(filled + "|" + box(d, 3)->text(), QStringLiteral("322313|305299"));
            button(d, "Command1")->click();
        });
        QVERIFY(first);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));

        QVERIFY(p->sql("update firma set firma='Iнша назва'"));
        QCOMPARE(duringCommand<frmFirma>(p->command("mnuFirma"), [&](frmFirma *d) {
            QCOMPARE(QApplication::focusWidget(), box(d, 0));
            QCOMPARE(box(d, 3)->text(), QStringLiteral("305299"));
            QTest::keyClick(box(d, 0), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            p->main.setStatusText("-");
            d->close();
        }), first);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
        QCOMPARE(p->rows("select firma from firma"), QList<QStringList>{ { "Iнша назва" } });
    }

    void saveWritesTheBoxes_data()
    {
        QTest::addColumn<int>("k"); // the box changed: its change handler enables "Сохранить"
        QTest::addColumn<QString>("typed");
        QTest::newRow("Text1, apostrophes") << 0 << "ТОВ \"Об'єднання\"' or 1=1 --";
        QTest::newRow("Text2, empty") << 1 << "";
        QTest::newRow("Text3, blanks kept") << 2 << "  Банк ''Надiя'' ";
        QTest::newRow("Text4") << 3 << "300 465";
        QTest::newRow("Text5") << 4 << "2600'1\t";
    }

    // Changed elsewhere meanwhile: all five boxes are written, and only then
    // is "Сохранено" shown.
    void saveWritesTheBoxes()
    {
        QFETCH(int, k);
        QFETCH(QString, typed);
        QStringList expected = Stored;
        expected[k] = typed;
        QVERIFY(duringCommand<frmFirma>(p->command("mnuFirma"), [&](frmFirma *d) {
            box(d, k)->setText(typed);
            QVERIFY(p->sql("update firma set firma='', kodfirma='', bank='', kodbank='', rsbank='x'"));
            QCOMPARE(p->main.statusText(), QStringLiteral("Реквизиты"));
            button(d, "Command2")->setFocus();
            QTest::keyClick(button(d, "Command2"), Qt::Key_Return); // Enter on a focused button presses it
            QVERIFY(d->isHidden() && !button(d, "Command2")->isEnabled());
        }));
        QCOMPARE(p->main.statusText(), QStringLiteral("Сохранено"));
        QCOMPARE(p->rows("select firma, kodfirma, bank, kodbank, rsbank from firma"), QList<QStringList>{ expected });
    }

    // A row that cannot be read: the window stays closed and says so, then why.
    void unreadableRowKeepsTheWindowClosed()
    {
        QVERIFY(p->sql("drop table firma"));
        TestSupport::MessageBoxAnswerer seen;
        QVERIFY(!duringCommand<frmFirma>(p->command("mnuFirma"), [](frmFirma *) { QFAIL("the window opened"); }));
        QVERIFY2(seen.single().startsWith("Vexaron|error|1|Не удалось прочитать реквизиты предприятия.\n\nОшибка"),
                 qPrintable(seen.single()));
    }
};

QTEST_MAIN(TstFrmFirma)
#include "tst_frmfirma.moc"
