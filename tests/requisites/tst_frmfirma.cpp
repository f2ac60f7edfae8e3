// The requisites window, opened by the main window's command, on a real
// database file.

#include "support/RunningProgram.h"

#include "app/MDIForm1.h"
#include "requisites/frmFirma.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QStringList Stored = { "ТОВ Вексарон", "12345678", "АТ Ощадбанк", "300465", "26001000012345" };
const QString StoreSql = "update firma set firma='ТОВ Вексарон', kodfirma='12345678', bank='АТ Ощадбанк', "
                         "kodbank='300465', rsbank='26001000012345'";

QLineEdit *box(QWidget *d, int k) { return d->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(k + 1)); }
QPushButton *cancel(QWidget *d) { return d->findChild<QPushButton *>(QStringLiteral("Command1")); }
QPushButton *save(QWidget *d) { return d->findChild<QPushButton *>(QStringLiteral("Command2")); }
QStringList boxes(QWidget *d) { QStringList t; for (int k = 0; k < 5; ++k) t << box(d, k)->text(); return t; }

struct Program : TestSupport::RunningProgram
{
    bool load() { return folder.isValid() && main.MDIForm_Load() && (main.show(), true) && sql(StoreSql); }
    QStringList stored() const { return rows("select firma, kodfirma, bank, kodbank, rsbank from firma").value(0); }
    frmFirma *firma(const std::function<void(frmFirma *)> &action)
    {
        return TestSupport::duringCommand<frmFirma>(command("mnuFirma"), action);
    }
};

} // namespace

class TstFrmFirma : public QObject
{
    Q_OBJECT
    std::unique_ptr<Program> p;

private slots:
    void init() { p = std::make_unique<Program>(); QVERIFY(p->load()); }

    void openingsKeepTheWindowAsLeft()
    {
        frmFirma *first = p->firma([&](frmFirma *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral(" Реквизиты Предприятия"));
            QCOMPARE(d->size(), QSize(474, 278));
            QVERIFY(!(d->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint
                                          | Qt::WindowMaximizeButtonHint)));
            QStringList captions;
            for (const char *name : { "Label1_0", "Label1_1", "Label1_2", "Label1_3", "Label1_4", "Command1",
                                      "Command2" })
                captions << d->findChild<QWidget *>(name)->property("text").toString();
            QCOMPARE(captions, QStringList({ "Плательщик", "Код Плательщика", "Банк Плательщика", "Код Банка",
                                             "Расчетный счет", "Отмена", "Сохранить" }));
            QCOMPARE(boxes(d), Stored);
            QVERIFY(!save(d)->isEnabled()); // although filling ran the change handlers
            QCOMPARE(QApplication::focusWidget(), box(d, 0));
            // A character typed and deleted again: the text is as it was, yet
            // "Сохранить" is enabled.
            box(d, 1)->setFocus();
            QTest::keyClicks(box(d, 1), "x");
            QTest::keyClick(box(d, 1), Qt::Key_Backspace);
            QVERIFY(save(d)->isEnabled());
            for (QWidget *next : QList<QWidget *>({ box(d, 2), box(d, 3), cancel(d), save(d), box(d, 4) })) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            cancel(d)->click();
            QVERIFY(d->isHidden());
        });
        QVERIFY(first);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));

        QVERIFY(p->sql("update firma set firma='Iнша назва'")); // not read again during the run
        QCOMPARE(p->firma([&](frmFirma *d) {
            QCOMPARE(QApplication::focusWidget(), box(d, 0)); // though left in Text5
            QCOMPARE(boxes(d), Stored);
            QVERIFY(save(d)->isEnabled());
            // Esc and Enter in a box do nothing: no cancel and no default button.
            QTest::keyClick(box(d, 0), Qt::Key_Escape);
            QTest::keyClick(box(d, 0), Qt::Key_Return);
            QVERIFY(d->isVisible());
            p->main.setStatusText("-");
            d->close(); // a close request that gets past the missing close box is "Отмена"
        }), first);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
        QCOMPARE(p->stored().value(0), QStringLiteral("Iнша назва"));
    }

    void saveWritesTheBoxes_data()
    {
        // Each box alone: its change handler enables "Сохранить".
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Text1, apostrophes") << 0 << "ТОВ \"Об'єднання\"' or 1=1 --";
        QTest::newRow("Text2, empty") << 1 << "";
        QTest::newRow("Text3, blanks kept") << 2 << "  Банк ''Надiя'' ";
        QTest::newRow("Text4") << 3 << "300 465";
        QTest::newRow("Text5") << 4 << "2600'1\t";
    }
    void saveWritesTheBoxes()
    {
        QFETCH(int, k);
        QFETCH(QString, typed);
        QVERIFY(p->firma([&](frmFirma *d) {
            box(d, k)->setText(typed);
            QVERIFY(save(d)->isEnabled());
            // Changed elsewhere meanwhile: all five boxes are written.
            QVERIFY(p->sql("update firma set firma='', kodfirma='', bank='', kodbank='', rsbank='x'"));
            save(d)->setFocus();
            QTest::keyClick(save(d), Qt::Key_Return); // Enter on a focused button presses it
            QVERIFY(d->isHidden());
            QVERIFY(!save(d)->isEnabled());
        }));
        QCOMPARE(p->main.statusText(), QStringLiteral("Сохранено"));
        QStringList expected = Stored;
        expected[k] = typed;
        QCOMPARE(p->stored(), expected);
    }

    // With no firma row at all, saving adds the one row instead of
    // answering that there is nowhere to save.
    void savingIntoEmptyTableAddsTheRow()
    {
        QVERIFY(p->sql("delete from firma"));
        TestSupport::MessageBoxAnswerer seen;
        QVERIFY(p->firma([&](frmFirma *d) {
            box(d, 4)->setText("26009999999999");
            save(d)->click();
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(seen.seen.size(), 0);
        QCOMPARE(p->main.statusText(), QStringLiteral("Сохранено"));
        QCOMPARE(p->stored(), QStringList({ "", "", "", "", "26009999999999" }));
    }

    // A row that cannot be read: the window stays closed and says so, then why.
    void unreadableRowKeepsTheWindowClosed()
    {
        QVERIFY(p->sql("drop table firma"));
        TestSupport::MessageBoxAnswerer seen;
        QVERIFY(!p->firma([](frmFirma *) { QFAIL("the window opened"); }));
        QVERIFY2(seen.single().startsWith("Vexaron|error|1|Не удалось прочитать реквизиты предприятия.\n\n")
                         && seen.single().contains("firma"),
                 qPrintable(seen.single()));
    }
};

QTEST_MAIN(TstFrmFirma)
#include "tst_frmfirma.moc"
